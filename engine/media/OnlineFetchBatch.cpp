#include "engine/media/OnlineFetchBatch.h"

COnlineFetchBatch::COnlineFetchBatch(std::int32_t replyCode)
    : request(kEventVraxFetchMedia, replyCode)
{
    request.batch = &record;
    request.repeatPermitted = 1;
}

void COnlineFetchBatch::slotOpened(std::int32_t slot)
{
    if (slot < 0 || slot >= record.slotCount())
        return;
    record.slots[slot].opened = true;
    record.allIdle = false;
}

void COnlineFetchBatch::slotDone(std::int32_t slot)
{
    if (slot >= 0 && slot < record.slotCount())
        record.slots[slot].done = true;
}

void COnlineFetchBatch::slotReleased(std::int32_t slot)
{
    if (slot < 0 || slot >= record.slotCount())
        return;
    record.slots[slot].opened = false;
    updateIdle();
}

void COnlineFetchBatch::slotFinished(std::int32_t slot, bool)
{
    slotReleased(slot);
}

std::int32_t COnlineFetchBatch::slotOf(const CVXLEventHandler* adapter) const
{
    for (std::int32_t i = 0; i < record.slotCount(); ++i) {
        if (adapter && adapters[i] == adapter)
            return i;
    }
    return -1;
}

void COnlineFetchBatch::forget(std::int32_t slot)
{
    if (slot < 0 || slot >= record.slotCount() || !adapters[slot])
        return;
    adapters[slot] = nullptr;
    record.slots[slot].target = nullptr;
    record.slots[slot].opened = false;
    --live;
    updateIdle();
}

void COnlineFetchBatch::updateIdle()
{
    bool idle = true;
    for (std::int32_t i = 0; i < record.slotCount(); ++i)
        idle = idle && !record.slots[i].opened;
    record.allIdle = idle;
}
