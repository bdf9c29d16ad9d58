#pragma once

#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/files/VXLFileStoreCodes.h"

// An open-for-reading request with two further texts for the requester's own
// use.
class CVXLFileStoreRequest : public CVXLNamedRequest {
public:
    explicit CVXLFileStoreRequest(std::int32_t replyCode)
        : CVXLNamedRequest(kEventFileStoreOpenForReading, replyCode)
    {
    }

    CVXLString first;
    CVXLString second;
};
