#include "engine/core/base/VXLLog.h"

#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>

TEST(VXLLog, LinesCarryLevelSourceAndTheWholeMessage)
{
    TempDeviceRoot root;
    VXL_LOG_INFO("kept %d of %d pairs", 3, 5);
    std::string longText(2000, 'x');
    VXL_LOG_FAILURE("damaged: %s", longText.c_str());
    VXL_LOG_ASSERTION("unreachable");
    CVXLLog::flush();

    std::string log = root.readFile("log/engine.log");
    EXPECT_NE(log.find(" info VXLLogTest.cpp:"), std::string::npos) << log;
    EXPECT_NE(log.find(" kept 3 of 5 pairs\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" failure VXLLogTest.cpp:"), std::string::npos) << log;
    EXPECT_NE(log.find("damaged: " + longText + "\n"), std::string::npos) << "a long message is cut";
    EXPECT_NE(log.find(" assertion VXLLogTest.cpp:"), std::string::npos) << log;
}

// A peer's text with line breaks cannot forge a record of its own.
TEST(VXLLog, ControlBytesStayInsideTheirLine)
{
    TempDeviceRoot root;
    VXL_LOG_FAILURE("relay said: %s", "bad\n2026-01-01 00:00:00.000 info Forged.cpp:1 sent\r\x7F\t\\ok");
    CVXLLog::flush();
    const std::string log = root.readFile("log/engine.log");
    EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
    EXPECT_NE(
        log.find("relay said: bad\\x0A2026-01-01 00:00:00.000 info Forged.cpp:1 sent\\x0D\\x7F\\x09\\ok\n"),
        std::string::npos)
        << log;
}

TEST(VXLLog, FollowsTheDeviceRoot)
{
    std::string first;
    {
        TempDeviceRoot root;
        VXL_LOG_FAILURE("in the first root");
        first = root.readFile("log/engine.log");
    }
    TempDeviceRoot root;
    VXL_LOG_FAILURE("in the second root");
    std::string second = root.readFile("log/engine.log");
    EXPECT_NE(first.find("in the first root"), std::string::npos);
    EXPECT_EQ(second.find("in the first root"), std::string::npos);
    EXPECT_NE(second.find("in the second root"), std::string::npos) << "failures reach the file at once";
}
