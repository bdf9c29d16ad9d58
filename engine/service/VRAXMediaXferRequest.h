#pragma once

#include "engine/service/VRAXRequest.h"

class CVXLMediaItem;

// "media-xfer" of type "upload" for an online item whose record changed:
// the item's uid with its title and rotation.
class CVRAXMediaXferRequest : public CVRAXRequest {
public:
    using CVRAXRequest::CVRAXRequest;

    void setItem(const CVXLMediaItem* item) { item_ = item; }
    const CVXLMediaItem* item() const { return item_; }
    void writeBody() override;

private:
    const CVXLMediaItem* item_ = nullptr;
};
