#include "engine/transport/mms/VXLMMSProcessor.h"

#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/transport/http/VXLHttpProcessor.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLWspDecode.h"
#include "engine/transport/mms/VXLWspEncode.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "engine/transport/tasks/VXLTransactionListener.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The MMS processor end to end: the task processor with the MMS, HTTP,
// encode and decode processors, the network dialer on loopback, a real squid
// and tests/peers/mms_relay.py behind it. tshark reads what the relay saved.

namespace {

constexpr const char* kResponseFile = "\\My Documents\\temp_mms.raw";
constexpr const char* kResponseHostPath = "My Documents/temp_mms.raw";

class RecordingListener : public CVXLTransactionListener {
public:
    void transactionFinished(std::int32_t result) override { results.push_back(result); }
    std::vector<std::int32_t> results;
};

struct Exchange {
    Exchange(CVXLMmsPdu* request, const std::string& url)
        : transaction(CVXLTransactionListenerRef(&listener))
    {
        transaction.setRequestPdu(CVXLPduRef(request));
        transaction.setUrl(CVXLString(url.c_str()));
        transaction.setResponseFileName(kResponseFile);
    }
    RecordingListener listener;
    CVXLMmsTransaction transaction;
};

std::string bytesOf(const CVXLByteBuffer& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length());
}

std::string encoded(CVXLMmsPdu* pdu)
{
    CVXLPduRef held(pdu);
    CVXLByteBuffer out;
    EXPECT_TRUE(CVXLWspPduEncoder::encode(*held.get(), out));
    return bytesOf(out);
}

class MMSProcessorRelayTest : public ::testing::Test {
protected:
    MMSProcessorRelayTest()
        : dialer(&factory, &settings)
    {
    }

    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolSquid());
        ASSERT_TRUE(squid.start()) << squid.error();
        ASSERT_TRUE(relay.start());
        settings.userAgent = "TesselTest/1.0";
        settings.userName = "device-4711";
        settings.proxyUri = squid.proxyUri().c_str();
        store = std::make_unique<CVXLPlatformMessageStore>();
        http.setDialer(&dialer);
        http.setSettings(&settings);
        http.setMessageStore(store.get());
        http.setSettingsStore(&pers);
        encoder.setMessageStore(store.get());
        decoder.setMessageStore(store.get());
        driver.attach(&dialer);
        driver.attach(&tasks);
        tasks.registerProcessor(&mms);
        tasks.registerProcessor(&http);
        tasks.registerProcessor(&encoder);
        tasks.registerProcessor(&decoder);
        driver.runUntilIdle();
        started = true;
    }

    void TearDown() override
    {
        if (!started)
            return;
        EXPECT_EQ(store->openStreams(), 0u);
        for (const CVXLProcessor* p : std::vector<const CVXLProcessor*> {&mms, &http, &encoder, &decoder})
            EXPECT_FALSE(p->isBusy()) << p->name();
    }

    // Steps the tree with the driven clock following real time (the peers
    // are real processes) until done() holds or realMs have passed.
    bool pump(const std::function<bool()>& done, int realMs = 20000)
    {
        return driver.followRealTime([&] { driver.step(); }, done, realMs, std::chrono::microseconds(200));
    }

    // Submits, runs until the listener is told, and a little longer to see
    // that it is told once.
    void run(Exchange& e)
    {
        ASSERT_EQ(tasks.addTransaction(&e.transaction), 1);
        EXPECT_TRUE(pump([&] { return !e.listener.results.empty(); })) << "no result in time";
        pump([] { return false; }, 450);
        ASSERT_EQ(e.listener.results.size(), 1u);
    }

    // tshark reads the saved request as our decoder does.
    void expectTsharkAgrees(int request)
    {
        TESSEL_REQUIRE_TOOL(testToolTshark());
        const std::string body = relay.savedBody(request);
        const mmstest::Bytes bytes(body.begin(), body.end());
        CVXLMmsPdu decoded;
        CVXLWspPduDecoder decoder;
        ASSERT_TRUE(decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), decoded));
        EXPECT_EQ(mmstest::sortedNormalised(mmstest::describeForTshark(decoded)),
            mmstest::sortedNormalised(mmstest::runOracle(bytes)))
            << "request " << request;
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    SquidProxy squid;
    MmsRelayPeer relay;
    CVXLPlatformFactory factory;
    CVXLHttpSettings settings;
    CVXLNetworkDialer dialer;
    CVXLPersStore pers;
    std::unique_ptr<CVXLPlatformMessageStore> store;
    CVXLTaskProcessor tasks;
    CVXLMMSProcessor mms;
    CVXLHttpProcessor http;
    CVXLWspEncode encoder;
    CVXLWspDecode decoder;
    bool started = false;
};

