#include "engine/screens/VXLDestinationChooserJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLScreenServices.h"

#include <vector>

namespace {

// "There was an error while trying to update the list of destinations. Try
// again?" and "There was an error trying to register your phone."
constexpr std::uint32_t kUpdateFailedText = 755;
constexpr std::uint32_t kRegistrationFailedText = 756;

CVXLString withDetail(const CVXLScreenServices* screen, std::uint32_t textId, std::int32_t detail)
{
    CVXLString text = CVXLScreenServices::text(screen, textId);
    text += " (";
    text += CVXLString(detail);
    text += ")";
    return text;
}

bool persistent(const CVXLScreenServices* screen, const char* key, CVXLString& value)
{
    return screen && screen->persistentString(key, value);
}

} // namespace

CVXLDestinationChooserJob::CVXLDestinationChooserJob()
    : CVXLUiJob(&CVXLDestinationChooserJob::Initial, kFirstExternalCode)
    , registerEvent_(kEventVraxRegister, kReplyRegister)
{
    registerEvent_.repeatPermitted = 1;
}

CVXLDestinationChooserJob::~CVXLDestinationChooserJob()
{
    layout_.clear();
    navigation_.deleteAll();
}

void CVXLDestinationChooserJob::init()
{
    CVXLScreenServices* screen = services();
    vraxJob_ = screen ? screen->vraxJob() : nullptr;
    CVXLUiJob::init();
    selectedId_ = CVXLString();
    layout_.clear();
    layout_.prepare();
    layout_.setOwner(this);
    addCoolSites_ = static_cast<std::uint32_t>(property(kPropertyCoolSites).toInt());
    layout_.setState(addCoolSites_ ? 2 : 1);
    showLayout();
}

// The replies and the poll come at or above the first external code: the
// base leaves them to the job. The poll is the job's own timer, done with
// before it is armed again.
void CVXLDestinationChooserJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventTimer) {
        finishEvent(event);
        if (code == kTimerPoll || code == kTimerLoad)
            dispatch(event);
        return;
    }
    if (code == kReplyCategory || code == kReplyRegister)
        dispatch(event);
    finishEvent(event);
}

std::int32_t CVXLDestinationChooserJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    cancelEvent(&pollEvent_);
    cancelEvent(&loadTimer_);
    clearNavigation();
    currentId_ = CVXLString();
    currentCaption_ = CVXLString();
    rememberedId_ = CVXLString();
    layout_.clear();
    return state;
}

void CVXLDestinationChooserJob::onLayoutAction(std::uint32_t eventId)
{
    static constexpr struct {
        std::uint32_t action;
        std::int32_t signal;
    } kEventSignals[] = {
        {kLayoutActionBack, kSignalKeyBack},
        {kLayoutActionExit, kSignalKeyExit},
        {kLayoutActionContinue, kSignalContinue},
        {kLayoutActionUpdate, kSignalUpdate},
        {kLayoutActionSelect, kSignalSelect},
    };
    for (const auto& entry : kEventSignals) {
        if (layoutEventId(kLayoutMenuList, entry.action) == eventId) {
            postSignal(entry.signal);
            return;
        }
    }
}

void CVXLDestinationChooserJob::clearNavigation()
{
    navigation_.deleteAll();
}

CVXLMenuItemElement* CVXLDestinationChooserJob::focused() const
{
    return static_cast<CVXLMenuItemElement*>(layout_.currentElement());
}

void CVXLDestinationChooserJob::requestCategory(const CVXLString& id, const CVXLString& caption)
{
    currentId_ = id;
    currentCaption_ = caption;
    CVXLScreenServices* screen = services();
    CVXLEventHandler* manager = screen ? screen->scenarioManager() : nullptr;
    if (!manager || scenarioRequest_.isBusy()) {
        VXL_LOG_FAILURE("destinations: category \"%s\" cannot be asked for", id.c_str());
        scenarioRequest_.setResult(kResultFailed);
        postSignal(kReplyCategory);
        return;
    }
    scenarioRequest_.setText(id);
    post(manager, &scenarioRequest_);
}

