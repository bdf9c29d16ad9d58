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
