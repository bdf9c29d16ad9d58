#include "engine/files/VXLFileXmlReaderJob.h"
#include "engine/files/VXLFileStoreCodes.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/transfer/VXLByteBufferSource.h"
#include "tests/support/FileStoreFixture.h"
#include "tests/support/XmlTraceReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Writes the listener's calls in the trace form of XmlTraceReader, so a file
// read can be compared with the same bytes fed to a reader directly.
struct TraceListener : CVXLXmlReaderListener {
    std::string trace;
    std::vector<std::int32_t> finished;
    // Stops the reading at the start of this element (empty: never).
    std::string stopAt;
    CVXLXmlReaderSinkJob* job = nullptr;

    void onXmlElement(const CVXLString& name, bool start) override
    {
        trace += (start ? "start " : "end ") + XmlTraceReader::escaped(name) + "\n";
        if (start && job && stopAt == name.c_str())
            job->stopReading();
    }
    void onXmlText(const CVXLString& text) override
    {
        trace += "text " + XmlTraceReader::escaped(text) + "\n";
    }
    void onXmlAttribute(const CVXLString& name, const CVXLString& value) override
    {
        trace += "attr " + XmlTraceReader::escaped(name) + "=" + XmlTraceReader::escaped(value) + "\n";
    }
    void onXmlFinished(std::int32_t result) override { finished.push_back(result); }
    void onXmlMalformed() override { trace += "malformed\n"; }
};

struct ReaderFixture : FileStoreFixture {
    CVXLFileStoreManager manager;
    CVXLFileXmlReaderJob job;
    TraceListener listener;

    ReaderFixture()
    {
        manager.setFileStore(&store);
        job.setFileStoreManager(&manager);
        job.setListener(&listener);
        listener.job = &job;
        driver.attach(&manager);
        driver.attach(&job);
        driver.runUntilIdle();
    }

    void read(const char* name)
    {
        job.setPath(name);
        job.beginReading();
        driver.runUntilIdle(100000);
    }

    // No stream is held and the manager has only its own two jobs left.
    bool released() const { return store.openStreams() == 0 && manager.countActiveChildren() == 2; }
};

std::string reference(const std::string& document)
{
    XmlTraceReader reader;
    return reader.parse(document);
}

// Ordinary entries up to `target` bytes, then spaces to reach it exactly.
void fillTo(std::string& doc, std::size_t target, int& n)
{
    for (;;) {
        const std::string entry
            = "<entry n=\"" + std::to_string(n) + "\">value " + std::to_string(n) + " &lt;x&gt;</entry>\n";
        if (doc.size() + entry.size() > target)
            break;
        doc += entry;
        ++n;
    }
    doc.append(target - doc.size(), ' ');
}

// A configuration file of six read windows. Each construct below is placed so
// that a window edge falls at `edge` bytes into it.
struct Across {
    const char* text;
    std::size_t edge;
};
const Across kAcross[] = {
    {"<destinationList kind=\"flat\">", 5}, // in an element name
    {"<dest id=\"photo-album-upload\" lev=\"0\"/>", 15}, // in an attribute value
    {"<name>Upload to the online album</name>", 12}, // in a text
    {"<descr caption=\"a &amp; b\">x</descr>", 10}, // in an attribute name
    {"<t>fish &amp; chips</t>", 10}, // in an entity
};

std::string windowedDocument()
{
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- scenario configuration -->\n"
                      "<config rel=\"3.1\" lang='en'>leading text &amp; more";
    int n = 0;
    std::size_t window = 1;
    for (const Across& across : kAcross) {
        fillTo(doc, window * kXferSinkChunkSize - across.edge, n);
        doc += across.text;
        ++window;
    }
    fillTo(doc, doc.size() + 3000, n);
    doc += "</destinationList>\n</config>\n";
    return doc;
}

