#pragma once

#include "engine/core/base/VXLCodeList.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

// The engine's counters: one name, one number (the counter's index), one
// meaning each. Names starting with kCounter are defined only here
// (tools/check-codes.py checks it).
//
// X(name, number, meaning)
// One entry a line, as tools/check-codes.py reads them:
// clang-format off
#define VXL_COUNTERS(X)                                                                                          \
    X(kCounterInPhone, 0, "background upload records waiting for items in the phone's memory")                  \
    X(kCounterPhoneMedia, 1, "pictures and videos in the phone's memory of the outbound queue's entries")        \
    X(kCounterExternal, 2, "background upload records waiting for items on the memory card")                    \
    X(kCounterCardMedia, 3, "pictures and videos on the memory card of the outbound queue's entries")            \
    X(kCounterOnlineMedia, 4, "online pictures and videos of the outbound queue's entries")                      \
    X(kCounterQueued, 5, "outbound entries queued")                                                             \
    X(kCounterSending, 6, "outbound entries being sent")                                                        \
    X(kCounterFailed, 7, "outbound entries that used their attempts")                                           \
    X(kCounterRejected, 8, "outbound entries refused")                                                          \
    X(kCounterPermanentFailures, 9, "sends that failed for good since the start")                                \
    X(kCounterTransientFailures, 10, "sends that failed and are tried again, since the start")                  \
    X(kCounterRetries, 11, "attempts made on the background upload record at the cursor")                      \
    X(kCounterMessagesSent, 12, "messages the outbound sender has sent")                                        \
    X(kCounterNotificationStage, 13, "the step of the notification the inbound manager serves")                 \
    X(kCounterNewLayouts, 14, "new-layout requests queued; the stack machine reads it")                         \
    X(kCounterUpdatesSinceNew, 15, "layout updates queued since the last new layout")                           \
    X(kCounterReleaseRequests, 16, "layout releases queued")                                                    \
    X(kCounterLayoutsReleased, 17, "layouts the user interface gave back")
// clang-format on

VXL_CODE_LIST(CVXLCounter, kCounterNumbers, VXL_COUNTERS);

// The engine's 18 counters. Each Client owns its own table, so two engines in
// one process never share counts. Indexes outside 0..17 read 0 and change
// nothing.
class CVXLCounterTable : public CVXLObject {
public:
    static constexpr int kCounterCount = 18;
    static_assert(sizeof(kCounterNumbers) / sizeof(kCounterNumbers[0]) == kCounterCount);

    CVXLCounterTable();

    std::int32_t get(int index) const;
    void set(int index, std::int32_t value);
    // Stores previous + delta and returns the previous value.
    std::int32_t add(int index, std::int32_t delta);

private:
    static bool inRange(int index) { return index >= 0 && index < kCounterCount; }

    std::int32_t counters_[kCounterCount];
};
