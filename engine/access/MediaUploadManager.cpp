#include "engine/access/MediaUploadManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/records/MediaUploadRequest.h"

namespace {
CMediaUploadManager* gInstance = nullptr;

// Items in the phone or on the memory card are uploaded; others are online.
bool isLocal(std::uint32_t packedLocation)
{
    const std::uint32_t kind = vxlLocationKind(packedLocation);
    return kind == kLocationKindStoreKind1 || kind == kLocationKindStoreKind2;
}
} // namespace

CMediaUploadManager::CMediaUploadManager()
{
    gInstance = this;
}

CMediaUploadManager::~CMediaUploadManager()
{
    if (gInstance == this)
        gInstance = nullptr;
    dropResolved();
}

CMediaUploadManager* CMediaUploadManager::instance()
{
    return gInstance;
}

void CMediaUploadManager::recordUploadOutcome(bool refused, std::int32_t lastStatus, bool repeat)
{
    refused_ = refused;
    lastStatus_ = lastStatus;
    repeat_ = repeat;
}

void CMediaUploadManager::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventReply) {
        switch (code) {
        case kReplyResolved:
            return onResolved(event);
        case kReplyUploaded:
            return onUploaded(event);
        case kReplySaved:
            return onSaved(event);
        default:
            return finishEvent(event);
        }
    }
    if (code == kEventStop && current_) {
        // The items stay until the end: a manager below may still hold one.
        VXL_LOG_INFO("media upload: stopped with an upload under way");
        CMediaUploadRequest* request = current_;
        current_ = nullptr;
        cancelled_ = false;
        request->setResult(kResultCancelled);
        finishEvent(request);
    }
    // A cancelled request ends once the request out for it has come back.
    if (code == kEventCancelNotice && current_
        && static_cast<CVXLCancelNotice*>(event)->cancelled() == current_)
        cancelled_ = true;
    if (code == kEventStart || code == kEventStop || code == kEventCancelNotice)
        return CVXLEventHandler::onEvent(event);
    onRequest(event);
}

void CMediaUploadManager::onRequest(CVXLEvent* event)
{
    auto* request
        = event->requestCode() == kEventMediaUpload ? dynamic_cast<CMediaUploadRequest*>(event) : nullptr;
    if (!request) {
        VXL_LOG_INFO(
            "media upload: request %x is not served here", static_cast<unsigned>(event->requestCode()));
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    if (!owner_ || !owner_->dataCommActive()) {
        request->setResult(kResultDataCommOff);
        return finishEvent(request);
    }
    dropResolved();
    current_ = request;
    cursor_ = 0;
    repeats_ = 0;
    resolveNext();
}

void CMediaUploadManager::resolveNext()
{
    const auto& items = current_->items;
    while (cursor_ < static_cast<std::int32_t>(items.size()) && !isLocal(items[cursor_].location)) {
        resolved_.push_back(nullptr);
        ++cursor_;
    }
    if (cursor_ >= static_cast<std::int32_t>(items.size())) {
        cursor_ = 0;
        return uploadNext();
    }
    const CMediaUploadItem& item = items[cursor_];
    CVXLEventHandler* local = owner_->localMediaManager();
    if (!local)
        return finish(kResultMediaNotResolved);
    resolve_.setItemToImport(item.location, item.identity);
    post(local, &resolve_);
}

void CMediaUploadManager::onResolved(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    CVXLMediaItem* item = resolve_.takeItem();
    finishEvent(reply);
    if (!current_) {
        delete item;
        return;
    }
    if (cancelled_) {
        delete item;
        return finish(kResultCancelled);
    }
    if (result != kResultSucceeded || !item) {
        delete item;
        VXL_LOG_INFO("media upload: item \"%s\" could not be resolved (%d)",
            current_->items[cursor_].identity.c_str(), result);
        return finish(kResultMediaNotResolved);
    }
    resolved_.push_back(item);
    ++cursor_;
    resolveNext();
}

void CMediaUploadManager::uploadNext()
{
    while (cursor_ < static_cast<std::int32_t>(resolved_.size()) && !resolved_[cursor_])
        ++cursor_;
    if (cursor_ >= static_cast<std::int32_t>(resolved_.size()))
        return finish(kResultSucceeded);
    CVXLEventHandler* online = owner_->onlineMediaManager();
    if (!online)
        return finish(kResultFailed);
    refused_ = false;
    repeat_ = false;
    upload_.item = resolved_[cursor_];
    upload_.firstMode = current_->flags[0] != 0;
    upload_.secondMode = current_->flags[3] != 0;
    upload_.text = current_->name;
    upload_.status = 0;
    post(online, &upload_);
}

void CMediaUploadManager::onUploaded(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    const bool skipSave = upload_.status != 0;
    finishEvent(reply);
    if (!current_)
        return;
    if (cancelled_)
        return finish(kResultCancelled);
    CVXLMediaItem* item = resolved_[cursor_];
    if (result != kResultSucceeded) {
        if (repeat_ && repeats_ < kMaxRepeats) {
            ++repeats_;
            return uploadNext();
        }
        if (repeat_)
            VXL_LOG_INFO("media upload: \"%s\" still asked to be sent again after %d repeats",
                item->id().c_str(), repeats_);
        current_->statusValue = lastStatus_;
        if (refused_)
            return finish(kResultNetworkNotice);
        return finish(result, text);
    }
    repeats_ = 0;
    if (current_->flags[2] && item->hasPendingCount())
        item->decCounter();
    item->setUploadTime(static_cast<std::int32_t>(owner_->nowSeconds()));
    if (!skipSave && item->isModified()) {
        CVXLEventHandler* local = owner_->localMediaManager();
        if (local) {
            save_.item = item;
            return post(local, &save_);
        }
    }
    current_->items[cursor_].uid = item->uid();
    ++cursor_;
    uploadNext();
}

void CMediaUploadManager::onSaved(CVXLEvent* reply)
{
    finishEvent(reply);
    save_.item = nullptr;
    if (!current_)
        return;
    if (cancelled_)
        return finish(kResultCancelled);
    CVXLMediaItem* item = resolved_[cursor_];
    current_->items[cursor_].uid = item->uid();
    owner_->updateItem(*item);
    ++cursor_;
    uploadNext();
}

void CMediaUploadManager::finish(std::int32_t result, const CVXLString& text)
{
    CMediaUploadRequest* request = current_;
    current_ = nullptr;
    cancelled_ = false;
    cursor_ = 0;
    repeats_ = 0;
    dropResolved();
    if (request) {
        request->setResult(result, text);
        finishEvent(request);
    }
}

void CMediaUploadManager::dropResolved()
{
    for (CVXLMediaItem* item : resolved_)
        delete item;
    resolved_.clear();
}
