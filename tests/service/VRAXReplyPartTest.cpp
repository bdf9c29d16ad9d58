#include "engine/service/VRAXReplyPart.h"
#include "engine/core/base/VXLLog.h"
#include "tests/service/ReplyPartReading.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

std::string serverReply(const char* name)
{
    const std::string command
        = std::string("python3 " TESSEL_SOURCE_DIR "/tests/peers/vrax_server.py --reply ") + name;
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        std::size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            out.append(chunk, n);
        pclose(pipe);
    }
    return out;
}

std::vector<std::string> splitAt(const std::string& bytes, std::vector<std::size_t> cuts)
{
    std::vector<std::string> pieces;
    std::size_t from = 0;
    cuts.push_back(bytes.size());
    for (std::size_t cut : cuts) {
        pieces.push_back(bytes.substr(from, cut - from));
        from = cut;
    }
    return pieces;
}

std::vector<std::string> bytewise(const std::string& bytes)
{
    std::vector<std::string> pieces;
    for (char c : bytes)
        pieces.emplace_back(1, c);
    return pieces;
}

const std::string kJpeg = [] {
    std::string s("\xff\xd8\xff\xe0", 4);
    for (int i = 0; i < 256; ++i)
        s += static_cast<char>(i);
    return s + "\r\n--Velt\r\n\xff\xd9";
}();

TEST(VRAXReplyPartTest, ServerRepliesGiveTheSamePartsHoweverTheyAreSplit)
{
    for (const char* name :
        {"register", "register-config", "error266", "alert", "media", "media-reordered"}) {
        SCOPED_TRACE(name);
        const std::string reply = serverReply(name);
        ASSERT_FALSE(reply.empty());
        const std::string whole = readReply({reply});
        EXPECT_EQ(whole.substr(whole.size() - 3), "end") << whole;
        EXPECT_EQ(readReply(bytewise(reply)), whole);
        for (std::size_t cut = 1; cut < reply.size(); ++cut)
            ASSERT_EQ(readReply(splitAt(reply, {cut})), whole) << "cut at " << cut;
    }
}

TEST(VRAXReplyPartTest, MediaPartsArriveWithTheirIdsAndBase64Decoded)
{
    const std::string got = readReply({serverReply("media")});
    const std::string expected = "document <?xml version=\"1.0\" ?>\n<VRAX ver=\"5.1\" seq=\"1\" "
                                 "time_rsp=\"1800000000\">\n<get-media-rsp/>\n</VRAX>\n"
                                 "part image/jpeg id=1234 flags=30 "
        + kJpeg + "\npart image/jpeg id=abc flags=46 " + kJpeg
        + "\npart application/x-qv-destination-list id= flags=22 dest1,dest2\nend";
    EXPECT_EQ(got, expected);
}

TEST(VRAXReplyPartTest, ADocumentSplitAfterItsHeadersNeedsMoreThenArrivesWhole)
{
    const std::string head
        = "----Veltmarsh\r\nContent-Length: 30\r\nContent-Type: application/X-VRAX\r\n\r\n";
    CVXLByteBuffer received;
    received.append(head.data(), static_cast<std::uint32_t>(head.size()));
    received.appendCString("<VRAX><context>k1</con");
    CVRAXReplyPart part;
    part.setBoundary("--Veltmarsh");
    part.attach(&received);
    EXPECT_EQ(part.step(), CVRAXReplyPart::kNeedMore);
    EXPECT_EQ(toStd(received).rfind("<VRAX>", 0), 0u) << "headers and blank line are consumed";
    received.appendCString("text></VRAX>\r\n");
    EXPECT_EQ(part.step(), CVRAXReplyPart::kPartRead);
    EXPECT_EQ(toStd(part.body()), "<VRAX><context>k1</context></VRAX>");
    EXPECT_EQ(toStd(received), "\r\n");
}

TEST(VRAXReplyPartTest, FramingErrors)
{
    struct Case {
        const char* what;
        std::string reply;
    };
    const Case cases[] = {
        {"first token is not a delimiter", "Content-Type: text/plain\r\n\r\n"},
        {"another boundary", "----Elsewhere\r\nContent-Length: 1\r\n"},
        {"unknown encoding",
            "----Veltmarsh\r\nContent-Length: 3\r\nContent-Type: image/jpeg\r\nContent-ID: 9\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\nabc\r\n----Veltmarsh--\r\n"},
        {"image part without a Content-ID",
            "----Veltmarsh\r\nContent-Length: 3\r\nContent-Type: image/jpeg\r\n"
            "Content-Transfer-Encoding: 8bit\r\n\r\nabc\r\n----Veltmarsh--\r\n"},
        {"part without an encoding",
            "----Veltmarsh\r\nContent-Length: 3\r\nContent-Type: image/jpeg\r\nContent-ID: 9\r\n\r\nabc\r\n"},
        {"control byte in a boundary line", std::string("----Velt\x01marsh\r\nContent-Length: 3\r\n")},
        {"a number where a type is due", "----Veltmarsh\r\nContent-Type: 42\r\n\r\n"},
        {"a lone CR inside headers", "----Veltmarsh\r\nContent-Length: 3\rX\r\n\r\n"},
        {"the test server's bad boundary", serverReply("bad-boundary")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        EXPECT_EQ(readReply({c.reply}), "framing error");
        EXPECT_EQ(readReply(bytewise(c.reply)), "framing error");
        CVXLLog::flush();
        EXPECT_NE(root.readFile("log/engine.log").find("reply part refused"), std::string::npos);
    }
}

TEST(VRAXReplyPartTest, AReplyCutShortIsNeverTakenForAWholeOne)
{
    const std::string reply = serverReply("register-config");
    for (std::size_t keep : {std::size_t(10), reply.size() / 2, reply.size() - 40, reply.size() - 3}) {
        const std::string got = readReply({reply.substr(0, keep)});
        EXPECT_EQ(got.find("end"), std::string::npos) << keep << ": " << got;
    }
}

} // namespace
