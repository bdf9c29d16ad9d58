#include "engine/transport/http/VXLHttpProcessor.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "engine/transport/tasks/VXLTransactionListener.h"
#include "tests/support/HttpTestPeer.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScriptedNetwork.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/transport/http/StubbornPeer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// The HTTP processor run by the task processor against tests/peers/
// http_peer.py (and through a real squid): the request it composes, the
// reply body in its file, progress, statuses and cancelling.

namespace {

constexpr const char* kResponseFile = "\\My Documents\\reply.raw";
constexpr const char* kResponseHostPath = "My Documents/reply.raw";
constexpr const char* kDeviceId = "device-4711";

std::string patternOf(std::size_t n)
{
    std::string text;
    while (text.size() < n)
        text += "0123456789";
    return text.substr(0, n);
}

class RecordingListener : public CVXLTransactionListener {
public:
    void transactionFinished(std::int32_t result) override { results.push_back(result); }
    std::vector<std::int32_t> results;
};

// One transaction with its listener and a response message naming the file.
struct Exchange {
    Exchange(std::int32_t method, const std::string& url, const char* file = kResponseFile)
        : transaction(CVXLTransactionListenerRef(&listener))
    {
        transaction.setMethod(method);
        transaction.setUrl(CVXLString(url.c_str()));
        CVXLMessage response;
        if (file) {
            auto* body = new CVXLMimeEntity;
            body->setFileName(CVXLString(file));
            response.setBody(CVXLEntityRef(body));
        }
        transaction.setResponseMessage(response);
    }

    void setPostBody(const std::string& bytes, const char* contentType)
    {
        auto* body = new CVXLMimeEntity;
        CVXLByteBuffer buffer;
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        body->setBodyBuffer(buffer);
        body->setContentType(CVXLString(contentType));
        transaction.requestMessage().setBody(CVXLEntityRef(body));
    }

    std::string replyHeader(const char* name) const
    {
        return transaction.responseMessage().headerValue(CVXLString(name)).c_str();
    }
    std::uint32_t dataSize() const { return transaction.responseMessage().body()->dataSize(); }

    RecordingListener listener;
    CVXLHttpTransaction transaction;
};

class HttpProcessorTest : public ::testing::Test {
protected:
    HttpProcessorTest()
        : dialer(&factory, &settings)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(peer.start());
        settings.userAgent = "TesselTest/1.0";
        settings.userName = kDeviceId;
        store = std::make_unique<CVXLPlatformMessageStore>();
        processor.setDialer(&dialer);
        processor.setSettings(&settings);
        processor.setMessageStore(store.get());
        processor.setSettingsStore(&pers);
        driver.attach(&dialer);
        driver.attach(&tasks);
        tasks.registerProcessor(&processor);
        driver.runUntilIdle();
    }

    void TearDown() override
    {
        // Whatever happened, the response file is closed again.
        EXPECT_EQ(store->openStreams(), 0u);
        EXPECT_FALSE(processor.isBusy());
    }

    std::string setting(const char* key) const
    {
        CVXLString value;
        pers.get(CVXLString(key), &value);
        return value.c_str();
    }

    // Steps the tree one step at a time with the driven clock following real
    // time (the peers are real processes); `each` runs after every step.
    bool pump(const std::function<bool()>& done, const std::function<void()>& each = {}, int realMs = 20000)
    {
        auto work = [&] {
            driver.step();
            if (each)
                each();
        };
        return driver.followRealTime(work, done, realMs, std::chrono::microseconds(200));
    }

    // Submits and runs until the listener has been told; every distinct
    // value of "int.progress_current" seen on the way is kept.
    void run(Exchange& e)
    {
        pers.set(CVXLString(CVXLHttpProcessor::kProgressTotalKey), CVXLString(""));
        pers.set(CVXLString(CVXLHttpProcessor::kProgressCurrentKey), CVXLString(""));
        progress.clear();
        ASSERT_EQ(tasks.addTransaction(&e.transaction), 1);
        auto sample = [&] {
            const std::string current = setting(CVXLHttpProcessor::kProgressCurrentKey);
            if (!current.empty() && (progress.empty() || progress.back() != current))
                progress.push_back(current);
        };
        EXPECT_TRUE(pump([&] { return !e.listener.results.empty(); }, sample)) << "no result in time";
        // Told once, and never again.
        pump([] { return false; }, {}, 50);
        EXPECT_EQ(e.listener.results.size(), 1u);
    }

