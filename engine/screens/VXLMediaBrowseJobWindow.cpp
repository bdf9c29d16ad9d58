#include "engine/screens/VXLMediaBrowseJob.h"

#include "engine/access/MediaAccessManager.h"

#include <algorithm>
#include <vector>

void CVXLMediaBrowseJob::evictFront(std::uint32_t n)
{
    n = std::min(n, layout_.cacheCount());
    std::vector<std::int32_t> held;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::int32_t index = layout_.cacheFirst() + static_cast<std::int32_t>(i);
        if (layout_.hasElement(index))
            held.push_back(index);
    }
    layout_.dropFront(n);
    for (std::int32_t index : held)
        if (mam_)
            mam_->releaseElement(index);
}

void CVXLMediaBrowseJob::evictBack(std::uint32_t n)
{
    n = std::min(n, layout_.cacheCount());
    std::vector<std::int32_t> held;
    const std::int32_t end = layout_.cacheFirst() + static_cast<std::int32_t>(layout_.cacheCount());
    for (std::uint32_t i = 1; i <= n; ++i) {
        const std::int32_t index = end - static_cast<std::int32_t>(i);
        if (layout_.hasElement(index))
            held.push_back(index);
    }
    layout_.dropBack(n);
    for (std::int32_t index : held)
        if (mam_)
            mam_->releaseElement(index);
}

void CVXLMediaBrowseJob::evictAll()
{
    evictFront(layout_.cacheCount());
}

void CVXLMediaBrowseJob::sendRange(std::int32_t start, std::uint32_t count)
{
    const std::uint32_t cached = layout_.cacheCount();
    const std::int32_t cacheFirst = layout_.cacheFirst();
    const std::int32_t cacheEnd = cacheFirst + static_cast<std::int32_t>(cached);
    const std::int32_t end = start + static_cast<std::int32_t>(count);
    const std::uint32_t most = layout_.cacheMax();
    if (cached != 0) {
        if (end < cacheFirst || start > cacheEnd) {
            evictAll();
        } else if (cached + count > most) {
            const std::uint32_t excess = cached + count - most;
            if (start < cacheFirst)
                evictBack(excess);
            else
                evictFront(excess);
        }
    }
    std::swap(page_, spare_);
    page_->unbind();
    page_->bind(0, count);
    page_->setPayload(start);
    if (mam_)
        post(mam_, page_);
}

void CVXLMediaBrowseJob::mergeRange()
{
    std::vector<CVXLMediaItem*>& items = page_->getResultList();
    const std::int32_t start = page_->getPayload();
    const auto n = static_cast<std::int32_t>(items.size());
    const std::int32_t cacheFirst = layout_.cacheFirst();
    const std::int32_t cacheEnd = cacheFirst + static_cast<std::int32_t>(layout_.cacheCount());
    const bool before = layout_.cacheCount() != 0 && start < cacheFirst;
    if (layout_.cacheCount() != 0 && (start + n < cacheFirst || start > cacheEnd))
        evictAll();
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t i = before ? n - 1 - k : k;
        const std::int32_t index = start + i;
        CVXLMediaItem* item = items[static_cast<std::size_t>(i)];
        if (item)
            item->setIndexWord(index);
        // One use per loaded slot: a slot already held gives the new one back.
        if (!item || layout_.hasElement(index) || !layout_.addElement(item, index))
            if (mam_)
                mam_->releaseElement(index);
    }
    items.clear();
    const std::uint32_t most = layout_.cacheMax();
    if (layout_.cacheCount() > most) {
        if (before)
            evictBack(layout_.cacheCount() - most);
        else
            evictFront(layout_.cacheCount() - most);
    }
}

