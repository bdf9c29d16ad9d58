#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVRAXListReplyParser;

// A dialogue the service protocol job asks the Producer for: the password
// prompt (kEventVraxPasswordPrompt) or the choice of a list-choice alert
// (kEventVraxChoicePrompt, whose choices are read through `list`). The
// answer is a result (0 = the user answered) and the text entered or chosen.
class CVRAXPromptEvent : public CVXLEvent {
public:
    CVRAXPromptEvent(std::int32_t requestCode, std::int32_t replyCode)
        : CVXLEvent(requestCode, replyCode)
    {
    }

    std::uint8_t flags[2] = {0, 0};
    CVRAXListReplyParser* list = nullptr;
    CVXLString text;
};