// The manager's entries last only until its next destinations request (the
// Client makes one whenever the menu is refreshed), so the menu shows copies.
void CVXLDestinationChooserJob::showCategory(const CScenarioRequestEvent& reply)
{
    layout_.clear();
    CVXLScreenServices* screen = services();
    CVXLCoolSite stored;
    for (std::uint32_t i = 0; i < reply.entryCount(); ++i) {
        const auto* from = static_cast<const CVXLMenuItemElement*>(reply.entries()->at(static_cast<int>(i)));
        auto* entry = from ? new CVXLMenuItemElement(*from) : nullptr;
        if (!entry || !layout_.addItem(entry)) {
            delete entry;
            continue;
        }
        if (rememberedId_.length() != 0 && entry->id() == rememberedId_)
            layout_.setCurrentElement(entry);
        if (entry->isChecked())
            entry->toggleChecked();
        if (screen && screen->coolSiteById(entry->id(), &stored))
            entry->toggleChecked();
    }
    layout_.setTitle(currentCaption_);
    refreshLayout();
}

// The ticks of the shown category replace that category's cool sites; the
// cool sites of other categories stay, in their order, before them.
void CVXLDestinationChooserJob::storeCoolSites()
{
    CVXLScreenServices* screen = services();
    if (!screen)
        return;
    std::vector<CVXLCoolSite> sites;
    CVXLCoolSite site;
    for (std::int32_t n = 0, count = screen->coolSiteCount(); n < count; ++n) {
        if (!screen->coolSiteAt(n, &site))
            continue;
        bool shown = false;
        for (std::uint32_t i = 0; i < layout_.getItemCount() && !shown; ++i)
            shown = static_cast<CVXLMenuItemElement*>(layout_.itemAt(i))->id() == site.id;
        if (!shown)
            sites.push_back(site);
    }
    for (std::uint32_t i = 0; i < layout_.getItemCount(); ++i) {
        const auto* entry = static_cast<CVXLMenuItemElement*>(layout_.itemAt(i));
        if (!entry->isChecked())
            continue;
        sites.push_back({entry->id(), entry->text(), entry->getMenuMediaLink(), entry->menuMimeType(),
            entry->getButtonMediaLink(), entry->buttonMimeType()});
    }
    screen->replaceCoolSites(sites.data(), static_cast<std::int32_t>(sites.size()));
}

void CVXLDestinationChooserJob::sendRegister()
{
    registerEvent_.serverErrorCode = 0;
    registerEvent_.serverErrorText = CVXLString();
    if (!vraxJob_ || registerEvent_.isBusy()) {
        VXL_LOG_FAILURE("destinations: no registration can be sent");
        registerEvent_.setResult(kResultFailed);
        postSignal(kReplyRegister);
        return;
    }
    post(vraxJob_, &registerEvent_);
}

bool CVXLDestinationChooserJob::downloadStarted() const
{
    CVXLString total;
    return persistent(services(), kPersDestlistProgressTotal, total) && total.length() != 0
        && total.toInt() != 0;
}

void CVXLDestinationChooserJob::stopChild()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    const int type = child->typeId();
    if (type != kSpinnerJobType && type != kProgressJobType)
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLDestinationChooserJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return transition(&CVXLDestinationChooserJob::Done);
}

// Left while a request was out: its traffic is cancelled first, and a job
// being stopped tells nothing.
CVXLHsmState CVXLDestinationChooserJob::leaveAfterCancel(std::int32_t result)
{
    releaseLayout();
    if (!stopRequested())
        notifyOwner(result);
    return transition(&CVXLDestinationChooserJob::Done);
}

CVXLHsmState CVXLDestinationChooserJob::Initial(const CVXLEvent*)
{
    setState(&CVXLDestinationChooserJob::Root);
    return handled();
}

