#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/jobs/VXLEvent.h"

class CVXLEventHandler;

// A member event of its owner that turns a callback into an event: the value
// becomes the result and the event is posted from the owner to the owner, so
// it arrives in the owner's own queue. Reused for each operation.
class CVXLCallbackEvent : public CVXLEvent, public CVXLCallback {
public:
    CVXLCallbackEvent(CVXLEventHandler* owner, std::int32_t code);

    void call(std::uint32_t value) override;
    CVXLEventHandler* owner() const { return owner_; }

private:
    CVXLEventHandler* owner_;
};
