#include "engine/service/VRAXMultipartWriter.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

// The whole body as the job sends it: head, attachment bytes, trailer.
std::string wholeBody(const CVRAXMultipartWriter& writer, const std::string& attachment)
{
    std::string body = toStd(writer.head());
    if (writer.hasAttachment())
        body += attachment + toStd(writer.trailerBytes());
    return body;
}

// What the test server's checker says of a body: one line of the request,
// one per part, or "bad ...".
std::string checkWithPython(const std::string& body)
{
    char path[] = "/tmp/vrax-body-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return "no temp file";
    const bool written = write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
    close(fd);
    std::string out;
    if (written) {
        const std::string command
            = "python3 " TESSEL_SOURCE_DIR "/tests/peers/vrax_server.py --check " + std::string(path);
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char line[512];
            while (fgets(line, sizeof line, pipe))
                out += line;
            pclose(pipe);
        }
    }
    std::remove(path);
    return out;
}

const std::string kDocument20 = "<VRAX><a/></VRAX>\n\n\n"; // 20 bytes

TEST(VRAXMultipartWriterTest, ADocumentAloneIsFramedInTheExampleSHundredAndEightBytes)
{
    ASSERT_EQ(kDocument20.size(), 20u);
    CVRAXMultipartWriter writer;
    writer.setDocument(bytesOf(kDocument20));
    EXPECT_EQ(std::string(writer.partHeader().c_str()),
        "--Veltmarsh\r\nContent-Length: 20\r\nContent-Type: application/X-VRAX\r\n\r\n");
    EXPECT_EQ(writer.partHeader().length(), 69u);
    EXPECT_EQ(writer.trailer().length(), 19u);
    EXPECT_EQ(writer.totalLength(), 108u);
    EXPECT_EQ(wholeBody(writer, ""),
        "--Veltmarsh\r\nContent-Length: 20\r\nContent-Type: application/X-VRAX\r\n\r\n" + kDocument20
            + "\r\n--Veltmarsh--\r\n\r\n");
}

TEST(VRAXMultipartWriterTest, AttachmentHeadersAndLengths)
{
    struct Case {
        const char* what;
        const char* type;
        std::int32_t encoding;
        std::string attachment;
        const char* header; // the attachment header
    };
    const Case cases[] = {
        {"typed 8bit", "image/jpeg", CVRAXMultipartWriter::kEncoding8bit, std::string("\xff\xd8\0\r\n--x", 7),
            "\r\n\r\n--Veltmarsh\r\nContent-Length: 7\r\nContent-Type: image/jpeg\r\n"
            "Content-Transfer-Encoding: 8bit\r\n\r\n"},
        {"base64 without a type", "", CVRAXMultipartWriter::kEncodingBase64, "QUJD",
            "\r\n\r\n--Veltmarsh\r\nContent-Length: 4\r\nContent-Transfer-Encoding: base64\r\n\r\n"},
        {"unknown encoding writes no word", "text/plain", 9, "abc",
            "\r\n\r\n--Veltmarsh\r\nContent-Length: 3\r\nContent-Type: text/plain\r\n"
            "Content-Transfer-Encoding: \r\n\r\n"},
        {"length 0: no type and no encoding", "image/jpeg", CVRAXMultipartWriter::kEncoding8bit, "",
            "\r\n\r\n--Veltmarsh\r\nContent-Length: 0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVRAXMultipartWriter writer;
        writer.setDocument(bytesOf(kDocument20));
        writer.setAttachment(c.type, c.encoding, static_cast<std::uint32_t>(c.attachment.size()));
        EXPECT_EQ(std::string(writer.attachmentHeader().c_str()), c.header);
        EXPECT_NE(std::string(writer.partHeader().c_str()).find("Content-Length: 22\r\n"), std::string::npos);
        const std::string body = wholeBody(writer, c.attachment);
        EXPECT_EQ(writer.totalLength(), body.size());
        EXPECT_EQ(body.substr(body.size() - 19), "\r\n--Veltmarsh--\r\n\r\n");
    }
}

TEST(VRAXMultipartWriterTest, PythonEmailReadsBodiesWithoutDefects)
{
    const std::string document = "<?xml version=\"1.0\" ?>\n<VRAX ver=\"5.1\" seq=\"3\" time_req=\"9\" "
                                 "time_last_rsp=\"0\">\n<context/>\n<upload/>\n</VRAX>";
    struct Case {
        const char* what;
        bool attach;
        std::string attachment;
        const char* expected;
    };
    const Case cases[] = {
        {"document alone", false, "", "part application/x-vrax 107 "},
        {"with an attachment", true, std::string("\xff\xd8\xff\0binary\r\nend", 14),
            "part application/x-vrax 109 "},
        {"with an attachment", true, std::string("\xff\xd8\xff\0binary\r\nend", 14), "part image/jpeg 14 "},
        {"with an empty attachment", true, "", "part - 0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVRAXMultipartWriter writer;
        writer.setDocument(bytesOf(document));
        if (c.attach)
            writer.setAttachment("image/jpeg", CVRAXMultipartWriter::kEncoding8bit,
                static_cast<std::uint32_t>(c.attachment.size()));
        const std::string verdict = checkWithPython(wholeBody(writer, c.attachment));
        EXPECT_EQ(verdict.rfind("seq=3 time_req=9 request=upload identity=-\n", 0), 0u) << verdict;
        EXPECT_NE(verdict.find(c.expected), std::string::npos) << verdict;
    }
}

TEST(VRAXMultipartWriterTest, ResetForgetsTheAttachment)
{
    CVRAXMultipartWriter writer;
    writer.setDocument(bytesOf(kDocument20));
    writer.setAttachment("image/jpeg", CVRAXMultipartWriter::kEncoding8bit, 100);
    writer.reset();
    writer.setDocument(bytesOf(kDocument20));
    EXPECT_EQ(writer.totalLength(), 108u);
}

} // namespace
