#include "engine/messaging/outbound/OutboundSender.h"

#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLMediaItemFacts.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "tests/messaging/outbound/OutboundSenderStandIns.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Plays the VRAX job: takes a voice memo's upload, asking the sink for its
// bytes until the end, and a queued message, keeping a copy of its record.
struct VraxStandIn : CVXLEventHandler {
    static constexpr std::int32_t kAskDone = 40;

    const char* name() const override { return "vrax job"; }
    void onEvent(CVXLEvent* event) override
    {
        switch (event->effectiveCode()) {
        case kEventOnlineUpload:
            upload = static_cast<CVXLOnlineUploadRequest*>(event);
            trace->push_back("memo@" + std::to_string(sender->sendStep()));
            memoType = vxlMediaItemFacts(*upload->item).mimeType.c_str();
            return ask();
        case kAskDone: {
            const CVXLByteBuffer buffer = ask_.buffer;
            finishEvent(event);
            memo.append(reinterpret_cast<const char*>(buffer.data()), buffer.length());
            if (buffer.length() != 0)
                return ask();
            CVXLOnlineUploadRequest* request = upload;
            upload = nullptr;
            if (memoResult == kResultSucceeded)
                request->item->setUid("V1");
            request->setResult(memoResult, CVXLString(memoResult ? "memo refused" : ""));
            return finishEvent(request);
        }
        case kEventVraxQueuedMessage: {
            auto* request = static_cast<CVRAXJobRequest*>(event);
            trace->push_back("vrax@" + std::to_string(sender->sendStep()));
            sent = *request->message;
            request->serverErrorCode = subCode;
            request->setResult(result, CVXLString(result ? "service says no" : ""));
            return finishEvent(request);
        }
        default:
            finishEvent(event);
        }
    }
    void ask()
    {
        ask_.size = 1000;
        ask_.buffer.clear();
        post(upload->source(), &ask_);
    }

    const COutboundSender* sender = nullptr;
    std::vector<std::string>* trace = nullptr;
    std::int32_t memoResult = 0;
    std::int32_t result = 0;
    std::int32_t subCode = 0;
    std::string memo;
    std::string memoType;
    CVRAXMessageRecord sent;
    CVXLOnlineUploadRequest* upload = nullptr;
    CVXLUploadDataRequest ask_ {kAskDone};
};

// Plays the inbound message manager's send (request 5).
struct InboundStandIn : TraceJob {
    InboundStandIn()
        : TraceJob("inbound manager")
    {
        handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event->effectiveCode() != kInboundRequestMmsSend)
                return self.finishEvent(event);
            auto* send = static_cast<CMmsSendRequest*>(event);
            trace->push_back("mms@" + std::to_string(sender->sendStep()));
            asked = std::string(send->messageId.c_str()) + "|" + send->toList.c_str() + "|"
                + send->ccList.c_str() + "|" + send->bccList.c_str() + "|" + send->subject.c_str() + "|"
                + std::to_string(send->partCount) + "|" + std::to_string(send->kind);
            send->setResult(result, CVXLString(result ? "refused 97" : ""));
            self.finishEvent(send);
        };
    }

    const COutboundSender* sender = nullptr;
    std::vector<std::string>* trace = nullptr;
    std::int32_t result = 0;
    std::string asked;
};

struct SenderRig : FileStoreFixture {
    SenderRig()
    {
        files.setFileStore(&store);
        sender.setFileStoreManager(&files);
        sender.setUploadManager(&uploads);
        sender.setVraxJob(&vrax);
        sender.setInboundManager(&inbound);
        sender.setCounters(&counters);
        uploads.sender = vrax.sender = inbound.sender = queue.sender = &sender;
        uploads.trace = vrax.trace = inbound.trace = &trace;
        for (CVXLEventHandler* job :
            {static_cast<CVXLEventHandler*>(&files), static_cast<CVXLEventHandler*>(&uploads),
                static_cast<CVXLEventHandler*>(&vrax), static_cast<CVXLEventHandler*>(&inbound),
                static_cast<CVXLEventHandler*>(&queue), static_cast<CVXLEventHandler*>(&sender)})
            driver.attach(job);
        driver.runUntilIdle();
    }

