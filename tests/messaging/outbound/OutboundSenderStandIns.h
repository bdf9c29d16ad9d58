#pragma once

#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/messaging/outbound/OutboundSender.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Stand-ins for the parties around the outbound sender, and items to send.

// Plays the Media Upload Manager: notes what it was asked, writes "U<n>"
// into each entry and answers with the scripted result and status value.
struct UploadStandIn : TraceJob {
    UploadStandIn()
        : TraceJob("upload manager")
    {
        handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event->effectiveCode() != kEventMediaUpload)
                return self.finishEvent(event);
            auto* request = static_cast<CMediaUploadRequest*>(event);
            if (trace)
                trace->push_back("upload@" + std::to_string(sender->sendStep()));
            asked.clear();
            int n = 0;
            for (CMediaUploadItem& item : request->items) {
                asked += std::to_string(item.location) + ":" + item.uid.c_str() + ":" + item.identity.c_str()
                    + " ";
                item.uid = ("U" + std::to_string(++n)).c_str();
            }
            flags = std::to_string(request->flags[0]) + std::to_string(request->flags[1])
                + std::to_string(request->flags[2]) + "/" + request->name.c_str();
            request->statusValue = status;
            request->setResult(result, CVXLString(result ? "upload refused" : ""));
            self.finishEvent(request);
        };
    }

    const COutboundSender* sender = nullptr;
    std::vector<std::string>* trace = nullptr;
    std::int32_t result = 0;
    std::int32_t status = 0;
    std::string asked;
    std::string flags;
};

// The queue's side: every result it is told, with what it carried.
struct QueueStandIn : TraceJob {
    QueueStandIn()
        : TraceJob("queue")
    {
        handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event->effectiveCode() == kEventOutboundSendResult) {
                auto* result = static_cast<COutboundSendResult*>(event);
                reports.push_back({result->result(), result->resultText().c_str(), result->messageId.c_str(),
                    result->permanent, result->item != nullptr});
                if (sender)
                    stepAtReport = sender->sendStep();
            } else if (!event->isRequest()) {
                answers.push_back(event->result());
            }
            self.finishEvent(event);
        };
    }

    struct Report {
        std::int32_t result;
        std::string text;
        std::string messageId;
        std::uint8_t permanent;
        bool hasItem;
    };
    const COutboundSender* sender = nullptr;
    std::vector<Report> reports;
    std::vector<std::int32_t> answers;
    std::int32_t stepAtReport = -1;
};

// A composed message of `parts` media parts (a picture, then a video, then
// pictures) to two recipients, with a subject and a voice field.
inline std::string composedItem(int parts, const char* audioName)
{
    COutboundItem item;
    item.kind = COutboundItem::kKindComposed;
    item.createdTime = 1700000000;
    for (int i = 0; i < parts; ++i) {
        const std::string id = "\\My Documents\\My Pictures\\p" + std::to_string(i) + ".jpg";
        item.addMediaPart(
            CVXLMediaIdentity(0x10003 + i, "", id.c_str()), i == 1 ? "video/3gpp" : "image/jpeg");
    }
    item.recipients.insertAt("+15550111", -1);
    item.recipients.insertAt("a@b.example", -1);
    item.scenarioId = "__vxl_sendto_recipients";
    item.cookie = "ck";
    CVXLStringArray text;
    text.insertAt("Hello", 0);
    item.addFieldGroup("pics", kFieldImages, CVXLStringArray());
    item.addFieldGroup("to", kFieldAddressList, CVXLStringArray());
    item.addFieldGroup("subj", kFieldSubject, text);
    item.addFieldGroup("voice", kFieldAudioAnnotation, CVXLStringArray());
    item.audioName = audioName;
    item.messageId = "o1700000000";
    item.priority = 2;
    CVXLByteBuffer bytes;
    EXPECT_TRUE(item.save(bytes));
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length());
}

// A prepared MMS: its stored message's id, To list, subject and part count.
inline std::string preparedItem(const char* id = "m42", const char* to = "+15550111,+15550222",
    const char* subject = "Holiday", std::uint32_t parts = 3)
{
    COutboundItem item;
    item.kind = COutboundItem::kKindPreparedMms;
    const char* texts[] = {id, to, "cc-unused", "bcc-unused", subject};
    for (int i = 0; i < COutboundItem::kPreparedTexts; ++i)
        item.texts[i] = texts[i];
    item.value = parts;
    CVXLByteBuffer bytes;
    EXPECT_TRUE(item.save(bytes));
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length());
}
