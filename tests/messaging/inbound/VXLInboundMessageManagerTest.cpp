#include "engine/messaging/inbound/VXLInboundMessageManager.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLMmsSmsTransaction.h"
#include "engine/transport/mms/VXLMmsTransaction.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/mms/VXLWspTables.h"
#include "engine/transport/tasks/VXLProcessor.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The inbound manager between a scripted relay (a processor that answers
// the manager's transactions as the relay would) and a scripted message
// store; the real MIME parser job splits the retrieved message.

namespace {

// How far the driven clock moves between runs of the tree while a test waits
// for an answer.
constexpr std::uint32_t kStepMs = 200;

const std::map<std::string, std::string> kFromPreview = {{"X-QV-From-Address", "+15550001"}};

struct RelayScript {
    RelayScript(std::int32_t decode = kResultSucceeded, std::int32_t mode = 0,
        std::map<std::string, std::string> headers = {}, std::int32_t previewResult_ = kResultSucceeded,
        std::int32_t retrieveResult_ = kResultSucceeded, std::string status = "")
        : decodeResult(decode)
        , retrievalMode(mode)
        , preview(std::move(headers))
        , previewResult(previewResult_)
        , retrieveResult(retrieveResult_)
        , retrieveStatus(std::move(status))
    {
    }
    std::int32_t decodeResult;
    std::int32_t retrievalMode; // 1 manual
    std::map<std::string, std::string> preview; // the preview's response headers
    std::int32_t previewResult;
    std::int32_t retrieveResult;
    std::string retrieveStatus; // numbered value; "" absent
    std::int32_t decodedWithout = 0; // a field code the decoded notification lacks
    std::string messageSize; // the decoded notification's X-Mms-Message-Size; "" absent
    // Relay operations: the conf's X-Mms-Response-Status ("" none) and text.
    std::string responseStatus = "0";
    std::string responseText;
    std::int32_t operationResult = kResultSucceeded;
    // The view conf: X-Mms-Message-Count, X-Mms-Mbox-Totals, descriptors.
    int messageCount = 0;
    int totals = 0;
    int descriptors = 0;
};

// Answers every MMS, MMS-over-SMS and HTTP transaction at once, records
// what it was asked.
class ScriptedRelay : public CVXLProcessor {
public:
    ScriptedRelay() { setProcessorName("ScriptedRelay"); }

    bool acceptsTransaction(CVXLTransaction* t) override
    {
        const CVXLString& type = t->typeName();
        return !isBusy()
            && (type == kMmsTransactionType || type == kMmsSmsTransactionType
                || type == kHttpTransactionType);
    }
    int beginTransaction(CVXLTransaction* t) override
    {
        takeTransaction(t);
        return 1;
    }
    void onEvent(CVXLEvent* event) override
    {
        const bool start = event == &startEvent();
        CVXLProcessor::onEvent(event);
        if (start)
            answer();
    }

