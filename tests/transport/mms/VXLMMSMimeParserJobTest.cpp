#include "engine/transport/mms/VXLMMSMimeParserJob.h"

#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMimeParseRequest.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/transport/MimeOracle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kContainerStart = 1000;
const char* const kRelated = "application/vnd.wap.multipart.related";
const char* const kDrm = "application/vnd.oma.drm.message";

std::string filler(std::uint32_t length, std::uint32_t seed)
{
    return mimeoracle::filler(length, seed, 7, 50, {"\r\n--", "\r\n--bnd", "x--bnd-7\r\n"});
}

// A retrieved multipart.mixed message of a text part and a container part
// whose bytes lie in a received file at kContainerStart, with other bytes
// around them that are no business of the parser.
struct Received {
    CVXLPduRef pdu {new CVXLMmsPdu};
    CVXLMultipartBody* body = new CVXLMultipartBody;
    CVXLEntityRef text;
    CVXLEntityRef container;
    std::string fileName;
    std::string file;

    Received(const char* type, const std::string& boundary, const std::string& bytes, const std::string& name)
        : fileName("\\My Documents\\" + name)
        , file(filler(kContainerStart, 3) + bytes + "\r\n--" + boundary + "\r\nX: trailing\r\n\r\nnot ours")
    {
        body->setContentType("application/vnd.wap.multipart.mixed");
        pdu->setBody(CVXLEntityRef(body));
        text = CVXLEntityRef(new CVXLMimeEntity);
        text->setContentType("text/plain");
        body->appendPart(text);
        container = CVXLEntityRef(new CVXLMimeEntity);
        container->setContentType(type);
        container->addHeader("Content-ID", "<c1>");
        container->addHeader("Content-Location", "c1.dm");
        container->addHeader("boundary", ("\"" + boundary + "\"").c_str());
        container->setFileName(fileName.c_str());
        container->setDataStart(kContainerStart);
        container->setDataSize(static_cast<std::uint32_t>(bytes.size()));
        body->appendPart(container);
    }

    std::string dataOf(const CVXLMimeEntity& part) const
    {
        if (part.fileName().length() == 0)
            return std::string(
                reinterpret_cast<const char*>(part.bodyBuffer().data()), part.bodyBuffer().length());
        EXPECT_EQ(std::string(part.fileName().c_str()), fileName);
        EXPECT_LE(part.dataStart() + part.dataSize(), file.size());
        return file.substr(part.dataStart(), part.dataSize());
    }

    std::vector<const CVXLMimeEntity*> parts(std::uint32_t from) const
    {
        std::vector<const CVXLMimeEntity*> out;
        for (std::uint32_t i = from; i < body->partCount(); ++i)
            out.push_back(body->partAt(i).get());
        return out;
    }

    std::string describe(std::uint32_t from) const
    {
        return mimeoracle::describe(parts(from), [this](const CVXLMimeEntity& part) { return dataOf(part); });
    }

    // The body is the one the message arrived with.
    bool untouched() const
    {
        return body->partCount() == 2 && body->partAt(0).get() == text.get()
            && body->partAt(1).get() == container.get();
    }
};

class MimeParserJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = new CVXLPlatformMessageStore;
        job.setMessageStore(store);
        driver.attach(&owner);
        driver.attach(&job);
        driver.runUntilIdle();
        ASSERT_EQ(store->openStreams(), 1u);
    }

    void TearDown() override
    {
        job.stop();
        driver.runUntilIdle();
        EXPECT_EQ(job.runState(), kHandlerFinished);
        // The job gives its stream back when it ends.
        EXPECT_EQ(store->openStreams(), 0u);
        delete store;
    }

    void write(const Received& received)
    {
        root.writeFile(
            "My Documents/" + received.fileName.substr(received.fileName.rfind('\\') + 1), received.file);
    }

    void post(const Received& received)
    {
        request.message = received.pdu;
        owner.post(&job, &request);
    }

    // The results of every parse reply the owner got.
    std::vector<std::int32_t> replies() const
    {
        std::vector<std::int32_t> out;
        for (std::size_t i = 0; i < owner.codes.size(); ++i) {
            if (owner.codes[i] == kEventMimeParseDone)
                out.push_back(owner.results[i]);
        }
        return out;
    }

    std::int32_t parse(const Received& received)
    {
        const std::size_t before = replies().size();
        post(received);
        driver.runUntilIdle(1000000);
        const std::vector<std::int32_t> results = replies();
        EXPECT_EQ(results.size(), before + 1);
        return results.size() == before + 1 ? results.back() : -1;
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLPlatformMessageStore* store = nullptr;
    TraceJob owner {"owner"};
    CVXLMMSMimeParserJob job;
    CVXLMimeParseRequest request;
};

