#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/DeviceFacts.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tessel::kernel {
namespace {

TEST(PhonePathMap, MapsBackslashesAndMixedCaseToTheFilesThatExist)
{
    TempDeviceRoot root;
    root.writeFile("Windows/Tessel.EXE", "x");
    root.writeFile("My Documents/Tessel/_vxl.reg", "x");
    root.makeFolder("Storage Card/Case");
    root.makeFolder("Storage Card/case");
    root.makeFolder("Storage Card/CASE2");

    struct Case {
        const char* phone;
        const char* host; // below the root; null: refused
    } cases[] = {
        {"\\windows\\tessel.exe", "/Windows/Tessel.EXE"},
        {"\\MY DOCUMENTS\\tessel\\_VXL.REG", "/My Documents/Tessel/_vxl.reg"},
        {"My Documents\\Tessel", "/My Documents/Tessel"},
        {"\\\\My Documents\\\\Tessel\\", "/My Documents/Tessel"},
        {"\\My Documents\\New Folder\\Photo.JPG", "/My Documents/New Folder/Photo.JPG"},
        {"\\storage card\\case", "/Storage Card/case"},
        {"\\storage card\\CASE", "/Storage Card/Case"},
        {"\\storage card\\case2", "/Storage Card/CASE2"},
        {"", ""},
        {"\\", ""},
        {"\\..\\etc\\passwd", nullptr},
        {"\\My Documents\\..\\..\\x", nullptr},
        {"\\My Documents\\.\\x", nullptr},
        {"..", nullptr},
        {"/etc/passwd", nullptr},
        {"\\My Documents/x", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phone);
        std::string host;
        bool mapped = mapPhonePath(c.phone, &host);
        ASSERT_EQ(mapped, c.host != nullptr);
        if (mapped) {
            EXPECT_EQ(host, root.path() + c.host);
        }
    }
    std::string host;
    EXPECT_FALSE(mapPhonePath(std::string_view("\\a\0b", 4), &host));
}

TEST(PhonePathMap, RootComesFromTheEnvironmentUnlessSetInProcess)
{
    TempDeviceRoot root;
    EXPECT_EQ(deviceRoot(), root.path());
    setDeviceRoot("");
    EXPECT_EQ(deviceRoot(), root.path()); // from TESSEL_ROOT
    ::setenv("TESSEL_ROOT", "/elsewhere/root/", 1);
    EXPECT_EQ(deviceRoot(), "/elsewhere/root");
    ::unsetenv("TESSEL_ROOT");
    const char* home = std::getenv("HOME");
    std::string savedHome = home ? home : "";
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(deviceRoot(), "/home/someone/.local/share/tessel");
    ::setenv("HOME", savedHome.c_str(), 1);
    setDeviceRoot(root.path());
}

TEST(DeviceConf, DefaultsAndValuesWithCommentsAndBlanks)
{
    TempDeviceRoot root;
    DeviceFacts defaults = deviceFacts();
    EXPECT_FALSE(defaults.pocketPc);
    EXPECT_TRUE(defaults.memoryCardPresent);
    EXPECT_TRUE(defaults.cellularAvailable);
    EXPECT_EQ(defaults.connection, "up");
    EXPECT_FALSE(defaults.phoneNumber.empty());

    root.writeDeviceConf("# a test phone\n"
                         "platform = pocketpc\n"
                         "screen.width=480   # wide\n"
                         "  phone.operator =  Big Carrier  \n"
                         "card.present = 0\n"
                         "cellular.available = 0\n"
                         "connection = refuse\n"
                         "no equals sign here\n"
                         "custom.key = kept\n");
    DeviceFacts facts = deviceFacts();
    EXPECT_TRUE(facts.pocketPc);
    EXPECT_EQ(facts.screenWidth, 480);
    EXPECT_EQ(facts.screenHeight, defaults.screenHeight);
    EXPECT_EQ(facts.operatorName, "Big Carrier");
    EXPECT_FALSE(facts.memoryCardPresent);
    EXPECT_FALSE(facts.cellularAvailable);
    EXPECT_EQ(facts.connection, "refuse");
    EXPECT_EQ(deviceFact("custom.key", "none"), "kept");
    EXPECT_EQ(deviceFact("missing.key", "none"), "none");
}

// Each damaged line: what is read, and the line in log/device.log.
TEST(DeviceConf, DamagedLinesAreRefusedWholeAndLogged)
{
    // Puts "custom.key=tail" just past the first 1,023 bytes.
    const std::string longValue(1023 - 17, 'n');
    struct Case {
        const char* what;
        std::string conf;
        int width;
        bool cardPresent;
        const char* customKey; // deviceFact("custom.key")
        const char* log; // empty: nothing logged
    } cases[] = {
        {"a long line stays one line",
            "phone.operator = " + longValue + "custom.key=tail\nscreen.width=200\n", 200, true, "none", ""},
        {"a line over the limit is dropped whole",
            "custom.key = " + std::string(70 * 1024, 'x') + "\nscreen.width = 300\n", 300, true, "none",
            "line 1 longer than 65536 bytes ignored"},
        {"a number with letters", "screen.width = 12abc\n", 240, true, "none",
            "bad number for screen.width: \"12abc\"; kept 240"},
        {"a negative size", "screen.width = -1\n", 240, true, "none", "bad number for screen.width"},
        {"a number too large", "screen.width = 99999999999\n", 240, true, "none",
            "bad number for screen.width"},
        {"a flag that is not 0 or 1", "card.present = yes\ncustom.key = kept\n", 240, true, "kept",
            "bad number for card.present: \"yes\"; kept 1"},
        {"no newline at the end", "card.present = 0", 240, false, "none", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        root.writeDeviceConf(c.conf);
        const DeviceFacts facts = deviceFacts();
        EXPECT_EQ(facts.screenWidth, c.width);
        EXPECT_EQ(facts.memoryCardPresent, c.cardPresent);
        EXPECT_EQ(deviceFact("custom.key", "none"), c.customKey);
        const std::string log = root.readFile("log/device.log");
        if (*c.log) {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        } else {
            EXPECT_EQ(log, "");
        }
    }
}

} // namespace
} // namespace tessel::kernel