void CVXLMediaBrowseJob::placeWindow(bool initial)
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t r = layout_.rowLength() == 0 ? 1 : layout_.rowLength();
    const std::uint32_t total = total_;
    std::uint32_t first = layout_.first();
    if (first >= total)
        first = w < total ? total - w : 0;
    if (pendingFocus_ >= 0 && static_cast<std::uint32_t>(pendingFocus_) >= total) {
        pendingFocus_ = -1;
        initial = true;
    }
    const bool moved = layout_.movedWindow();
    if (pendingFocus_ >= 0) {
        const auto focus = static_cast<std::uint32_t>(pendingFocus_);
        if (focus < first || focus >= first + w)
            first = focus;
    } else if (initial && total > 0) {
        if (w < total) {
            first = r * ((total + r - 1) / r - w / r);
            if (first > total - 1)
                first = total - 1;
        }
        pendingFocus_ = static_cast<std::int32_t>(total - 1);
    }
    layout_.setFirst(first);
    if (!moved)
        layout_.clearMovedWindow();
    layout_.window().commit();
    layout_.commitFilter();
    windowFirst_ = layout_.first();
    windowSize_ = w;
}

void CVXLMediaBrowseJob::computePrefetchLimits()
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t most = layout_.cacheMax();
    const std::uint32_t first = layout_.first();
    prefetchBefore_ = prefetchAfter_ = 0;
    if (w == 0) {
        limitBefore_ = limitAfter_ = 0;
        return;
    }
    const std::uint32_t beside = (most - std::min(most, w)) / w;
    const std::uint32_t after = (total_ - std::min(total_, first + w)) / w;
    const std::uint32_t before = first / w;
    const std::uint32_t e = std::min(after, (beside + 1) / 2);
    if (before + e < beside) {
        limitBefore_ = before;
        limitAfter_ = std::min(after, beside - before);
    } else {
        limitBefore_ = beside - e;
        limitAfter_ = e;
    }
}

// A page after the window is sent, or counted as done when the cache holds
// it; false when no page is left.
bool CVXLMediaBrowseJob::prefetchNextAfter()
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t first = layout_.first();
    while (prefetchAfter_ < limitAfter_) {
        const std::uint32_t pageStart = first + w * (prefetchAfter_ + 1);
        const std::uint32_t pageEnd = std::min(total_, first + w * (prefetchAfter_ + 2));
        const auto cacheEnd = static_cast<std::uint32_t>(layout_.cacheFirst()) + layout_.cacheCount();
        if (pageStart >= pageEnd || cacheEnd >= pageEnd) {
            ++prefetchAfter_;
            continue;
        }
        const std::uint32_t start = cacheEnd > pageStart ? cacheEnd : pageStart;
        sendRange(static_cast<std::int32_t>(start), pageEnd - start);
        return true;
    }
    return false;
}

bool CVXLMediaBrowseJob::prefetchNextBefore()
{
    const std::uint32_t w = layout_.windowSize();
    const std::uint32_t first = layout_.first();
    while (prefetchBefore_ < limitBefore_) {
        const std::uint32_t pageStart = first - w * (prefetchBefore_ + 1);
        std::uint32_t pageEnd = first - w * prefetchBefore_;
        const auto cacheFirst = static_cast<std::uint32_t>(layout_.cacheFirst());
        if (layout_.cacheCount() != 0 && cacheFirst <= pageStart) {
            ++prefetchBefore_;
            continue;
        }
        if (layout_.cacheCount() != 0 && cacheFirst < pageEnd)
            pageEnd = cacheFirst;
        sendRange(static_cast<std::int32_t>(pageStart), pageEnd - pageStart);
        return true;
    }
    return false;
}

CVXLHsmState CVXLMediaBrowseJob::stateLoading(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(reloadState());
        return handled();
    case kSignalProgramBack:
    case kSignalKeyBack:
    case kSignalBack:
        cancelMediaTraffic();
        closingResult_ = kEndBack;
        return transition(&CVXLMediaBrowseJob::stateClosing);
    case kSignalKeyExit:
    case kChildExit:
        cancelMediaTraffic();
        closingResult_ = kEndExit;
        return transition(&CVXLMediaBrowseJob::stateClosing);
    }
    return super(&CVXLMediaBrowseJob::stateStart);
}

