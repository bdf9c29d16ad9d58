#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// A request that expects its reply and carries one payload word. The word is
// pointer-sized because senders keep object references in it.
class CVXLPayloadEvent : public CVXLEvent {
public:
    CVXLPayloadEvent(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    std::uintptr_t payload() const { return payload_; }
    void setPayload(std::uintptr_t word) { payload_ = word; }

private:
    std::uintptr_t payload_ = 0;
};

inline constexpr std::uintptr_t kPayloadNetworkNotice = 273;

// The online media manager and the UI jobs look for this pair after a
// network step.
inline bool vxlIsNetworkNotice(const CVXLPayloadEvent& event)
{
    return event.result() == kResultNetworkNotice && event.payload() == kPayloadNetworkNotice;
}
