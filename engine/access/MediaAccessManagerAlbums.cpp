#include "engine/access/MediaAccessManager.h"

std::size_t CMediaAccessManager::albumCount() const
{
    std::size_t count = 0;
    for (const AlbumEntry& entry : albums_)
        if (entry.album)
            ++count;
    return count;
}

const CVXLAlbum* CMediaAccessManager::cachedAlbum(std::size_t position, std::uint16_t* uses) const
{
    if (position >= albums_.size() || !albums_[position].album)
        return nullptr;
    if (uses)
        *uses = albums_[position].useCount;
    return albums_[position].album;
}

void CMediaAccessManager::albumAt(CMediaElementRequest* request)
{
    const std::int32_t position = request->data();
    if (position < 0)
        return answer(kResultFailed);
    if (static_cast<std::size_t>(position) < albums_.size() && albums_[position].album) {
        AlbumEntry& entry = albums_[position];
        ++entry.useCount;
        request->setPayloadAlbum(entry.album);
        return answer(kResultSucceeded);
    }
    albumRequest_.position = position;
    albumRequest_.album = new CVXLAlbum();
    state_ = kFetchingAlbum;
    pendingTarget_ = &summaryJob_;
    post(&summaryJob_, &albumRequest_);
}

void CMediaAccessManager::albumReplied(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    CVXLAlbum* album = albumRequest_.album;
    albumRequest_.album = nullptr;
    if (!serving_ || (result != kResultSucceeded && result != kResultLastPage)) {
        delete album;
        return answer(result, text);
    }
    const auto position = static_cast<std::size_t>(albumRequest_.position);
    if (position >= albums_.size())
        albums_.resize(position + 1);
    delete albums_[position].album;
    albums_[position] = AlbumEntry {1, album};
    serving_->setPayloadAlbum(album);
    answer(result, text);
}

void CMediaAccessManager::releaseAlbums()
{
    for (AlbumEntry& entry : albums_) {
        if (!entry.album)
            continue;
        if (entry.useCount > 0)
            --entry.useCount;
        if (entry.useCount == 0) {
            delete entry.album;
            entry.album = nullptr;
        }
    }
}

void CMediaAccessManager::deleteAlbums()
{
    for (AlbumEntry& entry : albums_)
        delete entry.album;
    albums_.clear();
}
