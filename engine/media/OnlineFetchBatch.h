#pragma once

#include "engine/media/VXLOnlineMediaSourceAdapterJob.h"
#include "engine/service/VRAXFetchBatch.h"
#include "engine/service/VRAXJobRequest.h"

#include <cstdint>

// One fetch batch as sent to the service protocol job: the record of its
// slots, the request that carries it and the source adapters that serve its
// requesters. The adapters mark their slots here. It lives until the request
// has come back and every adapter has gone.
class COnlineFetchBatch : public CVXLFetchBatch {
public:
    explicit COnlineFetchBatch(std::int32_t replyCode);

    void slotOpened(std::int32_t slot) override;
    void slotDone(std::int32_t slot) override;
    void slotReleased(std::int32_t slot) override;
    void slotFinished(std::int32_t slot, bool succeeded) override;

    // The slot of an adapter of this batch, or -1.
    std::int32_t slotOf(const CVXLEventHandler* adapter) const;
    // The adapter has finished: its slot no longer names it.
    void forget(std::int32_t slot);
    bool finished() const { return replied && live == 0; }

    CVRAXFetchBatch record;
    CVRAXJobRequest request;
    CVXLOnlineMediaSourceAdapterJob* adapters[CVRAXFetchBatch::kMaxSlots] = {};
    std::int32_t live = 0;
    bool replied = false;

private:
    void updateIdle();
};