CVXLHsmState CVXLDestinationChooserJob::Root(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CVXLDestinationChooserJob::Chooser);
        return handled();
    case kReplyCategory:
    case kReplyRegister:
    case kTimerPoll:
    case kTimerLoad:
        // An answer nobody waits for any more.
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestinationChooserJob::Chooser(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CVXLDestinationChooserJob::Loading);
        return handled();
    case kSignalEntry:
        startChild43();
        return handled();
    case kSignalExit:
        cancelEvent(&loadTimer_);
        rememberedId_ = CVXLString();
        stopChild();
        return handled();
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(services()->scenarioManager());
        return leaveAfterCancel(kEndBack);
    case kChildExit:
        cancelEventsWith(services()->scenarioManager());
        return leaveAfterCancel(kEndExit);
    case kReplyCategory:
        if (e->succeeded()) {
            showCategory(scenarioRequest_);
            return transition(&CVXLDestinationChooserJob::Browse);
        }
        VXL_LOG_INFO("destinations: category \"%s\" answered %d", currentId_.c_str(), e->result());
        currentId_ = CVXLString();
        currentCaption_ = CVXLString();
        showEventError(*e);
        return transition(&CVXLDestinationChooserJob::ErrorOut);
    }
    return super(&CVXLDestinationChooserJob::Root);
}

// While the configuration is being read again the job looks again at its
// next turn, so the other jobs (the Scenario Manager among them) go on. The
// look is a timer of the job's own: a signal it posted itself would wait
// behind the spinner.
CVXLHsmState CVXLDestinationChooserJob::Loading(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postDelayed(&loadTimer_, 0);
        return handled();
    case kTimerLoad: {
        CVXLScreenServices* screen = services();
        if (screen && screen->scenarioReloading()) {
            postDelayed(&loadTimer_, 0);
            return handled();
        }
        // The key is emptied, not removed, when the registration is undone.
        CVXLString version;
        if (!persistent(services(), kPersVraxVerId, version) || version.length() == 0) {
            sendRegister();
            return transition(&CVXLDestinationChooserJob::RegWait);
        }
        CVXLString category;
        if (hasProperty(kPropertyCategory))
            category = property(kPropertyCategory).toString();
        requestCategory(category, screenText(kTopCaptionId));
        return transition(&CVXLDestinationChooserJob::WaitCategory);
    }
    }
    return super(&CVXLDestinationChooserJob::Chooser);
}

CVXLHsmState CVXLDestinationChooserJob::WaitCategory(const CVXLEvent*)
{
    return super(&CVXLDestinationChooserJob::Chooser);
}

CVXLHsmState CVXLDestinationChooserJob::Registering(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalExit:
        cancelEvent(&pollEvent_);
        return handled();
    case kReplyRegister:
        if (e->succeeded())
            return finish(kEndBack);
        if (e->result() == kResultCancelled) {
            showInfo(kNoticeRegistrationCancelled, 0, 1);
            return transition(&CVXLDestinationChooserJob::RegCancelled);
        }
        VXL_LOG_INFO(
            "destinations: registration answered %d (%d)", e->result(), registerEvent_.serverErrorCode);
        if (e->result() == kResultNetworkNotice)
            showErrorText(kErrorRegistration,
                withDetail(services(), kRegistrationFailedText, registerEvent_.serverErrorCode));
        else
            showError(kErrorRegistration);
        return transition(&CVXLDestinationChooserJob::ErrorOut);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(vraxJob_);
        return leaveAfterCancel(kEndBack);
    case kChildExit:
        cancelEventsWith(vraxJob_);
        return leaveAfterCancel(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestinationChooserJob::RegWait(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        postDelayed(&pollEvent_, kPollMs);
        return handled();
    case kSignalExit:
        stopChild();
        return handled();
    case kTimerPoll:
        if (downloadStarted())
            return transition(&CVXLDestinationChooserJob::RegProgress);
        postDelayed(&pollEvent_, kPollMs);
        return handled();
    }
    return super(&CVXLDestinationChooserJob::Registering);
}

CVXLHsmState CVXLDestinationChooserJob::RegProgress(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showProgress(kProgressState, kPersDestlistProgressCurrent, kPersDestlistProgressTotal, false);
        return handled();
    case kSignalExit:
        stopChild();
        return handled();
    }
    return super(&CVXLDestinationChooserJob::Registering);
}

