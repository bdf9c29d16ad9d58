#include "engine/core/VXLCallbackEvent.h"

#include "engine/core/VXLEventHandler.h"

CVXLCallbackEvent::CVXLCallbackEvent(CVXLEventHandler* owner, std::int32_t code)
    : CVXLEvent(code, code)
    , owner_(owner)
{
    setReplyWanted(false);
}

void CVXLCallbackEvent::call(std::int32_t value)
{
    setResult(value);
    if (owner_)
        owner_->post(owner_, this);
}
