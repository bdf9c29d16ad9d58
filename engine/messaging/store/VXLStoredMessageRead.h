#pragma once

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLEventHandler;

// What a read of a stored message gives: the header maps of its summary
// segments, and of the content segment when one was delivered (the body
// entity, or the selected part) with the locator and length of its body.
class CVXLStoredMessageRead : public CVXLObject {
public:
    CVXLString messageId;
    CVXLHeaderMap summary; // segment 0
    CVXLHeaderMap totals; // segment 2: "X-QV-Total-Media-Parts"
    CVXLHeaderMap message; // segment 3: the retrieved message's headers
    CVXLHeaderMap content; // segment 1, or the selected part
    CVXLString bodyLocator; // empty when no content segment was delivered
    std::uint32_t bodyLength = 0;
    CVXLString text; // the selected body, when asked for as text
    bool read = false;
    // The job that serves the locator's bytes (the message store).
    CVXLEventHandler* bodySource = nullptr;
};
