#include "platform/kernel/Registry.h"
#include "platform/kernel/Process.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace tessel::kernel {
namespace {

constexpr auto kUser = RegistryHive::CurrentUser;
constexpr auto kMachine = RegistryHive::LocalMachine;
constexpr const char* kCompose = "Software\\Halvard\\Tessel\\Compose";

std::string rawValue(RegistryHive hive, const char* key, const char* name, std::uint32_t* type)
{
    std::uint32_t size = 0;
    if (registryQueryValue(hive, key, name, type, nullptr, &size) != RegistryRead::Ok)
        return "<missing>";
    std::string bytes(size, '\0');
    EXPECT_EQ(registryQueryValue(hive, key, name, type, bytes.data(), &size), RegistryRead::Ok);
    return bytes;
}

TEST(Registry, ValuesKeepTheirTypeAndBytesAndNamesIgnoreCase)
{
    TempDeviceRoot root;
    const std::string odd("\x01\x00\xff\x7f", 4);
    // A lone surrogate cannot be written as text in the file; it must still
    // come back byte for byte.
    const std::string loneSurrogate("A\0\x00\xD8", 4);
    const std::string withNul = std::string("a\0b\0\0\0c\0", 8);
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    } cases[] = {
        {"To:", kRegText, std::string("C\0o\0n\0f\0i\0g\0u\0r\0e\0", 18)},
        {"Empty", kRegText, std::string("\0\0", 2)},
        {"WithNul", kRegText, withNul},
        {"Emoji \xF0\x9F\x98\x80", kRegText, std::string("=\xD8\x00\xDE", 4)},
        {"Lone", kRegText, loneSurrogate},
        {"Count", kRegDword, std::string("\x2A\0\0\0", 4)},
        {"ShortDword", kRegDword, std::string("\x01\x02", 2)},
        {"Blob", kRegBinary, odd},
        {"EmptyBlob", kRegBinary, std::string()},
        {"Odd type", 7, odd},
        {"tab\tpercent%newline\nname", kRegText, std::string("x\0", 2)},
        {"[looks like a key", kRegText, std::string("y\0", 2)},
        {"#looks like a comment", kRegText, std::string("z\0", 2)},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(registrySetValue(
            kUser, kCompose, c.name, c.type, c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size())))
            << c.name;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t type = 0;
        EXPECT_EQ(rawValue(kUser, kCompose, c.name, &type), c.bytes);
        EXPECT_EQ(type, c.type);
    }

    std::uint32_t type = 0;
    EXPECT_EQ(rawValue(kUser, "SOFTWARE\\halvard\\TESSEL\\compose", "to:", &type), cases[0].bytes);
    EXPECT_EQ(rawValue(kUser, kCompose, "Nothing", &type), "<missing>");
    EXPECT_EQ(rawValue(kUser, "Software\\Other", "To:", &type), "<missing>");
    EXPECT_EQ(rawValue(kMachine, kCompose, "To:", &type), "<missing>");

    char small[4];
    std::uint32_t size = sizeof small;
    EXPECT_EQ(registryQueryValue(kUser, kCompose, "To:", &type, small, &size), RegistryRead::MoreData);
    EXPECT_EQ(size, 18u);
}

TEST(Registry, TextHelpersKeysEnumerationAndDeletion)
{
    TempDeviceRoot root;
    EXPECT_TRUE(registrySetText(kUser, kCompose, "Media:", ""));
    std::uint32_t type = 0;
    EXPECT_EQ(rawValue(kUser, kCompose, "Media:", &type), std::string(2, '\0'))
        << "an empty text is stored as one NUL character";
    EXPECT_TRUE(registrySetText(kUser, kCompose, "Subj:", "Caf\xC3\xA9 \xE2\x82\xAC"));
    EXPECT_EQ(rawValue(kUser, kCompose, "Subj:", &type), std::string("C\0a\0f\0\xE9\0 \0\xAC\x20", 12));
    std::string text = "stale";
    EXPECT_TRUE(registryQueryText(kUser, kCompose, "Subj:", &text));
    EXPECT_EQ(text, "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_TRUE(registryQueryText(kUser, kCompose, "Media:", &text));
    EXPECT_EQ(text, "");
    // Readers stop at the first NUL whatever the writer stored after it.
    const std::string terminated("a\0b\0\0\0z\0", 8);
    registrySetValue(kUser, kCompose, "Class", kRegText, terminated.data(), 8);
    EXPECT_TRUE(registryQueryText(kUser, kCompose, "Class", &text));
    EXPECT_EQ(text, "ab");

    EXPECT_TRUE(registrySetDword(kUser, "Software\\Halvard\\Tessel\\Debug", "level", 4));
    std::uint32_t level = 0;
    EXPECT_TRUE(registryQueryDword(kUser, "Software\\Halvard\\Tessel\\Debug", "LEVEL", &level));
    EXPECT_EQ(level, 4u);
    EXPECT_FALSE(registryQueryDword(kUser, kCompose, "Subj:", &level));
    EXPECT_FALSE(registryQueryText(kUser, "Software\\Halvard\\Tessel\\Debug", "level", &text));

    EXPECT_TRUE(registryKeyExists(kUser, "Software\\Halvard"));
    EXPECT_FALSE(registryKeyExists(kUser, "Software\\Halvard\\Tessel\\Fonts"));
    EXPECT_TRUE(registryCreateKey(kUser, "Software\\Halvard\\Tessel\\Font\\MainMenu"));
    EXPECT_TRUE(registryKeyExists(kUser, "software\\halvard\\tessel\\font"));

    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; registryValueName(kUser, kCompose, i, &name); ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string> {"Media:", "Subj:", "Class"}));
    EXPECT_TRUE(registrySetText(kUser, kCompose, "MEDIA:", "again"));
    EXPECT_TRUE(registryValueName(kUser, kCompose, 0, &name));
    EXPECT_EQ(name, "Media:") << "replacing a value keeps its place and first spelling";

    EXPECT_TRUE(registryDeleteValue(kUser, kCompose, "subj:"));
    EXPECT_FALSE(registryDeleteValue(kUser, kCompose, "subj:"));
    EXPECT_FALSE(registryQueryText(kUser, kCompose, "Subj:", &text));
}