TEST_F(MMSProcessorRelayTest, SendNotifyRetrieveAndViewThroughSquid)
{
    {
        SCOPED_TRACE("send request");
        Exchange e(mmstest::sendRequest(), relay.url("/mms"));
        run(e);
        EXPECT_EQ(e.listener.results[0], kResultSucceeded);
        const CVXLPduRef reply = e.transaction.replyPdu();
        ASSERT_FALSE(reply.isEmpty());
        EXPECT_EQ(reply->pduKind(), kMmsSendConf);
        EXPECT_TRUE(reply->hasRequiredHeaders());
        EXPECT_EQ(reply->transactionId(), "QV-MMS-17");
        EXPECT_EQ(reply->field(kMmsFieldMessageId), "relay-msg-1");
        EXPECT_EQ(relay.savedBody(1), encoded(mmstest::sendRequest()));
        expectTsharkAgrees(1);
    }
    {
        SCOPED_TRACE("notification response");
        Exchange e(mmstest::notifyResponse(), relay.url("/mms"));
        run(e);
        EXPECT_EQ(e.listener.results[0], kResultSucceeded);
        EXPECT_TRUE(e.transaction.replyPdu().isEmpty());
        EXPECT_EQ(relay.savedBody(2), encoded(mmstest::notifyResponse()));
        expectTsharkAgrees(2);
    }
    {
        SCOPED_TRACE("retrieve");
        auto* retrieve = new CVXLSimpleRequestPdu(kMmsRetrieve, "");
        Exchange e(retrieve, relay.url("/retrieve/R77"));
        run(e);
        EXPECT_EQ(e.listener.results[0], kResultSucceeded);
        const CVXLPduRef reply = e.transaction.replyPdu();
        ASSERT_FALSE(reply.isEmpty());
        EXPECT_EQ(reply->pduKind(), kMmsRetrieveConf);
        EXPECT_TRUE(reply->hasRequiredHeaders());
        EXPECT_EQ(reply->transactionId(), "R77");
        EXPECT_EQ(reply->subject(), "Relay subject");
        // The body landed in the response file, where the parts point.
        const std::string file = root.readFile(kResponseHostPath);
        ASSERT_GT(file.size(), 2u);
        EXPECT_EQ(file.substr(0, 2), std::string("\x8C\x84"));
        const auto* body = static_cast<const CVXLMultipartBody*>(reply->body().get());
        ASSERT_NE(body, nullptr);
        ASSERT_EQ(body->partCount(), 2u);
        const CVXLEntityRef text = body->partAt(1);
        EXPECT_EQ(text->fileName(), kResponseFile);
        EXPECT_EQ(file.substr(text->dataStart(), text->dataSize()), "Hello from the test relay");
        // A plain GET: no MMS field codes among its headers.
        const std::string head = relay.savedHead(3);
        EXPECT_EQ(head.rfind("GET /retrieve/R77 ", 0), 0u) << head;
        EXPECT_EQ(head.find("\n12:"), std::string::npos) << head;
        EXPECT_NE(head.find("X-QV-Device-Id: device-4711"), std::string::npos) << head;
    }
    {
        SCOPED_TRACE("MMbox view");
        Exchange e(mmstest::mboxViewRequest(), relay.url("/mms?descriptors=3"));
        run(e);
        EXPECT_EQ(e.listener.results[0], kResultSucceeded);
        const CVXLPduRef reply = e.transaction.replyPdu();
        ASSERT_FALSE(reply.isEmpty());
        EXPECT_EQ(reply->pduKind(), kMmsMboxViewConf);
        EXPECT_TRUE(reply->hasRequiredHeaders());
        EXPECT_EQ(reply->messageCount(), "3");
        const auto* body = static_cast<const CVXLMultipartBody*>(reply->body().get());
        ASSERT_NE(body, nullptr);
        ASSERT_EQ(body->partCount(), 3u);
        for (std::uint32_t i = 0; i < 3; ++i) {
            const std::string n = std::to_string(i + 1);
            const auto* descriptor = static_cast<const CVXLMmsPdu*>(body->partAt(i).get());
            ASSERT_EQ(descriptor->kind(), CVXLMimeEntity::kMessage) << i;
            EXPECT_EQ(descriptor->pduKind(), kMmsMboxDescr) << i;
            EXPECT_EQ(descriptor->field(kMmsFieldMessageId), CVXLString(("mbox-msg-" + n).c_str())) << i;
            EXPECT_EQ(descriptor->subject(), CVXLString(("Stored " + n).c_str())) << i;
        }
        EXPECT_EQ(relay.savedBody(4), encoded(mmstest::mboxViewRequest()));
        expectTsharkAgrees(4);
    }
    // The relay read each request's type and id itself.
    const std::string log = relay.log();
    for (const char* line : {"001 POST /mms type=80 tid=QV-MMS-17 ", "002 POST /mms type=83 tid=N0001 ",
             "003 GET /retrieve/R77 ", "004 POST /mms?descriptors=3 type=8d tid=MMS-user "})
        EXPECT_NE(log.find(line), std::string::npos) << line << "in\n" << log;
    // Every request went through the proxy.
    const auto fetches = squid.accessLogLines(relay.url("/retrieve/R77"), 1);
    const std::string access = squid.accessLog();
    EXPECT_FALSE(fetches.empty()) << access;
    EXPECT_NE(access.find(SquidProxy::kUser), std::string::npos) << access;
}

TEST_F(MMSProcessorRelayTest, CancelDuringHttpGives24)
{
    Exchange e(mmstest::sendRequest(), relay.url("/stall"));
    ASSERT_EQ(tasks.addTransaction(&e.transaction), 1);
    // The relay has the whole request: the exchange waits for its answer.
    ASSERT_TRUE(pump([&] { return relay.log().find("/stall") != std::string::npos; }));
    ASSERT_TRUE(http.isBusy());
    ASSERT_TRUE(e.listener.results.empty());
    e.transaction.cancel();
    EXPECT_TRUE(pump([&] { return !e.listener.results.empty(); }, 10000));
    pump([] { return false; }, 450);
    EXPECT_EQ(e.listener.results, std::vector<std::int32_t> {kResultCancelled});
    EXPECT_TRUE(e.transaction.replyPdu().isEmpty());
    EXPECT_TRUE(pump([&] { return !http.isBusy(); }, 5000));

    Exchange next(mmstest::sendRequest(), relay.url("/mms"));
    run(next);
    EXPECT_EQ(next.listener.results[0], kResultSucceeded);
}

} // namespace
