#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// Names one list the user opened: an online album, a phone or card location,
// or the media of a stored message, each with the media mask it was opened
// with. Two opens of equal keys share one collection and its cache.
class CMediaCollectionKey {
public:
    enum Kind : std::uint8_t { kOnlineAlbum = 0, kLocalLocation = 1, kMessageMedia = 2 };

    static CMediaCollectionKey onlineAlbum(const CVXLString& albumId, std::uint8_t mask);
    static CMediaCollectionKey localLocation(std::uint16_t storageIndex, std::uint8_t mask);
    // The media filter (0 pictures, 1 videos, 2 both) gives the mask 1, 2 or 7.
    static CMediaCollectionKey messageMedia(
        const CVXLString& messageId, std::int32_t number, std::int32_t lockFilter, std::int32_t mediaFilter);

    Kind kind() const { return kind_; }
    std::uint8_t mediaMask() const { return mask_; }
    const CVXLString& text() const { return text_; }
    std::uint16_t storageIndex() const { return storageIndex_; }

    bool operator==(const CMediaCollectionKey& other) const;
    bool operator!=(const CMediaCollectionKey& other) const { return !(*this == other); }

private:
    Kind kind_ = kOnlineAlbum;
    std::uint8_t mask_ = 3;
    CVXLString text_;
    std::uint16_t storageIndex_ = 0;
    std::int32_t number_ = 0;
    std::int32_t lockFilter_ = 0;
};