struct OracleCase {
    std::string name;
    bool drm;
    std::string boundary;
    std::string bytes;
};

std::vector<OracleCase> oracleCases()
{
    const std::string b = "bnd-7";
    std::vector<OracleCase> cases = {
        {"related SMIL and image", false, "mms-rel",
            "--mms-rel\r\nContent-Type: application/smil; name=\"s.smil\"\r\nContent-ID: <smil>\r\n\r\n"
            "<smil><body><par><img src=\"p.jpg\"/></par></body></smil>\r\n"
            "--mms-rel\r\nContent-Type: image/jpeg; name=p.jpg\r\nContent-Location: p.jpg\r\n\r\n"
            "\xFF\xD8\xFF\xE0--\r\n-\x00\x01--mms-rel\r\n\r\n--mms-relX\r\n\xFF\xD9\r\n--mms-rel--\r\n"},
        {"LF line ends", false, "abc",
            "--abc\nContent-Type: text/plain\n\nline one\nline two\n\n--abc\nContent-ID: "
            "<2>\n\nx\n--abc--\n"},
        {"no closing delimiter", false, "abc",
            "--abc\r\nContent-Type: text/plain\r\n\r\nfirst\r\n--abc\r\nContent-Type: text/plain\r\n\r\nto "
            "the end"},
        {"header block longer than a header window", false, "abc",
            "--abc\r\nContent-Type: text/plain\r\nX-Long: " + std::string(600, 'h')
                + "\r\n\r\nbody\r\n--abc--\r\n"},
        {"DRM message, binary", true, "boundary-1",
            "--boundary-1\r\nContent-type: image/jpeg\r\nContent-Transfer-Encoding: binary\r\n\r\n"
            "\xFF\xD8\x00\r\n--boundary\r\n\xFF\xD9\r\n--boundary-1--\r\n"},
        {"DRM message, base64", true, "dm1",
            "--dm1\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
            "aGVsbG8sIHdv\r\ncmxkIQ==\r\n--dm1--\r\n"},
        {"large binary parts", false, b,
            "--" + b + "\r\nContent-Type: application/octet-stream\r\n\r\n" + filler(30000, 1) + "\r\n--" + b
                + "\r\nContent-Type: application/octet-stream\r\n\r\n" + filler(17000, 2) + "\r\n--" + b
                + "--\r\n"},
    };
    // A delimiter line and the next header block across each edge of the
    // windows read from the file: 256 bytes first, then 5,120 at a time.
    const std::string head = "--" + b + "\r\nContent-Type: application/octet-stream\r\n\r\n";
    const std::string tail
        = "\r\n--" + b + "\r\nContent-Type: text/plain; name=t.txt\r\n\r\nsecond\r\n--" + b + "--\r\n";
    for (std::uint32_t edge : {256u, 256u + 5120u, 256u + 2 * 5120u}) {
        for (std::uint32_t k = 1; k <= 40; ++k) {
            const std::uint32_t fill = edge - k - static_cast<std::uint32_t>(head.size());
            cases.push_back({"edge " + std::to_string(edge) + " - " + std::to_string(k), false, b,
                head + filler(fill, k) + tail});
        }
    }
    return cases;
}