CVXLHsmState CVXLDestinationChooserJob::RegCancelled(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestinationChooserJob::Browse(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalSelect:
        // A plain menu submits only Select when an entry is picked (it has
        // no Continue), so there Select is the pick; ticking belongs to the
        // cool-sites check list.
        if (addCoolSites_) {
            if (CVXLMenuItemElement* entry = focused()) {
                entry->toggleChecked();
                updateLayout();
            }
            return handled();
        }
        [[fallthrough]];
    case kSignalContinue: {
        CVXLMenuItemElement* entry = focused();
        if (!entry)
            return handled();
        if (entry->isCategory()) {
            auto* above = new Category;
            if (!above || !navigation_.insertAt(above, -1)) {
                delete above;
                VXL_LOG_FAILURE("destinations: category \"%s\" not opened", entry->id().c_str());
                return handled();
            }
            above->id = currentId_;
            above->caption = currentCaption_;
            requestCategory(entry->id(), entry->text());
            return transition(&CVXLDestinationChooserJob::WaitCategory);
        }
        if (addCoolSites_) {
            storeCoolSites();
            return finish(kEndChosen);
        }
        selectedId_ = entry->id();
        setProperty(kPropertySelected, CVXLVariant(selectedId_));
        return finish(kEndChosen);
    }
    case kSignalKeyBack: {
        const std::uint32_t count = navigation_.count();
        if (count == 0)
            return finish(kEndBack);
        auto* above = static_cast<Category*>(navigation_.at(static_cast<int>(count - 1)));
        navigation_.removeAt(static_cast<int>(count - 1));
        rememberedId_ = currentId_;
        requestCategory(above->id, above->caption);
        delete above;
        return transition(&CVXLDestinationChooserJob::WaitCategory);
    }
    case kSignalKeyExit:
        return finish(kEndExit);
    case kSignalUpdate:
        sendRegister();
        return transition(&CVXLDestinationChooserJob::Refreshing);
    }
    return super(&CVXLDestinationChooserJob::Root);
}

CVXLHsmState CVXLDestinationChooserJob::Refreshing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showProgress(kProgressState, kPersProgressCurrent, kPersProgressTotal, false);
        return handled();
    case kSignalExit:
        stopChild();
        return handled();
    case kReplyRegister:
        if (e->succeeded()) {
            clearNavigation();
            currentId_ = CVXLString();
            currentCaption_ = CVXLString();
            return transition(&CVXLDestinationChooserJob::Chooser);
        }
        VXL_LOG_INFO("destinations: update answered %d (%d)", e->result(), registerEvent_.serverErrorCode);
        if (e->result() == kResultNetworkNotice)
            showErrorText(
                kErrorUpdate, withDetail(services(), kUpdateFailedText, registerEvent_.serverErrorCode));
        else
            showError(kErrorUpdate);
        return transition(&CVXLDestinationChooserJob::RefreshFailed);
    case kChildBack:
    case kChildCancel:
        cancelEventsWith(vraxJob_);
        postSignal(kSignalRefreshAborted);
        return transition(&CVXLDestinationChooserJob::RefreshAborted);
    case kChildExit:
        cancelEventsWith(vraxJob_);
        return leaveAfterCancel(kEndExit);
    case kChildContinue:
        return handled();
    }
    return super(&CVXLDestinationChooserJob::Root);
}

CVXLHsmState CVXLDestinationChooserJob::RefreshAborted(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalRefreshAborted:
        updateLayout();
        return transition(&CVXLDestinationChooserJob::Browse);
    }
    return super(&CVXLDestinationChooserJob::Root);
}

CVXLHsmState CVXLDestinationChooserJob::RefreshFailed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
        sendRegister();
        return transition(&CVXLDestinationChooserJob::Refreshing);
    case kChildBack:
    case kChildCancel:
        updateLayout();
        return transition(&CVXLDestinationChooserJob::Browse);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLDestinationChooserJob::Root);
}

CVXLHsmState CVXLDestinationChooserJob::ErrorOut(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLDestinationChooserJob::Done(const CVXLEvent* e)
{
    const std::int32_t signal = signalOf(e);
    if (signal == kSignalGoOn) {
        showLayout();
        return transition(&CVXLDestinationChooserJob::Chooser);
    }
    if (signal >= kSignalUser)
        return handled();
    return super(&CVXLHsm::top);
}
