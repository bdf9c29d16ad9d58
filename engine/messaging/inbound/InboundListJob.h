#pragma once

#include "engine/core/base/VXLStringArray.h"
#include "engine/messaging/inbound/InboundJob.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLPduRef.h"

#include <cstdint>

// Lists a window of a box into the caller's summary records (request
// 0x8000036): the inbox and the premium box from the store; a relay folder
// from an MMbox view whose descriptors' previews are fetched, stored as
// relay mailbox copies and read back.
class CInboundListJob : public CInboundJob {
public:
    explicit CInboundListJob(CVXLInboundMessageManager& manager);

    const char* name() const override { return "Inbound List"; }

protected:
    void begin(CVXLEvent* request) override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void onReply(CVXLEvent* reply) override;
    void dropSteps() override;

private:
    void onCounted(CVXLEvent* reply);
    void onIdsListed(CVXLEvent* reply);
    void readNextListed();
    void onListedRead(CVXLEvent* reply);
    void mmboxViewed(std::int32_t result);
    void fetchNextMmboxPreview();
    void mmboxPreviewReceived(std::int32_t result);
    void onMmboxPreviewStored(CVXLEvent* reply);
    void readNextMmboxStored();
    void onMmboxRead(CVXLEvent* reply);
    // The index-th m-mbox-descr of the view confirmation held; null past them.
    CVXLMmsPdu* descriptorAt(std::uint32_t index) const;
    void fail(std::int32_t result, const CVXLString& text = CVXLString());

    CVXLStringArray idArray_;
    std::uint32_t listIndex_ = 0;
    std::uint32_t listCount_ = 0;
    CVXLPduRef mmboxViewPdu_;
    CVXLMessage mmboxStored_;
    std::uint32_t mmboxIndex_ = 0;
    std::uint32_t mmboxCount_ = 0;

    CStoreCountQuery countQuery_;
    CStoreIdListQuery idListQuery_;
    CStoreReadRequest listedRead_;
    CStoreMmboxPurgeRequest purgeRequest_;
    CStoreMessageRequest mmboxStore_;
    CStoreReadRequest mmboxRead_;
};
