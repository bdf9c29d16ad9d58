#include "engine/screens/VXLCaptureTypeJob.h"

namespace {

constexpr std::uint32_t kNext = 0x6A;

std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutCaptureChoice, action);
}

} // namespace

void CVXLCaptureTypeJob::onStart()
{
    failed_ = false;
    handingOver_ = false;
    captureType_ = property(kPropertyCaptureType).toInt();
    layout_.setState(0);
    present(&layout_);
}

void CVXLCaptureTypeJob::onLayoutAction(std::uint32_t eventId)
{
    if (eventId == event(kLayoutActionBack)) {
        endWith(kEndBack);
    } else if (eventId == event(kLayoutActionExit)) {
        endWith(kEndExit);
    } else if (eventId == event(kLayoutActionUpdate) || eventId == event(kNext)) {
        if (handingOver_)
            return;
        failed_ = false;
        handingOver_ = true;
        if (!beginHandOver())
            handedOver();
    }
}

void CVXLCaptureTypeJob::handedOver()
{
    handingOver_ = false;
    endWith(kEndDone);
}

void CVXLCaptureTypeJob::onSignal(std::int32_t signal)
{
    if (signal == kSignalResume) {
        present(&layout_);
        return;
    }
    // The refused file's error was answered: the choice again.
    if (failed_ && signal >= kChildContinue && signal <= kChildExit) {
        failed_ = false;
        handingOver_ = false;
        present(&layout_);
    }
}
