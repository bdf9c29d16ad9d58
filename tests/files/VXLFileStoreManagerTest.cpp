#include "engine/files/VXLFileStoreManager.h"
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/files/VXLFileDeleteRequest.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLFileWriteRequest.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReply = 700;

std::string textOf(const CVXLByteBuffer& buffer)
{
    return buffer.length() ? std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length()) : "";
}

CVXLByteBuffer bufferOf(const std::string& text)
{
    CVXLByteBuffer buffer;
    buffer.append(text.data(), static_cast<std::uint32_t>(text.size()));
    return buffer;
}

struct ManagerFixture : FileStoreFixture {
    CVXLFileStoreManager manager;
    TraceJob requester {"requester"};

    ManagerFixture()
    {
        manager.setFileStore(&store);
        driver.attach(&manager);
        driver.attach(&requester);
        driver.runUntilIdle();
    }

    std::int32_t send(CVXLEvent& request, TraceJob& from)
    {
        const std::size_t before = from.results.size();
        from.post(&manager, &request);
        driver.runUntilIdle(100000);
        return from.results.size() > before ? from.results.back() : -1;
    }

    std::int32_t write(const std::string& name, const std::string& bytes, std::int32_t mode = kFileModeWrite)
    {
        CVXLFileWriteRequest request(kReply);
        request.fileName = name.c_str();
        request.openMode = mode;
        request.buffer = bufferOf(bytes);
        return send(request, requester);
    }

    std::int32_t read(const std::string& name, std::string* out, std::int32_t length = 0,
        std::int32_t start = 0, std::int32_t* size = nullptr)
    {
        CVXLFileReadRequest request(kReply);
        request.fileName = name.c_str();
        request.readLength = length;
        request.readStart = start;
        const std::int32_t result = send(request, requester);
        *out = textOf(request.buffer);
        if (size)
            *size = request.fileSize;
        return result;
    }

    std::int32_t remove(const std::string& name)
    {
        CVXLFileDeleteRequest request(kReply);
        request.fileName = name.c_str();
        return send(request, requester);
    }
};

