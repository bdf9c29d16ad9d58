#pragma once

#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVXLMessageSummary;

// A list window of a message box (request 10) for the message service job:
// `windowSize` records from `windowStart` into the caller's summary array,
// or, when ids are given, the records of those ids.
class CMessageListRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 10;
    static constexpr std::uint32_t kDefaultBoxType = 6;

    explicit CMessageListRequest(std::int32_t replyCode = 0)
        : CVXLEvent(kRequestCode, replyCode)
    {
    }

    void reset()
    {
        windowStart = 0;
        count = 0;
        boxType = kDefaultBoxType;
        windowSize = 0;
        summaries = nullptr;
        filled = 0;
        total = 0;
        ids.clear();
    }

    std::uint32_t windowStart = 0;
    std::uint32_t count = 0;
    std::uint32_t boxType = kDefaultBoxType;
    std::uint32_t windowSize = 0;
    CVXLMessageSummary* summaries = nullptr; // the caller's, windowSize records
    std::uint32_t filled = 0; // out
    std::uint32_t total = 0; // out
    CVXLStringArray ids;
};
