#include "engine/transport/mime/VXLMimeBodySplitter.h"

#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "tests/transport/MimeOracle.h"
#include "tests/transport/MimeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kContainerStart = 1000;
const char* const kFile = "\\Storage Card\\Messages\\m1.dat";

CVXLMimeEntity* addPart(CVXLMultipartBody& body, const char* type)
{
    CVXLMimeEntity* part = new CVXLMimeEntity();
    part->setContentType(type);
    body.appendPart(CVXLEntityRef(part));
    return part;
}

// A multipart.mixed message of a text part and a container part whose data,
// `bytes`, lie in the received file at kContainerStart.
struct Received {
    CVXLMessage message;
    CVXLMultipartBody* body = new CVXLMultipartBody();
    CVXLMimeEntity* container = nullptr;
    CVXLEntityRef keptContainer; // alive after it left the body
    std::string bytes;

    Received(const char* type, const std::string& boundaryHeader, const std::string& data)
        : bytes(data)
    {
        body->setContentType("application/vnd.wap.multipart.mixed");
        message.setBody(CVXLEntityRef(body));
        addPart(*body, "text/plain")->addHeader("Content-ID", "<text>");
        container = addPart(*body, type);
        keptContainer = body->partAt(1);
        container->addHeader("Content-ID", "<c1>");
        container->addHeader("Content-Location", "c1.dm");
        if (!boundaryHeader.empty())
            container->addHeader("boundary", boundaryHeader.c_str());
        container->setFileName(kFile);
        container->setDataStart(kContainerStart);
        container->setDataSize(static_cast<std::uint32_t>(data.size()));
    }

    // Bytes of the received file for a part (or its decoded body).
    std::string dataOf(const CVXLMimeEntity& part) const
    {
        if (part.fileName().length() == 0)
            return std::string(
                reinterpret_cast<const char*>(part.bodyBuffer().data()), part.bodyBuffer().length());
        EXPECT_EQ(part.fileName(), kFile);
        EXPECT_GE(part.dataStart(), kContainerStart);
        EXPECT_LE(part.dataStart() - kContainerStart + part.dataSize(), bytes.size());
        return bytes.substr(part.dataStart() - kContainerStart, part.dataSize());
    }
};

// Runs the passes the parser job runs: the related container, then each DRM
// message, every container fed from memory in windows of at most `cap`.
void splitMessage(CVXLMimeBodySplitter& splitter, Received& received, std::uint32_t cap)
{
    bool found = splitter.beginRelated(received.message);
    for (int passes = 0; passes < 20; ++passes) {
        if (found) {
            const CVXLMimeEntity& container = *splitter.container().get();
            const std::string bytes = container.fileName().length() != 0
                ? received.bytes.substr(container.dataStart() - kContainerStart, container.dataSize())
                : std::string(reinterpret_cast<const char*>(container.bodyBuffer().data()),
                    container.bodyBuffer().length());
            feedContainer(splitter.parser(), bytes, cap);
            splitter.endContainer();
        }
        found = splitter.beginDrm();
        if (!found)
            return;
    }
    ADD_FAILURE() << "the DRM passes do not end";
}

// The parts that took the container's place, in the oracle's form.
std::string describeNewParts(const Received& received, std::uint32_t from, std::uint32_t count)
{
    std::vector<const CVXLMimeEntity*> parts;
    for (std::uint32_t i = 0; i < count; ++i)
        parts.push_back(received.body->partAt(from + i).get());
    return mimeoracle::describe(parts, [&](const CVXLMimeEntity& part) { return received.dataOf(part); });
}

struct OracleCase {
    std::string name;
    bool drm;
    std::string boundary; // as the container's "boundary" header holds it
    std::string plainBoundary; // without its quotes
    std::string bytes;
};

std::string binaryFiller(std::uint32_t length, std::uint32_t seed)
{
    return mimeoracle::filler(length, seed, 1, 40,
        {"\r\n--", "\r\n--b0und",
            "x--b0undary-Zz\r\n", // not at a line start
            "\n--b0undary-Zzz\r\n", // a longer boundary
            "\r\n--b0undary-Zz-\r\n"});
}

