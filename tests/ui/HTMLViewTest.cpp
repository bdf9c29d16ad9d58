#include "platform/htmlview/HtmlView.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "ui/HTMLView.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace tessel;

// A text as json.dumps writes it (ASCII, its escapes).
std::string json(const std::u16string& text)
{
    std::string out = "\"";
    for (char16_t c : text) {
        switch (c) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            }
        }
    }
    return out + "\"";
}

struct Link {
    const char16_t* href;
    const char16_t* text;
};

// What tests/peers/html_text.py says a page shows.
std::string shown(
    const std::vector<std::string>& tags, const std::u16string& text, const std::vector<Link>& links)
{
    std::string out = "{\"tags\": [";
    for (std::size_t i = 0; i < tags.size(); ++i)
        out += (i ? ", \"" : "\"") + tags[i] + "\"";
    out += "], \"text\": " + json(text) + ", \"links\": [";
    for (std::size_t i = 0; i < links.size(); ++i)
        out += std::string(i ? ", " : "") + "[" + json(links[i].href) + ", " + json(links[i].text) + "]";
    return out + "]}";
}

// Each page read by Python's html.parser, one output line per page.
std::vector<std::string> readByHtmlParser(
    const TempDeviceRoot& root, const std::vector<std::u16string>& pages)
{
    const std::string input = root.hostPath("pages.jsonl");
    {
        std::ofstream out(input);
        for (const std::u16string& page : pages)
            out << "{\"html\": " << json(page) << "}\n";
    }
    const TestCommandResult run = testRunCommand(
        testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/html_text.py '" + input + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return testLines(run.output);
}

const char* const kContacts = "oid = 1\n"
                              "file-as = <b>'x\n"
                              "email1 = bx@example.com\n"
                              "oid = 2\n"
                              "file-as = Smith, Anna\n"
                              "mobile = +1 (425) 555-0100\n";

TEST(HTMLView, WhatTheTextShowsIsTheTextWithItsAddressesAsLinks)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt", kContacts);
    const std::vector<std::string> body {"body"};
    const std::vector<std::string> linked {"a", "body"};
    struct Case {
        std::u16string input;
        std::string shows;
    };
    const Case cases[] = {
        {u"plain words only", shown(body, u"plain words only", {})},
        {u"a < b & c > d", shown(body, u"a < b & c > d", {})},
        {u"tilde ~ stays ~&amp~", shown(body, u"tilde ~ stays ~&amp~", {})},
        {u"x &; y <imes; z &amp", shown(body, u"x &; y <imes; z &amp", {})},
        {u"<b>bold</b> <script>", shown(body, u"<b>bold</b> <script>", {})},
        {u"one\r\n\r\n\r\ntwo\nthree\rfour", shown({"body", "br"}, u"one\ntwo\nthree\nfour", {})},
        {u"Call 555-1234 now", shown(linked, u"Call 555-1234 now", {{u"tel:555-1234", u"555-1234"}})},
        {u"code 123-456", shown(body, u"code 123-456", {})},
        {u"Due 2026-12-10.", shown(linked, u"Due 2026-12-10.", {{u"tel:2026-12-10.", u"2026-12-10."}})},
        {u"ring 425-555-0100", shown(linked, u"ring Smith, Anna", {{u"tel:425-555-0100", u"Smith, Anna"}})},
        {u"See HTTP://WWW.Example.com/a?b&c then more",
            shown(linked, u"See HTTP://WWW.Example.com/a?b&c then more",
                {{u"url:HTTP://WWW.Example.com/a?b&c", u"HTTP://WWW.Example.com/a?b&c"}})},
        {u"go www.x.com/it's'><b>bold",
            shown(linked, u"go www.x.com/it's'><b>bold", {{u"url:www.x.com/it's'", u"www.x.com/it's'"}})},
        {u"mail bx@example.com please",
            shown(linked, u"mail <b>'x please", {{u"mailto:bx@example.com", u"<b>'x"}})},
        {u"write to A.Nother@Mail.example.org.",
            shown(linked, u"write to A.Nother@Mail.example.org.",
                {{u"mailto:A.Nother@Mail.example.org.", u"A.Nother@Mail.example.org."}})},
        {u"@home, a@ and @b.com", shown(body, u"@home, a@ and @b.com", {})},
        {u"a@b@c.com", shown(linked, u"a@b@c.com", {{u"mailto:a@b", u"a@b"}})},
        // What one pass made, no later pass links again.
        {u"4255550100@x.com",
            shown(linked, u"4255550100@x.com", {{u"mailto:4255550100@x.com", u"4255550100@x.com"}})},
        {u"www.x.com/4255550100 and 4255550100",
            shown(linked, u"www.x.com/4255550100 and Smith, Anna",
                {{u"url:www.x.com/4255550100", u"www.x.com/4255550100"},
                    {u"tel:4255550100", u"Smith, Anna"}})},
    };
    std::vector<std::u16string> pages;
    for (const Case& c : cases) {
        CHTMLView view;
        ui::Dialog host;
        EXPECT_TRUE(host.createModeless(u"Host"));
        EXPECT_TRUE(view.Create(&host, ui::Rect {0, 0, 200, 100}, c.input, 1007, 0xE6E6E6));
        pages.push_back(view.source());
        host.destroy();
    }
    const std::vector<std::string> read = readByHtmlParser(root, pages);
    ASSERT_EQ(read.size(), std::size(cases));
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i], cases[i].shows) << kernel::wideToUtf8(cases[i].input) << "\n"
                                           << kernel::wideToUtf8(pages[i]);
}

