#include "engine/core/jobs/VXLEventRing.h"

#include "engine/core/jobs/VXLEventHandler.h"

CVXLEventRing::CVXLEventRing(CVXLEventHandler* owner, CVXLSimpleEvent* slots, std::uint32_t count)
    : cursor_(count ? count - 1 : 0)
    , count_(slots ? count : 0)
    , slots_(slots)
    , owner_(owner)
{
}

CVXLEvent* CVXLEventRing::acquire()
{
    for (std::uint32_t tried = 0; tried < count_; ++tried) {
        cursor_ = (cursor_ + 1) % count_;
        if (!slots_[cursor_].isBusy())
            return &slots_[cursor_];
    }
    auto* event = new CVXLSimpleEvent;
    if (event)
        event->setHeapAllocated(true);
    return event;
}

void CVXLEventRing::postSignal(std::int32_t signal)
{
    CVXLEvent* event = acquire();
    if (!event || !owner_)
        return;
    event->setRequestCode(signal);
    event->setReplyCode(signal);
    owner_->post(owner_, event);
}
