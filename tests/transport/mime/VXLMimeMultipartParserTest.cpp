#include "engine/transport/mime/VXLMimeMultipartParser.h"

#include "engine/transport/mime/VXLBase64Decoder.h"
#include "engine/transport/mime/VXLMimePartSink.h"
#include "tests/transport/MimeTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Recorder : CVXLMimePartSink {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> parts; // data start, size
    bool partBegun(const CVXLHeaderMap&, std::uint32_t dataStart) override
    {
        parts.emplace_back(dataStart, 0);
        return true;
    }
    bool partData(const std::uint8_t*, std::uint32_t) override { return true; }
    bool partEnded(std::uint32_t dataSize) override
    {
        parts.back().second = dataSize;
        return true;
    }
};

std::string headerText(const CVXLHeaderMap& headers)
{
    std::string out;
    for (std::uint32_t n = 0; n < headers.nameCount(); ++n) {
        const CVXLString name = headers.nameAt(static_cast<int>(n));
        for (std::uint32_t v = 0; v < headers.valueCount(name); ++v)
            out += std::string(name.c_str()) + "=" + headers.value(name, static_cast<int>(v)).c_str() + "|";
    }
    return out;
}

TEST(MimeMultipartParser, HeaderLines)
{
    struct Case {
        const char* block;
        const char* headers;
    } cases[] = {
        {"Content-Type: image/jpeg; name=pic.jpg\r\nContent-ID: <1>\r\n",
            "Content-Type=image/jpeg|name=pic.jpg|Content-ID=<1>|"},
        {"Content-Type:text/plain\r\n", "Content-Type=text/plain|"},
        {"Content-Type: a/b;  charset = \"utf-8\" ;\r\n", "Content-Type=a/b|charset=\"utf-8\"|"},
        {"Content-Type: a/b; name=\"x;y.jpg\"\n", "Content-Type=a/b|name=\"x;y.jpg\"|"},
        {"Subject: one\r\n two\r\n", "Subject=one two|"},
        {"name=value\r\n", "name=value|"},
        {"no header here\r\n: no name\r\nX-Empty:\r\n", "X-Empty=|"},
        {"Content-Location: a.jpg", "Content-Location=a.jpg|"},
    };
    for (const Case& c : cases) {
        CVXLHeaderMap headers;
        const std::string block = c.block;
        ASSERT_TRUE(
            CVXLMimeMultipartParser::parseHeaderBlock(reinterpret_cast<const std::uint8_t*>(block.data()),
                static_cast<std::uint32_t>(block.size()), headers));
        EXPECT_EQ(headerText(headers), c.headers) << block;
    }
}

// The container is read through windows of 256 bytes (first read, header
// blocks) and 5,120 bytes (part data), never past its end.
TEST(MimeMultipartParser, ReadWindows)
{
    const std::string data(12000, 'd');
    const std::string container = "--b\r\nA: 1\r\n\r\n" + data + "\r\n--b\r\nB: 2\r\n\r\ny\r\n--b--\r\n";
    Recorder recorder;
    CVXLMimeMultipartParser parser;
    parser.begin("b", static_cast<std::uint32_t>(container.size()), &recorder);
    std::vector<std::uint32_t> sizes;
    while (parser.status() == CVXLScanResult::NeedMore) {
        const std::uint32_t at = parser.readOffset();
        const std::uint32_t n = parser.readSize();
        ASSERT_LE(at + n, container.size());
        sizes.push_back(n);
        parser.feed(reinterpret_cast<const std::uint8_t*>(container.data()) + at, n);
    }
    EXPECT_EQ(parser.status(), CVXLScanResult::Done);
    const std::uint32_t rest = static_cast<std::uint32_t>(container.size()) - 256 - 2 * 5120;
    EXPECT_EQ(sizes, (std::vector<std::uint32_t> {256, 5120, 5120, rest}));
    ASSERT_EQ(recorder.parts.size(), 2u);
    EXPECT_EQ(recorder.parts[0], std::make_pair(13u, 12000u));
    EXPECT_EQ(parser.readSize(), 0u);
}

