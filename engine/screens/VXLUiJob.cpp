#include "engine/screens/VXLUiJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/screens/VXLErrorJob.h"
#include "engine/screens/VXLInfoMessageTable.h"
#include "engine/screens/VXLInformationJob.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLProgressJob.h"
#include "engine/screens/VXLSpinnerJob.h"
#include "engine/screens/VXLUiJobPool.h"

CVXLUiJob::CVXLUiJob()
    : CVXLUiJob(toHandler(&CVXLUiJob::Unused), kFirstChildExternalCode)
{
}

CVXLUiJob::CVXLUiJob(CVXLStateHandler initial, std::int32_t firstExternalCode)
    : CVXLHsm(initial)
    , firstExternalCode_(firstExternalCode)
    , ring_(this, slots_, kRingSlots)
{
}

CVXLUiJob::~CVXLUiJob() = default;

CVXLHsmState CVXLUiJob::Unused(const CVXLEvent*)
{
    return handled();
}

void CVXLUiJob::onLayoutAction(std::uint32_t)
{
}

CVXLVariant CVXLUiJob::property(const CVXLString& name) const
{
    const auto* value = static_cast<const CVXLVariant*>(properties_.find(name));
    return value ? *value : CVXLVariant();
}

bool CVXLUiJob::hasProperty(const CVXLString& name) const
{
    return properties_.find(name) != nullptr;
}

void CVXLUiJob::setProperty(const CVXLString& name, const CVXLVariant& value)
{
    if (name == kXferInt)
        setXferInt(value.toInt());
    else if (name == kXferString)
        setXferString(value.toString());
    else if (name == kXferObject)
        setXferObject(static_cast<CVXLObject*>(value.reference()));
    else
        properties_.set(name, value);
}

void CVXLUiJob::setXferObject(CVXLObject* object)
{
    properties_.set(kXferObject, CVXLVariant(static_cast<const void*>(object)));
}

void CVXLUiJob::setXferInt(std::int32_t value)
{
    properties_.set(kXferInt, CVXLVariant(static_cast<int>(value)));
}

void CVXLUiJob::setXferString(const CVXLString& text)
{
    properties_.set(kXferString, CVXLVariant(text));
}

CVXLObject* CVXLUiJob::getXferObject() const
{
    return static_cast<CVXLObject*>(property(kXferObject).reference());
}

std::int32_t CVXLUiJob::getXferInt() const
{
    return property(kXferInt).toInt();
}

CVXLString CVXLUiJob::getXferString() const
{
    return hasXferString() ? property(kXferString).toString() : CVXLString("0");
}

CVXLScreenServices* CVXLUiJob::services() const
{
    return pool_ ? pool_->services() : nullptr;
}

CVXLString CVXLUiJob::screenText(std::uint32_t id) const
{
    return CVXLScreenServices::text(services(), id);
}

std::int32_t CVXLUiJob::configNumber(std::int32_t item, std::int32_t fallback) const
{
    return CVXLScreenServices::configNumber(services(), item, fallback);
}

void CVXLUiJob::onDeactivated()
{
    if (activity_)
        if (CVXLScreenServices* screen = services())
            screen->endActivity();
}

void CVXLUiJob::onActivated()
{
    if (activity_)
        if (CVXLScreenServices* screen = services())
            screen->beginActivity();
}

void CVXLUiJob::onLayoutReleased(CVXLLayout* layout)
{
    if (currentChild_ && display_ != CVXLUiJobDisplayState::ReleaseRequested
        && display_ != CVXLUiJobDisplayState::RestartPending) {
        currentChild_->onLayoutReleased(layout);
        return;
    }
    const bool late = releaseUnconfirmed_ && layout == getLayout();
    if (late)
        releaseUnconfirmed_ = false;
    switch (display_) {
    case CVXLUiJobDisplayState::RestartPending: {
        display_ = CVXLUiJobDisplayState::NotShown;
        CVXLEventHandler* parent = restartParent_;
        restartParent_ = nullptr;
        if (parent)
            parent->startChild(this);
        break;
    }
    case CVXLUiJobDisplayState::ReleaseRequested:
        display_ = CVXLUiJobDisplayState::NotShown;
        break;
    case CVXLUiJobDisplayState::Shown:
        // The confirmation of the release before the job showed it again.
        if (layout && layout == getLayout() && !late)
            takeAsLeaving(layout);
        break;
    case CVXLUiJobDisplayState::NotShown:
        break;
    }
}