TEST(Registry, HandEditedFileWithBrokenLinesStillReads)
{
    TempDeviceRoot root;
    root.writeFile("registry/HKEY_CURRENT_USER.reg",
        "# edited by hand\r\n"
        "value before any key\ttext\tlost\n"
        "[Software\\Halvard\\Tessel\\ClientConfig]\r\n"
        "VXLCFG_SERVER_URI\ttext\thttp://127.0.0.1:8080/%25x\r\n"
        "VXLCFG_AUTO_DELETE\tdword\t0x10\n"
        "broken line without tabs\n"
        "Bad dword\tdword\t12abc\n"
        "Bad hex\thex\t0g\n"
        "[unterminated key\n"
        "After bad key\ttext\tlost too\n");
    std::string text;
    EXPECT_TRUE(
        registryQueryText(kUser, "Software\\Halvard\\Tessel\\ClientConfig", "VXLCFG_SERVER_URI", &text));
    EXPECT_EQ(text, "http://127.0.0.1:8080/%x");
    std::uint32_t value = 0;
    EXPECT_TRUE(
        registryQueryDword(kUser, "Software\\Halvard\\Tessel\\ClientConfig", "VXLCFG_AUTO_DELETE", &value));
    EXPECT_EQ(value, 16u);
    EXPECT_FALSE(registryQueryDword(kUser, "Software\\Halvard\\Tessel\\ClientConfig", "Bad dword", &value));
    std::string name;
    EXPECT_FALSE(registryValueName(kUser, "Software\\Halvard\\Tessel\\ClientConfig", 2, &name));
    // A write keeps what was readable.
    EXPECT_TRUE(registrySetText(kUser, "Software\\Halvard\\Tessel\\ClientConfig", "New", "v"));
    EXPECT_TRUE(
        registryQueryText(kUser, "Software\\Halvard\\Tessel\\ClientConfig", "VXLCFG_SERVER_URI", &text));
    EXPECT_EQ(text, "http://127.0.0.1:8080/%x");
}

