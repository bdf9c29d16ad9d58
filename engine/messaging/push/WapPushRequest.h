#pragma once

#include "engine/core/jobs/VXLEvent.h"
#include "engine/messaging/push/WapPushItem.h"

#include <cstdint>

// A push source's hand-over to the WAP push queue (its request 0). The
// queue appends a copy of the item; a source usually posts it from the heap
// without asking for a reply.
class CWapPushRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 0;

    CWapPushRequest()
        : CVXLEvent(kRequestCode, kRequestCode)
    {
    }

    CWapPushItem item;
};
