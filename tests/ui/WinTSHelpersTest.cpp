#include "ui/WinTSHelpers.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Font.h"
#include "platform/ui/Notification.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WinTSHelpers, FontsComeFromTheirRegistryKeyScaled)
{
    TempDeviceRoot root;
    registryWriteDword(u"Font\\MainMenu", u"scale", 150);
    registryWriteDword(u"Font\\MainMenu", u"lfHeight", 20);
    registryWriteDword(u"Font\\MainMenu", u"lfWeight", 700);
    registryWriteDword(u"Font\\MainMenu", u"lfItalic", 0x101); // kept in an 8-bit field
    registryWrite(u"Font\\MainMenu", u"lfFaceName", u"DejaVu Sans Mono");
    registryWriteDword(u"Font\\Small", u"scale", 50);

    LogFont system;
    LoadFontFromRegistry(u"Absent", &system);
    EXPECT_GT(system.lfHeight, 0) << "the system font's height, made positive";
    EXPECT_EQ(system.lfFaceName, tessel::ui::Font::system()->description().faceName);

    struct Case {
        const char16_t* name;
        std::int32_t height;
        std::int32_t weight;
        std::uint8_t italic;
        std::u16string face;
    };
    const Case cases[] = {
        {u"MainMenu", 30, 700, 1, u"DejaVu Sans Mono"},
        {u"Small", system.lfHeight * 50 / 100, system.lfWeight, 0, system.lfFaceName},
        {u"Absent", system.lfHeight, system.lfWeight, 0, system.lfFaceName},
    };
    for (const Case& c : cases) {
        LogFont font;
        EXPECT_EQ(LoadFontFromRegistry(c.name, &font), 0);
        EXPECT_EQ(font.lfHeight, c.height) << tessel::kernel::wideToUtf8(c.name);
        EXPECT_EQ(font.lfWeight, c.weight);
        EXPECT_EQ(font.lfItalic, c.italic);
        EXPECT_EQ(font.lfFaceName, c.face);
    }
}

TEST(WinTSHelpers, NormalizeAddressKeepsTheAddressProper)
{
    struct Case {
        const char16_t* address;
        const char16_t* normal;
    };
    const Case cases[] = {
        {u"+1 (425) 555-0100", u"4255550100"},
        {u"0044 20 7946 0958", u"2079460958"},
        {u"555-0100", u"5550100"},
        {u"Anna Smith <Anna.Smith@Example.COM>", u"anna.smith@example.com"},
        {u"mailto:bob_b+tag@mail.example.org, next", u"bob_b+tag@mail.example.org"},
        {u"a@b@c.d", u"a@b@c.d"},
        {u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizeAddress(c.address), c.normal) << tessel::kernel::wideToUtf8(c.address);
}

TEST(WinTSHelpers, ANoticeShowsPlainTextAsTextWithItsLineBreak)
{
    TempDeviceRoot root;
    ShowHtmlNotification(u"a<b\nc & d>");
    ASSERT_TRUE(tessel::ui::Notification::current());
    EXPECT_TRUE(HtmlNotificationShown());
    // What the notification holds, parsed by Python's own HTML parser.
    const std::string html = root.readFile("log/notify.log");
    ASSERT_EQ(html.rfind("Tessel: ", 0), 0u) << html;
    const std::string script = "import sys, html.parser\n"
                               "class P(html.parser.HTMLParser):\n"
                               "    def handle_starttag(self, tag, attrs): print('tag', tag)\n"
                               "    def handle_data(self, data): print('data', data)\n"
                               "p = P(convert_charrefs=True); p.feed(open(sys.argv[1]).read()[len('Tessel: "
                               "'):].rstrip('\\n')); p.close()\n";
    root.writeFile("parse.py", script);
    const TestCommandResult run = testRunCommand(
        testPython() + " '" + root.hostPath("parse.py") + "' '" + root.hostPath("log/notify.log") + "' 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testLines(run.output),
        (std::vector<std::string> {"tag html", "tag body", "data a<b", "tag br", "data c & d>"}));
    DismissHtmlNotification();
    EXPECT_FALSE(tessel::ui::Notification::current());
    EXPECT_FALSE(HtmlNotificationShown());
}

TEST(WinTSHelpers, ContactNamesByPhoneThenByMail)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt",
        "oid = 1\nfile-as = Smith, Anna\nmobile = +1 (425) 555-0100\n"
        "oid = 2\nfile-as = Jones, Bob\nemail1 = bob@example.com\n");
    struct Case {
        const char16_t* address;
        bool found;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"4255550100", true, u"Smith, Anna"},
        {u"BOB@example.com", true, u"Jones, Bob"},
        {u"carol@example.com", false, u"carol@example.com"},
    };
    for (const Case& c : cases) {
        std::u16string name = u"stale";
        EXPECT_EQ(LookupContactName(c.address, &name), c.found) << tessel::kernel::wideToUtf8(c.address);
        EXPECT_EQ(name, c.name);
    }
}

TEST(WinTSHelpers, SmallConversions)
{
    char buffer[8];
    EXPECT_STREQ(WideToMultiByte(buffer, u"h\u00e9", sizeof buffer), "h\xc3\xa9");
    EXPECT_EQ(WideToMultiByte(buffer, u"too long text", sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "") << "nothing half-written";
    EXPECT_EQ(WideToMultiByte(nullptr, u"x", 4), nullptr);
    EXPECT_EQ(WideToMultiByte(buffer, nullptr, 4), nullptr);
    EXPECT_EQ(FindLastChar(u"\\a\\b.jpg", u'\\'), 2u);
    EXPECT_EQ(FindLastChar(u"abc", u'\\'), std::nullopt);
}

} // namespace