std::vector<OracleCase> oracleCases()
{
    const std::string b = "b0undary-Zz";
    std::vector<OracleCase> cases = {
        {"related SMIL and image", false, "\"mms-rel\"", "mms-rel",
            "--mms-rel\r\nContent-Type: application/smil; name=\"s.smil\"\r\nContent-ID: <smil>\r\n\r\n"
            "<smil><body><par><img src=\"p.jpg\"/></par></body></smil>\r\n"
            "--mms-rel\r\nContent-Type: image/jpeg; name=p.jpg\r\nContent-Location: p.jpg\r\n\r\n"
            "\xFF\xD8\xFF\xE0--\r\n-\x00\x01--mms-rel\r\n\r\n--mms-relX\r\n\xFF\xD9\r\n"
            "--mms-rel--\r\n"},
        {"preamble and epilogue", false, "abc", "abc",
            "This is a preamble.\r\n--abc\r\nContent-Type: "
            "text/plain\r\n\r\nhello\r\n--abc--\r\nepilogue\r\n"},
        {"quoted boundary with odd characters", false, "\"=_Part 7'(x)+,-./:?\"", "=_Part 7'(x)+,-./:?",
            "--=_Part 7'(x)+,-./:?\r\nContent-Type: text/plain\r\n\r\none\r\n"
            "--=_Part 7'(x)+,-./:?\r\nContent-Type: text/plain\r\n\r\ntwo\r\n--=_Part 7'(x)+,-./:?--\r\n"},
        {"LF line ends", false, "abc", "abc",
            "--abc\nContent-Type: text/plain\n\nline one\nline two\n\n--abc\nContent-ID: "
            "<2>\n\nx\n--abc--\n"},
        {"no closing delimiter", false, "abc", "abc",
            "--abc\r\nContent-Type: text/plain\r\n\r\nfirst\r\n--abc\r\nContent-Type: text/plain\r\n\r\nto "
            "the end"},
        {"closing delimiter at the very end", false, "abc", "abc",
            "--abc\r\nContent-Type: text/plain\r\n\r\nbody\r\n--abc--"},
        {"padding after the boundary", false, "abc", "abc",
            "--abc \t\r\nContent-Type: text/plain\r\n\r\nbody\r\n--abc  \r\n\r\nno headers\r\n--abc-- \r\n"},
        {"empty data and missing separator", false, "abc", "abc",
            "--abc\r\nContent-Type: text/plain\r\n\r\n--abc\r\nContent-Type: "
            "a/b\r\n--abc\r\nX:y\r\n\r\n\r\n--abc--"},
        {"header without a space after the colon", false, "abc", "abc",
            "--abc\r\nContent-Type:text/plain;charset=utf-8\r\nContent-ID:<x>\r\n\r\ntext\r\n--abc--\r\n"},
        {"delimiter right after a delimiter", false, "b", "b",
            "--b\r\n--b\r\nA: 1\r\n\r\nx\r\n--b\r\n--b\r\nB: 2\r\n\r\ny\r\n--b--"},
        {"nothing but a preamble", false, "abc", "abc", "no delimiter here\r\n--abcd\r\n"},
        {"binary data", false, b, b,
            "--" + b + "\r\nContent-Type: application/octet-stream\r\n\r\n" + binaryFiller(3000, 1) + "\r\n--"
                + b + "\r\nContent-Type: application/octet-stream\r\n\r\n" + binaryFiller(9000, 2) + "\r\n--"
                + b + "--\r\n"},
        {"DRM message, binary", true, "boundary-1", "boundary-1",
            "--boundary-1\r\nContent-type: image/jpeg\r\nContent-Transfer-Encoding: binary\r\n\r\n"
            "\xFF\xD8\x00\r\n--boundary\r\n\xFF\xD9\r\n--boundary-1--\r\n"},
        {"DRM message, base64", true, "\"dm1\"", "dm1",
            "--dm1\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
            "aGVsbG8sIHdv\r\ncmxkIQ==\r\n--dm1--\r\n"},
        {"DRM message, base64 with LF and no padding", true, "dm2", "dm2",
            "--dm2\nContent-Type: application/octet-stream\nContent-Transfer-Encoding: "
            "BASE64\n\n/9j/4AAQ\nSkZJRgAB\n--dm2--\n"},
    };
    // A delimiter line and the next header block across each edge of the
    // windows the parser reads in: 256 bytes first, then 5,120 at a time.
    const std::string head = "--" + b + "\r\nContent-Type: application/octet-stream\r\n\r\n";
    const std::string tail
        = "\r\n--" + b + "\r\nContent-Type: text/plain; name=t.txt\r\n\r\nsecond\r\n--" + b + "--\r\n";
    for (std::uint32_t edge : {256u, 256u + 5120u}) {
        for (std::uint32_t k = 1; k <= 48; ++k) {
            const std::uint32_t fill = edge - k - static_cast<std::uint32_t>(head.size());
            cases.push_back({"edge " + std::to_string(edge) + " - " + std::to_string(k), false, b, b,
                head + binaryFiller(fill, k) + tail});
        }
    }
    return cases;
}

