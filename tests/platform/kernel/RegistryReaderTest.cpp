#include "platform/kernel/Registry.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessel::kernel {
namespace {

constexpr const char* kCompose = "Software\\Halvard\\Tessel\\Compose";

// What tests/peers/registry_reader.py reads of the current user's hive.
std::vector<std::string> readerSays(const TempDeviceRoot& root, const std::string& key)
{
    const TestCommandResult run
        = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/registry_reader.py '"
            + root.hostPath("registry/HKEY_CURRENT_USER.reg") + "' '" + key + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return testLines(run.output);
}

TEST(RegistryReader, ReadsEveryKindOfValueAsTheRegistryWroteIt)
{
    TempDeviceRoot root;
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
        const char* shown; // kind<TAB>data as the reader prints it
    };
    const Case cases[] = {
        {"Media:", kRegText, std::string("\\\0M\0y\0 \0P\0", 10), "text\t\\My P"},
        {"To:", kRegText, std::string("\0\0", 2), "text\t"}, // an empty text is one NUL
        {"Subj:", kRegText, std::string("%\0\t\0[\0\xe9\0", 8), "text\t%\\x09[\u00e9"},
        {"[Odd", kRegText, std::string("a\0b\0\0\0c\0", 8), "text\tab"},
        {"FastStartup", kRegDword, std::string("\x2a\x01\0\0", 4), "dword\t298"},
        {"Icon", kRegBinary, std::string("\x00\xff\x10", 3), "hex\t00ff10"},
        {"Multi", 7, std::string("a\0\0\0", 4), "hex(7)\t61000000"},
        {"Half", kRegText, std::string("\x00\xd8", 2), "hex(1)\t00d8"}, // a lone surrogate is kept as bytes
    };
    for (const Case& c : cases)
        ASSERT_TRUE(registrySetValue(RegistryHive::CurrentUser, kCompose, c.name, c.type, c.data.data(),
            static_cast<std::uint32_t>(c.data.size())))
            << c.name;
    ASSERT_TRUE(registrySetText(RegistryHive::CurrentUser, "Software\\Other", "Class", "elsewhere"));
    const std::vector<std::string> lines = readerSays(root, "software\\halvard\\TESSEL\\compose");
    ASSERT_EQ(lines.size(), std::size(cases));
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], std::string(kCompose) + "\t" + cases[i].name + "\t" + cases[i].shown)
            << cases[i].name;
}

} // namespace
} // namespace tessel::kernel
