#include "platform/phone/CallLog.h"
#include "platform/phone/DeviceControl.h"
#include "platform/phone/TelephonyLine.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel::phone {
namespace {

TEST(TelephonyLine, TheCellularLineAnswersTheConfiguredNumberOrNone)
{
    TempDeviceRoot root;
    struct Case {
        const char* conf;
        bool known;
        const char* number;
    };
    const Case cases[] = {
        {"", true, "4255550100"},
        {"phone.number = 12065550123\n", true, "12065550123"},
        {"phone.number =\n", false, ""},
    };
    for (const Case& c : cases) {
        root.writeDeviceConf(c.conf);
        ASSERT_EQ(lineInitialize("ExTapi_Lib"), 1u);
        std::string name;
        ASSERT_TRUE(lineDeviceName(0, &name));
        EXPECT_EQ(name, "Cellular Line");
        EXPECT_FALSE(lineDeviceName(1, &name));
        std::string number;
        EXPECT_EQ(lineAddressNumber(0, 0, &number), c.known) << c.conf;
        EXPECT_EQ(number, c.number) << c.conf;
        EXPECT_FALSE(lineAddressNumber(0, 1, &number));
    }
}

TEST(CallLog, EntriesAreReadNewestFirstAndSoughtByIndex)
{
    TempDeviceRoot root;
    CallLog log;
    ASSERT_TRUE(log.open());
    EXPECT_EQ(log.count(), 0u) << "no file, no calls";
    root.writeFile("calllog.txt",
        "# newest first\n"
        "4255550100\tAnna Smith\n"
        "\n"
        "\tNo number\n"
        "+1 206 555 0199\r\n");
    ASSERT_TRUE(log.open());
    ASSERT_EQ(log.count(), 2u);
    CallLogEntry entry;
    ASSERT_TRUE(log.seek(1));
    ASSERT_TRUE(log.next(&entry));
    EXPECT_EQ(entry.number, "+1 206 555 0199");
    EXPECT_EQ(entry.name, "");
    EXPECT_FALSE(log.next(&entry));
    ASSERT_TRUE(log.seek(0));
    ASSERT_TRUE(log.next(&entry));
    EXPECT_EQ(entry.number, "4255550100");
    EXPECT_EQ(entry.name, "Anna Smith");
    EXPECT_FALSE(log.seek(2));
    EXPECT_EQ(root.readFile("log/phone.log"), "calllog.txt line 4: no number; skipped\n");
}

TEST(DeviceControl, TheCardIsThereWhileItIsInAndARebootIsOnlyRecorded)
{
    TempDeviceRoot root;
    std::string card;
    root.writeDeviceConf("card.present = 0\n");
    EXPECT_FALSE(firstFlashCard(&card));
    EXPECT_EQ(card, "");
    root.writeDeviceConf("card.present = 1\n");
    ASSERT_TRUE(firstFlashCard(&card));
    EXPECT_EQ(card, "\\Storage Card");
    EXPECT_TRUE(root.exists("Storage Card"));

    EXPECT_FALSE(kernelIoControl(0x01010040));
    EXPECT_EQ(root.readFile("log/reboot.log"), "");
    EXPECT_TRUE(kernelIoControl(0x0101003C));
    EXPECT_EQ(root.readFile("log/reboot.log"), "reboot\n");
}

} // namespace
} // namespace tessel::phone
