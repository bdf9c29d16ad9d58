#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"

#include <cstdint>
#include <vector>

// One message the outbound queue gave up on, or could not send this time.
struct CFailedMessageRecord {
    CVXLString messageId;
    CVXLString recipients;
    CVXLString text;
    std::uint32_t createdTime = 0;
    std::uint32_t attempts = 0;
    // 64 attempts used up, 75 the relay refused, 83 a medium not found,
    // 85 the service refused, 97 found not queued at start.
    std::uint8_t reason = 0;
};

// The outbound queue's report to the Producer, which decides what the user
// sees. Kind 0 for a relay refusal (75), 1 otherwise. Sent without a reply.
class CFailedMessageReport : public CVXLEvent {
public:
    static constexpr std::uint8_t kKindRelay = 0;
    static constexpr std::uint8_t kKindOther = 1;

    CFailedMessageReport()
        : CVXLEvent(kEventFailedMessageReport, -1)
    {
        setReplyWanted(false);
    }

    std::uint8_t kind = kKindOther;
    std::vector<CFailedMessageRecord> records;
    // The failing step's text (the relay's, for kind 0).
    CVXLString text;
};