// The oracle's description of each case: Python's email package splitting
// the same bytes.
std::vector<std::string> oracleParts(const std::vector<OracleCase>& cases)
{
    std::vector<mimeoracle::Container> containers;
    for (const OracleCase& c : cases)
        containers.push_back({c.bytes, c.plainBoundary, c.drm});
    return mimeoracle::oracleParts(containers);
}

TEST(MimeBodySplitter, SplitsAsPythonsEmailPackageDoes)
{
    const std::vector<OracleCase> cases = oracleCases();
    const std::vector<std::string> expected = oracleParts(cases);
    ASSERT_EQ(expected.size(), cases.size());
    // The parser's own windows, then windows that cut everything everywhere.
    for (std::uint32_t cap : {0xFFFFFFFFu, 1u, 2u, 3u, 7u, 64u}) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const OracleCase& c = cases[i];
            if (cap < 64 && c.name.rfind("edge", 0) == 0 && c.name.find(" 5376 ") != std::string::npos)
                continue; // long, and the small windows gain nothing on them
            Received received(
                c.drm ? "application/vnd.oma.drm.message" : "application/vnd.wap.multipart.related",
                c.boundary, c.bytes);
            CVXLMimeBodySplitter splitter;
            splitMessage(splitter, received, cap);
            const std::uint32_t parts = received.body->partCount();
            // What is left of the body: the text part, then the new parts
            // (a related container that gave no parts stays in between).
            const std::uint32_t from
                = parts > 1 && received.body->partAt(1).get() == received.container ? 2 : 1;
            EXPECT_EQ(describeNewParts(received, from, parts - from), expected[i])
                << c.name << ", windows of at most " << cap;
        }
    }
}

const char* const kTwoParts
    = "--abc\r\nContent-Type: image/jpeg; name=p.jpg\r\nContent-ID: <p>\r\n\r\nJPEG\r\n"
      "--abc\r\nContent-Type: text/plain\r\n\r\nhi\r\n--abc--\r\n";

TEST(MimeBodySplitter, RelatedPartsFollowTheOthersAndReplaceTheContainer)
{
    Received received("application/vnd.wap.multipart.related", "\"abc\"", kTwoParts);
    CVXLEntityRef text = received.body->partAt(0);
    CVXLEntityRef container = received.body->partAt(1);
    CVXLMimeBodySplitter splitter;
    splitMessage(splitter, received, 0xFFFFFFFFu);

    ASSERT_EQ(received.body->partCount(), 3u);
    EXPECT_EQ(received.body->partAt(0).get(), text.get());
    EXPECT_EQ(text->header("X-QV-MEMO-DATA"), "TRUE");
    EXPECT_EQ(container->header("X-QV-MEMO-DATA"), "TRUE"); // marked before it left
    const CVXLMimeEntity& image = *received.body->partAt(1).get();
    EXPECT_EQ(image.contentType(), "image/jpeg");
    EXPECT_EQ(image.header("name"), "p.jpg");
    EXPECT_EQ(image.contentId(), "<p>");
    EXPECT_EQ(image.header("X-QV-MEMO-DATA"), "");
    EXPECT_EQ(image.dataStart(), kContainerStart + 64);
    EXPECT_EQ(received.dataOf(image), "JPEG");
    EXPECT_EQ(received.dataOf(*received.body->partAt(2).get()), "hi");
}

TEST(MimeBodySplitter, DrmPartsTakeTheDrmPartsPlace)
{
    Received received("application/vnd.oma.drm.message", "dm",
        "--dm\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lG\r\nODlh\r\n"
        "--dm\r\nContent-Type: text/plain\r\n\r\nplain\r\n--dm--\r\n");
    addPart(*received.body, "text/plain")->addHeader("Content-ID", "<after>");
    CVXLMimeBodySplitter splitter;
    splitMessage(splitter, received, 0xFFFFFFFFu);

    ASSERT_EQ(received.body->partCount(), 4u);
    const CVXLMimeEntity& gif = *received.body->partAt(1).get();
    const CVXLMimeEntity& plain = *received.body->partAt(2).get();
    EXPECT_EQ(received.body->partAt(3)->contentId(), "<after>");
    for (const CVXLMimeEntity* part : {&gif, &plain}) {
        EXPECT_EQ(part->header("X-QV-DRM-Content-ID"), "<c1>");
        EXPECT_EQ(part->header("X-QV-DRM-Content-Type"), "application/vnd.oma.drm.message");
        EXPECT_EQ(part->header("X-QV-DRM-Content-Location"), "c1.dm");
        EXPECT_EQ(part->header("X-QV-MEMO-DATA"), ""); // no related container
    }
    // Decoded into memory; the file holds only the encoded text.
    EXPECT_EQ(gif.fileName(), "");
    EXPECT_EQ(gif.dataSize(), 6u);
    EXPECT_EQ(received.dataOf(gif), "GIF89a");
    EXPECT_EQ(received.dataOf(plain), "plain");
}

