#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// A request that carries one integer and wants no reply.
class CVXLIntEvent : public CVXLEvent {
public:
    explicit CVXLIntEvent(std::int32_t requestCode)
        : CVXLEvent(requestCode, kEventNone)
    {
        setReplyWanted(false);
    }

    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }

private:
    std::int32_t value_ = 0;
};