    RelayScript script;
    std::vector<std::string> log; // "decode", "GET url", "retrieve url", "notifyresp txid status"
    std::vector<std::uint32_t> replyLengths; // announced, per MMS transaction

private:
    void answer()
    {
        CVXLTransaction* t = transaction();
        if (t->typeName() == kMmsSmsTransactionType) {
            log.push_back("decode");
            if (script.decodeResult == kResultSucceeded) {
                auto* pdu = new CVXLMmsPdu(kMmsNotificationInd);
                pdu->setHeader(kMmsFieldMessageType, "3");
                if (script.decodedWithout != kMmsFieldTransactionId)
                    pdu->setHeader(kMmsFieldTransactionId, "T-42");
                if (script.decodedWithout != kMmsFieldContentLocation)
                    pdu->setHeader(kMmsFieldContentLocation, "http://relay/m?id=42");
                pdu->setHeader(kMmsFieldFrom, "+15550001/TYPE=PLMN");
                pdu->setHeader(kMmsFieldSubject, "hello");
                if (!script.messageSize.empty())
                    pdu->setHeader(kMmsFieldMessageSize, script.messageSize.c_str());
                if (script.retrievalMode)
                    pdu->setHeader(kMmsFieldRecommendedRetrievalMode, CVXLString(script.retrievalMode));
                static_cast<CVXLMmsSmsTransaction*>(t)->setPdu(CVXLPduRef(pdu));
            }
            return finish(script.decodeResult);
        }
        if (t->typeName() == kHttpTransactionType) {
            auto* get = static_cast<CVXLHttpTransaction*>(t);
            log.push_back("GET " + std::string(get->url().c_str()));
            for (const auto& [name, value] : script.preview)
                get->responseMessage().addHeader(name.c_str(), value.c_str());
            return finish(script.previewResult);
        }
        auto* mms = static_cast<CVXLMmsTransaction*>(t);
        const CVXLMmsPdu* request = mms->requestPdu().get();
        replyLengths.push_back(mms->expectedReplyLength());
        if (request->pduKind() == kMmsRetrieve) {
            log.push_back("retrieve " + std::string(mms->url().c_str()));
            auto* reply = new CVXLMmsPdu(kMmsRetrieveConf);
            reply->setHeader(kMmsFieldMessageType, "6");
            if (!script.retrieveStatus.empty())
                reply->setHeader(kMmsFieldRetrieveStatus, script.retrieveStatus.c_str());
            mms->setReplyPdu(CVXLPduRef(reply));
            return finish(script.retrieveResult);
        }
        if (request->pduKind() == kMmsNotifyRespInd) {
            log.push_back("notifyresp " + std::string(mms->url().c_str()) + " "
                + request->transactionId().c_str() + " " + request->field(kMmsFieldStatus).c_str());
            return finish(kResultSucceeded);
        }
        // A relay operation: its PDU kept for tshark, a conf of the next kind.
        log.push_back("pdu " + std::to_string(request->pduKind()) + " " + mms->url().c_str());
        CVXLByteBuffer bytes;
        if (request->body().isEmpty())
            CVXLWspPduEncoder::encode(*request, bytes);
        else
            CVXLWspPduEncoder::encodeHeaders(*request, bytes);
        sent.emplace_back(reinterpret_cast<const char*>(bytes.data()), bytes.length());
        sentPdus.push_back(mms->requestPdu());
        auto* reply = new CVXLMmsPdu(request->pduKind() + 1);
        if (!script.responseStatus.empty())
            reply->setHeader(kMmsFieldResponseStatus, script.responseStatus.c_str());
        if (!script.responseText.empty())
            reply->setHeader(kMmsFieldResponseText, script.responseText.c_str());
        if (request->pduKind() == kMmsMboxViewReq) {
            reply->setHeader(kMmsFieldMessageCount, CVXLString(script.messageCount));
            reply->setHeader(kMmsFieldMboxTotals, CVXLString(script.totals));
            auto* body = new CVXLMultipartBody();
            CVXLEntityRef bodyRef(body);
            for (int i = 0; i < script.descriptors; ++i) {
                auto* descriptor = new CVXLMmsPdu(kMmsMboxDescr);
                descriptor->setHeader(
                    kMmsFieldContentLocation, ("http://relay/box?id=" + std::to_string(i)).c_str());
                descriptor->setHeader(kMmsFieldSubject, ("box " + std::to_string(i)).c_str());
                body->appendPart(CVXLEntityRef(descriptor));
            }
            reply->setBody(bodyRef);
        }
        mms->setReplyPdu(CVXLPduRef(reply));
        finish(script.operationResult);
    }

public:
    std::vector<std::string> sent; // encoded PDUs of the relay operations
    std::vector<CVXLPduRef> sentPdus;
};

// Stores under "i1700000001_0"; answers the other requests from its fields.
class ScriptedStore : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (!event->isRequest())
            return finishEvent(event);
        switch (event->requestCode()) {
        case kEventStoreMessage: {
            auto* store = static_cast<CStoreMessageRequest*>(event);
            log.push_back(
                "store " + std::to_string(store->fullMessage) + " box " + std::to_string(store->targetBox));
            if (store->fullMessage == 0) {
                store->messageId
                    = store->targetBox == 1 ? ("m" + std::to_string(++mmboxStored)).c_str() : "i1700000001_0";
                receivedTime = store->message->messageHeaders().value("X-QV-Received-Time").c_str();
                keptRetrievalMode = store->message->messageHeaders().contains(
                    CVXLString(kMmsFieldRecommendedRetrievalMode));
            }
            event->setResult(storeResult);
            break;
        }
        case kEventStoreCount: {
            auto* count = static_cast<CStoreCountQuery*>(event);
            log.push_back("count " + std::to_string(count->kind));
            count->count = static_cast<std::uint32_t>(ids.size());
            count->newCount = 1;
            event->setResult(kResultSucceeded);
            break;
        }
        case kEventStoreIdList: {
            auto* list = static_cast<CStoreIdListQuery*>(event);
            log.push_back("ids " + std::to_string(list->kind));
            for (std::size_t i = 0; i < ids.size(); ++i)
                list->ids.insertAt(ids[i].c_str(), static_cast<int>(i));
            list->count = static_cast<std::uint32_t>(ids.size());
            event->setResult(kResultSucceeded);
            break;
        }
        case kEventStoreRead: {
            auto* read = static_cast<CStoreReadRequest*>(event);
            log.push_back(
                "read " + std::string(read->read.messageId.c_str()) + " mode " + std::to_string(read->mode));
            read->read.summary.add("X-QV-From-Address", "+15550001");
            if (!charge.empty())
                read->read.summary.add("X-QV-Message-Charge-Text", charge.c_str());
            if (read->mode == 0 && !wholeStored) {
                event->setResult(kResultDataComplete);
                break;
            }
            if (!noLocation) {
                const auto found = locations.find(read->read.messageId.c_str());
                read->read.summary.add(
                    "3", found == locations.end() ? "http://relay/m?id=7" : found->second.c_str());
            }
            if (bodyMissing && read->mode == 5) {
                bodyMissing = false;
                event->setResult(kResultDataComplete);
                break;
            }
            read->read.totals.add("X-QV-Total-Media-Parts", "2");
            if (read->mode == 5) {
                read->read.bodyLocator
                    = ("s1|" + std::to_string(100 * (read->partIndex + 1)) + "|40").c_str();
                read->read.content.add("Content-Type", read->partIndex ? "text/plain" : "image/jpeg");
                read->read.content.add(
                    "Content-Location", ("part" + std::to_string(read->partIndex)).c_str());
                read->read.bodyLength = 40;
            }
            event->setResult(kResultSucceeded);
            break;
        }
        case kEventStoreDelete:
            log.push_back(
                "delete " + std::string(static_cast<CStoreDeleteRequest*>(event)->messageId.c_str()));
            event->setResult(kResultSucceeded);
            break;
        case kEventStoreMmboxPurge:
            log.push_back("purge");
            event->setResult(kResultSucceeded);
            break;
        case kEventStoreParts:
            log.push_back("parts");
            event->setResult(partsResult);
            break;
        case kEventStoreSummaryRewrite: {
            auto* rewrite = static_cast<CStoreSummaryRewriteRequest*>(event);
            log.push_back(std::string("rewrite charge ")
                + (rewrite->headers.contains("X-QV-Message-Charge-Text", true) ? "kept" : "removed"));
            event->setResult(kResultSucceeded);
            break;
        }
        default:
            event->setResult(kResultFailed);
        }
        finishEvent(event);
    }

    std::vector<std::string> log;
    std::vector<std::string> ids;
    std::int32_t storeResult = kResultSucceeded;
    std::int32_t partsResult = kResultSucceeded;
    std::string charge;
    bool noLocation = false;
    bool bodyMissing = false;
    bool wholeStored = true;
    std::map<std::string, std::string> locations;
    int mmboxStored = 0;
    std::string receivedTime;
    bool keptRetrievalMode = false;
};

