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
#include <utility>
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
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
            out += std::string("[\"") + name.c_str() + "\", \"" + map.value(name, static_cast<int>(v)).c_str()
                + "\", ";
            const CVXLHeaderMap* params = map.valueObject(name, static_cast<int>(v));
            out += params ? jsonOf(*params) : "null";
            out += "]";
        }
    }
    return out + "]";
}

// One header of a stored segment for the peer: its params are a JSON list of
// [name, value, params] triples, or null.
struct StoredHeader {
    std::string name;
    std::string value;
    std::string params = "null";
};

// A segment for the peer's message-write: [header map, body hex].
inline std::string storedSegment(const std::vector<StoredHeader>& headers, const std::string& body = "")
{
    std::string out = "[[";
    for (std::size_t i = 0; i < headers.size(); ++i)
        out += (i ? ", " : "")
            + ("[\"" + headers[i].name + "\", \"" + headers[i].value + "\", " + headers[i].params + "]");
    return out + "], \"" + testHex(body) + "\"]";
}

// The same for headers without params.
inline std::string segment(
    const std::vector<std::pair<std::string, std::string>>& headers, const std::string& body = "")
{
    std::vector<StoredHeader> named;
    for (const auto& header : headers)
        named.push_back({header.first, header.second});
    return storedSegment(named, body);
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

// Writes a stored message file at path from its segments, through the peer;
// "" when it was written, else the peer's complaint.
inline std::string writeStoredMessage(
    const std::string& scratch, const std::string& path, const std::vector<std::string>& segments)
{
    std::string json = "[";
    for (std::size_t i = 0; i < segments.size(); ++i)
        json += (i ? ", " : "") + segments[i];
    writeHost(scratch, json + "]");
    int status = -1;
    const std::string out = msgstore({"message-write", scratch, path}, &status);
    return status == 0 ? "" : out;
}

// The same, failing the test when the peer refuses; `scratch` is a host path
// for its input.
inline void writeMessageFile(
    const std::string& path, const std::vector<std::string>& segments, const std::string& scratch)
{
    const std::string error = writeStoredMessage(scratch, path, segments);
    ASSERT_EQ(error, "");
}

// The thread database as saved once its pending saves ran, read by the peer.
inline std::string savedThreadDatabase(JobTreeDriver& driver, const CVXLPlatformStore& fileStore)
{
    while (driver.runToNextTimer()) { }
    int status = -1;
    const std::string out = msgstore({"threaddb-read", hostFolderOf(fileStore)}, &status);
    EXPECT_EQ(status, 0) << out;
    return out;
}
