#pragma once

// Helpers shared by the WSP/MMS codec tests: sample files, the tshark
// oracle (tests/peers/mms_tshark.py), and a rendering of a decoded PDU in
// the oracle's line format so the two can be compared.

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspTables.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace mmstest {

using Bytes = std::vector<std::uint8_t>;

// The sample PDUs, written by tests/transport/mms/data/make_pdus.py.
inline std::string sampleDir()
{
    return TESSEL_SOURCE_DIR "/tests/transport/mms/data";
}
inline std::string samplePath(const std::string& name)
{
    return sampleDir() + "/" + name;
}

// A sample's bytes; a missing or empty file fails with its path.
inline ::testing::AssertionResult readSample(const std::string& name, Bytes& out)
{
    const std::string path = samplePath(name);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ::testing::AssertionFailure() << "missing fixture " << path;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (out.empty())
        return ::testing::AssertionFailure() << "empty fixture " << path;
    return ::testing::AssertionSuccess();
}

// For tables of cases: a missing sample fails the test and reads as no bytes.
inline Bytes sampleBytes(const std::string& name)
{
    Bytes out;
    EXPECT_TRUE(readSample(name, out));
    return out;
}

inline const char* kSamples[] = {
    "acknowledge_ind.mms",
    "example_notification_ind.mms",
    "mbox_delete_req.mms",
    "mbox_descr.mms",
    "mbox_view_conf.mms",
    "mbox_view_req.mms",
    "notification_ind.mms",
    "notifyresp_ind.mms",
    "retrieve_conf.mms",
    "send_conf.mms",
    "send_req.mms",
};

// The oracle's lines for each of several PDUs, all read by one tshark run.
// Callers first require testToolTshark(); an oracle that then does not run is
// a test failure, never an empty answer.
inline std::vector<std::vector<std::string>> runOracleAll(const std::vector<Bytes>& pdus)
{
    std::vector<std::vector<std::string>> answers(pdus.size());
    if (pdus.empty())
        return answers;
    char dir[] = "/tmp/mms-oracle-XXXXXX";
    if (!mkdtemp(dir)) {
        ADD_FAILURE() << "no temporary folder for the oracle";
        return answers;
    }
    std::string command = testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/mms_tshark.py";
    std::vector<std::string> paths;
    bool written = true;
    for (std::size_t i = 0; i < pdus.size(); ++i) {
        paths.push_back(std::string(dir) + "/" + std::to_string(i) + ".mms");
        std::ofstream out(paths.back(), std::ios::binary);
        out.write(
            reinterpret_cast<const char*>(pdus[i].data()), static_cast<std::streamsize>(pdus[i].size()));
        written = written && out.good();
        command += " " + paths.back();
    }
    if (written) {
        const TestCommandResult run = testRunCommand(command + " 2>&1");
        if (run.status != 0)
            ADD_FAILURE() << "mms_tshark.py exited with " << run.status << ":\n" << run.output;
        // With several PDUs each one's block starts with "pdu <index>.mms".
        std::size_t at = pdus.size() == 1 ? 0 : pdus.size();
        for (const std::string& line : testLines(run.output)) {
            if (pdus.size() > 1 && line.rfind("pdu ", 0) == 0)
                at = std::strtoul(line.c_str() + 4, nullptr, 10);
            else if (at < answers.size())
                answers[at].push_back(line);
        }
    } else {
        ADD_FAILURE() << "cannot write the PDUs under " << dir;
    }
    for (const std::string& path : paths)
        unlink(path.c_str());
    rmdir(dir);
    return answers;
}

// The oracle's lines for one PDU.
inline std::vector<std::string> runOracle(const Bytes& pdu)
{
    return runOracleAll({pdu}).front();
}

// Lines as one text, each ended by a newline.
inline std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// The oracle's lines for a PDU held as bytes in a string, one text.
inline std::string oracleText(const std::string& pdu)
{
    return joinedLines(runOracle(Bytes(pdu.begin(), pdu.end())));
}

inline std::uint32_t crc32(const std::uint8_t* data, std::size_t n)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string lower(std::string s)
{
    for (char& c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
}

// How tshark names a field, and whether it leaves the value undecoded.
struct TsharkField {
    std::int32_t code;
    const char* name;
    bool raw;
};

inline const TsharkField kTsharkFields[] = {
    {1, "Bcc", false},
    {2, "Cc", false},
    {3, "X-Mms-Content-Location", false},
    {5, "Date", false},
    {6, "X-Mms-Delivery-Report", false},
    {7, "X-Mms-Delivery-Time", false},
    {8, "X-Mms-Expiry", false},
    {9, "From", false},
    {10, "X-Mms-Message-Class", false},
    {11, "Message-Id", false},
    {12, "X-Mms-Message-Type", false},
    {13, "X-Mms-MMS-Version", false},
    {14, "X-Mms-Message-Size", false},
    {15, "X-Mms-Priority", false},
    {16, "X-Mms-Read-Report", false},
    {17, "X-Mms-Report-Allowed", false},
    {18, "Response-Status", false},
    {19, "Response-Text", false},
    {20, "Sender-Visibility", false},
    {21, "Status", false},
    {22, "Subject", false},
    {23, "To", false},
    {24, "X-Mms-Transaction-ID", false},
    {25, "X-Mms-Retrieve-Status", false},
    {26, "X-Mms-Retrieve-Text", false},
    {27, "X-Mms-Read-Status", false},
    {28, "X-Mms-Reply-Charging", false},
    {29, "X-Mms-Reply-Charging-Deadline", false},
    {30, "X-Mms-Reply-Charging-ID", false},
    {31, "X-Mms-Reply-Charging-Size", false},
    {32, "X-Mms-Previously-Sent-By", false},
    {33, "X-Mms-Previously-Sent-Date", false},
    {34, "X-Mms-Store", true},
    {35, "X-Mms-MM-State", true},
    {36, "X-Mms-MM-Flags", true},
    {37, "X-Mms-Store-Status", true},
    {38, "X-Mms-Store-Status-Text", true},
    {39, "X-Mms-Stored", true},
    {40, "X-Mms-Attributes", true},
    {41, "X-Mms-Totals", true},
    {42, "X-Mms-Mbox-Totals", true},
    {43, "X-Mms-Quotas", true},
    {44, "X-Mms-Mbox-Quotas", true},
    {45, "X-Mms-Message-Count", true},
    {47, "X-Mms-Start", true},
    {51, "X-Mms-Limit", true},
};

inline const TsharkField* tsharkField(std::int32_t code)
{
    for (const TsharkField& f : kTsharkFields) {
        if (f.code == code)
            return &f;
    }
    return nullptr;
}

// A raw field's value is tshark's business; only its presence is compared.
inline std::string normalise(const std::string& line)
{
    const std::size_t raw = line.find(": raw");
    std::string out = raw == std::string::npos ? line : line.substr(0, raw + 5);
    const std::size_t charset = out.find("param charset: ");
    if (charset != std::string::npos)
        out = lower(out);
    return out;
}

inline std::vector<std::string> sortedNormalised(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (line.rfind("expert:", 0) == 0)
            continue;
        out.push_back(normalise(line));
    }
    std::sort(out.begin(), out.end());
    return out;
}

inline std::string fieldValueForTshark(const CVXLMmsPdu& pdu, std::int32_t code, int n)
{
    const CVXLString key = CVXLMmsPdu::fieldKey(code);
    const std::string value = pdu.headerValue(key, n).c_str();
    if (mmsFieldKind(key, true) == kMmsKindEnumerated) {
        const std::int32_t wire = mmsValueWireCode(pdu.headerValue(key, n), mmsValueTable(key));
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02x", wire);
        return wire >= 0 ? hex : value;
    }
    return value;
}

inline void describeEntity(
    const CVXLMimeEntity& entity, const std::string& prefix, std::vector<std::string>& out)
{
    const CVXLHeaderMap& headers = entity.mimeHeaders();
    for (std::uint32_t i = 0; i < headers.nameCount(); ++i) {
        const CVXLString name = headers.nameAt(static_cast<int>(i));
        const std::string n = name.c_str();
        for (std::uint32_t v = 0; v < headers.valueCount(name); ++v) {
            const std::string value = headers.value(name, static_cast<int>(v)).c_str();
            if (n == "Content-Type")
                out.push_back(prefix + "content-type: " + value);
            else if (n == "Content-ID")
                out.push_back(prefix + "content-id: \"" + value + "\"");
            else if (n == "Content-Location")
                out.push_back(prefix + "content-location: " + value);
            else
                out.push_back(prefix + "param " + lower(n) + ": " + value);
        }
    }
}

// The decoded PDU in the oracle's line format (unsorted).
inline std::vector<std::string> describeForTshark(const CVXLMmsPdu& pdu)
{
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < pdu.headerCount(); ++i) {
        const CVXLString name = pdu.headerName(static_cast<int>(i));
        const std::int32_t code = name.toInt();
        // The oracle shows Content-Type with the body, below.
        if (code == kMmsFieldContentType)
            continue;
        const TsharkField* field = tsharkField(code);
        const std::string title = field ? field->name : std::string("?") + name.c_str();
        const int count = static_cast<int>(pdu.valueCount(name));
        const bool pairs = code == kMmsFieldPreviouslySentBy || code == kMmsFieldPreviouslySentDate;
        for (int n = pairs ? 1 : 0; n < count; n += pairs ? 2 : 1) {
            std::string value = field && field->raw ? "raw" : fieldValueForTshark(pdu, code, n);
            const CVXLString* token = pdu.fieldParameter(code, kMmsParamToken, n);
            if (code == kMmsFieldFrom && value.empty() && token && *token == "3")
                value = "<insert address>";
            out.push_back("header " + title + ": " + value);
        }
    }
    const CVXLMimeEntity* body = pdu.body().get();
    if (body) {
        describeEntity(*body, "", out);
        if (body->kind() == CVXLMimeEntity::kMultipart) {
            const auto& multipart = static_cast<const CVXLMultipartBody&>(*body);
            for (std::uint32_t i = 0; i < multipart.partCount(); ++i) {
                const CVXLEntityRef part = multipart.partAt(i);
                const std::string prefix = "part " + std::to_string(i + 1) + " ";
                describeEntity(*part.get(), prefix, out);
                const CVXLByteBuffer& data = part->bodyBuffer();
                char line[64];
                std::snprintf(
                    line, sizeof line, "data: %u %08x", data.length(), crc32(data.data(), data.length()));
                out.push_back(prefix + line);
            }
        }
    }
    out.push_back("malformed: no");
    return out;
}

} // namespace mmstest