TEST_F(MimeParserJobTest, SplitsContainersReadFromTheFileAsTheOracleDoes)
{
    const std::vector<OracleCase> cases = oracleCases();
    std::vector<mimeoracle::Container> containers;
    for (const OracleCase& c : cases)
        containers.push_back({c.bytes, c.boundary, c.drm});
    const std::vector<std::string> expected = mimeoracle::oracleParts(containers);
    ASSERT_EQ(expected.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const OracleCase& c = cases[i];
        Received received(c.drm ? kDrm : kRelated, c.boundary, c.bytes, "m" + std::to_string(i) + ".dat");
        write(received);
        ASSERT_EQ(parse(received), kResultSucceeded) << c.name;
        // The container gave way to its parts: after the text part for a
        // related container, in its place for a DRM message.
        ASSERT_GE(received.body->partCount(), 2u) << c.name;
        EXPECT_EQ(received.body->partAt(0).get(), received.text.get()) << c.name;
        EXPECT_EQ(received.describe(1), expected[i]) << c.name;
        for (const CVXLMimeEntity* part : received.parts(1)) {
            EXPECT_NE(part, received.container.get()) << c.name;
            EXPECT_EQ(std::string(part->header("X-QV-DRM-Content-ID").c_str()), c.drm ? "<c1>" : "")
                << c.name;
        }
        EXPECT_EQ(std::string(received.text->header("X-QV-MEMO-DATA").c_str()), c.drm ? "" : "TRUE")
            << c.name;
    }
}

// Related container -> DRM message in the file -> a base64 DRM message held
// in memory once decoded -> its part, whose bytes are copied out of memory.
TEST_F(MimeParserJobTest, NestedContainersEndInTheirInnermostParts)
{
    // "--in", "Content-Type: audio/amr", "", "#!AMR" 0x00 0x01, "--in--".
    const std::string innerBase64 = "LS1pbg0KQ29udGVudC1UeXBlOiBhdWRpby9hbXINCg0KIyFBTVIAAQ0KLS1pbi0tDQo=";
    const std::string drm = "--out2\r\nContent-Type: application/vnd.oma.drm.message; boundary=in\r\n"
                            "Content-Transfer-Encoding: base64\r\n\r\n"
        + innerBase64 + "\r\n--out2--\r\n";
    const std::string related
        = "--out\r\nContent-Type: application/smil\r\n\r\n<smil/>\r\n"
          "--out\r\nContent-Type: application/vnd.oma.drm.message; boundary=\"out2\"\r\n"
          "Content-ID: <d>\r\n\r\n"
        + drm + "\r\n--out--\r\n";
    Received received(kRelated, "out", related, "nested.dat");
    write(received);
    ASSERT_EQ(parse(received), kResultSucceeded);

    ASSERT_EQ(received.body->partCount(), 3u);
    EXPECT_EQ(std::string(received.body->partAt(1)->contentType().c_str()), "application/smil");
    EXPECT_EQ(received.dataOf(*received.body->partAt(1).get()), "<smil/>");
    const CVXLMimeEntity& amr = *received.body->partAt(2).get();
    EXPECT_EQ(std::string(amr.contentType().c_str()), "audio/amr");
    EXPECT_EQ(std::string(amr.header("X-QV-DRM-Content-Type").c_str()), kDrm);
    EXPECT_EQ(received.dataOf(amr), std::string("#!AMR\x00\x01", 7));
}

TEST_F(MimeParserJobTest, BodiesWithNothingToSplitStayAsTheyWere)
{
    struct Case {
        const char* what;
        const char* type;
        const char* bytes;
        bool plainMessage;
    } cases[] = {
        {"no delimiter in the container", kRelated, "nothing to split here", false},
        {"DRM message without parts", kDrm, "--abc--\r\n", false},
        {"not multipart.mixed", kRelated, "--abc\r\nA: 1\r\n\r\nx\r\n--abc--\r\n", true},
    };
    for (const Case& c : cases) {
        Received received(c.type, "abc", c.bytes, "plain.dat");
        if (c.plainMessage) {
            received.body->headers().remove("Content-Type");
            received.body->setContentType("application/vnd.wap.multipart.related");
        }
        write(received);
        EXPECT_EQ(parse(received), kResultSucceeded) << c.what;
        EXPECT_TRUE(received.untouched()) << c.what;
    }
}