    void send(const char* itemFile, const char* audioFile)
    {
        request.itemFile = itemFile;
        request.audioFile = audioFile;
        queue.post(&sender, &request);
        driver.runUntilIdle(100000);
    }

    std::string traced() const
    {
        std::string out;
        for (const std::string& line : trace)
            out += (out.empty() ? "" : " ") + line;
        return out;
    }

    CVXLFileStoreManager files;
    UploadStandIn uploads;
    VraxStandIn vrax;
    InboundStandIn inbound;
    QueueStandIn queue;
    COutboundSender sender;
    CVXLCounterTable counters;
    std::vector<std::string> trace;
    COutboundSendRequest request {9};
};

const std::string kMemo = FileStoreFixture::randomBytes(2500, 7);

} // namespace

// Each row is one send: what lies in the store, how the parties answer, and
// what the queue is told. The trace names each party reached, with the
// sender's step at that moment.
TEST(OutboundSender, EachStepAndEachFailureEndsInOneReport)
{
    enum Item { kComposed, kComposedNoMedia, kPrepared, kMissing, kCut, kUnknownKind, kBadFormat };
    struct Case {
        const char* what;
        Item item;
        const char* audioName;
        bool audioFileThere;
        std::int32_t uploadResult, uploadStatus, memoResult, vraxResult, subCode, mmsResult;
        const char* trace;
        std::int32_t result;
        const char* text;
        std::uint8_t permanent;
        const char* voice;
        std::int32_t sentCount;
    };
    const Case cases[] = {
        {"composed, sent", kComposed, "", false, 0, 0, 0, 0, 0, 0, "upload@3 vrax@7", 0, "", 0, "", 1},
        {"no media still passes the upload manager", kComposedNoMedia, "", false, 0, 0, 0, 0, 0, 0,
            "upload@3 vrax@7", 0, "", 0, "", 1},
        {"voice memo copied and annotated", kComposed, "memo.amr", true, 0, 0, 0, 0, 0, 0,
            "upload@3 memo@5 vrax@7", 0, "", 0, "V1", 1},
        {"voice memo file missing: sent without it", kComposed, "memo.amr", false, 0, 0, 0, 0, 0, 0,
            "upload@3 vrax@7", 0, "", 0, "", 1},
        {"no audio name: the file is not read", kComposed, "", true, 0, 0, 0, 0, 0, 0, "upload@3 vrax@7", 0,
            "", 0, "", 1},
        {"voice memo copy fails the send", kComposed, "memo.amr", true, 0, 0, 96, 0, 0, 0, "upload@3 memo@5",
            96, "memo refused", 0, "", 0},
        {"upload fails", kComposed, "", false, 84, 0, 0, 0, 0, 0, "upload@3", 84, "upload refused", 0, "", 0},
        {"upload refused for good", kComposed, "", false, 52, 273, 0, 0, 0, 0, "upload@3", 52,
            "upload refused", 1, "", 0},
        {"upload 52 with another status", kComposed, "", false, 52, 500, 0, 0, 0, 0, "upload@3", 52,
            "upload refused", 0, "", 0},
        {"service refuses with 273", kComposed, "", false, 0, 0, 0, 52, 273, 0, "upload@3 vrax@7", 52,
            "service says no", 1, "", 0},
        {"service refuses with 274", kComposed, "", false, 0, 0, 0, 52, 274, 0, "upload@3 vrax@7", 52,
            "service says no", 1, "", 0},
        {"service 52 with another sub-code", kComposed, "", false, 0, 0, 0, 52, 266, 0, "upload@3 vrax@7", 52,
            "service says no", 0, "", 0},
        {"service 273 sub-code without 52", kComposed, "", false, 0, 0, 0, 94, 273, 0, "upload@3 vrax@7", 94,
            "service says no", 0, "", 0},
        {"prepared MMS sent", kPrepared, "", false, 0, 0, 0, 0, 0, 0, "upload@3 mms@9", 0, "", 0, "", 0},
        {"prepared MMS refused by the relay", kPrepared, "", false, 0, 0, 0, 0, 0, 75, "upload@3 mms@9", 75,
            "refused 97", 0, "", 0},
        {"item file missing", kMissing, "", false, 0, 0, 0, 0, 0, 0, "", kResultNotFound, "", 0, "", 0},
        {"item cut short", kCut, "", false, 0, 0, 0, 0, 0, 0, "", kResultFailed, "", 0, "", 0},
        {"unknown kind", kUnknownKind, "", false, 0, 0, 0, 0, 0, 0, "", kResultFailed, "", 0, "", 0},
        {"not an item", kBadFormat, "", false, 0, 0, 0, 0, 0, 0, "", kResultFailed, "", 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SenderRig rig;
        std::string bytes = c.item == kPrepared
            ? preparedItem()
            : composedItem(c.item == kComposedNoMedia ? 0 : 2, c.audioName);
        if (c.item == kCut)
            bytes.resize(bytes.size() - 3);
        if (c.item == kUnknownKind)
            bytes[1] = 3;
        if (c.item == kBadFormat)
            bytes[0] = 10;
        if (c.item != kMissing)
            rig.writeHostFile("item_4.oq", bytes);
        if (c.audioFileThere)
            rig.writeHostFile("audio_4.oq", kMemo);
        rig.uploads.result = c.uploadResult;
        rig.uploads.status = c.uploadStatus;
        rig.vrax.memoResult = c.memoResult;
        rig.vrax.result = c.vraxResult;
        rig.vrax.subCode = c.subCode;
        rig.inbound.result = c.mmsResult;
        rig.counters.set(kCounterMessagesSent, 5);

        rig.send("item_4.oq", std::string(c.audioName).empty() && !c.audioFileThere ? "" : "audio_4.oq");

        EXPECT_EQ(rig.traced(), c.trace);
        ASSERT_EQ(rig.queue.reports.size(), 1u);
        const QueueStandIn::Report& report = rig.queue.reports[0];
        EXPECT_EQ(report.result, c.result);
        EXPECT_EQ(report.text, c.text);
        EXPECT_EQ(report.permanent, c.permanent);
        EXPECT_TRUE(report.hasItem);
        const bool composed = c.item == kComposed || c.item == kComposedNoMedia;
        EXPECT_EQ(report.messageId, composed ? "o1700000000" : "");
        EXPECT_EQ(rig.queue.stepAtReport, COutboundSender::kIdle);
        // The request is finished after the report, with the same result.
        EXPECT_EQ(rig.queue.answers, std::vector<std::int32_t> {c.result});
        EXPECT_EQ(rig.sender.sendStep(), COutboundSender::kIdle);
        EXPECT_EQ(rig.counters.get(kCounterMessagesSent), 5 + c.sentCount);
        if (std::string(c.trace).find("memo@") != std::string::npos) {
            EXPECT_TRUE(rig.vrax.memo == kMemo);
            EXPECT_EQ(rig.vrax.memoType, "audio/AMR");
        }
        if (std::string(c.trace).find("vrax@") != std::string::npos) {
            EXPECT_EQ(rig.vrax.sent.voiceAnnotation, c.voice);
        }
    }
}

TEST(OutboundSender, TheUploadListsThePartsAndTheServiceGetsTheirUids)
{
    SenderRig rig;
    rig.writeHostFile("item_4.oq", composedItem(2, ""));
    rig.send("item_4.oq", "");
    EXPECT_EQ(rig.uploads.asked,
        "65539::\\My Documents\\My Pictures\\p0.jpg 65540::\\My Documents\\My Pictures\\p1.jpg ");
    EXPECT_EQ(rig.uploads.flags, "101/");
    const CVRAXMessageRecord& sent = rig.vrax.sent;
    EXPECT_EQ(sent.priority, 2);
    EXPECT_EQ(sent.scenarioId, "__vxl_sendto_recipients");
    EXPECT_EQ(sent.cookie, "ck");
    ASSERT_EQ(sent.media.size(), 2u);
    EXPECT_EQ(sent.media[0].name, "U1");
    EXPECT_EQ(sent.media[0].mimeType, "image/jpeg");
    EXPECT_EQ(sent.media[1].name, "U2");
    EXPECT_EQ(sent.media[1].mimeType, "video/3gpp");
    ASSERT_EQ(sent.addresses.count(), 2u);
    EXPECT_EQ(sent.addresses.at(1), "a@b.example");
    ASSERT_EQ(sent.fields.size(), 4u);
    EXPECT_EQ(sent.fields[2].id, "subj");
    EXPECT_EQ(sent.fields[2].type, kFieldSubject);
    ASSERT_EQ(sent.fields[2].values.count(), 1u);
    EXPECT_EQ(sent.fields[2].values.at(0), "Hello");
    EXPECT_EQ(rig.sender.item().partAt(1)->identity.first(), "U2");
}

TEST(OutboundSender, APreparedMmsGoesWithItsIdToListSubjectAndPartCountOnly)
{
    SenderRig rig;
    rig.writeHostFile("item_4.oq", preparedItem());
    rig.send("item_4.oq", "");
    EXPECT_EQ(rig.inbound.asked, "m42|+15550111,+15550222|||Holiday|3|0");
    EXPECT_EQ(rig.uploads.asked, "");
}

// The permanent byte belongs to the send that earned it.
TEST(OutboundSender, APermanentRefusalDoesNotCarryOverToTheNextSend)
{
    SenderRig rig;
    rig.writeHostFile("item_4.oq", composedItem(1, ""));
    rig.vrax.result = 52;
    rig.vrax.subCode = 273;
    rig.send("item_4.oq", "");
    rig.vrax.subCode = 0;
    rig.send("item_4.oq", "");
    rig.uploads.result = 52;
    rig.uploads.status = 274;
    rig.send("item_4.oq", "");
    rig.uploads.status = 0;
    rig.send("item_4.oq", "");
    ASSERT_EQ(rig.queue.reports.size(), 4u);
    EXPECT_EQ(rig.queue.reports[0].permanent, 1);
    EXPECT_EQ(rig.queue.reports[1].permanent, 0);
    EXPECT_EQ(rig.queue.reports[2].permanent, 1);
    EXPECT_EQ(rig.queue.reports[3].permanent, 0);
}

TEST(OutboundSender, AStopEndsTheSendInProgressWithOneReport)
{
    SenderRig rig;
    rig.writeHostFile("item_4.oq", composedItem(1, ""));
    // The upload manager keeps the request: the send waits there.
    CVXLEvent* held = nullptr;
    rig.uploads.handler = [&](TraceJob&, CVXLEvent* event) { held = event; };
    rig.send("item_4.oq", "");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(rig.sender.sendStep(), COutboundSender::kUploadingMedia);
    rig.sender.stop();
    rig.driver.runUntilIdle();
    ASSERT_EQ(rig.queue.reports.size(), 1u);
    EXPECT_EQ(rig.queue.reports[0].result, kResultCancelled);
    held->setResult(kResultSucceeded);
    rig.uploads.finishEvent(held);
    rig.driver.runUntilIdle();
    EXPECT_EQ(rig.queue.reports.size(), 1u);
    EXPECT_EQ(rig.trace.size(), 0u);
}

TEST(OutboundSender, AVoiceMemoIsUploadedWithAMimeType)
{
    const struct {
        const char* audioName;
        const char* type;
    } cases[] = {
        {"audio/amr", "audio/amr"},
        {"audio/x-wav", "audio/x-wav"},
        {"memo.wav", "audio/x-wav"},
        {"\\My Documents\\Voice\\Memo 3.AMR", "audio/AMR"},
        {"Voice memo", ""},
        {"audio/", ""},
        {"a/b/c.wav", "audio/x-wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(COutboundSender::voiceMemoMimeType(c.audioName), c.type) << c.audioName;
}
