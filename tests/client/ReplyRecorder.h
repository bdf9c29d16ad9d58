#pragma once

#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"

#include <cstdint>
#include <vector>

// A child of the Client that posts requests to its managers and keeps the
// results of the answers it is handed (finishing an answer clears its
// result).
class ReplyRecorder : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->kind() == kEventReply)
            results.push_back(event->result());
        finishEvent(event);
    }
    std::vector<std::int32_t> results;
};