// Records what the manager tells the Producer and the outbound queue; the
// Producer answers a decision with its scripted choice.
class Recorder : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (!event->isRequest())
            return finishEvent(event);
        if (event->requestCode() == kEventMessageDecision) {
            auto* decision = static_cast<CMessageDecisionEvent*>(event);
            log.push_back("decide " + std::string(decision->summary->subject().c_str()) + " from "
                + decision->summary->fromAddress().c_str());
            decision->decision = choice;
            if (hold) {
                held = event;
                return;
            }
        } else if (event->requestCode() == kEventMessageArrived) {
            auto* arrived = static_cast<CMessageArrivedEvent*>(event);
            log.push_back("arrived " + std::string(arrived->messageId.c_str()) + " "
                + std::to_string(arrived->value()));
        } else if (event->requestCode() == kEventSentCopyReceived) {
            log.push_back("sent copy "
                + std::string(static_cast<CSentCopyReceivedEvent*>(event)->clientMessageId.c_str()));
        }
        finishEvent(event);
    }
    void release()
    {
        if (held)
            finishEvent(held);
        held = nullptr;
    }
    std::vector<std::string> log;
    std::uint32_t choice = CMessageDecisionEvent::kFetch;
    // Keeps the decision unanswered until release.
    bool hold = false;
    CVXLEvent* held = nullptr;
};

class Services : public CInboundServices {
public:
    CVXLString relayUrl() override { return relay.c_str(); }
    CVXLString userId() override { return user.c_str(); }
    std::uint32_t nowSeconds() override { return now; }
    void pushUIRequestCode(std::int32_t code) override { uiCodes.push_back(code); }
    void processPendingPush() override { ++pendingPushes; }
    void setStage(std::uint32_t stage) override { lastStage = stage; }
    std::string relay = "http://relay/mms";
    std::string user = "4711";
    std::uint32_t now = 0x6500000A;
    std::vector<std::int32_t> uiCodes;
    int pendingPushes = 0;
    std::uint32_t lastStage = 0;
};

class InboundManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.setStoreTarget(&store);
        manager.setProducer(&producer);
        manager.setOutboundQueue(&queue);
        manager.setServices(&services);
        manager.setPremiumInbox(&premium);
        // Ahead of the manager's own processors: it takes every transaction.
        manager.taskProcessor().registerProcessor(&relay);
        driver.attach(&store);
        driver.attach(&producer);
        driver.attach(&queue);
        driver.attach(&requester);
        driver.attach(&premium);
        driver.attach(&manager);
        driver.runUntilIdle();
    }

    // Posts the request and runs the tree, on a driven clock, until it is
    // answered.
    std::int32_t send(CVXLEvent& request)
    {
        request.setHeapAllocated(false);
        const std::size_t before = requester.answers.size();
        requester.post(&manager, &request);
        for (int i = 0; i < 100 && requester.answers.size() == before; ++i) {
            driver.runUntilIdle();
            driver.advance(kStepMs);
        }
        driver.runUntilIdle();
        return requester.answers.size() == before ? -99 : requester.answers.back();
    }

    // Posts a notification with manual retrieval and runs until the Producer
    // holds the subscriber's decision.
    bool waitForDecision(CPushRequest& request)
    {
        relay.script = RelayScript(kResultSucceeded, 1, kFromPreview);
        producer.hold = true;
        request.setHeapAllocated(false);
        requester.post(&manager, &request);
        for (int i = 0; i < 50 && !producer.held; ++i) {
            driver.advance(kStepMs);
            driver.runUntilIdle();
        }
        return producer.held != nullptr;
    }

    std::int32_t push(std::uint32_t fetchNow = 0)
    {
        CPushRequest request;
        request.pdu.append(reinterpret_cast<const std::uint8_t*>("\x8c\x82"), 2);
        request.fetchNow = fetchNow;
        return send(request);
    }

    JobTreeDriver driver;
    ScriptedRelay relay;
    ScriptedStore store;
    Recorder producer;
    Recorder queue;
    Services services;
    InboundRequester requester;
    CPremiumInboxManager premium;
    CVXLInboundMessageManager manager;
};

std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : " | ") + line;
    return out;
}