CVXLHsmState CVXLMediaBrowseJob::stateRefreshAlbum(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        refreshAlbum();
        return handled();
    case kSignalSucceeded:
        return transition(&CVXLMediaBrowseJob::stateOpenAlbum);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateOpenAlbum(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        openAlbum();
        return handled();
    case kSignalUpdate:
        if (layout_.filterChanged())
            openAlbum();
        return handled();
    case kSignalFailed:
        showError(lastResult_);
        return transition(&CVXLMediaBrowseJob::stateAfterError);
    case kSignalOpened:
    case kSignalOpenedLocal:
        if (lastResult_ != kResultSucceeded) {
            showError(lastResult_);
            return transition(&CVXLMediaBrowseJob::stateAfterError);
        }
        if (s == kSignalOpened)
            CVXLMediaBrowseJob::computeTotals();
        else
            computeTotals();
        albumOpen_ = 1;
        if (total_ == 0) {
            showInfo(kNoticeEmptyAlbum, 0, 1);
            return transition(&CVXLMediaBrowseJob::stateEmptyAlbum);
        }
        placeWindow(pendingFocus_ < 0);
        return transition(&CVXLMediaBrowseJob::stateRequestWindow);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateEmptyAlbum(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finishWith(kEndBack);
    case kChildExit:
        return finishWith(kEndExit);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::stateFetchWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        placeWindow(false);
        return transition(&CVXLMediaBrowseJob::stateRequestWindow);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateRequestWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (requestPage())
            return transition(&CVXLMediaBrowseJob::stateWaitWindow);
        return transition(&CVXLMediaBrowseJob::stateWindowReady);
    case kSignalUpdate:
        return transition(&CVXLMediaBrowseJob::stateWaitThenPlace);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitWindow(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLMediaBrowseJob::stateWindowReady);
    case kSignalUpdate:
        return transition(&CVXLMediaBrowseJob::stateWaitThenPlace);
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitThenPlace(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRange:
        mergeRange();
        return transition(&CVXLMediaBrowseJob::stateFetchWindow);
    case kSignalNext:
        // The window's request was not sent: place it again now.
        if (!page_->isBusy())
            return transition(&CVXLMediaBrowseJob::stateFetchWindow);
        return handled();
    case kSignalUpdate:
        return handled();
    }
    return super(&CVXLMediaBrowseJob::stateLoading);
}

CVXLHsmState CVXLMediaBrowseJob::stateWindowReady(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext: {
        computePrefetchLimits();
        const std::int32_t focus
            = pendingFocus_ >= 0 ? pendingFocus_ : static_cast<std::int32_t>(layout_.first());
        pendingFocus_ = -1;
        layout_.setCurrentElement(layout_.elementAt(focus));
        layout_.setStale(false);
        showOrUpdate();
        windowJustShown_ = 1;
        return transition(&CVXLMediaBrowseJob::statePrefetchAfter);
    }
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::statePrefetch(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalSelect:
        layout_.toggleFocused();
        updateLayout();
        return handled();
    case kSignalSelectAll:
    case kSignalDeselectAll:
    case kSignalContinue:
    case kSignalAssign:
        // Taken in the browse state once the prefetch has stopped.
        cancelMediaTraffic();
        postSignal(s);
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    case kSignalRangeFailed:
        // A failed page ends the prefetch; browsing goes on.
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    if (isCommand(s)) {
        cancelMediaTraffic();
        postSignal(s);
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::stateRoot);
}

CVXLHsmState CVXLMediaBrowseJob::statePrefetchAfter(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (prefetchNextAfter())
            return transition(&CVXLMediaBrowseJob::stateWaitAfter);
        return transition(&CVXLMediaBrowseJob::statePrefetchBefore);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitAfter(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalRange) {
        mergeRange();
        ++prefetchAfter_;
        return transition(&CVXLMediaBrowseJob::statePrefetchAfter);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::statePrefetchBefore(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postSignal(kSignalNext);
        return handled();
    case kSignalNext:
        if (prefetchNextBefore())
            return transition(&CVXLMediaBrowseJob::stateWaitBefore);
        return transition(&CVXLMediaBrowseJob::stateBrowse);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}

CVXLHsmState CVXLMediaBrowseJob::stateWaitBefore(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalRange) {
        mergeRange();
        ++prefetchBefore_;
        return transition(&CVXLMediaBrowseJob::statePrefetchBefore);
    }
    return super(&CVXLMediaBrowseJob::statePrefetch);
}
