#include "ui/WinTSRegistry.h"
#include "platform/kernel/Registry.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tessel::kernel::RegistryHive;

std::vector<std::string> readerSays(const TempDeviceRoot& root, const std::string& key)
{
    const TestCommandResult run
        = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/registry_reader.py '"
            + root.hostPath("registry/HKEY_CURRENT_USER.reg") + "' '" + key + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return testLines(run.output);
}

TEST(WinTSRegistry, TextsAreWrittenAsThePhoneWritesThemAndReadBackWhole)
{
    TempDeviceRoot root;
    registryWrite(u"Compose", u"To:", u"+1 425 555 0100");
    registryWrite(u"Compose", u"Subj:", u"");
    registryWrite(u"", u"Top", u"\u00e9t\u00e9");
    registryWriteDword(u"UIConfig", u"nextTempName", 41);

    EXPECT_EQ(readerSays(root, "Software\\Halvard\\Tessel\\Compose"),
        (std::vector<std::string> {"Software\\Halvard\\Tessel\\Compose\tTo:\ttext\t+1 425 555 0100",
            "Software\\Halvard\\Tessel\\Compose\tSubj:\ttext\t"}));
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(tessel::kernel::registryQueryValue(RegistryHive::CurrentUser,
                  "Software\\Halvard\\Tessel\\Compose", "Subj:", &type, nullptr, &size),
        tessel::kernel::RegistryRead::Ok);
    EXPECT_EQ(size, 2u) << "an empty text is one NUL character";

    std::u16string text;
    EXPECT_TRUE(registryRead(u"Compose", u"To:", &text));
    EXPECT_EQ(text, u"+1 425 555 0100");
    EXPECT_TRUE(registryRead(u"", u"Top", &text));
    EXPECT_EQ(text, u"\u00e9t\u00e9");
    std::uint32_t number = 0;
    EXPECT_TRUE(registryReadDword(u"UIConfig", u"nextTempName", &number, 7));
    EXPECT_EQ(number, 41u);
}

TEST(WinTSRegistry, ReadsAreBoundedTerminatedAndTellWhatIsMissing)
{
    TempDeviceRoot root;
    const std::string key = "Software\\Halvard\\Tessel\\UIConfig";
    std::string long_;
    for (int i = 0; i < 900; ++i)
        long_ += std::string("x\0", 2);
    tessel::kernel::registrySetValue(RegistryHive::CurrentUser, key, "Long", tessel::kernel::kRegText,
        long_.data(), static_cast<std::uint32_t>(long_.size()));
    const std::string inner("a\0b\0\0\0c\0", 8);
    tessel::kernel::registrySetValue(
        RegistryHive::CurrentUser, key, "Inner", tessel::kernel::kRegText, inner.data(), 8);
    const std::string odd("a\0b", 3);
    tessel::kernel::registrySetValue(
        RegistryHive::CurrentUser, key, "Odd", tessel::kernel::kRegText, odd.data(), 3);
    tessel::kernel::registrySetDword(RegistryHive::CurrentUser, key, "Number", 5);

    struct Case {
        const char16_t* name;
        bool read;
        std::u16string text;
    };
    const Case cases[] = {
        {u"Long", true, std::u16string(512, u'x')}, // 1024 bytes, no more
        {u"Inner", true, u"ab"}, // up to the first NUL
        {u"Odd", true, u"a"}, // a trailing half character is dropped
        {u"Number", false, u""}, // not a text
        {u"Missing", false, u""},
    };
    for (const Case& c : cases) {
        std::u16string text = u"stale";
        EXPECT_EQ(registryRead(u"UIConfig", c.name, &text), c.read) << std::string(c.name, c.name + 4);
        EXPECT_EQ(text, c.text);
    }
    std::uint32_t number = 0;
    EXPECT_FALSE(registryReadDword(u"NoSection", u"level", &number, 4));
    EXPECT_EQ(number, 4u);
    EXPECT_TRUE(registryReadDword(u"UIConfig", u"Long", &number, 9)) << "the section exists";
    EXPECT_EQ(number, 9u) << "a text is no DWORD: the default stays";
}

TEST(WinTSRegistry, ValueNamesOfASectionInOrder)
{
    TempDeviceRoot root;
    registryWrite(u"ClientConfig", u"VXLCFG_LANGUAGE", u"en");
    registryWriteDword(u"ClientConfig", u"VXLCFG_TOP_CORRECTION", 3);
    std::u16string name;
    EXPECT_TRUE(registryReadKey(u"ClientConfig", 0, &name));
    EXPECT_EQ(name, u"VXLCFG_LANGUAGE");
    EXPECT_TRUE(registryReadKey(u"ClientConfig", 1, &name));
    EXPECT_EQ(name, u"VXLCFG_TOP_CORRECTION");
    EXPECT_FALSE(registryReadKey(u"ClientConfig", 2, &name));
    EXPECT_FALSE(registryReadKey(u"Nowhere", 0, &name));
}

} // namespace