TEST_F(MimeParserJobTest, UnreadableContainersFailAndLeaveTheBody)
{
    Received missing(kRelated, "abc", "--abc\r\nA: 1\r\n\r\nx\r\n--abc--\r\n", "missing.dat");
    EXPECT_EQ(parse(missing), kResultFailed);
    EXPECT_TRUE(missing.untouched());

    // A DRM message in a file that is gone, after a related container that
    // was split: the message is given back whole.
    const std::string related
        = "--r\r\nContent-Type: text/plain\r\n\r\nhi\r\n--r\r\n"
          "Content-Type: application/vnd.oma.drm.message; boundary=d\r\n\r\n--d--\r\n--r--\r\n";
    Received half(kRelated, "r", related, "half.dat");
    write(half);
    ASSERT_EQ(parse(half), kResultSucceeded);
    ASSERT_EQ(half.body->partCount(), 3u);
    // Split again with the DRM part pointing at a missing file.
    Received again(kRelated, "r", related, "half2.dat");
    write(again);
    CVXLEntityRef drmPart(new CVXLMimeEntity);
    drmPart->setContentType(kDrm);
    drmPart->addHeader("boundary", "d");
    drmPart->setFileName("\\My Documents\\gone.dat");
    drmPart->setDataSize(100);
    again.body->appendPart(drmPart);
    EXPECT_EQ(parse(again), kResultFailed);
    ASSERT_EQ(again.body->partCount(), 3u);
    EXPECT_EQ(again.body->partAt(1).get(), again.container.get());
    EXPECT_EQ(again.body->partAt(2).get(), drmPart.get());

    // The job serves the next request as before.
    Received after(kRelated, "abc", "--abc\r\nA: 1\r\n\r\nx\r\n--abc--\r\n", "after.dat");
    write(after);
    EXPECT_EQ(parse(after), kResultSucceeded);
    EXPECT_EQ(after.body->partCount(), 2u);
    EXPECT_EQ(after.dataOf(*after.body->partAt(1).get()), "x");
}

// Cancelled at any point, a request is answered once with 24 and the body is
// the one it came with.
TEST_F(MimeParserJobTest, CancelAnswers24AndLeavesTheBody)
{
    const std::string b = "bnd-7";
    std::string bytes;
    for (std::uint32_t i = 0; i < 6; ++i)
        bytes += "--" + b + "\r\nContent-Type: application/octet-stream\r\n\r\n" + filler(12000, i) + "\r\n";
    bytes += "--" + b + "--\r\n";
    for (int steps : {0, 1, 2, 3, 5, 8, 13, 21, 34}) {
        Received received(kRelated, b, bytes, "big.dat");
        write(received);
        const std::size_t before = replies().size();
        post(received);
        for (int i = 0; i < steps; ++i)
            driver.step();
        ASSERT_EQ(replies().size(), before) << steps << " steps: finished before the cancel";
        owner.cancelEventsWith(&job);
        driver.runUntilIdle(100000);
        const std::vector<std::int32_t> results = replies();
        ASSERT_EQ(results.size(), before + 1) << steps << " steps";
        EXPECT_EQ(results.back(), kResultCancelled) << steps << " steps";
        EXPECT_TRUE(received.untouched()) << steps << " steps";
    }
    Received whole(kRelated, b, bytes, "big.dat");
    EXPECT_EQ(parse(whole), kResultSucceeded);
    EXPECT_EQ(whole.body->partCount(), 7u);
}

TEST_F(MimeParserJobTest, StoppingTheJobAnswersTheRequestWith24)
{
    const std::string b = "bnd-7";
    const std::string bytes = "--" + b + "\r\nA: 1\r\n\r\n" + filler(60000, 9) + "\r\n--" + b + "--\r\n";
    Received received(kRelated, b, bytes, "stop.dat");
    write(received);
    post(received);
    for (int i = 0; i < 6; ++i)
        driver.step();
    ASSERT_TRUE(replies().empty());
    job.stop();
    driver.runUntilIdle(100000);
    EXPECT_EQ(replies(), std::vector<std::int32_t> {kResultCancelled});
    EXPECT_TRUE(received.untouched());
}

} // namespace