TEST(MimeMultipartParser, EndsEarly)
{
    struct Case {
        std::string container;
        std::uint32_t declaredSize; // 0: the container's length
        CVXLScanResult status;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> parts;
    } cases[] = {
        // A header block that never ends fails; the parts before it stay.
        {"--b\r\nA: 1\r\n\r\nx\r\n--b\r\n" + std::string(20000, 'h'), 0, CVXLScanResult::Malformed,
            {{13, 1}}},
        // A file shorter than its part says: an empty read ends it.
        {"--b\r\nA: 1\r\n\r\nxyz", 1000, CVXLScanResult::Done, {{13, 3}}},
        // Header block cut by the end: a part with no data.
        {"--b\r\nA: 1\r\nB: 2", 0, CVXLScanResult::Done, {{15, 0}}},
        {"", 0, CVXLScanResult::Done, {}},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        CVXLMimeMultipartParser parser;
        const std::uint32_t size
            = c.declaredSize ? c.declaredSize : static_cast<std::uint32_t>(c.container.size());
        parser.begin("b", size, &recorder);
        EXPECT_EQ(feedContainer(parser, c.container, 100), c.status) << c.container.substr(0, 40);
        EXPECT_EQ(recorder.parts, c.parts) << c.container.substr(0, 40);
    }
}

// Fed in pieces of any size, the parser looks at each byte a few times at
// most: a header line cut by a piece's end is not searched again from its
// start, and part data are handed on as they are searched.
TEST(MimeMultipartParser, ExaminesEachByteAFewTimesWhateverThePieces)
{
    std::string data;
    for (int i = 0; i < 200; ++i)
        data += "part data line\r\n";
    data += "end";
    const std::string head = "preamble\r\n--b\r\nContent-Type: text/plain; name=\"" + std::string(12000, 'n')
        + "\"\r\nContent-ID: <1>\r\n\r\n";
    const std::string container = head + data + "\r\n--b--\r\n";
    const auto size = static_cast<std::uint32_t>(container.size());
    for (std::uint32_t piece : {1u, 7u, 256u, size}) {
        Recorder recorder;
        CVXLMimeMultipartParser parser;
        parser.begin("b", size, &recorder);
        EXPECT_EQ(feedContainer(parser, container, piece), CVXLScanResult::Done) << "pieces of " << piece;
        EXPECT_EQ(recorder.parts,
            (std::vector<std::pair<std::uint32_t, std::uint32_t>> {
                {static_cast<std::uint32_t>(head.size()), static_cast<std::uint32_t>(data.size())}}))
            << "pieces of " << piece;
        EXPECT_LE(parser.bytesExamined(), 3u * size) << "pieces of " << piece;
    }
}

TEST(Base64Decoder, DecodesInPieces)
{
    struct Case {
        const char* text;
        const char* bytes;
    } cases[] = {
        {"aGVsbG8sIHdvcmxkIQ==", "hello, world!"}, {"aGVs\r\nbG8=\r\n", "hello"},
        {"aGVsbG8", "hello"}, // no padding
        {"YQ==YQ==", "aa"}, // padding ends a group, not the text
        {"Y", ""}, // one character is no byte
        {"*a*G*V*s*", "hel"}, // other bytes are skipped
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        for (std::uint32_t piece : {1u, 3u, 100u}) {
            CVXLBase64Decoder decoder;
            CVXLByteBuffer out;
            for (std::uint32_t at = 0; at < text.size(); at += piece) {
                const std::uint32_t n
                    = std::min<std::uint32_t>(piece, static_cast<std::uint32_t>(text.size()) - at);
                ASSERT_TRUE(decoder.feed(reinterpret_cast<const std::uint8_t*>(text.data()) + at, n, out));
            }
            ASSERT_TRUE(decoder.finish(out));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data()), out.length()), c.bytes)
                << text << " in pieces of " << piece;
        }
    }
}

} // namespace
