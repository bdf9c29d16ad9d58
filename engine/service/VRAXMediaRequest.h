#pragma once

#include "engine/service/VRAXRequest.h"

#include <cstdint>

class CVRAXFetchBatch;

// "media-req": renditions of a batch of online items, one "elem" per slot
// and the rendition wanted by the first slot.
class CVRAXMediaRequest : public CVRAXRequest {
public:
    using CVRAXRequest::CVRAXRequest;

    void setBatch(CVRAXFetchBatch* batch) { batch_ = batch; }
    CVRAXFetchBatch* batch() const { return batch_; }
    void writeBody() override;

private:
    struct Limits {
        CVXLString width;
        CVXLString height;
        CVXLString bytes;
    };
    // Sets an explicitly sized slot's scaling to stretch.
    Limits limitsOf(std::int32_t slot);
    void writeRenditions(std::int32_t slot, const Limits& limits);
    void writeRendition(const char* name, const CVXLString& value);

    CVRAXFetchBatch* batch_ = nullptr;
};
