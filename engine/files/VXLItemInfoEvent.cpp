#include "engine/files/VXLItemInfoEvent.h"

#include "engine/core/jobs/VXLEventHandler.h"

CVXLItemInfoEvent::CVXLItemInfoEvent(CVXLEventHandler* owner, std::int32_t code)
    : CVXLEvent(code, code)
    , owner_(owner)
{
    setReplyWanted(false);
}

void CVXLItemInfoEvent::reset()
{
    calls_ = 0;
    size_ = 0;
    status_ = 0;
}

void CVXLItemInfoEvent::call(std::uint32_t value)
{
    switch (calls_++) {
    case 0:
        size_ = value;
        break;
    case 1:
        status_ = value;
        break;
    case 2:
        setResult(static_cast<std::int32_t>(value));
        if (owner_)
            owner_->post(owner_, this);
        break;
    default:
        break;
    }
}
