#pragma once

#include "engine/core/jobs/VXLEvent.h"

// Same shape and behaviour as CVXLSimpleEvent, kept as a type of its own.
class CVXLPlainEvent : public CVXLEvent {
public:
    CVXLPlainEvent() { setReplyWanted(false); }
    explicit CVXLPlainEvent(std::int32_t code)
        : CVXLEvent(code, code)
    {
        setReplyWanted(false);
    }
};
