#include "engine/screens/VXLMediaBrowseJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersKeys.h"

CVXLHsmState CVXLMediaBrowseJob::handOverWith(std::int32_t result)
{
    handedOver_ = result;
    notifyOwner(result);
    return transition(&CVXLMediaBrowseJob::stateHandOver);
}

CVXLHsmState CVXLMediaBrowseJob::commandInBrowse(std::int32_t s)
{
    const bool whole = mam_ && mam_->selectionFlag();
    switch (s) {
    case kSignalContinue:
        selectFocusedIfNeeded();
        return handOverWith(kEndContinue);
    case kSignalAlbumList:
        return finishWith(kEndAlbumList);
    case kSignalPost:
    case kSignalPrint:
    case kSignalSendToContacts:
    case kSignalVoiceSend: {
        if (whole)
            return handled();
        selectFocusedIfNeeded();
        const std::int32_t result = s == kSignalPost ? kEndPost
            : s == kSignalPrint                      ? kEndPrint
            : s == kSignalSendToContacts             ? kEndSendToContacts
                                                     : kEndVoiceSend;
        return handOverWith(result);
    }
    case kSignalCopy:
        return transition(&CVXLMediaBrowseJob::stateCopyTarget);
    case kSignalMove:
        return transition(&CVXLMediaBrowseJob::stateMoveTarget);
    case kSignalDelete:
        if (!whole)
            selectFocusedIfNeeded();
        if (!whole && (!mam_ || mam_->countSelected() == 0))
            return handled();
        return transition(deleteState());
    case kSignalUpload:
        if (!whole)
            selectFocusedIfNeeded();
        return transition(&CVXLMediaBrowseJob::stateConfirmUpload);
    case kSignalAssign:
        if (!layout_.currentElement() || !layout_.currentElement()->asMediaItem()) {
            VXL_LOG_INFO("media browse %d: Assign with no focused item refused", typeId());
            return handled();
        }
        assignFavorite();
        return finishWith(kEndContinue);
    }
    return handled();
}

CVXLHsmState CVXLMediaBrowseJob::stateBrowse(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        layout_.setStale(false);
        if (!windowJustShown_)
            showOrUpdate();
        windowJustShown_ = 0;
        if (refreshPending_) {
            refreshPending_ = 0;
            postSignal(kSignalRefresh);
        }
        return handled();
    case kSignalGoOn:
        updateLayout();
        return handled();
    case kSignalSelect:
        layout_.toggleFocused();
        updateLayout();
        return handled();
    case kSignalSelectAll:
        layout_.toggleAll();
        updateLayout();
        return handled();
    case kSignalDeselectAll:
        clearSelection();
        updateLayout();
        return handled();
    case kSignalUpdate:
        if (layout_.filterChanged()) {
            if (albumOpen_)
                return transition(&CVXLMediaBrowseJob::stateApplyFilter);
            return transition(reloadState());
        }
        if (layout_.movedWindow()) {
            layout_.clearMovedWindow();
            return transition(&CVXLMediaBrowseJob::stateFetchWindow);
        }
        if (CVXLElement* focused = layout_.currentElement();
            focused && focused->isModified() && focused->asMediaItem())
            return transition(&CVXLMediaBrowseJob::stateCommitItem);
        updateLayout();
        return handled();
    case kSignalRefresh:
        if (layout_.state() <= 2)
            return resetAlbum();
        return handled();
    case kSignalContinue:
    case kSignalAlbumList:
    case kSignalPost:
    case kSignalPrint:
    case kSignalSendToContacts:
    case kSignalVoiceSend:
    case kSignalCopy:
    case kSignalMove:
    case kSignalDelete:
    case kSignalUpload:
    case kSignalAssign:
        return commandInBrowse(s);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateHandOver(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        releaseLayout();
        return handled();
    case kSignalGoOn:
        clearSelection();
        showAnew_ = 1;
        return transition(reloadState());
    case kSignalAbandoned:
        showAnew_ = 1;
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::chooseTargetAlbum(const CVXLEvent* e, CVXLStateHandler next)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        CVXLUiJob::setProperty(kPropertyAlbum, CVXLVariant(0));
        notifyOwner(kEndChooseAlbum);
        releaseLayout();
        return handled();
    case kSignalGoOn:
        showAnew_ = 1;
        return transition(next);
    case kSignalAbandoned:
        showLayout();
        if (mam_)
            mam_->resetSelectionFlag();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateCopyTarget(const CVXLEvent* e)
{
    return chooseTargetAlbum(e, toState(&CVXLMediaBrowseJob::stateCopy));
}

CVXLHsmState CVXLMediaBrowseJob::stateMoveTarget(const CVXLEvent* e)
{
    return chooseTargetAlbum(e, toState(&CVXLMediaBrowseJob::stateMove));
}

CVXLHsmState CVXLMediaBrowseJob::stateCommand(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalFailed:
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateErrorShown);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalBack:
        cancelMediaTraffic();
        postSignal(kSignalNext);
        return transition(&CVXLMediaBrowseJob::stateResume);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateCopy(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const bool whole = mam_ && mam_->selectionFlag();
        copyRequest_.reset();
        copyRequest_.destination = property(kPropertyAlbumId).toString();
        copyRequest_.setRefresh(whole);
        copyRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
        if (mam_)
            post(mam_, &copyRequest_);
        return handled();
    }
    case kSignalExit:
        clearSelection();
        return handled();
    case kSignalSucceeded:
        layout_.clearElements();
        layout_.setStale(true);
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateMove(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const bool whole = mam_ && mam_->selectionFlag();
        moveRequest_.reset();
        moveRequest_.setFlag(1);
        moveRequest_.destination = property(kPropertyAlbumId).toString();
        moveRequest_.setRefresh(whole);
        moveRequest_.setMediaMask(static_cast<std::uint8_t>(layout_.filter()));
        if (mam_)
            post(mam_, &moveRequest_);
        return handled();
    }
    case kSignalExit:
        clearSelection();
        return handled();
    case kSignalSucceeded:
        // The manager's lists are gone with the moved items.
        layout_.forgetElements();
        if (mam_) {
            mam_->clearElements();
            mam_->deleteCollections();
        }
        layout_.setStale(true);
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateDelete(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startDelete();
        return handled();
    case kSignalExit:
        releaseSelectionList();
        clearSelection();
        return handled();
    case kSignalSucceeded:
        // The manager emptied its list with the deleted items.
        layout_.forgetElements();
        return resetAlbum();
    case kSignalFailed:
        layout_.forgetElements();
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateErrorShown);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kSignalBack:
        cancelMediaTraffic();
        layout_.forgetElements();
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateCommitItem(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        CVXLElement* focused = layout_.currentElement();
        commitRequest_.reset();
        commitRequest_.setPayloadItem(focused ? focused->asMediaItem() : nullptr);
        if (mam_)
            post(mam_, &commitRequest_);
        return handled();
    }
    case kSignalSucceeded:
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateCommand);
}

