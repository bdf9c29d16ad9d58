#pragma once

#include "engine/core/jobs/VXLEvent.h"

// The event that jobs embed as members: one code serves as request and reply
// code, and no reply is wanted. Start and stop events and the slots of an
// event ring are of this type.
class CVXLSimpleEvent : public CVXLEvent {
public:
    CVXLSimpleEvent() { setReplyWanted(false); }
    explicit CVXLSimpleEvent(std::int32_t code)
        : CVXLEvent(code, code)
    {
        setReplyWanted(false);
    }
};
