#include "engine/access/MediaAccessManager.h"

#include "engine/core/base/VXLLog.h"

#include <cstdio>
#include <strings.h>

namespace {

bool startsWith(const CVXLString& text, const char* prefix)
{
    return strncasecmp(text.c_str(), prefix, std::char_traits<char>::length(prefix)) == 0;
}

} // namespace

void CMediaAccessManager::openMessage(CMediaAccessBasicRequest* request)
{
    if (!inbound_) {
        VXL_LOG_INFO("media access: no inbound message manager to open %s", request->messageId().c_str());
        return answer(kResultFailed);
    }
    const std::int32_t mediaFilter = static_cast<std::int32_t>(request->getOwner());
    const CMediaCollectionKey key = CMediaCollectionKey::messageMedia(
        request->messageId(), request->messageNumber(), request->getPayload(), mediaFilter);
    openCollection(key);
    messageId_ = request->messageId();
    mediaFilter_ = mediaFilter;
    lockFilter_ = request->getPayload();
    freeParts();
    partCount_ = request->partCount();
    parts_.clear();
    parts_.resize(partCount_);
    openMessage_.messageId = messageId_;
    openMessage_.partCount = partCount_;
    openMessage_.partArray = parts_.empty() ? nullptr : parts_.data();
    openMessage_.fromNetwork = 0;
    state_ = kOpeningMessage;
    kind_ = kMessageMedia;
    pendingTarget_ = inbound_;
    post(inbound_, &openMessage_);
}

void CMediaAccessManager::messageOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (!serving_)
        return;
    if (result != kResultSucceeded)
        return answer(kResultFailed, text);
    std::int32_t pictures = 0;
    std::int32_t videos = 0;
    countMessageMedia(&pictures, &videos);
    totalMedia_ = mediaFilter_ == 0 ? pictures : (mediaFilter_ == 1 ? videos : pictures + videos);
    serving_->setPictureCount(pictures);
    serving_->setStoreIndex(videos);
    answer(kResultSucceeded);
}

void CMediaAccessManager::freeParts()
{
    parts_.clear();
    partCount_ = 0;
    totalMedia_ = 0;
}

bool CMediaAccessManager::passesLockFilter(const CVXLHeaderMap& part, std::int32_t lockFilter)
{
    if (lockFilter == 0)
        return true;
    if ((lockFilter & kLockDrm) && part.contains("X-QV-DRM-Content-Type", true))
        return false;
    if ((lockFilter & kLockSaveLocked)
        && strcasecmp(part.value("X-QV-Save-Lock", 0, true).c_str(), "true") == 0)
        return false;
    return true;
}

std::int32_t CMediaAccessManager::mediaKindOf(const CVXLHeaderMap& part, std::int32_t mediaFilter)
{
    const CVXLString& type = part.value("Content-Type", 0, true);
    if ((mediaFilter == 0 || mediaFilter == 2) && startsWith(type, "image/"))
        return 1;
    if ((mediaFilter == 1 || mediaFilter == 2) && startsWith(type, "video/"))
        return 2;
    return 0;
}

void CMediaAccessManager::countMessageMedia(std::int32_t* pictures, std::int32_t* videos) const
{
    *pictures = 0;
    *videos = 0;
    for (std::uint32_t index = 0; index < partCount_ && index < parts_.size(); ++index) {
        if (!passesLockFilter(parts_[index], lockFilter_))
            continue;
        const std::int32_t kind = mediaKindOf(parts_[index], 2);
        if (kind == 1)
            ++*pictures;
        else if (kind == 2)
            ++*videos;
    }
}

std::int32_t CMediaAccessManager::mediaPartIndex(std::int32_t position) const
{
    if (position < 0)
        return -1;
    std::int32_t seen = 0;
    for (std::uint32_t index = 0; index < partCount_ && index < parts_.size(); ++index) {
        if (!passesLockFilter(parts_[index], lockFilter_) || mediaKindOf(parts_[index], mediaFilter_) == 0)
            continue;
        if (seen++ == position)
            return static_cast<std::int32_t>(index);
    }
    return -1;
}

void CMediaAccessManager::readPart()
{
    const std::int32_t part = mediaPartIndex(fetchPosition_);
    if (part < 0 || !inbound_) {
        VXL_LOG_INFO(
            "media access: no media part %d in %s", static_cast<int>(fetchPosition_), messageId_.c_str());
        return answer(kResultFailed);
    }
    delete readItem_;
    readItem_ = new CVXLMediaItem();
    // The identity tells the parts of one message apart in selections.
    char id[32];
    std::snprintf(id, sizeof id, "#%d", static_cast<int>(part));
    CVXLString identity(messageId_);
    identity.append(id);
    readItem_->setId(identity);
    readPart_.messageId = messageId_;
    // The inbound manager reads the premium box as kind 4, the others as 0.
    readPart_.kind = messageId_.length() && messageId_.c_str()[0] == 'p' ? 4 : 0;
    readPart_.mediaItems = readItem_;
    readPart_.partCount = 1;
    readPart_.firstPart = static_cast<std::uint32_t>(part);
    readPart_.mediaFilter = CMessageReadRequest::kImages | CMessageReadRequest::kVideos;
    readPart_.readMode = 2;
    state_ = kReadingPart;
    pendingTarget_ = inbound_;
    post(inbound_, &readPart_);
}

void CMediaAccessManager::partRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    CVXLMediaItem* item = readItem_;
    readItem_ = nullptr;
    auto* query = dynamic_cast<CMediaAccessQuery*>(serving_);
    if (!query || !current_ || state_ != kReadingPart) {
        delete item;
        return;
    }
    if (result != kResultSucceeded) {
        delete item;
        return answer(result, text);
    }
    // Stored at the asked position, so a window that does not start at 0
    // never overwrites the entries before it.
    const bool last = fetchPosition_ + 1 == totalMedia_;
    takeItem(item, isSelected(*item));
    if (last)
        return answer(kResultLastPage);
    if (query->getResultList().size() >= query->getValue())
        return answer(kResultSucceeded);
    continueFetch();
}
