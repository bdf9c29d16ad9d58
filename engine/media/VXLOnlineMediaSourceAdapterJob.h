#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transfer/VXLPushToSourceAdapterBase.h"

#include <cstdint>

// The slots of the Online Media Manager's fetch batch, as its source
// adapters mark them.
class CVXLFetchBatch {
public:
    virtual ~CVXLFetchBatch() = default;
    virtual void slotOpened(std::int32_t slot) = 0;
    virtual void slotDone(std::int32_t slot) = 0;
    // The adapter is going away: the slot must no longer name it.
    virtual void slotReleased(std::int32_t slot) = 0;
    virtual void slotFinished(std::int32_t slot, bool succeeded) = 0;
};

// The source of one fetched rendition: the service protocol job pushes the
// item's bytes to it with kEventPushWrite requests, each answered when its
// bytes have gone on; the fetch's end (kFetchOver, with the fetch's result)
// sends the end of the data or fails the transfer.
class CVXLOnlineMediaSourceAdapterJob : public CVXLPushToSourceAdapterBase {
public:
    static constexpr std::int32_t kFetchOver = 5;

    CVXLOnlineMediaSourceAdapterJob(CVXLFetchBatch* batch, std::int32_t slot);

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLOnlineMediaSourceAdapterJob"; }
    void onOpen() override;
    void onSourceFinished(bool succeeded) override;
    void onPushConsumed() override;

    // The item's names, as the fetch request gives them.
    CVXLString names[3];
    bool fetchDone() const { return fetchDone_; }
    bool finished() const { return finished_; }

private:
    void onPushRequest(CVXLEvent* event);
    void onFetchOver(CVXLEvent* event);
    void onCancelNotice(CVXLEvent* event);
    void detach();

    CVXLFetchBatch* batch_;
    std::int32_t slot_;
    CVXLEvent* pendingPush_ = nullptr;
    bool fetchDone_ = false;
    bool finished_ = false;
    bool withdrawn_ = false;
};
