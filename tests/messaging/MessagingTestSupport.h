#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The stored-format peer, tests/peers/msgstore.py, and small byte helpers.
// Arguments are quoted for the shell (device roots have spaces in paths).
inline std::string msgstore(const std::vector<std::string>& arguments, int* status = nullptr)
{
    std::string line = testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/msgstore.py'";
    for (const std::string& argument : arguments)
        line += " '" + argument + "'";
    TestCommandResult result = testRunCommand(line + " 2>&1");
    if (status)
        *status = result.status;
    while (!result.output.empty() && result.output.back() == '\n')
        result.output.pop_back();
    return result.output;
}

inline CVXLByteBuffer bytesOf(const std::string& text)
{
    CVXLByteBuffer buffer;
    buffer.append(text.data(), static_cast<std::uint32_t>(text.size()));
    return buffer;
}

inline std::string stringOf(const CVXLByteBuffer& buffer)
{
    return buffer.length() ? std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length()) : "";
}

inline void writeHost(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readHost(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A header map as the peer prints it (json.dumps of [name, value, params]
// lists); printable ASCII texts only.
inline std::string jsonOf(const CVXLHeaderMap& map)
{
    std::string out = "[";
    bool first = true;
    for (std::uint32_t n = 0; n < map.nameCount(); ++n) {
        const CVXLString name = map.nameAt(static_cast<int>(n));
        for (std::uint32_t v = 0; v < map.valueCount(name); ++v) {
            out += first ? "" : ", ";
            first = false;
            out += std::string("[\"") + name.c_str() + "\", \"" + map.value(name, static_cast<int>(v)).c_str() + "\", ";
            const CVXLHeaderMap* params = map.valueObject(name, static_cast<int>(v));
            out += params ? jsonOf(*params) : "null";
            out += "]";
        }
    }
    return out + "]";
}

// A segment for the peer's message-write: [header map, body hex].
inline std::string segment(const std::vector<std::pair<std::string, std::string>>& headers, const std::string& body = "")
{
    std::string out = "[[";
    for (std::size_t i = 0; i < headers.size(); ++i)
        out += (i ? ", " : "") + ("[\"" + headers[i].first + "\", \"" + headers[i].second + "\", null]");
    std::string hex;
    static const char* digits = "0123456789abcdef";
    for (unsigned char c : body) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return out + "], \"" + hex + "\"]";
}

// The host folder of a platform store.
inline std::string hostFolderOf(const CVXLPlatformStore& store)
{
    CVXLString host;
    platformHostPath(store.folder(), &host);
    return host.c_str();
}

inline bool hostFileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Writes a message file of the segments through the peer; `scratch` is a
// host path for its input.
inline void writeMessageFile(const std::string& path, const std::vector<std::string>& segments, const std::string& scratch)
{
    std::string json = "[";
    for (std::size_t i = 0; i < segments.size(); ++i)
        json += (i ? ", " : "") + segments[i];
    writeHost(scratch, json + "]");
    int status = -1;
    const std::string out = msgstore({ "message-write", scratch, path }, &status);
    ASSERT_EQ(status, 0) << out;
}

// The thread database as saved once its pending saves ran, read by the peer.
inline std::string savedThreadDatabase(JobTreeDriver& driver, const CVXLPlatformStore& fileStore)
{
    while (driver.runToNextTimer()) {
    }
    int status = -1;
    const std::string out = msgstore({ "threaddb-read", hostFolderOf(fileStore) }, &status);
    EXPECT_EQ(status, 0) << out;
    return out;
}