    std::int32_t result(const Exchange& e) const
    {
        return e.listener.results.empty() ? -1 : e.listener.results[0];
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    HttpTestPeer peer;
    CVXLPlatformFactory factory;
    CVXLHttpSettings settings;
    CVXLNetworkDialer dialer;
    CVXLPersStore pers;
    std::unique_ptr<CVXLPlatformMessageStore> store;
    CVXLTaskProcessor tasks;
    CVXLHttpProcessor processor;
    std::vector<std::string> progress;
};

TEST_F(HttpProcessorTest, TheReplyBodyGoesToTheFileInChunksWithProgress)
{
    struct Case {
        const char* path;
        std::size_t length;
        const char* total; // "int.progress_total": 0 when the length is not known
    } cases[] = {
        {"/bytes/120000", 120000, "120000"},
        {"/chunked/120000", 120000, "0"},
        {"/close-delimited", 3000, "0"},
        // The 100 bytes past Content-Length are not part of the body.
        {"/overlong/70000", 70000, "70000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Exchange e(CVXLHttpTransaction::kMethodGet, peer.url(c.path));
        run(e);
        EXPECT_EQ(result(e), kResultSucceeded);
        EXPECT_EQ(root.readFile(kResponseHostPath), patternOf(c.length));
        EXPECT_EQ(e.dataSize(), c.length);
        EXPECT_EQ(setting(CVXLHttpProcessor::kProgressTotalKey), c.total);
        EXPECT_EQ(setting(CVXLHttpProcessor::kProgressCurrentKey), std::to_string(c.length));
        // The reply headers are the response message's.
        EXPECT_EQ(e.replyHeader("X-Peer-Request"), "1");
        // Each step of the progress is one write of at most 51,200 bytes.
        std::uint64_t before = 0;
        for (const std::string& value : progress) {
            const std::uint64_t now = std::stoull(value);
            EXPECT_LE(now - before, CVXLHttpProcessor::kReadChunkBytes) << value;
            before = now;
        }
        if (c.length > 2 * CVXLHttpProcessor::kReadChunkBytes) {
            EXPECT_GE(progress.size(), 4u) << "0 and at least three writes";
        }
    }
}

// Content-Length 5 beside chunks of 10 bytes: the chunks are the body, in
// the file and in the figures, not the first five bytes.
TEST_F(HttpProcessorTest, ChunksWinOverAContentLength)
{
    StubbornPeer stubborn;
    ASSERT_TRUE(stubborn.started());
    Exchange e(CVXLHttpTransaction::kMethodGet, stubborn.url("/both-framings"));
    run(e);
    EXPECT_EQ(result(e), kResultSucceeded);
    EXPECT_EQ(root.readFile(kResponseHostPath), "helloworld");
    EXPECT_EQ(e.dataSize(), 10u);
    EXPECT_EQ(setting(CVXLHttpProcessor::kProgressTotalKey), "0");
    EXPECT_EQ(setting(CVXLHttpProcessor::kProgressCurrentKey), "10");
}

// A message header with a line end would end the head early and smuggle in
// headers of the sender's choosing: the transaction fails instead.
TEST_F(HttpProcessorTest, AHeaderWithALineEndFailsTheTransaction)
{
    Exchange e(CVXLHttpTransaction::kMethodGet, peer.url("/echo"));
    e.transaction.requestMessage().addHeader("X-Note", "a\r\nX-Injected: yes");
    run(e);
    EXPECT_EQ(result(e), kResultMalformed);
    EXPECT_EQ(root.readFile(kResponseHostPath).find("X-Injected"), std::string::npos);
}

TEST_F(HttpProcessorTest, AGetCarriesTheEngineHeadersAndTheMessageHeaders)
{
    Exchange e(CVXLHttpTransaction::kMethodGet, peer.url("/echo"));
    CVXLMessage& request = e.transaction.requestMessage();
    request.addHeader("X-Twice", "first");
    request.addHeader("X-Twice", "second");
    request.addHeader("Accept", "application/vnd.wap.mms-message");
    // Framing is the transport's: a stray length must not reach the wire.
    request.addHeader("Content-Length", "999");
    run(e);
    ASSERT_EQ(result(e), kResultSucceeded);
    const std::string head = root.readFile(kResponseHostPath);
    EXPECT_EQ(head.rfind("GET /echo HTTP/1.0\r\n", 0), 0u) << head;
    for (const std::string& line : std::vector<std::string> {
             "x-vxl-ver: 5.5.6\r\n",
             "User-Agent: TesselTest/1.0\r\n",
             std::string("X-QV-Device-Id: ") + kDeviceId + "\r\n",
             "Cache-Control: no-transform\r\n",
             "X-Twice: second\r\n",
             "Accept: application/vnd.wap.mms-message\r\n",
         })
        EXPECT_NE(head.find(line), std::string::npos) << line << head;
    for (const char* absent : {"X-Twice: first", "Content-Length", "Accept: */*"})
        EXPECT_EQ(head.find(absent), std::string::npos) << absent << head;
}

TEST_F(HttpProcessorTest, APostSendsItsBodyWithTheEntitysContentType)
{
    Exchange e(CVXLHttpTransaction::kMethodPost, peer.url("/echo"));
    const std::string body = patternOf(20000) + std::string("\0\xff", 2);
    e.setPostBody(body, "application/vnd.wap.mms-message");
    e.transaction.requestMessage().addHeader("Content-Type", "text/plain");
    run(e);
    ASSERT_EQ(result(e), kResultSucceeded);
    const std::string echoed = root.readFile(kResponseHostPath);
    const std::size_t end = echoed.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos) << echoed;
    const std::string head = echoed.substr(0, end + 2);
    EXPECT_EQ(head.rfind("POST /echo HTTP/1.0\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("Content-Type: application/vnd.wap.mms-message\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Content-Length: 20002\r\n"), std::string::npos) << head;
    EXPECT_EQ(head.find("text/plain"), std::string::npos) << head;
    EXPECT_EQ(echoed.substr(end + 4), body);
}

TEST_F(HttpProcessorTest, AStatusOutside2xxGives50AndNoFile)
{
    for (const char* path : {"/status/404", "/status/500", "/status/301"}) {
        SCOPED_TRACE(path);
        Exchange e(CVXLHttpTransaction::kMethodGet, peer.url(path));
        run(e);
        EXPECT_EQ(result(e), kResultHttpStatus);
        EXPECT_FALSE(root.exists(kResponseHostPath));
        EXPECT_EQ(e.dataSize(), 0u);
        // The reply headers are kept all the same.
        EXPECT_EQ(e.replyHeader("X-Peer-Request"), "1");
    }
}

// A decoder must never read an older exchange's reply: a 2xx without a body
// leaves an empty file.
TEST_F(HttpProcessorTest, A2xxWithoutABodyLeavesAnEmptyFile)
{
    for (const char* path : {"/no-content", "/bytes/0"}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(root.writeFile(kResponseHostPath, "the previous exchange's reply"));
        Exchange e(CVXLHttpTransaction::kMethodGet, peer.url(path));
        run(e);
        EXPECT_EQ(result(e), kResultSucceeded);
        EXPECT_TRUE(root.exists(kResponseHostPath));
        EXPECT_EQ(root.readFile(kResponseHostPath), "");
        EXPECT_EQ(e.dataSize(), 0u);
    }
}

TEST_F(HttpProcessorTest, FailuresOfTheExchangeAndTheFileAreReported)
{
    struct Case {
        std::string url;
        const char* file;
        std::int32_t result;
    } cases[] = {
        // The response file's name leaves the device root: it cannot be opened.
        {peer.url("/bytes/10"), "\\..\\outside.raw", kResultFailed},
        // Nothing listens there.
        {"http://127.0.0.1:1/", kResponseFile, kResultConnectFailed},
        // No file to write to: the processor refuses the transaction.
        {peer.url("/bytes/10"), nullptr, kResultTransactionFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Exchange e(CVXLHttpTransaction::kMethodGet, c.url, c.file);
        run(e);
        EXPECT_EQ(result(e), c.result);
        EXPECT_FALSE(root.exists(kResponseHostPath));
    }
    // Without a dialer the exchange fails instead of waiting for ever.
    processor.setDialer(nullptr);
    Exchange undialled(CVXLHttpTransaction::kMethodGet, peer.url("/bytes/10"));
    run(undialled);
    EXPECT_EQ(result(undialled), kResultTransactionFailed);
    processor.setDialer(&dialer);
    // The processor is free again.
    Exchange after(CVXLHttpTransaction::kMethodGet, peer.url("/bytes/10"));
    run(after);
    EXPECT_EQ(result(after), kResultSucceeded);
}

TEST_F(HttpProcessorTest, ACancelInTheMiddleGives24AndFreesTheProcessor)
{
    struct Case {
        const char* path;
        // When the cancel comes: once the first chunk is written, or while
        // the exchange is waiting for the server.
        bool afterFirstWrite;
    } cases[] = {{"/bytes/5000000", true}, {"/stall", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        pers.set(CVXLString(CVXLHttpProcessor::kProgressCurrentKey), CVXLString(""));
        Exchange e(CVXLHttpTransaction::kMethodGet, peer.url(c.path));
        ASSERT_EQ(tasks.addTransaction(&e.transaction), 1);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(pump([&] {
            if (c.afterFirstWrite) {
                const std::string current = setting(CVXLHttpProcessor::kProgressCurrentKey);
                return !current.empty() && current != "0";
            }
            return e.transaction.processor()
                && std::chrono::steady_clock::now() - started > std::chrono::milliseconds(400);
        }));
        ASSERT_TRUE(e.listener.results.empty());
        e.transaction.cancel();
        EXPECT_TRUE(pump([&] { return !e.listener.results.empty(); }, {}, 5000));
        pump([] { return false; }, {}, 50);
        ASSERT_EQ(e.listener.results, std::vector<std::int32_t> {kResultCancelled});
        if (c.afterFirstWrite) {
            EXPECT_LT(e.dataSize(), 5000000u);
        }
    }
    Exchange after(CVXLHttpTransaction::kMethodGet, peer.url("/bytes/100"));
    run(after);
    EXPECT_EQ(result(after), kResultSucceeded);
    EXPECT_EQ(root.readFile(kResponseHostPath), patternOf(100));
}

// Stopping the engine in the middle of a body: the processor hands the HTTP
// job back what it holds, so both can stop, and the listener hears 24 once.
TEST_F(HttpProcessorTest, StoppingTheTaskProcessorMidBodyReports24)
{
    Exchange e(CVXLHttpTransaction::kMethodGet, peer.url("/bytes/5000000"));
    ASSERT_EQ(tasks.addTransaction(&e.transaction), 1);
    ASSERT_TRUE(pump([&] {
        const std::string current = setting(CVXLHttpProcessor::kProgressCurrentKey);
        return !current.empty() && current != "0";
    }));
    tasks.stop();
    EXPECT_TRUE(pump([&] { return tasks.runState() == kHandlerFinished; }, {}, 5000));
    pump([] { return false; }, {}, 50);
    EXPECT_EQ(e.listener.results, std::vector<std::int32_t> {kResultCancelled});
}

// A transaction deleted while it runs is dropped without a report, and the
// processor ends its exchange.
TEST_F(HttpProcessorTest, ATransactionDeletedWhileRunningIsNotReported)
{
    auto e = std::make_unique<Exchange>(CVXLHttpTransaction::kMethodGet, peer.url("/stall"));
    ASSERT_EQ(tasks.addTransaction(&e->transaction), 1);
    ASSERT_TRUE(pump([&] { return e->transaction.processor() != nullptr; }));
    e.reset();
    EXPECT_TRUE(pump([&] { return !processor.isBusy(); }, {}, 5000));
    Exchange after(CVXLHttpTransaction::kMethodGet, peer.url("/bytes/10"));
    run(after);
    EXPECT_EQ(result(after), kResultSucceeded);
}

class HttpProcessorProxyTest : public HttpProcessorTest {
protected:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolSquid());
        ASSERT_TRUE(squid.start()) << squid.error();
        HttpProcessorTest::SetUp();
        setUp = true;
    }
    void TearDown() override
    {
        if (setUp)
            HttpProcessorTest::TearDown();
    }

    SquidProxy squid;
    bool setUp = false;
};

TEST_F(HttpProcessorProxyTest, GetAndPostThroughSquidAndAWrongPasswordGives50)
{
    struct Case {
        std::int32_t method;
        const char* path;
        const char* password;
        std::int32_t result;
    } cases[] = {
        {CVXLHttpTransaction::kMethodGet, "/bytes/70000", SquidProxy::kPassword, kResultSucceeded},
        {CVXLHttpTransaction::kMethodPost, "/echo", SquidProxy::kPassword, kResultSucceeded},
        {CVXLHttpTransaction::kMethodGet, "/bytes/10", "wrong", kResultHttpStatus},
    };
    const std::string body = "posted through the proxy";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        settings.proxyUri = squid.proxyUri(SquidProxy::kUser, c.password).c_str();
        ::unlink(root.hostPath(kResponseHostPath).c_str());
        Exchange e(c.method, peer.url(c.path));
        if (c.method == CVXLHttpTransaction::kMethodPost)
            e.setPostBody(body, "application/vnd.wap.mms-message");
        run(e);
        EXPECT_EQ(result(e), c.result);
        const std::string file = root.readFile(kResponseHostPath);
        if (c.result != kResultSucceeded) {
            EXPECT_FALSE(root.exists(kResponseHostPath));
        } else if (c.method == CVXLHttpTransaction::kMethodGet) {
            EXPECT_EQ(file, patternOf(70000));
        } else {
            // The peer saw the device id and the whole body.
            EXPECT_NE(file.find(std::string("X-QV-Device-Id: ") + kDeviceId), std::string::npos) << file;
            EXPECT_EQ(file.substr(file.size() - body.size()), body);
        }
    }
    EXPECT_FALSE(squid.accessLogLines(SquidProxy::kUser, 1).empty()) << squid.accessLog();
}

// The processor on a scripted network and the driven clock: the reply
// length its transaction announces reaches the HTTP job, whose total bound
// for a reply of unknown length grows with it.
class HttpProcessorScriptedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = std::make_unique<CVXLPlatformMessageStore>();
        processor.setDialer(network.dialer());
        processor.setSettings(&settings);
        processor.setMessageStore(store.get());
        processor.setSettingsStore(&pers);
        driver.attach(network.dialer());
        driver.attach(&tasks);
        tasks.registerProcessor(&processor);
        driver.runUntilIdle();
    }

