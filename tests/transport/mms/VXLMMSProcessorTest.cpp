#include "engine/transport/mms/VXLMMSProcessor.h"

#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "tests/transport/CodecJobFixture.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <utility>
#include <vector>

// The MMS processor with the real encoder and decoder and a scripted HTTP
// processor in place of the network: routes, reply typing, the descriptor
// loop, failures and cancelling. The end-to-end run against the test relay
// is in VXLMMSProcessorRelayTest.cpp.

namespace {

using codecjobs::RecordingListener;
using mmstest::Bytes;

constexpr const char* kResponseFile = "\\My Documents\\temp_mms.raw";
constexpr const char* kResponseHostPath = "My Documents/temp_mms.raw";

std::string sample(const char* file)
{
    const Bytes bytes = mmstest::sampleBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

std::string asText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Answers HTTP transactions from a script: the reply body goes to the
// response file (and the entity's size), or the exchange stalls until it is
// cancelled. What each request carried is kept.
class ScriptedHttp : public CVXLProcessor {
public:
    struct Seen {
        std::int32_t method;
        std::string url;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        std::string bodyType;
        std::string responseFile;
        std::uint32_t expectedReplyLength;
    };

    explicit ScriptedHttp(TempDeviceRoot& root)
        : root_(root)
    {
    }

    const char* name() const override { return "ScriptedHttp"; }
    bool acceptsTransaction(CVXLTransaction* transaction) override
    {
        return transaction && !isBusy() && transaction->typeName() == kHttpTransactionType;
    }
    int beginTransaction(CVXLTransaction* transaction) override
    {
        takeTransaction(transaction);
        return 1;
    }
    void onEvent(CVXLEvent* event) override
    {
        const std::int32_t code = event->effectiveCode();
        if (code != kEventStart)
            return CVXLProcessor::onEvent(event);
        finishEvent(event);
        auto* http = static_cast<CVXLHttpTransaction*>(transaction());
        record(*http);
        if (stall)
            return;
        CVXLMimeEntity* response = http->responseMessage().body().get();
        response->setDataStart(0);
        response->setDataSize(0);
        if (!replyBody.empty()) {
            root_.writeFile(kResponseHostPath, replyBody);
            response->setDataSize(static_cast<std::uint32_t>(replyBody.size()));
        }
        finish(replyResult);
    }

    std::string replyBody;
    std::int32_t replyResult = kResultSucceeded;
    bool stall = false;
    int cancels = 0;
    std::vector<Seen> seen;

protected:
    void onCancel() override
    {
        ++cancels;
        CVXLProcessor::onCancel();
    }

private:
    void record(const CVXLHttpTransaction& http)
    {
        Seen s {http.method(), http.url().c_str(), {}, {}, {}, {}, http.expectedReplyLength()};
        const CVXLHeaderMap& headers = http.requestMessage().messageHeaders();
        for (std::uint32_t i = 0; i < headers.nameCount(); ++i) {
            const CVXLString name = headers.nameAt(static_cast<int>(i));
            for (std::uint32_t n = 0; n < headers.valueCount(name); ++n)
                s.headers.emplace_back(name.c_str(), headers.value(name, static_cast<int>(n)).c_str());
        }
        if (const CVXLMimeEntity* body = http.requestMessage().body().get()) {
            s.body.assign(
                reinterpret_cast<const char*>(body->bodyBuffer().data()), body->bodyBuffer().length());
            s.bodyType = body->contentType().c_str();
        }
        if (const CVXLMimeEntity* response = http.responseMessage().body().get())
            s.responseFile = response->fileName().c_str();
        seen.push_back(s);
    }

    TempDeviceRoot& root_;
};

class MMSProcessorTest : public codecjobs::CodecJobTest {
protected:
    void SetUp() override
    {
        CodecJobTest::SetUp();
        tasks.registerProcessor(&mms);
        tasks.registerProcessor(&http);
    }

    void TearDown() override
    {
        EXPECT_FALSE(mms.isBusy());
        CodecJobTest::TearDown();
    }

    struct Exchange {
        explicit Exchange(CVXLMmsPdu* request, const char* url = "http://relay.example/mms")
            : transaction(CVXLTransactionListenerRef(&listener))
        {
            transaction.setRequestPdu(CVXLPduRef(request));
            transaction.setUrl(url);
            transaction.setResponseFileName(kResponseFile);
        }
        RecordingListener listener;
        CVXLMmsTransaction transaction;
    };

    // Steps the tree while the condition is false and something is due,
    // moving the clock to each deadline; answers the steps taken.
    int stepUntil(const std::function<bool()>& done, int maxSteps = 1000)
    {
        int steps = 0;
        while (steps < maxSteps && !done()) {
            const std::uint32_t wait = driver.nextTimeout();
            if (wait == kNoDeadline)
                break;
            driver.advance(wait);
            driver.step();
            ++steps;
        }
        return steps;
    }

    // Submits and steps until the listener has been told, then runs on to
    // see that it is told once; answers the steps it took.
    int runMms(Exchange& e)
    {
        EXPECT_EQ(tasks.addTransaction(&e.transaction), 1);
        const int steps = stepUntil([&] { return !e.listener.results.empty(); });
        stepUntil([] { return false; });
        EXPECT_EQ(e.listener.results.size(), 1u);
        return steps;
    }

    CVXLMMSProcessor mms;
    ScriptedHttp http {root};
};

TEST_F(MMSProcessorTest, EachRequestKindTakesItsRoute)
{
    struct Case {
        const char* what;
        CVXLMmsPdu* (*request)();
        std::string replyBody;
        std::int32_t result;
        std::int32_t replyKind; // kMmsUntyped: no reply PDU
        std::int32_t method; // 0: no HTTP exchange
    };
    const Case cases[] = {
        {"send request", [] { return mmstest::sendRequest(); }, sample("send_conf.mms"), kResultSucceeded,
            kMmsSendConf, CVXLHttpTransaction::kMethodPost},
        {"notification response, no body", mmstest::notifyResponse, "", kResultSucceeded, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"notification response, a body", mmstest::notifyResponse, "ignored", kResultSucceeded, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"acknowledge", mmstest::acknowledge, "", kResultSucceeded, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"retrieve", [] { return static_cast<CVXLMmsPdu*>(new CVXLSimpleRequestPdu(kMmsRetrieve, "")); },
            sample("retrieve_conf.mms"), kResultSucceeded, kMmsRetrieveConf, CVXLHttpTransaction::kMethodGet},
        {"delete request", mmstest::mboxDeleteRequest,
            asText({0x8C, 0x92, 0x98, 'd', 0x00, 0x8D, 0x92, 0x92, 0x80}), kResultSucceeded,
            kMmsMboxDeleteConf, CVXLHttpTransaction::kMethodPost},
        {"a notification is no request", mmstest::notification, "", kResultTransactionFailed, kMmsUntyped, 0},
        {"send answered by no body", [] { return mmstest::sendRequest(); }, "", kResultTransactionFailed,
            kMmsUntyped, CVXLHttpTransaction::kMethodPost},
        {"send answered by a notification", [] { return mmstest::sendRequest(); },
            sample("notification_ind.mms"), kResultTransactionFailed, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"send answered by no PDU", [] { return mmstest::sendRequest(); }, "\x1F\x1F\x1F",
            kResultTransactionFailed, kMmsUntyped, CVXLHttpTransaction::kMethodPost},
        // A reply without a mandatory field fails rather than reading as its
        // defaults (no X-Mms-Response-Status would read as "Ok").
        {"send-conf without a response status", [] { return mmstest::sendRequest(); },
            asText({0x8C, 0x81, 0x98, 's', 0x00, 0x8D, 0x92}), kResultTransactionFailed, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"send-conf without a transaction id", [] { return mmstest::sendRequest(); },
            asText({0x8C, 0x81, 0x8D, 0x92, 0x92, 0x80}), kResultTransactionFailed, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"delete-conf without a response status", mmstest::mboxDeleteRequest,
            asText({0x8C, 0x92, 0x98, 'd', 0x00, 0x8D, 0x92}), kResultTransactionFailed, kMmsUntyped,
            CVXLHttpTransaction::kMethodPost},
        {"retrieve-conf without a date",
            [] { return static_cast<CVXLMmsPdu*>(new CVXLSimpleRequestPdu(kMmsRetrieve, "")); },
            asText({0x8C, 0x84, 0x8D, 0x92, 0x8B, 'm', 0x00, 0x84, 0x83, 'h', 'i'}), kResultTransactionFailed,
            kMmsUntyped, CVXLHttpTransaction::kMethodGet},
        {"retrieve-conf with its mandatory fields",
            [] { return static_cast<CVXLMmsPdu*>(new CVXLSimpleRequestPdu(kMmsRetrieve, "")); },
            asText({0x8C, 0x84, 0x8D, 0x92, 0x8B, 'm', 0x00, 0x85, 0x01, 0x05, 0x84, 0x83, 'h', 'i'}),
            kResultSucceeded, kMmsRetrieveConf, CVXLHttpTransaction::kMethodGet},
        {"retrieve-conf without a message id",
            [] { return static_cast<CVXLMmsPdu*>(new CVXLSimpleRequestPdu(kMmsRetrieve, "")); },
            asText({0x8C, 0x84, 0x8D, 0x92, 0x85, 0x01, 0x05, 0x84, 0x83, 'h', 'i'}), kResultSucceeded,
            kMmsRetrieveConf, CVXLHttpTransaction::kMethodGet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        http.seen.clear();
        http.replyBody = c.replyBody;
        Exchange e(c.request());
        // Only a retrieval's reply is the message whose size was announced.
        e.transaction.setExpectedReplyLength(307200);
        runMms(e);
        EXPECT_EQ(e.listener.results[0], c.result);
        const CVXLPduRef reply = e.transaction.replyPdu();
        if (c.replyKind == kMmsUntyped) {
            EXPECT_TRUE(reply.isEmpty());
        } else {
            ASSERT_FALSE(reply.isEmpty());
            EXPECT_EQ(reply->pduKind(), c.replyKind);
            EXPECT_TRUE(reply->hasRequiredHeaders());
        }
        if (!c.method) {
            EXPECT_TRUE(http.seen.empty());
            continue;
        }
        ASSERT_EQ(http.seen.size(), 1u);
        const ScriptedHttp::Seen& s = http.seen[0];
        EXPECT_EQ(s.method, c.method);
        EXPECT_EQ(s.url, "http://relay.example/mms");
        EXPECT_EQ(s.responseFile, kResponseFile);
        EXPECT_EQ(s.expectedReplyLength, c.method == CVXLHttpTransaction::kMethodGet ? 307200u : 0u);
        if (c.method == CVXLHttpTransaction::kMethodPost) {
            // The encoded request, as the encoder core writes it.
            CVXLPduRef again(c.request());
            CVXLByteBuffer expected;
            ASSERT_TRUE(CVXLWspPduEncoder::encode(*again.get(), expected));
            EXPECT_EQ(s.body, std::string(reinterpret_cast<const char*>(expected.data()), expected.length()));
            EXPECT_EQ(s.bodyType, "application/vnd.wap.mms-message");
        }
    }
}

// A reply without a body fails even when the response file still holds the
// previous exchange's good reply.
TEST_F(MMSProcessorTest, AnEmptyReplyIsNeverReadFromTheLastReplysFile)
{
    http.replyBody = sample("send_conf.mms");
    Exchange first(mmstest::sendRequest());
    runMms(first);
    ASSERT_EQ(first.listener.results[0], kResultSucceeded);
    ASSERT_EQ(root.readFile(kResponseHostPath), sample("send_conf.mms"));

    http.replyBody.clear();
    Exchange second(mmstest::sendRequest());
    runMms(second);
    EXPECT_EQ(second.listener.results[0], kResultTransactionFailed);
    EXPECT_TRUE(second.transaction.replyPdu().isEmpty());
}

TEST_F(MMSProcessorTest, AGetCarriesOnlyHttpHeaders)
{
    auto* retrieve = new CVXLSimpleRequestPdu(kMmsRetrieve, "");
    retrieve->addHeader("Accept", "application/vnd.wap.mms-message");
    http.replyBody = sample("retrieve_conf.mms");
    Exchange e(retrieve, "http://relay.example/retrieve/R0001");
    runMms(e);
    ASSERT_EQ(e.listener.results[0], kResultSucceeded);
    ASSERT_EQ(http.seen.size(), 1u);
    EXPECT_EQ(http.seen[0].url, "http://relay.example/retrieve/R0001");
    EXPECT_EQ(http.seen[0].headers,
        (std::vector<std::pair<std::string, std::string>> {{"Accept", "application/vnd.wap.mms-message"}}));
    EXPECT_EQ(http.seen[0].body, "");
    const CVXLPduRef reply = e.transaction.replyPdu();
    ASSERT_FALSE(reply.isEmpty());
    EXPECT_EQ(reply->transactionId(), "R0001");
    const auto* body = static_cast<const CVXLMultipartBody*>(reply->body().get());
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->partCount(), 2u);
    EXPECT_EQ(body->partAt(0)->fileName(), kResponseFile);
}

TEST_F(MMSProcessorTest, ViewConfirmationDescriptorsAreDecodedOnePerPass)
{
    http.replyBody = sample("send_conf.mms");
    Exchange send(mmstest::sendRequest());
    const int sendSteps = runMms(send);

    http.replyBody = sample("mbox_view_conf.mms");
    Exchange view(mmstest::mboxViewRequest());
    const int viewSteps = runMms(view);
    ASSERT_EQ(view.listener.results[0], kResultSucceeded);
    const CVXLPduRef reply = view.transaction.replyPdu();
    ASSERT_FALSE(reply.isEmpty());
    EXPECT_EQ(reply->pduKind(), kMmsMboxViewConf);
    EXPECT_TRUE(reply->hasRequiredHeaders());
    const auto* body = static_cast<const CVXLMultipartBody*>(reply->body().get());
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->partCount(), 2u);
    for (std::uint32_t i = 0; i < 2; ++i) {
        const auto* descriptor = static_cast<const CVXLMmsPdu*>(body->partAt(i).get());
        ASSERT_EQ(descriptor->kind(), CVXLMimeEntity::kMessage);
        EXPECT_EQ(descriptor->pduKind(), kMmsMboxDescr) << i;
        EXPECT_NE(descriptor->field(kMmsFieldMessageId), "") << i;
    }
    // The same route as a send, and one more decode per descriptor, each a
    // dispatch pass of its own.
    EXPECT_GE(viewSteps, sendSteps + 2);
}

TEST_F(MMSProcessorTest, ViewConfirmationEdgeCases)
{
    const Bytes head = {0x8C, 0x8E, 0x98, 'v', 0x00, 0x8D, 0x92, 0x92, 0x80};
    const Bytes sendConf = {0x8C, 0x81, 0x98, 's', 0x00, 0x8D, 0x92, 0x92, 0x80};
    Bytes wrongPart = head;
    // Content-Type multipart.mixed, one part of type mms-message holding an
    // m-send-conf instead of a descriptor.
    for (std::uint8_t b : {0x84, 0xA3, 0x01, 0x01, static_cast<int>(sendConf.size()), 0xBE})
        wrongPart.push_back(b);
    wrongPart.insert(wrongPart.end(), sendConf.begin(), sendConf.end());
    struct Case {
        const char* what;
        Bytes reply;
        std::int32_t result;
        std::uint32_t parts; // parts of the view confirmation handed back
    };
    const Case cases[] = {
        {"no parts", head, kResultSucceeded, 0},
        {"a part that is no descriptor", wrongPart, kResultTransactionFailed, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        http.replyBody = asText(c.reply);
        Exchange e(mmstest::mboxViewRequest());
        runMms(e);
        EXPECT_EQ(e.listener.results[0], c.result);
        // The confirmation is the reply as far as it was built.
        const CVXLPduRef reply = e.transaction.replyPdu();
        ASSERT_FALSE(reply.isEmpty());
        EXPECT_EQ(reply->pduKind(), kMmsMboxViewConf);
        const auto* body = static_cast<const CVXLMultipartBody*>(reply->body().get());
        EXPECT_EQ(body ? body->partCount() : 0u, c.parts);
    }
}

TEST_F(MMSProcessorTest, HttpAndEncodeFailuresPassTheirResult)
{
    http.replyResult = kResultHttpStatus;
    http.replyBody = sample("send_conf.mms");
    Exchange status(mmstest::sendRequest());
    runMms(status);
    EXPECT_EQ(status.listener.results[0], kResultHttpStatus);
    EXPECT_TRUE(status.transaction.replyPdu().isEmpty());

    // A request the encoder cannot write (an unknown field code).
    auto* bad = mmstest::sendRequest();
    bad->addHeader("99", "x");
    http.replyResult = kResultSucceeded;
    http.seen.clear();
    Exchange encode(bad);
    runMms(encode);
    EXPECT_EQ(encode.listener.results[0], kResultTransactionFailed);
    EXPECT_TRUE(http.seen.empty());
}

TEST_F(MMSProcessorTest, RefusedSubmissionFails)
{
    CVXLTaskProcessor nobody; // no processor registered: every submission is refused
    mms.setTaskProcessor(&nobody);
    Exchange e(mmstest::sendRequest());
    runMms(e);
    EXPECT_EQ(e.listener.results[0], kResultTransactionFailed);
    EXPECT_TRUE(e.transaction.replyPdu().isEmpty());
}

TEST_F(MMSProcessorTest, CancelReportsCancelledOnce)
{
    struct Case {
        const char* what;
        std::function<bool()> reached; // where the cancel comes
        bool stall;
        int httpCancels;
    };
    const Case cases[] = {
        // The MMS transaction has started and its encode is queued.
        {"encode queued", [&] { return mms.isBusy() && tasks.queuedCount() == 1; }, false, 0},
        // The HTTP exchange has started and never answers.
        {"during HTTP", [&] { return http.isBusy(); }, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        http.stall = c.stall;
        http.cancels = 0;
        http.replyBody = sample("send_conf.mms");
        Exchange e(mmstest::sendRequest());
        ASSERT_EQ(tasks.addTransaction(&e.transaction), 1);
        stepUntil(c.reached);
        ASSERT_TRUE(c.reached());
        ASSERT_TRUE(e.listener.results.empty());
        e.transaction.cancel();
        stepUntil([] { return false; });
        EXPECT_EQ(e.listener.results, std::vector<std::int32_t> {kResultCancelled});
        EXPECT_TRUE(e.transaction.replyPdu().isEmpty());
        EXPECT_EQ(http.cancels, c.httpCancels);
        EXPECT_FALSE(http.isBusy());
        EXPECT_EQ(tasks.queuedCount(), 0u);
    }
    http.stall = false;
    Exchange next(mmstest::sendRequest());
    runMms(next);
    EXPECT_EQ(next.listener.results[0], kResultSucceeded);
}

} // namespace