CVXLHsmState CVXLMediaBrowseJob::stateErrorShown(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateResume(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalNext)
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateConfirmUpload(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        handedOver_ = kEndConfirmUpload;
        notifyOwner(kEndConfirmUpload);
        return handled();
    case kSignalSucceeded:
        clearSelection();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    case kSignalGoOn:
        return transition(&CVXLMediaBrowseJob::stateUpload);
    case kSignalAbandoned:
        if (mam_)
            mam_->resetSelectionFlag();
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateUpload(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showProgress(kUploadProgressState, kPersProgressCurrent, kPersProgressTotal, false);
        startUpload();
        return handled();
    case kSignalSucceeded:
        // The progress bar goes first; the notice follows it.
        endChildScreen();
        takeUploadReply();
        return transition(&CVXLMediaBrowseJob::stateErrorShown);
    case kChildContinue:
    case kSignalRefresh:
        return handled();
    case kChildBack:
    case kChildCancel:
        cancelUpload();
        return handled();
    case kChildExit:
        cancelUpload();
        closingResult_ = kEndExit;
        return transition(&CVXLMediaBrowseJob::stateClosing);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateApplyFilter(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        evictAll();
        releaseRequest_.reset();
        if (mam_)
            post(mam_, &releaseRequest_);
        return handled();
    case kSignalReleased:
        endRequest_.reset();
        if (mam_)
            post(mam_, &endRequest_);
        return handled();
    case kSignalHoldEnded:
        layout_.clearElements();
        return transition(reloadState());
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateAfterError(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return finishWith(kEndExit);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateClosing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        // Taken once the cancelled requests are answered.
        postSignal(closingResult_ == kEndExit ? kSignalFinishExit : kSignalFinishBack);
        return handled();
    case kSignalFinishBack:
        return finishWith(kEndBack);
    case kSignalFinishExit:
    case kSignalSucceeded:
        return finishWith(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLMediaBrowseJob::stateDone(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    if (s == kSignalEntry) {
        if (!showAnew_)
            releaseLayout();
        stop();
        return handled();
    }
    if (s >= kSignalUser)
        return handled();
    return super(&CVXLHsm::top);
}