TEST(VXLFileXmlReaderJob, FileReadGivesTheSameCallbacksAsFeedingTheBytes)
{
    const std::string doc = windowedDocument();
    for (std::size_t i = 0; i < std::size(kAcross); ++i)
        ASSERT_EQ(doc.compare((i + 1) * kXferSinkChunkSize - kAcross[i].edge,
                      std::string(kAcross[i].text).size(), kAcross[i].text),
            0);
    ASSERT_GT(doc.size(), 5u * kXferSinkChunkSize);

    ReaderFixture f;
    f.writeHostFile("vxlcfg.xml", doc);
    f.read("vxlcfg.xml");
    const std::string expected = reference(doc);
    ASSERT_EQ(expected.find("malformed"), std::string::npos);
    EXPECT_EQ(f.listener.trace, expected);
    EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {0}));
    EXPECT_TRUE(f.released());

    // The same job reads again, as its owner does for each pass.
    f.listener.trace.clear();
    const std::string small = "<scenarios><scenario id='compose' haspri=\"Y\">hi</scenario></scenarios>";
    f.writeHostFile("second.xml", small);
    f.read("second.xml");
    EXPECT_EQ(f.listener.trace, reference(small));
    EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {0, 0}));
    EXPECT_TRUE(f.released());
}

// A malformed document is reported as such where the reader finds it, in
// whatever window, and the reading fails: never a success with half of it.
TEST(VXLFileXmlReaderJob, MalformedFileFails)
{
    std::string late = "<config>";
    int n = 0;
    fillTo(late, 2 * kXferSinkChunkSize + 100, n);
    std::string unclosed = late;
    late += "</screen><after/></config>";

    struct Case {
        const char* what;
        std::string document;
    };
    const Case cases[] = {
        {"end tag matching nothing, in the third window", late},
        {"root never closed (found at the end of the file)", unclosed},
        {"document cut inside a tag", "<config><screen id=\"a"},
        {"text after the root", "<config/>trailing"},
        {"no root at all", "   "},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReaderFixture f;
        f.writeHostFile("vxlcfg.xml", c.document);
        f.read("vxlcfg.xml");
        const std::string expected = reference(c.document);
        ASSERT_NE(expected.find("malformed\n"), std::string::npos);
        EXPECT_EQ(f.listener.trace, expected);
        // Reported once, and nothing after it.
        EXPECT_EQ(f.listener.trace.find("malformed\n"), f.listener.trace.size() - 10);
        EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {kResultFailed}));
        EXPECT_TRUE(f.released());
    }
}

TEST(VXLFileXmlReaderJob, FileThatCannotBeReadFails)
{
    struct Case {
        const char* what;
        const char* path;
        std::int32_t result;
        bool holdAllStreams;
    };
    const Case cases[] = {
        {"missing file", "vxlcfg.xml", kResultNotFound, false},
        {"a folder of that name", "folder.xml", kResultNotFound, false},
        {"a name outside the working folder", "..\\outside.xml", kResultNotFound, false},
        {"no stream free", "present.xml", kResultNoStream, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReaderFixture f;
        f.writeHostFile("present.xml", "<a/>");
        f.writeHostFile("../outside.xml", "<a/>");
        std::filesystem::create_directory(f.hostFile("folder.xml"));
        std::vector<CVXLPlatformFileStream*> held;
        while (c.holdAllStreams)
            if (CVXLPlatformFileStream* stream = f.store.openStream())
                held.push_back(stream);
            else
                break;
        f.read(c.path);
        EXPECT_EQ(f.listener.trace, "");
        EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {c.result}));
        EXPECT_EQ(f.store.openStreams(), held.size());
        EXPECT_EQ(f.manager.countActiveChildren(), 2);
        for (CVXLPlatformFileStream* stream : held)
            f.store.closeStream(stream);
    }
}

TEST(VXLFileXmlReaderJob, ListenerStopsTheReadingMidFile)
{
    const std::string doc = windowedDocument();
    ReaderFixture f;
    f.writeHostFile("vxlcfg.xml", doc);
    // "t" starts in the fifth window.
    f.listener.stopAt = "t";
    f.read("vxlcfg.xml");
    const std::string expected = reference(doc);
    const std::size_t cut = expected.find("start t\n") + 8;
    EXPECT_EQ(f.listener.trace, expected.substr(0, cut));
    EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {kResultCancelled}));
    EXPECT_TRUE(f.released());
}

