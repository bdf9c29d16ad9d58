#pragma once

// Runs tests/peers/mime_oracle.py (Python's email package) over containers,
// describes split parts in the oracle's form and makes binary filler for
// the containers.

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace mimeoracle {

// `length` bytes that look like binary data, with near misses of delimiters
// mixed in: each pick (of `spread`) below pieces.size() adds that piece, any
// other adds one byte. Never ends in CR or LF, which would join the line end
// that follows into another.
inline std::string filler(std::uint32_t length, std::uint32_t seed, std::uint32_t salt, std::uint32_t spread,
    const std::vector<std::string>& pieces)
{
    std::string out;
    std::uint32_t state = seed * 2654435761u + salt;
    while (out.size() < length) {
        state = state * 1103515245u + 12345u;
        const std::uint32_t pick = (state >> 16) % spread;
        if (pick < pieces.size())
            out += pieces[pick];
        else
            out += static_cast<char>((state >> 8) & 0xFF);
    }
    out.resize(length);
    if (!out.empty() && (out.back() == '\r' || out.back() == '\n'))
        out.back() = 'x';
    return out;
}

struct Container {
    std::string bytes;
    std::string boundary; // without quotes
    bool drm = false;
};

// The oracle's description of each container's parts.
inline std::vector<std::string> oracleParts(const std::vector<Container>& containers)
{
    const std::string dir = ::testing::TempDir() + "mime_oracle_" + std::to_string(::getpid());
    const std::string manifest = dir + ".txt";
    std::vector<std::string> files;
    {
        std::ofstream list(manifest);
        for (std::size_t i = 0; i < containers.size(); ++i) {
            files.push_back(dir + "_" + std::to_string(i) + ".bin");
            std::ofstream(files.back(), std::ios::binary) << containers[i].bytes;
            list << files.back() << ' ' << testHex(containers[i].boundary) << ' '
                 << (containers[i].drm ? 1 : 0) << '\n';
        }
    }
    const std::string command
        = testPython() + " " + TESSEL_SOURCE_DIR "/tests/peers/mime_oracle.py < '" + manifest + "'";
    const TestCommandResult run = testRunCommand(command);
    EXPECT_EQ(run.status, 0) << "the oracle failed: " << command;
    const std::string& output = run.output;
    std::remove(manifest.c_str());
    for (const std::string& file : files)
        std::remove(file.c_str());
    std::vector<std::string> described;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("container ", 0) == 0)
            described.emplace_back();
        else if (!described.empty())
            described.back() += line + '\n';
    }
    return described;
}

// Parts in the oracle's form: headers other than "X-QV-" ones, names in
// lower case, values without quotes, sorted; then the data `dataOf` gives.
inline std::string describe(const std::vector<const CVXLMimeEntity*>& parts,
    const std::function<std::string(const CVXLMimeEntity&)>& dataOf)
{
    std::ostringstream out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        out << "part " << i << '\n';
        std::vector<std::string> lines;
        const CVXLHeaderMap& headers = parts[i]->mimeHeaders();
        for (std::uint32_t n = 0; n < headers.nameCount(); ++n) {
            const CVXLString name = headers.nameAt(static_cast<int>(n));
            std::string lower = name.c_str();
            std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
            if (lower.rfind("x-qv-", 0) == 0)
                continue;
            for (std::uint32_t v = 0; v < headers.valueCount(name); ++v) {
                std::string value = headers.value(name, static_cast<int>(v)).c_str();
                if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                    value = value.substr(1, value.size() - 2);
                lines.push_back("h " + lower + "=" + value);
            }
        }
        std::sort(lines.begin(), lines.end());
        for (const std::string& line : lines)
            out << line << '\n';
        out << "data " << testHex(dataOf(*parts[i])) << '\n';
    }
    return out.str();
}

} // namespace mimeoracle