// A screen the user interface gives no window (or closed by itself) would
// otherwise leave the job waiting for an answer that never comes.
void CVXLUiJob::takeAsLeaving(CVXLLayout* layout)
{
    display_ = CVXLUiJobDisplayState::NotShown;
    const std::uint32_t back = layoutEventId(layout->layoutType(), kLayoutActionBack);
    const std::uint32_t exit = layoutEventId(layout->layoutType(), kLayoutActionExit);
    VXL_LOG_INFO("UI job %d: layout of type %u released while shown; taken as the user leaving", typeId(),
        layout->layoutType());
    if (layout->hasAction(back))
        onLayoutAction(back);
    else if (layout->hasAction(exit))
        onLayoutAction(exit);
}

void CVXLUiJob::startUnder(CVXLEventHandler* parent)
{
    if (!parent)
        return;
    switch (display_) {
    case CVXLUiJobDisplayState::NotShown:
        parent->startChild(this);
        break;
    case CVXLUiJobDisplayState::Shown:
        restartParent_ = parent;
        requestLayout(getLayout(), CVXLLayoutRequest::Release);
        display_ = CVXLUiJobDisplayState::RestartPending;
        break;
    case CVXLUiJobDisplayState::ReleaseRequested:
        restartParent_ = parent;
        display_ = CVXLUiJobDisplayState::RestartPending;
        break;
    case CVXLUiJobDisplayState::RestartPending:
        break;
    }
}

bool CVXLUiJob::isStarted() const
{
    return display_ == CVXLUiJobDisplayState::RestartPending;
}

void CVXLUiJob::notifyOwner(std::int32_t code)
{
    if (isStarted() || !parent())
        return;
    // A heap event: a fresh job is deleted once it has finished, which may be
    // before its parent takes the answer.
    auto* event = new CVXLSimpleEvent(code);
    if (!event)
        return;
    event->setHeapAllocated(true);
    answered_ = true;
    post(parent(), event);
}

int CVXLUiJob::showLayout()
{
    CVXLLayout* layout = getLayout();
    if (!layout)
        return 0;
    requestLayout(layout, CVXLLayoutRequest::New);
    return 1;
}

void CVXLUiJob::releaseLayout()
{
    requestLayout(getLayout(), CVXLLayoutRequest::Release);
}

void CVXLUiJob::updateLayout()
{
    requestLayout(getLayout(), CVXLLayoutRequest::Update);
}

void CVXLUiJob::refreshLayout()
{
    if (isLayoutShown())
        updateLayout();
    else
        showLayout();
}

void CVXLUiJob::requestLayout(CVXLLayout* layout, CVXLLayoutRequest kind)
{
    if (!layout)
        return;
    switch (kind) {
    case CVXLLayoutRequest::New:
        display_ = CVXLUiJobDisplayState::Shown;
        break;
    case CVXLLayoutRequest::Update:
        if (!isLayoutShown())
            return;
        break;
    case CVXLLayoutRequest::Release:
        if (!isLayoutShown())
            return;
        display_ = CVXLUiJobDisplayState::ReleaseRequested;
        break;
    }
    ++requestCount_;
    if (CVXLScreenServices* screen = services())
        screen->queueLayoutRequest(layout, kind);
}

CVXLUiJob* CVXLUiJob::acquireChild(int typeId)
{
    return pool_ ? pool_->acquire(typeId) : nullptr;
}

void CVXLUiJob::giveBackChild(CVXLUiJob* child)
{
    if (pool_)
        pool_->release(child);
}

void CVXLUiJob::runChild(CVXLUiJob* child)
{
    if (!child)
        return;
    if (currentChild_) {
        if (nextChild_)
            giveBackChild(nextChild_);
        nextChild_ = child;
        return;
    }
    currentChild_ = child;
    startChild(child);
    setWaiting(true);
    ++waitCount_;
}

