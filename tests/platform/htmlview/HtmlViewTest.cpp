#include "platform/htmlview/HtmlView.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessel;
using namespace tessel::htmlview;

namespace {

// The layout window's stand-in: keeps the targets of the links it is told of.
class ViewParent : public ui::Window {
public:
    std::vector<std::u16string> hotspots;
    int hotspotControl = 0;
    HtmlView* clearOnHotspot = nullptr;

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == ui::kWmNotify) {
            const auto* header = reinterpret_cast<const ui::NotifyHeader*>(lParam);
            if (header->code == kNmHotspot) {
                hotspots.push_back(reinterpret_cast<const HtmlViewNotify*>(lParam)->target);
                hotspotControl = header->controlId;
                if (clearOnHotspot)
                    clearOnHotspot->setText(u"");
            }
            return 0;
        }
        return Window::windowProc(message, wParam, lParam);
    }
};

std::vector<std::u16string> shown(const HtmlView& view)
{
    std::vector<std::u16string> lines;
    view.describe(&lines);
    return lines;
}

std::vector<std::u16string> targets(const HtmlView& view)
{
    std::vector<std::u16string> out;
    for (const HtmlView::Link& link : view.links())
        out.push_back(link.target);
    return out;
}

int textWidth(const std::u16string& text)
{
    auto font = ui::Font::system();
    int width = 0;
    for (char16_t c : text)
        width += font ? font->advance(c) : 7;
    return width;
}

// A layout window with one view of the given width as its child.
class HtmlViewTest : public ::testing::Test {
protected:
    void open(int controlId, int width)
    {
        parent.create(u"Dialog", u"Tessel");
        ASSERT_TRUE(view.create(&parent, controlId, {0, 0, width, 100}));
    }
    ~HtmlViewTest() override
    {
        view.destroy();
        parent.destroy();
    }

    ViewParent parent;
    HtmlView view;
};

} // namespace

TEST(HtmlView, ShowsTheConvertedTextsOfTheViewAsWrappedTextWithLinksMarked)
{
    struct Case {
        const char* name;
        std::u16string html;
        std::vector<std::u16string> lines;
        std::vector<std::u16string> targets;
    } cases[] = {
        {"markup characters", u"<body bgcolor=\"#FFFFFF\">a &lt b &amp c &gt d</body>", {u"a < b & c > d"},
            {}},
        {"entities with and without a semicolon", u"<body>&lt;&ltx&amp;&quot&#65;&#x42&nbsp;!</body>",
            {u"<<x&\"AB\u00A0!"}, {}},
        {"a tilde", u"<body bgcolor=\"#FFFFFF\">x ~ y</body>", {u"x ~ y"}, {}},
        {"a collapsed run of breaks", u"<body bgcolor=\"#FFFFFF\">one<br/>two</body>", {u"one", u"two"}, {}},
        {"a phone number of 7 digits", u"<body>Call <a href='tel:555-1234'>555-1234</a> now</body>",
            {u"Call [555-1234] now"}, {u"tel:555-1234"}},
        {"six digits stay text", u"<body>Code 123456</body>", {u"Code 123456"}, {}},
        {"a date becomes a link", u"<body>On <a href='tel:2024-01-31'>2024-01-31</a></body>",
            {u"On [2024-01-31]"}, {u"tel:2024-01-31"}},
        {"a web address with an ampersand in its query",
            u"<body>See <a href='url:WWW.Example.com/a?b=1&c=2'>WWW.Example.com/a?b=1&c=2</a> then go</body>",
            {u"See [WWW.Example.com/a?b=1&c=2] then go"}, {u"url:WWW.Example.com/a?b=1&c=2"}},
        {"an address shown by its contact's name",
            u"<body>Mail <a href='mailto:bob@example.com'>Bob Smith</a>, <a "
            u"href=\"mailto:x@y.z\">x@y.z</a></body>",
            {u"Mail [Bob Smith], [x@y.z]"}, {u"mailto:bob@example.com", u"mailto:x@y.z"}},
        {"plain text only broken into lines",
            u"<body bgcolor=\"#102030\">first line<br/>second  line\r\nsame</body>",
            {u"first line", u"second line same"}, {}},
        {"a script shows its text", u"<body><script>alert('x'); location='http://a.b/'</script>done</body>",
            {u"alert('x'); location='http://a.b/'done"}, {}},
        {"other tags dropped, their text kept",
            u"<body><img src='http://example.com/x.gif'><b>bold</b> <!-- note --><p>para</p> "
            u"<a>bare</a></body>",
            {u"bold para bare"}, {}},
        {"a lone less-than sign", u"<body>1 < 2</body>", {u"1 < 2"}, {}},
        {"an unclosed link ends with the text", u"<body><a href='tel:5551234'>555 1234</body>",
            {u"[555 1234]"}, {u"tel:5551234"}},
    };
    ViewParent parent;
    parent.create(u"Dialog", u"Error");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HtmlView view;
        ASSERT_TRUE(view.create(&parent, 1007, {0, 0, 2000, 200}));
        view.setText(c.html);
        EXPECT_EQ(shown(view), c.lines);
        EXPECT_EQ(targets(view), c.targets);
        view.destroy();
    }
    parent.destroy();
}

