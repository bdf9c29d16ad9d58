#pragma once

#include <cstdint>

// Receives the details of one media item from the platform media source (the
// engine's source descriptor implements it): size and MIME type when known,
// then the status.
class CVXLItemDetailsSink {
public:
    virtual ~CVXLItemDetailsSink() = default;
    virtual void setSize(std::uint32_t size) = 0;
    virtual void setMimeType(const char* mimeType) = 0;
    virtual void done(std::uint32_t status) = 0;
};
