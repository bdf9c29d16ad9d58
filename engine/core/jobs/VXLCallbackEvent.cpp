#include "engine/core/jobs/VXLCallbackEvent.h"

#include "engine/core/jobs/VXLEventHandler.h"

CVXLCallbackEvent::CVXLCallbackEvent(CVXLEventHandler* owner, std::int32_t code)
    : CVXLEvent(code, code)
    , owner_(owner)
{
    setReplyWanted(false);
}

void CVXLCallbackEvent::call(std::uint32_t value)
{
    // The result word holds the platform's value bit for bit.
    setResult(static_cast<std::int32_t>(value));
    if (owner_)
        owner_->post(owner_, this);
}
