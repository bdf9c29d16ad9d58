#pragma once

#include "engine/service/VRAXRequest.h"

#include <cstdint>

class CVRAXPageRequest;

// "list-req" for one page of the album list or of one album's contents.
class CVRAXListRequest : public CVRAXRequest {
public:
    static constexpr std::uint8_t kAlbumContents = 0;
    static constexpr std::uint8_t kAlbumList = 1;

    using CVRAXRequest::CVRAXRequest;

    void setAlbumList(CVRAXPageRequest* page);
    void setAlbumContents(CVRAXPageRequest* page);
    void writeBody() override;

    // "media" for all three kinds or none; else the MIME types of the
    // images and videos bits.
    static CVXLString contentsFilter(std::int32_t mediaBits);

private:
    void writeAlbumLimits();

    CVRAXPageRequest* page_ = nullptr;
    std::uint8_t mode_ = kAlbumContents;
};