// One row per way a notification goes: what the relay and the store do,
// what the manager asks them, and what it tells the Producer.
TEST_F(InboundManagerTest, NotificationRoads)
{
    const struct {
        const char* name;
        RelayScript script;
        std::uint32_t fetchNow;
        std::uint32_t choice;
        std::string relayUrl;
        std::int32_t result;
        const char* relayLog;
        const char* storeLog;
        const char* producerLog;
        const char* queueLog;
    } rows[] = {
        {"fetched at once", {kResultSucceeded, 0, kFromPreview}, 0, 2, "http://relay/mms", kResultSucceeded,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2",
            "store 0 box 0 | store 1 box 0", "arrived i1700000001_0 0", ""},
        {"manual retrieval, subscriber fetches", {kResultSucceeded, 1, kFromPreview}, 0, 2,
            "http://relay/mms", kResultSucceeded,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2",
            "store 0 box 0 | store 1 box 0", "decide hello from +15550001 | arrived i1700000001_0 0", ""},
        {"manual retrieval, subscriber declines", {kResultSucceeded, 1, kFromPreview}, 0, 0,
            "http://relay/mms", kResultSucceeded, "decode", "", "decide hello from +15550001", ""},
        {"manual retrieval with fetchNow", {kResultSucceeded, 1, kFromPreview}, 1, 0, "http://relay/mms",
            kResultSucceeded,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2",
            "store 0 box 0 | store 1 box 0", "arrived i1700000001_0 0", ""},
        {"copy of a sent message",
            {kResultSucceeded, 0,
                {{"X-QV-Message-Type", "Sent"}, {"X-QV-To-Address-List", "+15550002"},
                    {"X-QV-Client-Message-Id", "c-9"}}},
            0, 2, "http://relay/mms", kResultSucceeded, "decode | GET http://relay/m?id=42&thumbnail=true",
            "store 0 box 3", "", "sent copy c-9"},
        // Only a preview for the premium box is offered to the premium
        // inbox: a sent copy's folder is no premium descriptor.
        {"copy of a sent message with a folder",
            {kResultSucceeded, 0,
                {{"X-QV-Message-Type", "Sent"}, {"X-QV-To-Address-List", "+15550002"},
                    {"X-QV-Client-Message-Id", "c-9"}, {"X-QV-Folder", "<premium control=\"stop\"/>"}}},
            0, 2, "http://relay/mms", kResultSucceeded, "decode | GET http://relay/m?id=42&thumbnail=true",
            "store 0 box 3", "", "sent copy c-9"},
        {"premium descriptor refused",
            {kResultSucceeded, 0,
                {{"X-QV-From-Address", "a"}, {"X-QV-Folder", "<premium control=\"stop\"/>"}}},
            0, 2, "http://relay/mms", kResultSucceeded, "decode | GET http://relay/m?id=42&thumbnail=true",
            "store 0 box 2 | delete i1700000001_0", "", ""},
        {"sent preview without addresses", {kResultSucceeded, 0, {{"X-QV-Message-Type", "Sent"}}}, 0, 2,
            "http://relay/mms", kResultMmsTransport, "decode | GET http://relay/m?id=42&thumbnail=true", "",
            "", ""},
        {"preview without a sender", {kResultSucceeded, 0, {}}, 0, 2, "http://relay/mms", kResultMmsTransport,
            "decode | GET http://relay/m?id=42&thumbnail=true", "", "", ""},
        {"charged preview",
            {kResultSucceeded, 0, {{"X-QV-From-Address", "a"}, {"X-QV-Message-Charge-Text", "1 EUR"}}}, 0, 2,
            "http://relay/mms", kResultSucceeded, "decode | GET http://relay/m?id=42&thumbnail=true",
            "store 0 box 0", "arrived i1700000001_0 0", ""},
        {"premium folder", {kResultSucceeded, 0, {{"X-QV-From-Address", "a"}, {"X-QV-Folder", "club"}}}, 0, 2,
            "http://relay/mms", kResultSucceeded,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2",
            "store 0 box 2 | store 1 box 2", "arrived i1700000001_0 0", ""},
        // A whole message that does not come answers the push with the
        // failure: the queue tries it again.
        {"retrieve status not Ok",
            {kResultSucceeded, 0, kFromPreview, kResultSucceeded, kResultSucceeded, "4"}, 0, 2,
            "http://relay/mms", kResultMmsRelayStatus,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42",
            "store 0 box 0", "", ""},
        {"retrieve status Ok", {kResultSucceeded, 0, kFromPreview, kResultSucceeded, kResultSucceeded, "0"},
            0, 2, "http://relay/mms", kResultSucceeded,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2",
            "store 0 box 0 | store 1 box 0", "arrived i1700000001_0 0", ""},
        {"relay down at the preview: the queue tries again",
            {kResultSucceeded, 0, kFromPreview, kResultTransactionFailed}, 0, 2, "http://relay/mms",
            kResultTransactionFailed, "decode | GET http://relay/m?id=42&thumbnail=true", "", "", ""},
        {"relay down at the retrieve",
            {kResultSucceeded, 0, kFromPreview, kResultSucceeded, kResultTransactionFailed}, 0, 2,
            "http://relay/mms", kResultTransactionFailed,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42",
            "store 0 box 0", "", ""},
        {"undecodable push", {kResultTransactionFailed}, 0, 2, "http://relay/mms", kResultMmsTransport,
            "decode", "", "", ""},
        {"no relay URL: stored, not acknowledged", {kResultSucceeded, 0, kFromPreview}, 0, 2, "",
            kResultSucceeded,
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42",
            "store 0 box 0 | store 1 box 0", "arrived i1700000001_0 0", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        relay.script = row.script;
        relay.log.clear();
        store.log.clear();
        producer.log.clear();
        queue.log.clear();
        producer.choice = row.choice;
        services.relay = row.relayUrl;
        EXPECT_EQ(push(row.fetchNow), row.result);
        EXPECT_EQ(joined(relay.log), row.relayLog);
        EXPECT_EQ(joined(store.log), row.storeLog);
        EXPECT_EQ(joined(producer.log), row.producerLog);
        EXPECT_EQ(joined(queue.log), row.queueLog);
        EXPECT_FALSE(manager.notificationBusy());
    }
    // The stored preview: the received time in hexadecimal, without the
    // notification's retrieval mode.
    EXPECT_EQ(store.receivedTime, "6500000A");
    EXPECT_FALSE(store.keptRetrievalMode);
}

// A notification that decodes but names no message or no transaction can
// never be fetched nor answered: answered 74, so the queue drops it at once
// instead of trying it again.
TEST_F(InboundManagerTest, ANotificationWithoutItsLocationOrTransactionIsDroppedAtOnce)
{
    const struct {
        const char* missing;
        std::int32_t field;
    } rows[] = {{"location", kMmsFieldContentLocation}, {"transaction", kMmsFieldTransactionId}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.missing);
        relay.log.clear();
        relay.script = RelayScript(kResultSucceeded, 0, kFromPreview);
        relay.script.decodedWithout = row.field;
        EXPECT_EQ(push(), kResultMmsTransport);
        EXPECT_EQ(joined(relay.log), "decode");
        EXPECT_FALSE(manager.notificationBusy());
    }
}

