#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Adds a stored premium-box message to the premium inbox under the group its
// descriptor names (request 37; no reply is wanted).
class CPremiumAddRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 37;

    CPremiumAddRequest()
        : CVXLEvent(kRequestCode, 0)
    {
        setReplyWanted(false);
    }

    CVXLString messageId;
    CVXLString descriptor;
};