// Each damage of the hive file: what a read sees, what a write leaves, what
// is kept aside and the log line.
TEST(Registry, DamagedHivesAreNeverRewrittenFromLess)
{
    const std::string good = "[Software\\Halvard\\Tessel\\Path]\nFileStore\ttext\t\\Engine\n";
    struct Case {
        const char* what;
        std::string contents; // empty: a folder stands where the file should be
        bool readable; // the value reads back
        bool written; // a write goes through
        bool keptAside; // the hive as it was is in HKEY_CURRENT_USER.reg.bad
        const char* log;
    } cases[] = {
        {"intact", good, true, true, false, nullptr},
        {"cut inside a value line", good.substr(0, good.find("\ttext")), false, true, true,
            "1 malformed lines kept"},
        {"cut inside a key line", good.substr(0, 10), false, true, true, "1 malformed lines kept"},
        {"binary garbage", std::string("\x01\xff\x00[\x02\n\x7f\tzz", 10), false, true, true,
            "malformed lines kept"},
        {"cannot be read", "", false, false, false, "unreadable hive HKEY_CURRENT_USER.reg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        if (c.contents.empty())
            root.makeFolder("registry/HKEY_CURRENT_USER.reg/x");
        else
            root.writeFile("registry/HKEY_CURRENT_USER.reg", c.contents);
        std::string text;
        EXPECT_EQ(
            registryQueryText(kUser, "Software\\Halvard\\Tessel\\Path", "FileStore", &text), c.readable);
        EXPECT_EQ(registrySetText(kUser, kCompose, "To", "someone"), c.written);
        EXPECT_EQ(root.exists("registry/HKEY_CURRENT_USER.reg.bad"), c.keptAside);
        if (c.keptAside) {
            EXPECT_EQ(root.readFile("registry/HKEY_CURRENT_USER.reg.bad"), c.contents);
        }
        if (c.contents.empty()) {
            EXPECT_TRUE(root.exists("registry/HKEY_CURRENT_USER.reg/x")) << "a failed read changes nothing";
        }
        const std::string log = root.readFile("log/registry.log");
        if (c.log) {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        } else {
            EXPECT_EQ(log, "");
        }
        EXPECT_FALSE(root.exists("registry/HKEY_CURRENT_USER.reg.tmp"));
    }
}

TEST(Registry, PhoneStateComesFromTheDeviceUnlessTheFileSaysOtherwise)
{
    TempDeviceRoot root;
    constexpr const char* kPhone = "System\\State\\Phone";
    std::uint32_t available = 7;
    EXPECT_TRUE(registryQueryDword(kMachine, kPhone, "Cellular System Available", &available));
    EXPECT_EQ(available, 1u);
    root.writeDeviceConf("cellular.available = 0\nphone.operator = Night Owl Mobile\n");
    EXPECT_TRUE(
        registryQueryDword(kMachine, "system\\state\\phone", "cellular system available", &available));
    EXPECT_EQ(available, 0u);
    std::string name;
    EXPECT_TRUE(registryQueryText(kMachine, kPhone, "Current Operator Name", &name));
    EXPECT_EQ(name, "Night Owl Mobile");
    EXPECT_FALSE(registryQueryText(kUser, kPhone, "Current Operator Name", &name));

    EXPECT_TRUE(registrySetDword(kMachine, kPhone, "Cellular System Available", 1));
    EXPECT_TRUE(registryQueryDword(kMachine, kPhone, "Cellular System Available", &available));
    EXPECT_EQ(available, 1u);
}

TEST(Registry, ValuesWrittenByOneProcessAreReadByAnother)
{
    TempDeviceRoot root;
    const std::string probe = root.installTool("kernelprobe");
    int exitCode = -1;

    int pid = startProcess(probe, {"reg-set", kCompose, "To:", "from the child \xE2\x9C\x93"});
    ASSERT_GT(pid, 0);
    ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
    ASSERT_EQ(exitCode, 0);
    std::string text;
    EXPECT_TRUE(registryQueryText(kUser, kCompose, "to:", &text));
    EXPECT_EQ(text, "from the child \xE2\x9C\x93");

    ASSERT_TRUE(registrySetText(kUser, kCompose, "Class", "IPM.SMSText.Tessel"));
    for (const char* expected : {"IPM.SMSText.Tessel", "something else"}) {
        pid = startProcess(probe, {"reg-expect", kCompose, "CLASS", expected});
        ASSERT_EQ(waitProcess(pid, 10000, &exitCode), ProcessWait::Exited);
        EXPECT_EQ(exitCode, std::strcmp(expected, "IPM.SMSText.Tessel") == 0 ? 0 : 1) << expected;
    }
}

TEST(Registry, ConcurrentWritersInSeveralProcessesLoseNothing)
{
    TempDeviceRoot root;
    const std::string probe = root.installTool("kernelprobe");
    constexpr int kProcesses = 4;
    constexpr int kThreads = 2;
    constexpr int kValuesEach = 30;
    constexpr const char* kKey = "Software\\Halvard\\Tessel\\Recent";

    std::vector<int> pids;
    for (int p = 0; p < kProcesses; ++p)
        pids.push_back(startProcess(
            probe, {"reg-fill", kKey, "p" + std::to_string(p) + "_", std::to_string(kValuesEach)}));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kValuesEach; ++i)
                registrySetText(
                    kUser, kKey, "t" + std::to_string(t) + "_" + std::to_string(i), std::to_string(i));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int pid : pids) {
        int exitCode = -1;
        ASSERT_EQ(waitProcess(pid, 30000, &exitCode), ProcessWait::Exited);
        EXPECT_EQ(exitCode, 0);
    }

    int count = 0;
    std::string name;
    while (registryValueName(kUser, kKey, static_cast<std::uint32_t>(count), &name))
        ++count;
    EXPECT_EQ(count, (kProcesses + kThreads) * kValuesEach);
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kValuesEach; ++i) {
            std::string text;
            ASSERT_TRUE(
                registryQueryText(kUser, kKey, "p" + std::to_string(p) + "_" + std::to_string(i), &text));
            EXPECT_EQ(text, std::to_string(i));
        }
    }
    EXPECT_FALSE(root.exists("registry/HKEY_CURRENT_USER.reg.tmp")) << "no temporary file is left behind";
}

} // namespace
} // namespace tessel::kernel
