#include "engine/screens/VXLUploadScenarioJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

// "Upload Destination", "Upload", "Add Cool Site".
constexpr std::uint32_t kTitleId = 692;
constexpr std::uint32_t kUploadTextId = 693;
constexpr std::uint32_t kAddCoolSiteTextId = 698;

} // namespace

CVXLUploadScenarioJob::CVXLUploadScenarioJob()
    : CVXLUiJob(&CVXLUploadScenarioJob::Initial, kFirstExternalCode)
{
}

CVXLUploadScenarioJob::~CVXLUploadScenarioJob()
{
    layout_.clear();
}

void CVXLUploadScenarioJob::init()
{
    CVXLUiJob::init();
    uploads_ = property(kPropertyUploads).toInt() == 1;
    layout_.prepare();
    layout_.setOwner(this);
    layout_.setState(0);
    layout_.setTitleId(kTitleId);
}

// The scenario's reply comes at the first external code: the base leaves it
// to the job.
void CVXLUploadScenarioJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    if (event->effectiveCode() == kReplyScenario)
        dispatch(event);
    if (event->kind() != kEventTimer)
        finishEvent(event);
}

std::int32_t CVXLUploadScenarioJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    layout_.clear();
    return state;
}

// The menu list's keys come as the base's menu-list signals.
static_assert(CVXLUploadScenarioJob::kSignalSelect == 119 && CVXLUploadScenarioJob::kSignalKeyBack == 118
    && CVXLUploadScenarioJob::kSignalKeyExit == 117);

void CVXLUploadScenarioJob::onLayoutAction(std::uint32_t eventId)
{
    postActionSignal(kLayoutMenuList, eventId, kMenuListSignals);
}

void CVXLUploadScenarioJob::build()
{
    layout_.clear();
    auto add = [this](CVXLMenuItemElement* entry) {
        if (entry && !layout_.addItem(entry))
            delete entry;
    };
    if (uploads_) {
        auto* entry = new CVXLMenuItemElement;
        if (entry) {
            entry->setText(screenText(kUploadTextId));
            entry->setValue(kValueUpload);
        }
        add(entry);
    }
    CVXLScreenServices* screen = services();
    CVXLCoolSite site;
    for (std::int32_t n = 0, count = screen ? screen->coolSiteCount() : 0; n < count; ++n) {
        if (!screen->coolSiteAt(n, &site))
            continue;
        auto* entry = new CVXLMenuItemElement;
        if (entry) {
            entry->setText(site.caption);
            entry->setId(site.id);
            entry->setMenuMediaLink(site.icon);
            entry->setMenuMimeType(site.iconType);
            entry->loadIcons();
        }
        add(entry);
    }
    auto* last = new CVXLMenuItemElement;
    if (last) {
        last->setText(screenText(kAddCoolSiteTextId));
        last->setValue(kValueAddCoolSite);
    }
    add(last);
}

void CVXLUploadScenarioJob::stopSpinner()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->typeId() != kSpinnerJobType || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLUploadScenarioJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return transition(&CVXLUploadScenarioJob::Idle);
}

CVXLHsmState CVXLUploadScenarioJob::leave()
{
    if (stopRequested()) {
        releaseLayout();
        return transition(&CVXLUploadScenarioJob::Idle);
    }
    return finish(kEndExit);
}

CVXLHsmState CVXLUploadScenarioJob::Initial(const CVXLEvent*)
{
    setState(&CVXLUploadScenarioJob::Top);
    return handled();
}

CVXLHsmState CVXLUploadScenarioJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        showLayout();
        setState(&CVXLUploadScenarioJob::Listing);
        return handled();
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
        return leave();
    case kReplyScenario:
        // An answer nobody waits for any more.
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLUploadScenarioJob::Listing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        build();
        return handled();
    case kSignalSelect: {
        const auto* entry = static_cast<const CVXLMenuItemElement*>(layout_.currentElement());
        if (!entry)
            return handled();
        if (entry->value() == kValueUpload)
            return finish(kEndUpload);
        if (entry->value() == kValueAddCoolSite)
            return finish(kEndAddCoolSite);
        CVXLScreenServices* screen = services();
        CVXLEventHandler* manager = screen ? screen->scenarioManager() : nullptr;
        if (!manager)
            return handled();
        setProperty(kPropertyScenarioId, CVXLVariant(entry->id()));
        scenario_.clear();
        scenarioRequest_.setText(entry->id());
        scenarioRequest_.setLayout(&scenario_);
        post(manager, &scenarioRequest_);
        return transition(&CVXLUploadScenarioJob::LoadingScenario);
    }
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLUploadScenarioJob::Top);
}

CVXLHsmState CVXLUploadScenarioJob::LoadingScenario(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        return handled();
    case kSignalExit:
        stopSpinner();
        return handled();
    case kReplyScenario:
        if (e->succeeded()) {
            // The spinner runs over the list: it ends before the list is
            // released, or the user interface would wait on it.
            stopSpinner();
            setProperty(kPropertyScenario, CVXLVariant(static_cast<const void*>(&scenario_)));
            return finish(kEndScenario);
        }
        VXL_LOG_INFO(
            "upload destinations: scenario %s answered %d", scenarioRequest_.text().c_str(), e->result());
        showEventError(*e);
        return transition(&CVXLUploadScenarioJob::Failed);
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(services()->scenarioManager());
        return finish(kEndBack);
    case kChildExit:
        cancelEventsWith(services()->scenarioManager());
        return finish(kEndExit);
    case kSignalSelect:
        return handled();
    }
    return super(&CVXLUploadScenarioJob::Top);
}

CVXLHsmState CVXLUploadScenarioJob::Failed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    case kSignalSelect:
        return handled();
    }
    return super(&CVXLUploadScenarioJob::Top);
}

CVXLHsmState CVXLUploadScenarioJob::Idle(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
        showLayout();
        return transition(&CVXLUploadScenarioJob::Listing);
    case kSignalKeyBack:
    case kSignalKeyExit:
    case kSignalSelect:
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return handled();
    }
    return super(&CVXLUploadScenarioJob::Top);
}
