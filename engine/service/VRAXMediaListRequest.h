#pragma once

#include "engine/service/VRAXRequest.h"

#include <cstdint>

class CVXLOnlineUploadRequest;

// "media-list" looks an online item up before its upload (mode 0);
// "media-xfer" uploads it (mode 1). Mode 2 marks a lookup already done.
class CVRAXMediaListRequest : public CVRAXRequest {
public:
    static constexpr std::int32_t kLookup = 0;
    static constexpr std::int32_t kTransfer = 1;
    static constexpr std::int32_t kLookedUp = 2;

    explicit CVRAXMediaListRequest(CVRAXEnvironment& environment);

    void reset() override;
    void setUpload(CVXLOnlineUploadRequest* upload) { upload_ = upload; }
    CVXLOnlineUploadRequest* upload() const { return upload_; }
    void setMode(std::int32_t mode) { mode_ = mode; }
    std::int32_t mode() const { return mode_; }
    bool needsNoLookup() const;
    void writeBody() override;

private:
    CVXLOnlineUploadRequest* upload_ = nullptr;
    std::int32_t mode_ = kTransfer;
};
