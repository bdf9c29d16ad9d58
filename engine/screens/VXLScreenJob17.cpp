#include "engine/screens/VXLScreenJob17.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/media/VXLMediaStoreManager.h"

void CVXLScreenJob17::onStart()
{
    failed_ = false;
    if (!beginHandOver())
        handedOver();
}

bool CVXLScreenJob17::beginHandOver()
{
    paths_.clear();
    cursor_ = 0;
    CVXLScreenServices* screen = services();
    if (CVXLList* captured = screen ? screen->capturedMedia() : nullptr) {
        for (CVXLList::Node* node = captured->head(); node; node = node->next)
            if (auto* path = dynamic_cast<CVXLString*>(node->object))
                paths_.push_back(*path);
    }
    if (paths_.empty())
        return false;
    handOverNext();
    return true;
}

void CVXLScreenJob17::handOverNext()
{
    CVXLScreenServices* screen = services();
    CMediaAccessManager* media = screen ? screen->mediaAccess() : nullptr;
    if (!media) {
        VXL_LOG_INFO("capture hand-over: no Media Access Manager");
        failed_ = true;
        showError(kResultFailed);
        return;
    }
    CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    item_.reset();
    item_.location = stores ? stores->locationById(screen->captureLocation()) : 0;
    item_.name = CVXLString();
    item_.path = paths_[cursor_];
    ++cursor_;
    post(media, &item_);
}

void CVXLScreenJob17::onReply(CVXLEvent* reply)
{
    const bool ok = reply->succeeded();
    finishEvent(reply);
    if (reply != &item_)
        return;
    if (!ok) {
        VXL_LOG_INFO("capture hand-over: \"%s\" refused (%d)", item_.path.c_str(), item_.result());
        failed_ = true;
        showEventError(item_);
        return;
    }
    if (cursor_ < paths_.size())
        handOverNext();
    else
        handedOver();
}

void CVXLScreenJob17::onSignal(std::int32_t signal)
{
    if (failed_ && signal >= kChildContinue && signal <= kChildExit) {
        failed_ = false;
        notifyOwner(kEndFailed);
    }
}
