#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

// One received WAP push PDU (an MMS notification) waiting in the push queue.
class CWapPushItem : public CVXLObject {
public:
    // Handed to the inbound message manager with the PDU.
    std::uint32_t fetchNow = 0;
    // Failed hand-overs so far, kept across restarts.
    std::uint32_t attempts = 0;
    CVXLByteBuffer pdu;
    // Not saved: the load raised `attempts` because the last run ended
    // without a clean shut-down while this item was at the head.
    bool backAfterCrash = false;
};