// The retrieval of the whole message carries the size its notification
// announced, so that a large one has the time it needs; the notification
// response carries none.
TEST_F(InboundManagerTest, TheRetrievalAnnouncesTheNotificationsMessageSize)
{
    const struct {
        const char* size;
        std::uint32_t announced;
    } rows[] = {{"307200", 307200}, {"", 0}, {"99999999999", 0xFFFFFFFFu}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        relay.log.clear();
        relay.replyLengths.clear();
        relay.script = RelayScript(kResultSucceeded, 0, kFromPreview);
        relay.script.messageSize = row.size;
        EXPECT_EQ(push(), kResultSucceeded);
        EXPECT_EQ(joined(relay.log),
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2");
        EXPECT_EQ(relay.replyLengths, (std::vector<std::uint32_t> {row.announced, 0}));
    }
}

// A second notification while one is received is answered 78 at once and
// the first goes on.
TEST_F(InboundManagerTest, ASecondNotificationWhileOneIsBusy)
{
    CPushRequest first;
    ASSERT_TRUE(waitForDecision(first));
    EXPECT_EQ(push(), kResultNotificationBusy);
    ASSERT_EQ(requester.answers.size(), 1u);
    producer.release();
    for (int i = 0; i < 50 && manager.notificationBusy(); ++i) {
        driver.advance(kStepMs);
        driver.runUntilIdle();
    }
    EXPECT_FALSE(manager.notificationBusy());
    ASSERT_EQ(requester.answers.size(), 2u);
    EXPECT_EQ(requester.answers.back(), kResultSucceeded);
    EXPECT_EQ(joined(store.log), "store 0 box 0 | store 1 box 0");
}

// The cancel (UI request code 8) ends the notification that waits for the
// subscriber's decision: it is answered, and the next one is taken.
TEST_F(InboundManagerTest, CancelAnswersTheNotificationInProgress)
{
    CPushRequest first;
    ASSERT_TRUE(waitForDecision(first));
    manager.onUiRequest(8);
    for (int i = 0; i < 20 && requester.answers.empty(); ++i) {
        driver.advance(kStepMs);
        driver.runUntilIdle();
    }
    ASSERT_EQ(requester.answers.size(), 1u);
    EXPECT_EQ(requester.answers[0], kResultCancelled);
    // The Producer lets go of the cancelled decision; its late answer is
    // not taken for the next notification.
    producer.release();
    driver.runUntilIdle();
    EXPECT_FALSE(manager.notificationBusy());
    producer.hold = false;
    producer.choice = 0;
    EXPECT_EQ(push(), kResultSucceeded);
}

// A push back after an unclean end: the newest stored messages are searched
// for its location, and the receive goes on from the one found, so nothing
// is stored twice.
TEST_F(InboundManagerTest, APushBackAfterACrashContinuesFromTheStoredMessage)
{
    const struct {
        const char* name;
        const char* i2Location;
        bool wholeStored;
        const char* storeLog;
        const char* relayLog;
    } rows[] = {
        {"whole message stored", "http://relay/m?id=42", true,
            "ids 0 | read i3 mode 1 | read i2 mode 1 | read i2 mode 0",
            "decode | notifyresp http://relay/mms T-42 2"},
        {"preview stored", "http://relay/m?id=42", false,
            "ids 0 | read i3 mode 1 | read i2 mode 1 | read i2 mode 0 | store 1 box 0",
            "decode | retrieve http://relay/m?id=42 | notifyresp http://relay/mms T-42 2"},
        {"not stored", "http://relay/m?id=8", true,
            "ids 0 | read i3 mode 1 | read i2 mode 1 | store 0 box 0 | store 1 box 0",
            "decode | GET http://relay/m?id=42&thumbnail=true | retrieve http://relay/m?id=42 | notifyresp "
            "http://relay/mms T-42 2"},
    };
    store.ids = {"i3", "i2"};
    relay.script = RelayScript(kResultSucceeded, 0, kFromPreview);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store.log.clear();
        relay.log.clear();
        store.locations["i2"] = row.i2Location;
        store.wholeStored = row.wholeStored;
        CPushRequest request;
        request.pdu.append(reinterpret_cast<const std::uint8_t*>("\x8c\x82"), 2);
        request.backAfterCrash = true;
        EXPECT_EQ(send(request), kResultSucceeded);
        EXPECT_EQ(joined(store.log), row.storeLog);
        EXPECT_EQ(joined(relay.log), row.relayLog);
    }
}

// Requests on the local store, and requests no step serves: each answered.
TEST_F(InboundManagerTest, LocalRequestsAndUnservedOnesAreAnswered)
{
    store.ids = {"i3", "i2"};
    {
        CVXLMessageSummary summaries[2];
        CMessageBoxListRequest list;
        list.kind = 0;
        list.size = 2;
        list.summaries = summaries;
        EXPECT_EQ(send(list), kResultSucceeded);
        EXPECT_EQ(list.count, 2u);
        EXPECT_EQ(list.total, 2u);
        EXPECT_EQ(summaries[1].fromAddress(), "+15550001");
        EXPECT_EQ(joined(store.log), "count 0 | ids 0 | read i3 mode 4 | read i2 mode 4");
    }
    {
        store.log.clear();
        CVXLStringArray none;
        CMessageBoxListRequest list;
        list.kind = 4;
        list.idArray = &none;
        EXPECT_EQ(send(list), kResultSucceeded);
        EXPECT_EQ(list.count, 0u);
        EXPECT_EQ(joined(store.log), "");
    }
    {
        CMessageCountRequest count(3);
        count.kind = 4;
        EXPECT_EQ(send(count), kResultSucceeded);
        EXPECT_EQ(count.count, 2u);
        EXPECT_EQ(count.newCount, 1u);
    }
    {
        CMessageItemRequest item(34);
        item.kind = 6;
        item.messageId = "p5";
        store.log.clear();
        EXPECT_EQ(send(item), kResultSucceeded);
        EXPECT_EQ(joined(store.log), "delete p5");
        EXPECT_EQ(services.pendingPushes, 1);
    }
    {
        CMessageOpenRequest open(5);
        open.messageId = "i9";
        store.partsResult = kResultDataComplete;
        EXPECT_EQ(send(open), kResultMessageNotStored);
    }
    const struct {
        const char* name;
        std::int32_t code;
        std::uint32_t kind;
    } unserved[] = {{"count of kind 3", 1, 3}, {"list of kind 6", kEventMessageBoxList, 6},
        {"item of kind 7", kEventMessageItem, 7}, {"an unlisted code", 77, 0}};
    for (const auto& row : unserved) {
        SCOPED_TRACE(row.name);
        if (row.code == 1) {
            CMessageCountRequest count(3);
            count.kind = row.kind;
            EXPECT_EQ(send(count), kResultFailed);
        } else if (row.code == kEventMessageBoxList) {
            CMessageBoxListRequest list;
            list.kind = row.kind;
            EXPECT_EQ(send(list), kResultFailed);
        } else if (row.code == kEventMessageItem) {
            CMessageItemRequest item(34);
            item.kind = row.kind;
            EXPECT_EQ(send(item), kResultFailed);
        } else {
            CVXLEvent other(row.code, 3);
            EXPECT_EQ(send(other), kResultFailed);
        }
    }
}

