#include "engine/screens/VXLProgressJob.h"

#include "engine/core/jobs/VXLEventCodes.h"

namespace {

// The value of the leading decimal digits; 0 when there are none. Saturates
// rather than wrapping.
std::uint64_t decimalValue(const CVXLString& text)
{
    std::uint64_t value = 0;
    for (const char* p = text.c_str(); *p >= '0' && *p <= '9'; ++p) {
        const std::uint64_t digit = static_cast<std::uint64_t>(*p - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return UINT64_MAX;
        value = value * 10 + digit;
    }
    return value;
}

std::uint64_t readNumber(const CVXLScreenServices* screen, const CVXLString& key, bool* present)
{
    CVXLString text;
    const bool found = key.length() > 0 && screen && screen->persistentString(key.c_str(), text);
    if (present)
        *present = found;
    return found ? decimalValue(text) : 0;
}

std::int64_t clampToSigned(std::uint64_t value)
{
    return value > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(value);
}

} // namespace

CVXLProgressJob::CVXLProgressJob()
    : CVXLUiJob(&CVXLProgressJob::Initial, kFirstExternalCode)
{
}

void CVXLProgressJob::setParameters(
    std::uint32_t layoutState, const char* currentKey, const char* totalKey, bool autoFinish)
{
    layoutState_ = static_cast<std::int32_t>(layoutState);
    currentKey_ = currentKey ? currentKey : "";
    totalKey_ = totalKey ? totalKey : "";
    autoFinish_ = autoFinish ? 1 : 0;
    mode_ = 0;
}

void CVXLProgressJob::init()
{
    CVXLUiJob::init();
    layout_.setOwner(this);
    if (layoutState_ >= 0)
        layout_.setState(static_cast<std::uint32_t>(layoutState_));
}

void CVXLProgressJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    const std::int32_t code = event->effectiveCode();
    if (code == kTimerCode) {
        dispatch(event);
        // A state that did not take the tick leaves it to be ended here.
        if (isInProgress(event))
            finishEvent(event);
        return;
    }
    if (code == kEventStop)
        cancelEvent(&timer_);
    finishEvent(event);
}

void CVXLProgressJob::onLayoutAction(std::uint32_t eventId)
{
    static constexpr struct {
        std::uint32_t eventId;
        std::int32_t signal;
    } kAnswers[] = {
        {layoutEventId(kLayoutProgressBar, kLayoutActionCancel), kChildCancel},
        {layoutEventId(kLayoutProgressBar, kLayoutActionBack), kChildBack},
        {layoutEventId(kLayoutProgressBar, kLayoutActionExit), kChildExit},
    };
    for (const auto& answer : kAnswers) {
        if (answer.eventId == eventId) {
            postSignal(answer.signal);
            return;
        }
    }
}

std::int32_t CVXLProgressJob::onFinished()
{
    cancelEvent(&timer_);
    layout_.detachView();
    if (totalKey_.length() > 0)
        if (CVXLScreenServices* screen = services())
            screen->setPersistentNumber(totalKey_.c_str(), 0);
    layoutState_ = kNoLayoutState;
    mode_ = 1;
    autoFinish_ = 0;
    currentKey_ = "";
    totalKey_ = "";
    return CVXLUiJob::onFinished();
}

bool CVXLProgressJob::totalReady() const
{
    bool present = false;
    const std::uint64_t total = readNumber(services(), totalKey_, &present);
    return present && total != 0;
}

void CVXLProgressJob::readValues()
{
    current_ = readNumber(services(), currentKey_, nullptr);
    total_ = readNumber(services(), totalKey_, nullptr);
    // In two parts, so that current x 100 cannot overflow.
    percentage_ = total_ == 0 ? 0 : current_ / total_ * 100 + current_ % total_ * 100 / total_;
}

void CVXLProgressJob::writeLayout(std::int64_t position, std::int64_t range, std::int64_t percentage)
{
    layout_.setPosition(position);
    layout_.setRange(range);
    layout_.setThird(percentage);
}

void CVXLProgressJob::arm(std::uint32_t milliseconds)
{
    if (!timer_.isBusy())
        postDelayed(&timer_, milliseconds);
}

void CVXLProgressJob::finishTimer()
{
    if (isInProgress(&timer_))
        finishEvent(&timer_);
}

CVXLHsmState CVXLProgressJob::Initial(const CVXLEvent*)
{
    if (mode_ == 1)
        setState(&CVXLProgressJob::ProgressPolling);
    else
        setState(&CVXLProgressJob::ProgressWaiting);
    return handled();
}

CVXLHsmState CVXLProgressJob::Active(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        cancelEvent(&timer_);
        notifyOwner(s);
        return transition(&CVXLProgressJob::Done);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLProgressJob::ProgressPolling(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        pollCurrent_ = 0;
        pollRange_ = kPollingRange;
        percentage_ = 0;
        writeLayout(pollCurrent_, pollRange_, 0);
        showLayout();
        arm(kPollingMs);
        return handled();
    case kTimerCode:
        finishTimer();
        if (totalReady()) {
            readValues();
            writeLayout(clampToSigned(current_), clampToSigned(total_), clampToSigned(percentage_));
            arm(0);
            updateLayout();
            return transition(&CVXLProgressJob::ProgressRunning);
        }
        if (pollCurrent_ == (pollRange_ >> 2) - 1)
            pollRange_ *= 4;
        ++pollCurrent_;
        writeLayout(pollCurrent_, pollRange_, clampToSigned(percentage_));
        arm(kPollingMs);
        updateLayout();
        return handled();
    }
    return super(&CVXLProgressJob::Active);
}

CVXLHsmState CVXLProgressJob::ProgressWaiting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        writeLayout(0, 0, 0);
        showLayout();
        arm(kWaitingMs);
        return handled();
    case kTimerCode:
        finishTimer();
        if (stopRequested())
            return handled();
        if (totalReady()) {
            readValues();
            writeLayout(clampToSigned(current_), clampToSigned(total_), clampToSigned(percentage_));
            arm(kRunningMs);
            updateLayout();
            return transition(&CVXLProgressJob::ProgressRunning);
        }
        arm(kWaitingMs);
        return handled();
    }
    return super(&CVXLProgressJob::Active);
}

CVXLHsmState CVXLProgressJob::ProgressRunning(const CVXLEvent* e)
{
    if (signalOf(e) != kTimerCode)
        return super(&CVXLProgressJob::Active);
    finishTimer();
    readValues();
    if (stopRequested())
        return transition(&CVXLProgressJob::Done);
    const std::int64_t current = clampToSigned(current_);
    const std::int64_t total = clampToSigned(total_);
    if ((layout_.position() != current || layout_.range() != total) && (current != 0 || total != 0)) {
        writeLayout(current, total, clampToSigned(percentage_));
        updateLayout();
    }
    // Done once the current value reaches the total: one that overshoots it
    // must not keep the bar polling for ever.
    if (current_ < total_ || total_ == 0) {
        arm(kRunningMs);
        return handled();
    }
    if (autoFinish_) {
        notifyOwner(kChildContinue);
        return transition(&CVXLProgressJob::Done);
    }
    return handled();
}

CVXLHsmState CVXLProgressJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        cancelEvent(&timer_);
        releaseLayout();
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
