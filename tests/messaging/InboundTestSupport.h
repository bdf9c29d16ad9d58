#pragma once

#include "engine/core/jobs/VXLEventHandler.h"

#include <cstdint>
#include <vector>

// Posts requests to the inbound manager and keeps the result of each answer.
class InboundRequester : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (!event->isRequest())
            answers.push_back(event->result());
        else
            finishEvent(event);
    }
    std::vector<std::int32_t> answers;
};