// An open from the relay: a charge not yet accepted comes back as 77 with
// its text; accepted, the charge leaves the stored headers and the message
// is fetched from the stored location.
TEST_F(InboundManagerTest, OpeningAChargedMessage)
{
    store.charge = "2 EUR";
    CMessageOpenRequest open(5);
    open.messageId = "i7";
    open.fromNetwork = 1;
    EXPECT_EQ(send(open), kResultMessageCharged);
    EXPECT_EQ(open.chargeText, "2 EUR");
    EXPECT_TRUE(relay.log.empty());

    CMessageOpenRequest accepted(5);
    accepted.messageId = "i7";
    accepted.fromNetwork = 1;
    accepted.chargeAccepted = 1;
    EXPECT_EQ(send(accepted), kResultSucceeded);
    EXPECT_EQ(joined(relay.log), "retrieve http://relay/m?id=7");
    EXPECT_EQ(joined(store.log),
        "read i7 mode 2 | read i7 mode 2 | rewrite charge removed | store 1 box 0 | parts");
}

// Relay operations on a stored message and the relay's folders: what goes
// out, and how the relay's answer answers the request.
TEST_F(InboundManagerTest, RelayOperations)
{
    enum Op { kForward, kSave, kRelayDelete, kList, kCount, kSend };
    const struct {
        const char* name;
        Op op;
        std::uint32_t kind;
        RelayScript script;
        bool noLocation;
        std::int32_t result;
        const char* text;
        const char* relayLog;
        std::uint32_t count; // list and count: what the request holds
    } rows[] = {
        {"forward", kForward, 1, {}, false, kResultSucceeded, "", "pdu 11 http://relay/mms", 0},
        {"forward refused by the relay", kForward, 2,
            [] {
                RelayScript r;
                r.responseStatus = "4";
                r.responseText = "no";
                return r;
            }(),
            false, kResultMmsRelayStatus, "no", "pdu 11 http://relay/mms", 0},
        {"forward of a message without location", kForward, 0, {}, true, kResultNoContentLocation, "", "", 0},
        {"forward, relay down", kForward, 1,
            [] {
                RelayScript r;
                r.operationResult = kResultTransactionFailed;
                return r;
            }(),
            false, kResultMmsTransport, "", "pdu 11 http://relay/mms", 0},
        {"save to the Personal Folder", kSave, 1, {}, false, kResultSucceeded, "", "pdu 13 http://relay/mms",
            0},
        {"save refused", kSave, 1,
            [] {
                RelayScript r;
                r.responseStatus = "3";
                return r;
            }(),
            false, kResultMmsRelayStatus, "", "pdu 13 http://relay/mms", 0},
        {"relay delete", kRelayDelete, 2, {}, false, kResultSucceeded, "", "pdu 19 http://relay/mms", 0},
        {"list of the Sent folder, more descriptors than the count", kList, 1,
            [] {
                RelayScript r;
                r.messageCount = 2;
                r.totals = 9;
                r.descriptors = 3;
                r.responseStatus = "";
                return r;
            }(),
            false, kResultSucceeded, "",
            "pdu 15 http://relay/mms/?sua=4711 | GET http://relay/box?id=0&thumbnail=true | GET "
            "http://relay/box?id=1&thumbnail=true",
            2},
        {"list, fewer descriptors than the count", kList, 2,
            [] {
                RelayScript r;
                r.messageCount = 5;
                r.totals = 5;
                r.descriptors = 1;
                return r;
            }(),
            false, kResultSucceeded, "",
            "pdu 15 http://relay/mms/?sua=4711 | GET http://relay/box?id=0&thumbnail=true", 1},
        {"list of an empty folder", kList, 2,
            [] {
                RelayScript r;
                r.totals = 0;
                return r;
            }(),
            false, kResultSucceeded, "", "pdu 15 http://relay/mms/?sua=4711", 0},
        {"list refused by the relay", kList, 1,
            [] {
                RelayScript r;
                r.responseStatus = "1";
                r.responseText = "busy";
                r.descriptors = 1;
                r.messageCount = 1;
                return r;
            }(),
            false, kResultMmsRelayStatus, "busy", "pdu 15 http://relay/mms/?sua=4711", 0},
        {"count of the Personal Folder", kCount, 2,
            [] {
                RelayScript r;
                r.totals = 7;
                return r;
            }(),
            false, kResultSucceeded, "", "pdu 15 http://relay/mms/?sua=4711", 7},
        {"send", kSend, 0, {}, false, kResultSucceeded, "", "pdu 1 http://relay/mms", 0},
        {"send refused", kSend, 0,
            [] {
                RelayScript r;
                r.responseStatus = "2";
                r.responseText = "full";
                return r;
            }(),
            false, kResultMmsRelayStatus, "full", "pdu 1 http://relay/mms", 0},
        {"send of a part without location", kSend, 0, {}, true, kResultNoContentLocation, "", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        relay.script = row.script;
        relay.log.clear();
        store.log.clear();
        store.noLocation = row.noLocation;
        std::string text;
        std::int32_t result = -1;
        std::uint32_t count = 0;
        switch (row.op) {
        case kForward: {
            CNetworkMessageRequest forward(3);
            forward.messageId = "m1";
            forward.kind = row.kind;
            forward.toList = "a@example.com, +15550002";
            forward.subject = "Hi there";
            result = send(forward);
            text = forward.resultText().c_str();
            break;
        }
        case kSave: {
            CMmboxStoreRequest save(3);
            save.messageId = "m1";
            save.kind = row.kind;
            result = send(save);
            break;
        }
        case kRelayDelete: {
            CMessageItemRequest item(34);
            item.messageId = "m1";
            item.kind = row.kind;
            result = send(item);
            break;
        }
        case kList: {
            CVXLMessageSummary summaries[4];
            CMessageBoxListRequest list;
            list.kind = row.kind;
            list.size = 4;
            list.summaries = summaries;
            result = send(list);
            text = list.resultText().c_str();
            count = list.count;
            if (result == kResultSucceeded) {
                EXPECT_EQ(list.total, static_cast<std::uint32_t>(row.script.totals));
                std::string expected = "purge";
                for (std::uint32_t i = 0; i < count; ++i)
                    expected += " | store 0 box 1";
                for (std::uint32_t i = 0; i < count; ++i)
                    expected += " | read m" + std::to_string(store.mmboxStored - count + i + 1) + " mode 2";
                EXPECT_EQ(joined(store.log), expected);
            }
            break;
        }
        case kCount: {
            CMessageCountRequest countRequest(3);
            countRequest.kind = row.kind;
            result = send(countRequest);
            count = countRequest.count;
            break;
        }
        case kSend: {
            CMmsSendRequest sendRequest(7);
            sendRequest.messageId = "s1";
            sendRequest.partCount = 2;
            sendRequest.toList = "+15550002";
            sendRequest.ccList = "c@example.com,d@example.com";
            sendRequest.bccList = "e@example.com";
            sendRequest.subject = "Holiday";
            result = send(sendRequest);
            text = sendRequest.resultText().c_str();
            if (row.result == kResultSucceeded) {
                EXPECT_EQ(joined(store.log), "parts | read s1 mode 5 | read s1 mode 5");
                const CVXLMmsPdu& pdu = *relay.sentPdus.back().get();
                auto* body = static_cast<CVXLMultipartBody*>(pdu.body().get());
                ASSERT_NE(body, nullptr);
                ASSERT_EQ(body->partCount(), 2u);
                EXPECT_EQ(body->partAt(1)->fileName(), "s1");
                EXPECT_EQ(body->partAt(1)->dataStart(), 200u);
                EXPECT_EQ(body->partAt(1)->dataSize(), 40u);
                EXPECT_EQ(body->partAt(1)->contentType(), "text/plain");
            }
            break;
        }
        }
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(count, row.count);
        EXPECT_EQ(joined(relay.log), row.relayLog);
    }
}

// What tshark reads in each relay PDU that the manager sends: recipients
// one per entry, the sender, the subject's charset, the folder flags, and a
// transaction id that never repeats: numbered from the clock's seconds at
// the run's first id, times a thousand.
TEST_F(InboundManagerTest, TsharkReadsTheRelayPdus)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    {
        CNetworkMessageRequest forward(3);
        forward.messageId = "m1";
        forward.kind = 1;
        forward.toList = "a@example.com, +15550002";
        forward.ccList = "c@example.com";
        forward.subject = "Hi there/\xE2\x82\xAC";
        ASSERT_EQ(send(forward), kResultSucceeded);
        CMmboxStoreRequest save(3);
        save.messageId = "m1";
        save.kind = 1;
        ASSERT_EQ(send(save), kResultSucceeded);
        CMessageItemRequest item(34);
        item.messageId = "m1";
        item.kind = 2;
        ASSERT_EQ(send(item), kResultSucceeded);
        CMessageBoxListRequest list;
        list.kind = 1;
        list.size = 3;
        list.start = 10;
        ASSERT_EQ(send(list), kResultSucceeded);
        CMmsSendRequest sendRequest(7);
        sendRequest.messageId = "s1";
        sendRequest.partCount = 1;
        sendRequest.toList = "+15550002";
        sendRequest.ccList = "c@example.com,d@example.com";
        sendRequest.bccList = "e@example.com";
        sendRequest.subject = "Holiday";
        ASSERT_EQ(send(sendRequest), kResultSucceeded);
    }
    ASSERT_EQ(relay.sent.size(), 5u);
    std::vector<mmstest::Bytes> sent;
    for (const std::string& pdu : relay.sent)
        sent.emplace_back(pdu.begin(), pdu.end());
    const std::vector<std::vector<std::string>> oracle = mmstest::runOracleAll(sent);
    const std::string forward = mmstest::joinedLines(oracle[0]);
    const std::string save = mmstest::joinedLines(oracle[1]);
    const std::string remove = mmstest::joinedLines(oracle[2]);
    const std::string view = mmstest::joinedLines(oracle[3]);
    const std::string sendReq = mmstest::joinedLines(oracle[4]);
    for (const char* line :
        {"header X-Mms-Message-Type: 0x89", "header X-Mms-Transaction-ID: MMS-4711-1694498826001",
            "header X-Mms-Content-Location: http://relay/m?id=7", "header To: a@example.com",
            "header To: +15550002", "header Cc: c@example.com", "header From: 4711", "header X-Mms-MM-Flags"})
        EXPECT_NE(forward.find(line), std::string::npos) << line << "\n" << forward;
    for (const char* line :
        {"header X-Mms-Message-Type: 0x8b", "header X-Mms-Transaction-ID: MMS-4711-1694498826002",
            "header X-Mms-Content-Location: http://relay/m?id=7", "header X-Mms-MM-Flags"})
        EXPECT_NE(save.find(line), std::string::npos) << line << "\n" << save;
    for (const char* line :
        {"header X-Mms-Message-Type: 0x91", "header X-Mms-Transaction-ID: MMS-4711-1694498826003",
            "header X-Mms-Content-Location: http://relay/m?id=7"})
        EXPECT_NE(remove.find(line), std::string::npos) << line << "\n" << remove;
    for (const char* line :
        {"header X-Mms-Message-Type: 0x8d", "header X-Mms-Transaction-ID: MMS-4711-1694498826004",
            "header X-Mms-MM-Flags", "header X-Mms-Start", "header X-Mms-Limit", "header X-Mms-Totals"})
        EXPECT_NE(view.find(line), std::string::npos) << line << "\n" << view;
    for (const char* line :
        {"header X-Mms-Message-Type: 0x80", "header X-Mms-Transaction-ID: QV-MMS-0014711-1694498826005",
            "header To: +15550002", "header Cc: c@example.com", "header Cc: d@example.com",
            "header Bcc: e@example.com", "header From: 4711", "header Subject: Holiday"})
        EXPECT_NE(sendReq.find(line), std::string::npos) << line << "\n" << sendReq;
    // Our decoder reads each as tshark does.
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const mmstest::Bytes& bytes = sent[i];
        CVXLMmsPdu decoded;
        CVXLWspPduDecoder decoder;
        if (!decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), decoded))
            continue; // the send's headers alone lack the content type
        EXPECT_EQ(mmstest::sortedNormalised(mmstest::describeForTshark(decoded)),
            mmstest::sortedNormalised(oracle[i]))
            << "request " << i;
    }
}