void CVXLUiJob::showError(std::int32_t code)
{
    if (auto* job = dynamic_cast<CVXLErrorJob*>(acquireChild(kErrorJobType))) {
        job->setErrorCode(static_cast<std::uint32_t>(code));
        runChild(job);
    }
}

void CVXLUiJob::showErrorText(std::int32_t code, const CVXLString& text)
{
    if (auto* job = dynamic_cast<CVXLErrorJob*>(acquireChild(kErrorJobType))) {
        job->setErrorCode(static_cast<std::uint32_t>(code), text);
        runChild(job);
    }
}

void CVXLUiJob::showEventError(const CVXLEvent& event)
{
    const CVXLString text = event.resultText();
    if (text.length() > 0)
        showErrorText(event.result(), text);
    else
        showError(event.result());
}

void CVXLUiJob::showInfo(std::uint32_t index, std::int32_t mode, std::uint32_t layoutState)
{
    if (auto* job = dynamic_cast<CVXLInformationJob*>(acquireChild(kInformationJobType))) {
        job->setMessageIndex(index);
        job->setLayoutState(layoutState);
        job->setTextById(CVXLInfoMessageTable::textIdOf(index));
        job->setMode(mode);
        runChild(job);
    }
}

void CVXLUiJob::showInfoText(
    const CVXLString& text, std::uint32_t index, std::int32_t mode, std::uint32_t layoutState)
{
    if (auto* job = dynamic_cast<CVXLInformationJob*>(acquireChild(kInformationJobType))) {
        job->setMessageIndex(index);
        job->setLayoutState(layoutState);
        job->setText(text);
        job->setMode(mode);
        runChild(job);
    }
}

void CVXLUiJob::showInfoWithMedia(const CVXLString& text, const CVXLMediaRefHandle& media,
    const CVXLList& list, std::int32_t mode, const CVXLString& title)
{
    if (auto* job = dynamic_cast<CVXLInformationJob*>(acquireChild(kInformationJobType))) {
        job->setLayoutState(CVXLInformationJob::kHelpState);
        job->setText(text);
        job->setMedia(media);
        job->setTexts(list);
        job->setMode(mode);
        job->setTitle(title);
        runChild(job);
    }
}

void CVXLUiJob::showProgress(
    std::uint32_t layoutState, const char* currentKey, const char* totalKey, bool autoFinish)
{
    if (auto* job = dynamic_cast<CVXLProgressJob*>(acquireChild(kProgressJobType))) {
        job->setParameters(layoutState, currentKey, totalKey, autoFinish);
        runChild(job);
    }
}

void CVXLUiJob::startChild43()
{
    if (auto* job = dynamic_cast<CVXLSpinnerJob*>(acquireChild(kSpinnerJobType))) {
        job->setLayoutState(spinnerState());
        runChild(job);
    }
}

void CVXLUiJob::startCurrentChild()
{
    if (!currentChild_ || currentChild_->parent() || currentChild_->runState() == kHandlerFinished)
        return;
    startChild(currentChild_);
    setWaiting(true);
    ++waitCount_;
}

int CVXLUiJob::cancelEventsWith(CVXLEventHandler* handler)
{
    const int notices = CVXLEventHandler::cancelEventsWith(handler);
    if (notices > 0) {
        const bool wasZero = cancelCount_ == 0;
        cancelCount_ += static_cast<std::uint32_t>(notices);
        if (wasZero) {
            setWaiting(true);
            ++waitCount_;
        }
    }
    return static_cast<int>(cancelCount_);
}

void CVXLUiJob::decrementWait()
{
    if (waitCount_ == 0)
        return;
    if (--waitCount_ == 0)
        resume();
}

void CVXLUiJob::onRefresh()
{
    if (currentChild_) {
        if (CVXLEvent* event = ring_.acquire()) {
            event->setRequestCode(kSignalRefresh);
            event->setReplyCode(kSignalRefresh);
            post(currentChild_, event);
        }
        return;
    }
    if (isLayoutShown())
        updateLayout();
}