TEST(HTMLView, TheMarkupHoldsThePartsEntitiesBreaksAndBody)
{
    TempDeviceRoot root;
    struct Case {
        const char16_t* input;
        const char16_t* html;
    };
    const Case cases[] = {
        {u"a < b & c > d", u"a &lt b &amp c &gt d"},
        {u"~<~", u"~&lt~"},
        {u"1\r\n\r\n\r\n2", u"1<br/>2"},
        {u"1\r\n\r\n\r\n\r\n2\n\n3", u"1<br/>2<br/><br/>3"},
        {u"555-1234", u"<a href='tel:555-1234'>555-1234</a>"},
        {u"x@y.z", u"<a href='mailto:x@y.z'>x@y.z</a>"},
        {u"www.a.b/?q&r'", u"<a href='url:www.a.b/?q&amp;r&#39;'>www.a.b/?q&amp;r&#39;</a>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CHTMLView::ToHtml(c.input), c.html) << kernel::wideToUtf8(c.input);

    ui::Dialog host;
    ASSERT_TRUE(host.createModeless(u"Host"));
    CHTMLView view;
    ASSERT_TRUE(view.Create(&host, ui::Rect {10, 20, 100, 50}, u"", 1100, 0x12AB0C));
    EXPECT_EQ(view.source(), u"") << "an empty text is not set";
    EXPECT_EQ(view.controlId(), CHTMLView::kControlId);
    EXPECT_EQ(view.windowRect(), (ui::Rect {10, 20, 110, 70})) << "right and bottom are the size";
    view.SetText(u"hi");
    EXPECT_EQ(view.source(), u"<body bgcolor=\"#12AB0C\">hi</body>");
    EXPECT_EQ(view.backgroundColor(), 0x12AB0Cu);
    view.Move(ui::Rect {0, 0, 200, 300}, true);
    EXPECT_EQ(view.GetLayoutHeight(), view.layoutHeight() + ui::systemMetric(ui::kMetricHScrollHeight));
    host.destroy();
}

// A parent that reflects the link notification to the view, as the layout
// windows do.
class ReflectingHost : public ui::Dialog {
public:
    CHTMLView view;
    int reflected = 0;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == ui::kWmNotify
            && view.OnChildNotify(*reinterpret_cast<const ui::NotifyHeader*>(lParam)))
            ++reflected;
        return ui::Dialog::windowProc(message, wParam, lParam);
    }
};

TEST(HTMLView, ALinkActivatedClearsTheView)
{
    TempDeviceRoot root;
    ReflectingHost host;
    ASSERT_TRUE(host.createModeless(u"Host"));
    ASSERT_TRUE(host.view.Create(&host, ui::Rect {0, 0, 200, 100}, u"Call 555-1234", 1007, 0xFFFFFF));
    ASSERT_EQ(host.view.links().size(), 1u);
    EXPECT_EQ(host.view.windowProc(ui::kWmKeyDown, ui::kVkDown, 0), 0);
    EXPECT_EQ(host.view.windowProc(ui::kWmKeyDown, ui::kVkReturn, 0), 0);
    EXPECT_EQ(host.reflected, 1);
    EXPECT_TRUE(host.view.links().empty());
    EXPECT_EQ(host.view.layoutHeight(), 0) << "nothing is shown";
    host.destroy();
}

} // namespace