    void TearDown() override
    {
        EXPECT_EQ(store->openStreams(), 0u);
        EXPECT_FALSE(processor.isBusy());
    }

    // Runs on the driven clock until the listener is told; the driven ms it
    // took.
    std::uint32_t run(Exchange& e)
    {
        const std::uint32_t start = driver.now();
        EXPECT_EQ(tasks.addTransaction(&e.transaction), 1);
        for (int round = 0; round < 100000 && e.listener.results.empty(); ++round) {
            while (driver.runUntilIdle(100000) >= 100000) { }
            if (e.listener.results.empty() && !driver.runToNextTimer())
                break;
        }
        return driver.now() - start;
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    ScriptedNetwork network {driver};
    CVXLHttpSettings settings;
    CVXLPersStore pers;
    std::unique_ptr<CVXLPlatformMessageStore> store;
    CVXLTaskProcessor tasks;
    CVXLHttpProcessor processor;
};

TEST_F(HttpProcessorScriptedTest, AnAnnouncedLengthGivesAReplyInChunksTheTimeItsSizeTakes)
{
    using Net = ScriptedNetwork;
    constexpr std::uint32_t kSize = 300 * 1024;
    constexpr std::uint32_t kRate = 300; // bytes a driven second
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    std::string body;
    for (std::uint32_t at = 0; at < kSize; at += 4096) {
        std::ostringstream size;
        size << std::hex << std::min<std::uint32_t>(4096, kSize - at) << "\r\n";
        body += size.str() + std::string(std::min<std::uint32_t>(4096, kSize - at), 'x') + "\r\n";
    }
    const std::string reply = head + body + "0\r\n\r\n";
    // The reads that come before `until` (half a second off each driven
    // second, so none lands on a bound); a peer cut off there waits.
    const auto script = [&](std::uint32_t until) {
        std::vector<Net::Step> steps
            = {Net::dial("relay.example:80"), Net::write("GET /m?id=1 HTTP/1.0\r\n")};
        for (std::size_t i = 0; i * kRate < reply.size(); ++i) {
            const auto at = static_cast<std::uint32_t>(i * 1000 + 500);
            if (at >= until) {
                steps.push_back(Net::stall());
                break;
            }
            steps.push_back(Net::read(reply.substr(i * kRate, kRate), at));
        }
        steps.push_back(Net::close());
        return steps;
    };
    const auto slowest = static_cast<std::uint32_t>((reply.size() - 1) / kRate * 1000 + 500);
    ASSERT_GT(slowest, CHTTPv2Job::kDefaultMaxExchangeMs);

    const struct {
        const char* what;
        std::uint32_t announced;
        std::int32_t result;
        std::uint32_t endsAt;
    } rows[] = {
        {"announced: it completes", kSize, kResultSucceeded, slowest},
        {"not announced: the settings' bound ends it", 0, kResultTimedOut, CHTTPv2Job::kDefaultMaxExchangeMs},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ::unlink(root.hostPath(kResponseHostPath).c_str());
        network.setScript(script(row.endsAt + 1));
        Exchange e(CVXLHttpTransaction::kMethodGet, "http://relay.example/m?id=1");
        e.transaction.setExpectedReplyLength(row.announced);
        // The task processor hands the transaction on at once.
        const std::uint32_t took = run(e);
        EXPECT_EQ(took, row.endsAt);
        ASSERT_EQ(e.listener.results.size(), 1u);
        EXPECT_EQ(e.listener.results[0], row.result);
        if (row.result == kResultSucceeded)
            EXPECT_EQ(root.readFile(kResponseHostPath), std::string(kSize, 'x'));
        else
            EXPECT_FALSE(root.exists(kResponseHostPath));
        EXPECT_EQ(network.openConnections(), 0);
        EXPECT_TRUE(network.allUsed());
        EXPECT_EQ(network.mismatches(), "");
    }
}

} // namespace
