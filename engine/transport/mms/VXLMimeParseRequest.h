#pragma once

#include "engine/core/jobs/VXLEvent.h"
#include "engine/transport/mms/VXLPduRef.h"

#include <cstdint>

// Asks the MIME parser job to replace the text MIME containers of a
// retrieved message's body by the parts they enclose. The reply's result is
// 0 when the body was split (or had nothing to split), 24 when the request
// was cancelled, 1000 when a container could not be read or parsed; the body
// is then left as it was.
class CVXLMimeParseRequest : public CVXLEvent {
public:
    CVXLMimeParseRequest()
        : CVXLEvent(kEventMimeParse, kEventMimeParseDone)
    {
    }

    CVXLPduRef message;
};
