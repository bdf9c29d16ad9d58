#pragma once

#include "platform/ui/Compositor.h"
#include "platform/ui/PngFile.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// The colours tests/peers/png_reader.py reads at the spots of the screen.
inline std::vector<std::string> pngColours(
    const TempDeviceRoot& root, const std::vector<std::pair<int, int>>& spots)
{
    tessel::ui::Compositor compositor;
    compositor.compose();
    const std::string file = root.hostPath("screen.png");
    EXPECT_TRUE(tessel::ui::writePng(file, compositor.frame()));
    std::string arguments;
    for (const auto& [x, y] : spots)
        arguments += " " + std::to_string(x) + "," + std::to_string(y);
    const TestCommandResult run = testRunCommand(testPython()
        + " " TESSEL_SOURCE_DIR "/tests/peers/png_reader.py '" + file + "'" + arguments + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    std::vector<std::string> colours;
    for (const std::string& line : testLines(run.output)) {
        const std::size_t blank = line.find(' ');
        if (line.find(',') != std::string::npos && blank != std::string::npos)
            colours.push_back(line.substr(blank + 1));
    }
    return colours;
}
