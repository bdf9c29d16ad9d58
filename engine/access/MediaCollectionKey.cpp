#include "engine/access/MediaCollectionKey.h"

CMediaCollectionKey CMediaCollectionKey::onlineAlbum(const CVXLString& albumId, std::uint8_t mask)
{
    CMediaCollectionKey key;
    key.kind_ = kOnlineAlbum;
    key.mask_ = mask;
    key.text_ = albumId;
    return key;
}

CMediaCollectionKey CMediaCollectionKey::localLocation(std::uint16_t storageIndex, std::uint8_t mask)
{
    CMediaCollectionKey key;
    key.kind_ = kLocalLocation;
    key.mask_ = mask;
    key.storageIndex_ = storageIndex;
    return key;
}

CMediaCollectionKey CMediaCollectionKey::messageMedia(
    const CVXLString& messageId, std::int32_t number, std::int32_t lockFilter, std::int32_t mediaFilter)
{
    CMediaCollectionKey key;
    key.kind_ = kMessageMedia;
    key.mask_ = mediaFilter == 0 ? 1 : (mediaFilter == 1 ? 2 : 7);
    key.text_ = messageId;
    key.number_ = number;
    key.lockFilter_ = lockFilter;
    return key;
}

bool CMediaCollectionKey::operator==(const CMediaCollectionKey& other) const
{
    if (kind_ != other.kind_ || mask_ != other.mask_)
        return false;
    switch (kind_) {
    case kOnlineAlbum:
        return text_ == other.text_;
    case kLocalLocation:
        return storageIndex_ == other.storageIndex_;
    case kMessageMedia:
        return number_ == other.number_ && text_ == other.text_ && lockFilter_ == other.lockFilter_;
    }
    return false;
}