TEST_F(HtmlViewTest, TheBodysColourAndTheLaidOutHeight)
{
    open(1007, 240);
    EXPECT_EQ(ui::sendMessage(view.handle(), kDtmLayoutHeight, 0, 0), 0) << "nothing to show";
    view.setText(u"<body bgcolor=\"#3A5F7C\">one</body>");
    EXPECT_EQ(view.backgroundColor(), 0x3A5F7Cu);
    const std::int64_t oneLine = ui::sendMessage(view.handle(), kDtmLayoutHeight, 0, 0);
    EXPECT_GT(oneLine, 0);
    view.setText(u"<body>a<br/>b<br>c</body>");
    EXPECT_EQ(ui::sendMessage(view.handle(), kDtmLayoutHeight, 0, 0), 3 * oneLine);

    // Long text wraps at blanks to the width, and narrower means taller.
    const std::u16string words = u"The quick brown fox jumps over the lazy dog and keeps running far away";
    view.setText(u"<body>" + words + u"</body>");
    const std::vector<std::u16string> lines = shown(view);
    ASSERT_GT(lines.size(), 1u);
    std::u16string joined;
    for (const std::u16string& line : lines) {
        EXPECT_LE(textWidth(line), 240 - 2 * 4) << "fits the width less its margins";
        joined += (joined.empty() ? u"" : u" ") + line;
    }
    EXPECT_EQ(joined, words) << "no word cut or lost";
    const std::int64_t wide = ui::sendMessage(view.handle(), kDtmLayoutHeight, 0, 0);
    view.move({0, 0, 120, 100});
    EXPECT_GT(ui::sendMessage(view.handle(), kDtmLayoutHeight, 0, 0), wide);

    // Text added in pieces, as plain text or markup, until the end of the source.
    view.setText(u"");
    ui::sendMessage(view.handle(), kDtmAddTextW, 1, reinterpret_cast<std::int64_t>(u"<b>&"));
    ui::sendMessage(view.handle(), kDtmAddTextW, 0, reinterpret_cast<std::int64_t>(u"<br/>x"));
    ui::sendMessage(view.handle(), kDtmEndOfSource, 0, 0);
    EXPECT_EQ(shown(view), (std::vector<std::u16string> {u"<b>&", u"x"}));
}

TEST_F(HtmlViewTest, EnterOnAFocusedLinkOrATapOnOneSendsTheHotspotToTheParent)
{
    open(1100, 2000);
    view.setControlId(12321);
    view.setText(
        u"<body>Call <a href='tel:5551234'>555 1234</a> or <a href='url:www.a.b'>www.a.b</a></body>");

    EXPECT_EQ(view.windowProc(ui::kWmKeyDown, ui::kVkReturn, 0), ui::kKeyLeft)
        << "no link focused: Enter is the dialog's";
    EXPECT_EQ(view.windowProc(ui::kWmKeyDown, ui::kVkDown, 0), 0);
    EXPECT_EQ(shown(view), (std::vector<std::u16string> {u"Call {555 1234} or [www.a.b]"}));
    EXPECT_EQ(view.windowProc(ui::kWmKeyDown, ui::kVkDown, 0), 0);
    EXPECT_EQ(view.windowProc(ui::kWmKeyDown, ui::kVkDown, 0), ui::kKeyLeft) << "past the last link";
    EXPECT_EQ(view.windowProc(ui::kWmKeyDown, ui::kVkReturn, 0), 0);
    EXPECT_EQ(parent.hotspots, (std::vector<std::u16string> {u"url:www.a.b"}));
    EXPECT_EQ(parent.hotspotControl, 12321) << "the id set after creation";

    // A tap on the first link's text; a tap on plain text does nothing.
    parent.hotspots.clear();
    const int x = 4 + textWidth(u"Call [55");
    EXPECT_FALSE(view.tapAt(4 + textWidth(u"Ca"), 3));
    view.windowProc(ui::kWmLButtonDown, 0, (3 << 16) | x);
    EXPECT_EQ(parent.hotspots, (std::vector<std::u16string> {u"tel:5551234"}));

    // The parent clears the view while it handles the link, as the layout windows do.
    parent.clearOnHotspot = &view;
    view.windowProc(ui::kWmLButtonDown, 0, (3 << 16) | x);
    EXPECT_TRUE(shown(view).empty());
    EXPECT_TRUE(view.links().empty());
}