int CVXLUiJob::filterEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (event->result() == kResultCancelled && cancelCount_ != 0) {
        if (--cancelCount_ == 0)
            decrementWait();
        finishEvent(event);
        return 1;
    }
    if (code >= firstExternalCode_) {
        if (code == kEventStart)
            CVXLHsm::init();
        return 0;
    }
    if (code == kSignalRefresh) {
        onRefresh();
        finishEvent(event);
        return 1;
    }
    // The source is only compared: a fresh child may be gone already.
    bool fromChild = false;
    for (CVXLEventHandler* child = firstChild(); child && !fromChild; child = child->nextSibling())
        fromChild = child == event->source();
    fromChild = fromChild || (currentChild_ && event->source() == currentChild_);
    const bool answer = code >= kChildContinue && code <= kChildExit;
    if (currentChild_ && fromChild && answer
        && (currentChild_->typeId() == kErrorJobType || currentChild_->typeId() == kInformationJobType)) {
        // The parent takes the answer once the child has gone.
        postSignal(code);
        startCurrentChild();
    } else {
        dispatch(event);
    }
    finishEvent(event);
    return 1;
}

// The base sorts by source only; this job sorts by code, so it picks the
// queue by showing the base the source that leads there.
void CVXLUiJob::queueHere(CVXLEvent* event, bool own)
{
    CVXLEventHandler* source = event->source();
    event->setSource(own ? this : nullptr);
    CVXLEventHandler::receive(event);
    event->setSource(source);
}

void CVXLUiJob::receive(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        CVXLEventHandler::receive(event);
        return;
    }
    const std::int32_t code = event->effectiveCode();
    CVXLEventHandler* source = event->source();
    bool own;
    if (source == this)
        own = code >= firstExternalCode_;
    else if (source && source->parent() == this && code < kFirstChildExternalCode)
        own = true;
    else
        own = event->result() == kResultCancelled;
    queueHere(event, own);
}

void CVXLUiJob::init()
{
    answered_ = false;
    // A job made outside any pool takes the pool of the UI job above it.
    if (!pool_) {
        if (auto* above = dynamic_cast<CVXLUiJob*>(parent()))
            pool_ = above->pool_;
    }
    // Its layout reads texts and settings through the job from the start.
    if (CVXLLayout* layout = getLayout())
        layout->setOwner(this);
    CVXLEventHandler::init();
}

std::int32_t CVXLUiJob::onFinished()
{
    exitAll();
    // A child's confirmation goes to its parent, which gives the child back
    // now and passes nothing on: waiting for it would keep the job from ever
    // starting again. The release is queued before anything the job shows
    // next, so the job is taken as not shown; a confirmation that still
    // comes is not taken for the user leaving.
    if (display_ == CVXLUiJobDisplayState::ReleaseRequested) {
        display_ = CVXLUiJobDisplayState::NotShown;
        releaseUnconfirmed_ = true;
    }
    if (CVXLLayout* layout = getLayout())
        layout->detachView();
    properties_.clear();
    cancelCount_ = 0;
    waitCount_ = 0;
    if (nextChild_)
        giveBackChild(nextChild_);
    if (currentChild_ && !currentChild_->parent())
        giveBackChild(currentChild_);
    currentChild_ = nullptr;
    nextChild_ = nullptr;
    return CVXLEventHandler::onFinished();
}

void CVXLUiJob::childFinished(CVXLEventHandler* child)
{
    if (!currentChild_ || child != static_cast<CVXLEventHandler*>(currentChild_))
        return;
    CVXLUiJob* done = currentChild_;
    currentChild_ = nullptr;
    giveBackChild(done);
    if (nextChild_ && !stopRequested()) {
        currentChild_ = nextChild_;
        nextChild_ = nullptr;
        startChild(currentChild_);
        return;
    }
    decrementWait();
}

const CVXLUiJob::ActionSignal CVXLUiJob::kMenuListSignals[3] = {
    {kLayoutActionSelect, 119},
    {kLayoutActionBack, 118},
    {kLayoutActionExit, 117},
};

bool CVXLUiJob::postActionSignal(
    std::uint32_t layoutType, std::uint32_t eventId, const ActionSignal* table, std::size_t rows)
{
    for (std::size_t i = 0; i < rows; ++i) {
        if (layoutEventId(layoutType, table[i].action) == eventId) {
            postSignal(table[i].signal);
            return true;
        }
    }
    return false;
}