TEST(MimeBodySplitter, DrmMessageInsideARelatedContainer)
{
    const std::string drm = "--in\r\nContent-Type: audio/amr\r\n\r\n#!AMR\r\n--in--\r\n";
    const std::string related = "--out\r\nContent-Type: application/smil\r\n\r\n<smil/>\r\n"
                                "--out\r\nContent-Type: application/vnd.oma.drm.message; boundary=in\r\n"
                                "Content-ID: <d>\r\n\r\n"
        + drm + "\r\n--out--\r\n";
    Received received("application/vnd.wap.multipart.related", "out", related);
    CVXLMimeBodySplitter splitter;
    splitMessage(splitter, received, 5);

    ASSERT_EQ(received.body->partCount(), 3u);
    EXPECT_EQ(received.body->partAt(1)->contentType(), "application/smil");
    const CVXLMimeEntity& amr = *received.body->partAt(2).get();
    EXPECT_EQ(amr.contentType(), "audio/amr");
    EXPECT_EQ(amr.header("X-QV-DRM-Content-ID"), "<d>");
    EXPECT_EQ(received.dataOf(amr), "#!AMR");
}

// A container that gives no part stays where it is, and a DRM part is split
// once only, so the passes end.
TEST(MimeBodySplitter, ContainersWithoutPartsStay)
{
    struct Case {
        const char* type;
        const char* data;
    } cases[] = {
        {"application/vnd.wap.multipart.related", "no delimiter at all"},
        {"application/vnd.oma.drm.message", "no delimiter at all"},
        {"application/vnd.oma.drm.message", "--abc--\r\n"},
    };
    for (const Case& c : cases) {
        Received received(c.type, "abc", c.data);
        CVXLMimeBodySplitter splitter;
        splitMessage(splitter, received, 0xFFFFFFFFu);
        ASSERT_EQ(received.body->partCount(), 2u) << c.type << ": " << c.data;
        EXPECT_EQ(received.body->partAt(1).get(), received.container);
    }
}

TEST(MimeBodySplitter, LastPartWithoutClosingDelimiterEndsAtTheContainersEnd)
{
    Received received("application/vnd.wap.multipart.related", "abc",
        "--abc\r\nContent-Type: text/plain\r\n\r\nrest of the file\r\n");
    CVXLMimeBodySplitter splitter;
    splitMessage(splitter, received, 0xFFFFFFFFu);
    ASSERT_EQ(received.body->partCount(), 2u);
    EXPECT_EQ(received.dataOf(*received.body->partAt(1).get()), "rest of the file\r\n");
}

TEST(MimeBodySplitter, OnlyAMixedMessageHasItsRelatedPartSplit)
{
    Received received("application/vnd.wap.multipart.related", "abc", kTwoParts);
    received.body->headers().remove("Content-Type");
    received.body->setContentType("application/vnd.wap.multipart.related");
    CVXLMimeBodySplitter splitter;
    splitMessage(splitter, received, 0xFFFFFFFFu);
    EXPECT_EQ(received.body->partCount(), 2u);
    EXPECT_EQ(received.body->partAt(0)->header("X-QV-MEMO-DATA"), "");

    // The type compares without letter case.
    Received upper("APPLICATION/VND.WAP.MULTIPART.RELATED", "abc", kTwoParts);
    CVXLMimeBodySplitter other;
    splitMessage(other, upper, 0xFFFFFFFFu);
    EXPECT_EQ(upper.body->partCount(), 3u);
}

TEST(MimeBodySplitter, BoundaryLosesOneQuoteAtEitherEnd)
{
    struct Case {
        const char* header; // null: no boundary header
        const char* boundary;
    } cases[] = {
        {"\"abc\"", "abc"},
        {"abc", "abc"},
        {"\"abc", "abc"},
        {"\"\"abc\"\"", "\"abc\""},
        {"\"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        CVXLMimeEntity entity;
        if (c.header)
            entity.addHeader("Boundary", c.header);
        EXPECT_EQ(CVXLMimeBodySplitter::boundaryOf(entity), c.boundary) << (c.header ? c.header : "(none)");
    }
    // No boundary: the delimiter lines are "--" and "----".
    Received received("application/vnd.wap.multipart.related", "", "--\r\nA: 1\r\n\r\nx\r\n----\r\n");
    CVXLMimeBodySplitter splitter;
    splitMessage(splitter, received, 0xFFFFFFFFu);
    ASSERT_EQ(received.body->partCount(), 2u);
    EXPECT_EQ(received.dataOf(*received.body->partAt(1).get()), "x");
}

} // namespace
