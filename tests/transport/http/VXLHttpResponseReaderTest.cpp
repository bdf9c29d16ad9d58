#include "engine/transport/http/VXLHttpResponseReader.h"

#include "engine/transport/http/VXLHttpResponse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

using Feed = CVXLScanResult;

// A reader bound to its own receive buffer and response, as the HTTP job
// holds them.
struct ReaderFixture {
    CVXLByteBuffer buffer;
    CVXLHttpResponse response;
    CVXLHttpResponseReader reader;

    ReaderFixture()
    {
        reader.setBuffer(&buffer);
        reader.reset();
        reader.bind(&response);
    }
    Feed feed(const std::string& bytes)
    {
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        return reader.feed();
    }
    std::string rest() const
    {
        return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length());
    }
    std::string header(const char* name) const { return response.header(name).c_str(); }
};

// A head as squid sends it, with a folded line and a body behind it.
const std::string kRealHead = "HTTP/1.1 200 OK\r\n"
                              "Server: squid/5.7\r\n"
                              "Date: Wed, 09 Dec 2026 19:20:38 GMT\r\n"
                              "Content-Type: application/vnd.wap.mms-message\r\n"
                              "X-Folded: first\r\n\tsecond\r\n"
                              "x-lower: yes\r\n"
                              "X-Empty:\r\n"
                              "Via: 1.1 proxy (squid/5.7)\r\n"
                              "Via: 1.1 other\r\n"
                              "Content-Length: 5\r\n"
                              "Connection: keep-alive\r\n"
                              "\r\n"
                              "hello";

void expectRealHead(const ReaderFixture& f)
{
    EXPECT_EQ(200, f.response.statusCode());
    EXPECT_EQ(std::string("OK\r"), f.response.reason().c_str());
    EXPECT_EQ("first second", f.header("x-folded"));
    EXPECT_EQ("yes", f.header("X-Lower"));
    EXPECT_EQ("", f.header("X-Empty"));
    EXPECT_EQ("1.1 proxy (squid/5.7),1.1 other", f.header("VIA"));
    EXPECT_EQ(5u, f.response.contentLength());
    EXPECT_EQ(CVXLHttpResponse::kFlagHttp11 | CVXLHttpResponse::kFlagContentLength
            | CVXLHttpResponse::kFlagKeepAlive,
        f.response.flags());
    EXPECT_EQ("hello", f.rest());
}

TEST(HttpResponseReader, ReadsARealHeadWhole)
{
    ReaderFixture f;
    ASSERT_EQ(Feed::Done, f.feed(kRealHead));
    expectRealHead(f);
}

// Whatever way the bytes are split across receives, the result is the same;
// until the blank line has arrived the reader asks for more.
TEST(HttpResponseReader, EverySplitPointGivesTheSameResult)
{
    const std::size_t headEnd = kRealHead.size() - 5;
    for (std::size_t split = 0; split <= kRealHead.size(); ++split) {
        ReaderFixture f;
        const Feed first = f.feed(kRealHead.substr(0, split));
        if (split < headEnd) {
            ASSERT_EQ(Feed::NeedMore, first) << "split at " << split;
            ASSERT_EQ(Feed::Done, f.feed(kRealHead.substr(split))) << split;
        } else {
            ASSERT_EQ(Feed::Done, first) << split;
            f.buffer.append(kRealHead.data() + split, static_cast<std::uint32_t>(kRealHead.size() - split));
        }
        expectRealHead(f);
    }
}

TEST(HttpResponseReader, ByteByByteAndRandomChunksGiveTheSameResult)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 200; ++round) {
        ReaderFixture f;
        std::size_t at = 0;
        Feed result = Feed::NeedMore;
        while (result == Feed::NeedMore && at < kRealHead.size()) {
            const std::size_t step = round == 0 ? 1 : 1 + random() % 17;
            const std::string piece = kRealHead.substr(at, step);
            at += piece.size();
            result = f.feed(piece);
        }
        ASSERT_EQ(Feed::Done, result) << round;
        f.buffer.append(kRealHead.data() + at, static_cast<std::uint32_t>(kRealHead.size() - at));
        expectRealHead(f);
    }
}

struct Case {
    const char* head;
    Feed result;
    std::uint32_t flags; // checked when the head is complete
    std::uint32_t length; // content length, when flagged
};

TEST(HttpResponseReader, JudgesHeads)
{
    using R = CVXLHttpResponse;
    const Case cases[] = {
        {"HTTP/1.0 404 Not Found\r\n\r\n", Feed::Done, R::kFlagHttp10, 0},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagChunked, 0},
        // We ask for no coding: a body still coded cannot be stored as it is.
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagUnknownCoding, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, chunked\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagUnknownCoding, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagUnknownCoding, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding:\r\n\r\n", Feed::Done, R::kFlagHttp11 | R::kFlagUnknownCoding,
            0},
        // Transfer-Encoding decides the framing, before or after the length.
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagChunked, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: x-odd\r\nContent-Length: 5\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagUnknownCoding, 0},
        {"HTTP/1.1 204\r\n\r\n", Feed::Done, R::kFlagHttp11, 0},
        {"HTTP/1.1 20 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 2000 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/2.0 200 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/0.9 200 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nConnection: Keep-Alive, CLOSE\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagConnectionClose | R::kFlagKeepAlive, 0},
        {"HTTP/1.1 200 OK\r\ncontent-length: 42\r\n\r\n", Feed::Done, R::kFlagHttp11 | R::kFlagContentLength,
            42},
        {"HTTP/1.1 200 OK\r\nContent-Length: 7\r\nContent-Length: 7\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagContentLength, 7},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4294967295\r\n\r\n", Feed::Done,
            R::kFlagHttp11 | R::kFlagContentLength, 4294967295u},
        {"HTTP/1.1 200 OK\r\nContent-Length: 7\r\nContent-Length: 8\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4294967296\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length:\r\n\r\n", Feed::Malformed, 0, 0},
        {"\r\nHTTP/1.1 200 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"Server: x\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nHTTP/1.1 200 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 OK\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nnot a header\r\n\r\n", Feed::Malformed, 0, 0},
        {"HTTP/1.1 200 OK\r\nServer: x\r\n", Feed::NeedMore, 0, 0},
    };
    for (const Case& c : cases) {
        ReaderFixture f;
        const Feed result = f.feed(c.head);
        EXPECT_EQ(c.result, result) << c.head;
        if (result == Feed::Done) {
            EXPECT_EQ(c.flags, f.response.flags()) << c.head;
            EXPECT_EQ(c.length, f.response.contentLength()) << c.head;
        }
    }
}

TEST(HttpResponseReader, AnEndlessHeadIsMalformed)
{
    ReaderFixture f;
    Feed result = f.feed("HTTP/1.1 200 OK\r\n");
    for (int i = 0; i < 10000 && result == Feed::NeedMore; ++i)
        result = f.feed("X-Header-Line: some value that repeats\r\n");
    EXPECT_EQ(Feed::Malformed, result);
}

} // namespace