// Reading parts into media items: the filter, and a body that is not stored
// yet, fetched from the stored location and then read from its first part.
TEST_F(InboundManagerTest, ReadingPartsIntoMediaItems)
{
    const struct {
        const char* name;
        std::uint32_t kind;
        std::uint32_t filter;
        bool bodyMissing;
        std::int32_t result;
        const char* storeLog;
        const char* relayLog;
    } rows[] = {
        {"both parts, no filter", 0, 7, false, kResultSucceeded, "read i5 mode 5 | read i5 mode 5", ""},
        {"a text part under an image filter", 4, 1, false, kResultMessageNotStored,
            "read i5 mode 5 | read i5 mode 5", ""},
        {"body fetched first", 1, 7, true, kResultSucceeded,
            "read i5 mode 5 | store 1 box 0 | read i5 mode 5 | read i5 mode 5",
            "retrieve http://relay/m?id=7"},
        {"kind 3", 3, 7, false, kResultFailed, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store.log.clear();
        relay.log.clear();
        store.bodyMissing = row.bodyMissing;
        CVXLMediaItem items[2];
        CMessageReadRequest read(3);
        read.messageId = "i5";
        read.kind = row.kind;
        read.partCount = 2;
        read.mediaFilter = row.filter;
        read.mediaItems = items;
        EXPECT_EQ(send(read), row.result);
        EXPECT_EQ(joined(store.log), row.storeLog);
        EXPECT_EQ(joined(relay.log), row.relayLog);
        if (row.result == kResultSucceeded) {
            EXPECT_EQ(read.totalMediaParts, 2u);
            EXPECT_EQ(items[0].name(), "part0");
            EXPECT_TRUE(items[0].isImage());
            EXPECT_EQ(items[1].name(), "part1");
            EXPECT_NE(items[1].mediaRef().get(), nullptr);
        }
    }
}

// A run started later, even one second, numbers its transactions above
// every number an earlier run gave (at most a thousand a second).
TEST(InboundManagerTransactionIds, ALaterRunNeverRepeatsAnId)
{
    Services services;
    std::vector<std::string> ids;
    for (std::uint32_t start : {1700000000u, 1700000001u, 1700000500u}) {
        services.now = start;
        CVXLInboundMessageManager run;
        run.setServices(&services);
        for (int i = 0; i < 1000; ++i) {
            services.now = start + static_cast<std::uint32_t>(i / 100);
            ids.push_back(run.nextTransactionId("MMS-").c_str());
        }
    }
    EXPECT_EQ(ids.front(), "MMS-4711-1700000000001");
    std::vector<std::string> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

TEST(InboundManagerForwardSubject, EncodedAndCut)
{
    const std::string euro = "\xE2\x82\xAC";
    std::string cut(497, 'a');
    cut += euro; // bytes 498..500: the character would pass 499
    const struct {
        std::string subject;
        std::string encoded;
    } rows[] = {
        {"Hi there", "Hi%20there"},
        {"a\"#$%&+,/:;<=>?@[\\]^`{|}~b",
            "a%22%23%24%25%26%2B%2C%2F%3A%3B%3C%3D%3E%3F%40%5B%5C%5D%5E%60%7B%7C%7D%7Eb"},
        {"caf\xC3\xA9", "caf%C3%A9"},
        {"tab\there", "tab%09here"},
        {std::string(600, 'x'), std::string(499, 'x')},
        {cut, std::string(497, 'a')},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CVXLInboundMessageManager::encodeForwardSubject(row.subject.c_str()).c_str(), row.encoded)
            << row.subject.substr(0, 40);
}

TEST(InboundManagerAddresses, ClassifyAddress)
{
    const struct {
        const char* address;
        std::int32_t kind;
    } rows[] = {
        {"a@b.example", 0}, {"@b", 2}, {"+44 20", 1}, {"555-0100", 1}, {"5550100", 1}, {"", 2}, {"Ann", 2}};
    for (const auto& row : rows)
        EXPECT_EQ(CVXLInboundMessageManager::classifyAddress(row.address), row.kind) << row.address;
}

} // namespace
