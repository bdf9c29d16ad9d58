#pragma once

#include "engine/files/VXLFileStoreRequest.h"

#include <cstdint>

// The media reference's read request to a rendition's source job: the file
// store request (the rendition's location as file name, the item MIME type
// as its first text, the target path as its second) with the request's kind
// and two parameters, and, for an exactly chosen rendition, its size. The
// answer carries the started source job that will deliver the bytes.
class CVXLMediaReadRequest : public CVXLFileStoreRequest {
public:
    explicit CVXLMediaReadRequest(std::int32_t replyCode)
        : CVXLFileStoreRequest(replyCode)
    {
    }

    std::int32_t kind = 0;
    // The MIME type of the rendition chosen.
    CVXLString outputMimeType;
    std::int32_t parameterA = 0;
    std::int32_t parameterB = 0;
    bool exact = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