TEST(VXLFileXmlReaderJob, StoppingTheJobWhileReadingEndsWith24AndFreesTheStream)
{
    const std::string doc = windowedDocument();
    const std::string expected = reference(doc);
    for (bool beforeOpen : {true, false}) {
        SCOPED_TRACE(beforeOpen ? "stopped before the file was open" : "stopped between two windows");
        ReaderFixture f;
        f.writeHostFile("vxlcfg.xml", doc);
        f.job.setPath("vxlcfg.xml");
        f.job.beginReading();
        for (int i = 0; !beforeOpen && f.listener.trace.empty() && i < 1000; ++i)
            f.driver.step();
        ASSERT_TRUE(f.listener.finished.empty());
        EXPECT_EQ(f.store.openStreams(), beforeOpen ? 0u : 1u);
        f.job.stop();
        f.driver.runUntilIdle(100000);
        EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {kResultCancelled}));
        EXPECT_EQ(f.job.runState(), kHandlerFinished);
        EXPECT_EQ(f.job.parent(), nullptr);
        EXPECT_EQ(expected.compare(0, f.listener.trace.size(), f.listener.trace), 0);
        EXPECT_LT(f.listener.trace.size(), expected.size() / 2);
        EXPECT_TRUE(f.released());

        // Attached again, it reads the whole file.
        f.listener.trace.clear();
        f.driver.attach(&f.job);
        f.read("vxlcfg.xml");
        EXPECT_EQ(f.listener.trace, expected);
        EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {kResultCancelled, 0}));
        EXPECT_TRUE(f.released());
    }
}

// A new reading asked for while one is under way replaces it: the old one is
// wound down unreported, and the new one is read whole and reported once.
TEST(VXLFileXmlReaderJob, NewReadingReplacesTheOneUnderWay)
{
    const std::string doc = windowedDocument();
    const std::string small = "<scenarios><scenario id=\"send\"/></scenarios>";
    ReaderFixture f;
    f.writeHostFile("vxlcfg.xml", doc);
    f.writeHostFile("small.xml", small);
    f.job.setPath("vxlcfg.xml");
    f.job.beginReading();
    for (int i = 0; f.listener.trace.empty() && i < 1000; ++i)
        f.driver.step();
    ASSERT_FALSE(f.listener.trace.empty());
    const std::size_t mark = f.listener.trace.size();
    f.job.setPath("small.xml");
    f.job.beginReading();
    f.driver.runUntilIdle(100000);
    EXPECT_EQ(f.listener.trace.substr(mark), reference(small));
    EXPECT_EQ(f.listener.finished, (std::vector<std::int32_t> {0}));
    EXPECT_TRUE(f.released());
}

// The sink job reads from any source its owner gives it, and leaves that
// source to the owner for the next reading.
struct BufferReaderJob : CVXLXmlReaderSinkJob {
    std::string trace;
    std::vector<std::int32_t> finished;

    void onElement(const CVXLString& name, bool start) override
    {
        trace += (start ? "start " : "end ") + XmlTraceReader::escaped(name) + "\n";
    }
    void onAttribute(const CVXLString& name, const CVXLString& value) override
    {
        trace += "attr " + XmlTraceReader::escaped(name) + "=" + XmlTraceReader::escaped(value) + "\n";
    }
    void onText(const CVXLString& text) override { trace += "text " + XmlTraceReader::escaped(text) + "\n"; }
    void onMalformed() override { trace += "malformed\n"; }
    void readingFinished(std::int32_t result) override { finished.push_back(result); }
};

TEST(VXLXmlReaderSinkJob, ReadsFromTheOwnersSourceAgainAndAgain)
{
    JobTreeDriver driver;
    CVXLByteBufferSource source;
    BufferReaderJob job;
    driver.attach(&source);
    driver.attach(&job);
    driver.runUntilIdle();
    job.beginReading();
    driver.runUntilIdle();
    EXPECT_EQ(job.finished, (std::vector<std::int32_t> {kResultFailed})); // no source set

    struct Case {
        std::string document;
        std::int32_t result;
    };
    const Case cases[] = {
        {windowedDocument(), kResultSucceeded},
        {"<a><b></a>", kResultFailed},
        {"<a x='1'>t&amp;u</a>", kResultSucceeded},
    };
    job.setSource(&source);
    for (const Case& c : cases) {
        job.trace.clear();
        job.finished.clear();
        CVXLByteBuffer bytes;
        bytes.append(c.document.data(), static_cast<std::uint32_t>(c.document.size()));
        source.setBuffer(bytes);
        job.beginReading();
        driver.runUntilIdle(100000);
        EXPECT_EQ(job.trace, reference(c.document));
        EXPECT_EQ(job.finished, (std::vector<std::int32_t> {c.result}));
        EXPECT_EQ(job.source(), &source);
        EXPECT_EQ(source.runState(), kHandlerIdle);
    }
}

} // namespace
