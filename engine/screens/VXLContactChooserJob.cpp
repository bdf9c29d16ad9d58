#include "engine/screens/VXLContactChooserJob.h"

void CVXLContactChooserJob::onStart()
{
    if (hasProperty(kPropertyHasContact) && property(kPropertyHasContact).toInt() == 1) {
        notifyOwner(kEndDone);
        return;
    }
    layout_.setState(0);
    layout_.setOwner(this);
    layout_.prepare();
    showAgain();
}

void CVXLContactChooserJob::showAgain()
{
    if (showAgain_ || !isLayoutShown()) {
        showAgain_ = false;
        showLayout();
    } else {
        updateLayout();
    }
}

void CVXLContactChooserJob::onSignal(std::int32_t signal)
{
    if (signal == kSignalResume)
        showAgain();
}

void CVXLContactChooserJob::onLayoutAction(std::uint32_t eventId)
{
    std::int32_t result;
    switch (eventId & 0xFFFFu) {
    case kLayoutActionBack:
        result = kEndBack;
        break;
    case kLayoutActionExit:
        result = kEndExit;
        break;
    case kLayoutActionContinue:
        result = kEndDone;
        break;
    default:
        return;
    }
    showAgain_ = true;
    endWith(result);
}