TEST(VXLFileStoreManager, ReadsWritesAppendsAndDeletes)
{
    ManagerFixture f;
    const std::string big = FileStoreFixture::randomBytes(300000, 1);
    std::string out;
    std::int32_t size = -1;

    EXPECT_EQ(f.write("state.oq", big), 0);
    EXPECT_EQ(f.readHostFile("state.oq").size(), big.size());
    EXPECT_EQ(f.read("state.oq", &out, 0, 0, &size), 0);
    EXPECT_TRUE(out == big);
    EXPECT_EQ(size, 300000);
    EXPECT_EQ(f.read("state.oq", &out, 10, 100), 0);
    EXPECT_EQ(out, big.substr(100, 10));
    EXPECT_EQ(f.read("state.oq", &out, 0, 100), 0);
    EXPECT_EQ(out, "");

    EXPECT_EQ(f.write("state.oq", "short"), 0);
    EXPECT_EQ(f.readHostFile("state.oq"), "short");
    EXPECT_EQ(f.write("state.oq", "+more", kFileModeAppend), 0);
    EXPECT_EQ(f.read("state.oq", &out), 0);
    EXPECT_EQ(out, "short+more");
    EXPECT_EQ(f.write("items\\item_1.oq", "in a new folder"), 0);
    EXPECT_EQ(f.readHostFile("items/item_1.oq"), "in a new folder");
    EXPECT_EQ(f.write("empty.bin", ""), 0);
    EXPECT_EQ(f.read("empty.bin", &out, 0, 0, &size), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(size, 0);

    EXPECT_EQ(f.remove("state.oq"), 0);
    EXPECT_FALSE(f.hostFileExists("state.oq"));
    EXPECT_EQ(f.remove("state.oq"), 0); // already gone
    EXPECT_EQ(f.read("state.oq", &out), kResultNotFound);
    EXPECT_EQ(out, "");
    EXPECT_EQ(f.read("..\\outside", &out), kResultNotFound);
    EXPECT_EQ(f.write("..\\outside", "x"), 4);
    EXPECT_EQ(f.store.openStreams(), 0u);
}

// Several jobs post at once: each request is served in arrival order and
// each requester gets its own answer.
TEST(VXLFileStoreManager, InterleavedRequestsKeepTheirOrder)
{
    ManagerFixture f;
    TraceJob a("a"), b("b"), c("c");
    f.driver.attach(&a);
    f.driver.attach(&b);
    f.driver.attach(&c);
    f.driver.runUntilIdle();
    for (TraceJob* job : {&a, &b, &c}) {
        job->codes.clear();
        job->results.clear();
    }

    CVXLFileWriteRequest writeA(1), writeB(2), appendC(3);
    CVXLFileReadRequest readA(4), readB(5), readMissing(6);
    CVXLFileDeleteRequest deleteC(7);
    writeA.fileName = "shared.dat";
    writeA.buffer = bufferOf("from a");
    writeB.fileName = "shared.dat";
    writeB.buffer = bufferOf("from b, longer");
    appendC.fileName = "shared.dat";
    appendC.openMode = kFileModeAppend;
    appendC.buffer = bufferOf("+c");
    readA.fileName = "shared.dat";
    readB.fileName = "shared.dat";
    deleteC.fileName = "shared.dat";
    readMissing.fileName = "shared.dat";

    a.post(&f.manager, &writeA);
    b.post(&f.manager, &readB);
    b.post(&f.manager, &writeB);
    c.post(&f.manager, &appendC);
    a.post(&f.manager, &readA);
    c.post(&f.manager, &deleteC);
    a.post(&f.manager, &readMissing);
    f.driver.runUntilIdle(100000);

    EXPECT_EQ(a.codes, (std::vector<std::int32_t> {1, 4, 6}));
    EXPECT_EQ(a.results, (std::vector<std::int32_t> {0, 0, kResultNotFound}));
    EXPECT_EQ(b.codes, (std::vector<std::int32_t> {5, 2}));
    EXPECT_EQ(b.results, (std::vector<std::int32_t> {0, 0}));
    EXPECT_EQ(c.codes, (std::vector<std::int32_t> {3, 7}));
    EXPECT_EQ(c.results, (std::vector<std::int32_t> {0, 0}));
    EXPECT_EQ(textOf(readB.buffer), "from a");
    EXPECT_EQ(textOf(readA.buffer), "from b, longer+c");
    EXPECT_EQ(textOf(readMissing.buffer), "");
    EXPECT_FALSE(f.hostFileExists("shared.dat"));
}

TEST(VXLFileStoreManager, OpenForReadingHandsOutAStartedSourceJob)
{
    ManagerFixture f;
    f.writeHostFile("temp_mms.raw", "message body");
    CVXLByteBufferSink sink;
    f.driver.attach(&sink);
    CVXLNamedRequest open(kEventFileOpenForReading, kReply);
    open.fileName = "temp_mms.raw";
    ASSERT_EQ(f.send(open, f.requester), 0);
    ASSERT_NE(open.job, nullptr);
    EXPECT_EQ(open.job->parent(), &f.manager);
    EXPECT_EQ(f.store.openStreams(), 1u);

    CVXLEvent run(kEventXferRun, 701);
    open.job->setDestination(&sink);
    f.requester.post(open.job, &run);
    f.driver.runUntilIdle();
    EXPECT_EQ(f.requester.codes.back(), 701);
    EXPECT_EQ(f.requester.results.back(), 0);
    EXPECT_EQ(textOf(sink.data()), "message body");
    // Ending the job gives its stream back.
    open.job->stop();
    f.driver.runUntilIdle();
    EXPECT_EQ(f.store.openStreams(), 0u);
    EXPECT_EQ(f.manager.countActiveChildren(), 2); // its byte-buffer source and sink

    CVXLNamedRequest openWrite(kEventFileOpenForWriting, kReply);
    openWrite.fileName = "not_ind_resp.raw";
    ASSERT_EQ(f.send(openWrite, f.requester), 0);
    ASSERT_NE(openWrite.job, nullptr);
    openWrite.job->stop();
    f.driver.runUntilIdle();
    EXPECT_EQ(f.store.openStreams(), 0u);

    CVXLNamedRequest missing(kEventFileOpenForReading, kReply);
    missing.fileName = "nothing.raw";
    EXPECT_EQ(f.send(missing, f.requester), kResultNotFound);
    EXPECT_EQ(missing.job, nullptr);
}

TEST(VXLFileStoreManager, NoFreeStreamAnswers21)
{
    ManagerFixture f;
    f.writeHostFile("a.bin", "abc");
    std::vector<CVXLPlatformFileStream*> held;
    while (CVXLPlatformFileStream* stream = f.store.openStream())
        held.push_back(stream);
    ASSERT_EQ(held.size(), 32u);
    CVXLNamedRequest open(kEventFileOpenForReading, kReply);
    open.fileName = "a.bin";
    EXPECT_EQ(f.send(open, f.requester), kResultNoStream);
    EXPECT_EQ(open.job, nullptr);
    std::string out = "unchanged";
    EXPECT_EQ(f.read("a.bin", &out), kResultNoStream);
    EXPECT_EQ(f.write("b.bin", "x"), kResultNoStream);
    for (CVXLPlatformFileStream* stream : held)
        f.store.closeStream(stream);
    EXPECT_EQ(f.read("a.bin", &out), 0);
    EXPECT_EQ(out, "abc");
}

CVXLByteBuffer settingsImage(const std::vector<std::pair<const char*, const char*>>& pairs)
{
    CVXLPersStore settings;
    for (const auto& [key, value] : pairs)
        settings.set(key, value);
    CVXLByteStream image;
    settings.save(image);
    return image;
}

// The file the engine writes is read back by a reader of its own.
TEST(VXLFileStoreManager, SettingsFileReadsBackIndependently)
{
    ManagerFixture f;
    CVXLFileWriteRequest request(kReply);
    request.fileName = CVXLPersStore::kFileName;
    request.buffer = settingsImage({{"pers.vrax.id", "id-1"}, {"int.progress_total", "5"},
        {"vrax.url", "http://server/x"}, {"pers.bkg_upload_cursor", "12"}, {"inbox.new_msg_count", "3"},
        {"pers.vrax.time_last_rsp", "1700000000"}});
    ASSERT_EQ(f.send(request, f.requester), 0);
    const std::string dump = FileStoreFixture::runPython(
        "'" TESSEL_SOURCE_DIR "/tests/peers/vxl_reg_reader.py' '" + f.hostFile("_vxl.reg") + "'");
    EXPECT_EQ(dump,
        "root.pers.vrax.id=id-1\n"
        "root.pers.vrax.time_last_rsp=1700000000\n"
        "root.pers.bkg_upload_cursor=12\n");

    std::string bytes;
    ASSERT_EQ(f.read("_vxl.reg", &bytes), 0);
    CVXLPersStore loaded;
    CVXLByteStream reader(bufferOf(bytes));
    loaded.load(reader);
    CVXLString value;
    EXPECT_EQ(loaded.get("pers.bkg_upload_cursor", &value), 1);
    EXPECT_EQ(value, "12");
    EXPECT_FALSE(loaded.has("vrax.url"));
}

bool temporaryOf(const std::string& folder, const char* name)
{
    bool found = false;
    if (DIR* dir = ::opendir(folder.c_str())) {
        const std::string prefix = std::string(".") + name + ".tmp";
        while (dirent* entry = ::readdir(dir))
            found = found || std::string(entry->d_name).rfind(prefix, 0) == 0;
        ::closedir(dir);
    }
    return found;
}

// A process killed in the middle of saving leaves the previous settings file
// whole.
TEST(VXLFileStoreManager, KilledWhileSavingLeavesThePreviousFile)
{
    ManagerFixture f;
    CVXLFileWriteRequest first(kReply);
    first.fileName = CVXLPersStore::kFileName;
    first.buffer = settingsImage({{"pers.vrax.id", "before"}});
    ASSERT_EQ(f.send(first, f.requester), 0);
    const std::string before = f.readHostFile("_vxl.reg");
    const std::string folder = f.hostFile("");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string big(400000, 'v');
        CVXLFileWriteRequest second(kReply);
        second.fileName = CVXLPersStore::kFileName;
        second.buffer = settingsImage({{"pers.vrax.id", "after"}, {"pers.big", big.c_str()}});
        f.requester.post(&f.manager, &second);
        for (int i = 0; i < 200; ++i) {
            f.driver.step();
            // Part of the new image is on disk, under its temporary name.
            if (temporaryOf(folder, "_vxl.reg") && f.readHostFile("_vxl.reg") == before)
                ::kill(::getpid(), SIGKILL);
        }
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child never got into the write";
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_TRUE(f.readHostFile("_vxl.reg") == before);
    std::string bytes;
    ASSERT_EQ(f.read("_vxl.reg", &bytes), 0);
    CVXLPersStore loaded;
    CVXLByteStream reader(bufferOf(bytes));
    loaded.load(reader);
    CVXLString value;
    EXPECT_EQ(loaded.get("pers.vrax.id", &value), 1);
    EXPECT_EQ(value, "before");

    // The next save replaces it whole.
    CVXLFileWriteRequest third(kReply);
    third.fileName = CVXLPersStore::kFileName;
    third.buffer = settingsImage({{"pers.vrax.id", "third"}});
    ASSERT_EQ(f.send(third, f.requester), 0);
    EXPECT_TRUE(f.readHostFile("_vxl.reg") == textOf(third.buffer));
}

// Stopped in the middle of a transfer, the manager answers the request it
// serves and the ones queued behind it with 24, gives every stream back and
// leaves a file being replaced as it was.
TEST(VXLFileStoreManager, StoppedMidTransferAnswersEveryRequest)
{
    const struct {
        const char* name;
        bool write;
    } cases[] = {
        {"a 400 KB read", false},
        {"a 400 KB write over an older file", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManagerFixture f;
        const std::string big = FileStoreFixture::randomBytes(400000, 2);
        f.writeHostFile("state.oq", c.write ? "old contents" : big);
        TraceJob other("other");
        f.driver.attach(&other);
        f.driver.runUntilIdle();

        CVXLFileReadRequest read(kReply);
        CVXLFileWriteRequest write(kReply);
        read.fileName = "state.oq";
        write.fileName = "state.oq";
        write.buffer = bufferOf(big);
        CVXLEvent& request = c.write ? static_cast<CVXLEvent&>(write) : read;
        CVXLFileReadRequest queued(kReply + 1);
        queued.fileName = "state.oq";
        f.requester.post(&f.manager, &request);
        other.post(&f.manager, &queued);
        for (int i = 0; i < 100 && f.store.openStreams() == 0; ++i)
            f.driver.step();
        f.driver.step();
        f.driver.step();
        ASSERT_EQ(f.store.openStreams(), 1u) << "the transfer is under way";
        ASSERT_EQ(request.status(), kEventInProgress);

        f.manager.stop();
        f.driver.runUntilIdle(100000);
        EXPECT_EQ(f.manager.runState(), kHandlerFinished);
        EXPECT_EQ(f.requester.codes.back(), kReply);
        EXPECT_EQ(f.requester.results.back(), kResultCancelled);
        EXPECT_EQ(f.requester.outstandingReplies(), 0);
        EXPECT_EQ(other.codes.back(), kReply + 1);
        EXPECT_EQ(other.results.back(), kResultCancelled);
        EXPECT_EQ(f.store.openStreams(), 0u);
        if (c.write) {
            EXPECT_EQ(f.readHostFile("state.oq"), "old contents");
            EXPECT_FALSE(temporaryOf(f.hostFile(""), "state.oq"));
        }
    }
}

} // namespace
