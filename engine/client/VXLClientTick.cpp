#include "engine/client/VXLClient.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLUiJobPool.h"

void CVXLClient::refreshTickTime()
{
    engineClock_.setTickTime(clockMilliseconds());
}

bool CVXLClient::stepTree()
{
    ++stepCount_;
    return step() == kHandlerFinished || runState() == kHandlerFinished;
}

std::int32_t CVXLClient::endTick(std::int32_t result)
{
    lastTickResult_ = result;
    engineClock_.setInTick(false);
    return result;
}

std::int32_t CVXLClient::tick()
{
    engineClock_.setInTick(true);
    if (runState() == kHandlerFinished)
        return endTick(kTickTerminated);
    refreshTickTime();
    const std::uint32_t start = engineClock_.tickTime();
    settingsWrittenThisTick_ = false;
    disposeShownRequest();
    drainPendingCodes();
    if (stepTree())
        return endTick(kTickTerminated);
    bool idle = false;
    for (;;) {
        saveSettingsIfDirty();
        if (requestQueue_.count() != 0)
            break;
        if (runState() != kHandlerRunnable) {
            refreshTickTime();
            if (nextTimeout() != 0) {
                idle = true;
                break;
            }
        }
        refreshTickTime();
        if (engineClock_.tickTime() - start >= kTickSliceMs)
            break;
        if (stepTree())
            return endTick(kTickTerminated);
    }
    if (shutdownFlag_)
        shutdownCountdownStep(idle);
    return endTick(idle ? kTickIdle : kTickWorkLeft);
}

void CVXLClient::disposeShownRequest()
{
    if (!shownRequest_)
        return;
    CVXLUIRequest* request = shownRequest_;
    shownRequest_ = nullptr;
    if (requestQueue_.front() == request)
        requestQueue_.popFront();
    switch (request->kind()) {
    case kUIRequestNewLayout:
    case kUIRequestUpdatedLayout:
    case kUIRequestReplaceLayout:
        if (request->layout())
            request->layout()->onRequestTaken(request);
        break;
    default:
        break;
    }
    delete request;
    // A screen whose job ended while its request waited can go now.
    if (uiJobPool_.pool)
        uiJobPool_.pool->deleteUnnamed();
}

bool CVXLClient::requestNamesLayout(const CVXLLayout* layout) const
{
    auto names = [layout](const CVXLObject* object) {
        const auto* request = static_cast<const CVXLUIRequest*>(object);
        return request && (request->layout() == layout || request->replacedLayout() == layout);
    };
    if (shownRequest_ && names(shownRequest_))
        return true;
    for (const CVXLList::Node* node = requestQueue_.begin().node(); node; node = node->next) {
        if (names(node->object))
            return true;
    }
    return false;
}

// Codes pushed while the broadcast runs wait for the next tick, so a handler
// that answers a code with another cannot keep the tick here for ever.
void CVXLClient::drainPendingCodes()
{
    for (int n = pendingCodes_.count(); n > 0 && pendingCodes_.count() != 0; --n) {
        const std::int32_t code = pendingCodes_.pop();
        if (code == kUIRequestNone)
            break;
        broadcast(code);
    }
}

void CVXLClient::saveSettingsIfDirty()
{
    CVXLPersStore& store = settings_.store();
    if (!store.isDirty() || !membersStarted_ || !settingsSaver_.idle() || settingsWrittenThisTick_)
        return;
    // One write per tick: a write that fails is tried again by the next tick,
    // not at once in a loop that would never leave the slice.
    settingsWrittenThisTick_ = true;
    settingsSaver_.save();
}

void CVXLClient::writeState(CVXLByteBuffer& out)
{
    CVXLByteStream image;
    settings_.store().save(image);
    savedChangeCount_ = settings_.store().changeCount();
    out = image;
}

void CVXLClient::stateSaved()
{
    settings_.store().clearDirty(savedChangeCount_);
}

// Open connections hold the shut-down back, but only for the length of the
// countdown: the engine always stops in the end.
void CVXLClient::shutdownCountdownStep(bool idle)
{
    if (shutdownBegun_)
        return;
    CVXLString text;
    settings_.getPersistentString(kPersNetSessions, &text);
    const std::int32_t sessions = text.isNumeric() ? text.toInt(10) : 0;
    if (sessions <= 0 && idle && membersStarted_) {
        shutdownCountdown_ = 0;
        beginShutdown();
        return;
    }
    if (shutdownCountdown_ > 0)
        --shutdownCountdown_;
    if (shutdownCountdown_ == 0)
        beginShutdown();
}

std::uint32_t CVXLClient::getWaitTime()
{
    return pendingCodes_.count() > 0 ? 0 : nextDeadline();
}

std::uint32_t CVXLClient::nextDeadline()
{
    if (requestQueue_.count() != 0 || runState() == kHandlerRunnable)
        return 0;
    refreshTickTime();
    return nextTimeout();
}

void CVXLClient::clearLastTickResult()
{
    if (!engineClock_.inTick())
        lastTickResult_ = kTickWorkLeft;
}
