#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/scenario/ScenarioRequestEvent.h"
#include "engine/screens/VXLLayoutDestinationMenu.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/service/VRAXJobRequest.h"

#include <cstdint>

class CVXLMenuItemElement;

// The destination chooser (UI job 5): walks the service's tree of
// categories and destinations level by level, as the Scenario Manager reads
// it from "vxlcfg.xml". Picking a category opens it, picking a destination
// hands it to the program in "selected_scenario" (10); Back returns to the
// category above with the one left focused, and ends with 8 at the top. In
// cool-sites mode ("add_cool_sites", the check list) Select ticks entries
// and Continue picks: a destination stores the ticks of the shown category
// as cool sites, keeping those of other categories. A phone without a destination list
// ("vrax.ver_id") registers first through the VRAX job, with a spinner until
// the download reports progress; Update downloads the list again.
class CVXLDestinationChooserJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 5;
    static constexpr std::int32_t kFirstExternalCode = 124;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalKeyExit = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalSelect = 119;
    static constexpr std::int32_t kSignalUpdate = 120;
    static constexpr std::int32_t kSignalRefreshAborted = 122;
    static constexpr std::int32_t kSignalContinue = 123;
    static constexpr std::int32_t kReplyCategory = 124;
    // Loading looks (again, while the configuration is being read).
    static constexpr std::int32_t kTimerLoad = 125;
    static constexpr std::int32_t kReplyRegister = 126;
    static constexpr std::int32_t kTimerPoll = 127;
    static constexpr std::uint32_t kPollMs = 100;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndChosen = 10;
    // The error screens of a failed registration and of a failed update.
    static constexpr std::int32_t kErrorRegistration = 66;
    static constexpr std::int32_t kErrorUpdate = 67;
    // "You have chosen to cancel registration."
    static constexpr std::uint32_t kNoticeRegistrationCancelled = 2;
    // "Tap to Add or Remove"
    static constexpr std::uint32_t kTopCaptionId = 665;
    static constexpr std::uint32_t kProgressState = 4;

    static constexpr const char* kPropertyCoolSites = "add_cool_sites";
    static constexpr const char* kPropertyCategory = "category";
    static constexpr const char* kPropertySelected = "selected_scenario";

    CVXLDestinationChooserJob();
    ~CVXLDestinationChooserJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLDestinationChooserJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;

    CVXLLayoutDestinationMenu& layout() { return layout_; }
    const CVXLString& currentCategory() const { return currentId_; }
    std::uint32_t depth() const { return navigation_.count(); }

private:
    // A category above the shown one.
    struct Category : public CVXLObject {
        CVXLString id;
        CVXLString caption;
    };

    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Root(const CVXLEvent* event);
    CVXLHsmState Chooser(const CVXLEvent* event);
    CVXLHsmState Loading(const CVXLEvent* event);
    CVXLHsmState WaitCategory(const CVXLEvent* event);
    CVXLHsmState Registering(const CVXLEvent* event);
    CVXLHsmState RegWait(const CVXLEvent* event);
    CVXLHsmState RegProgress(const CVXLEvent* event);
    CVXLHsmState RegCancelled(const CVXLEvent* event);
    CVXLHsmState Browse(const CVXLEvent* event);
    CVXLHsmState Refreshing(const CVXLEvent* event);
    CVXLHsmState RefreshAborted(const CVXLEvent* event);
    CVXLHsmState RefreshFailed(const CVXLEvent* event);
    CVXLHsmState ErrorOut(const CVXLEvent* event);
    CVXLHsmState Closing(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    void requestCategory(const CVXLString& id, const CVXLString& caption);
    void showCategory(const CScenarioRequestEvent& reply);
    void storeCoolSites();
    void sendRegister();
    bool downloadStarted() const;
    void clearNavigation();
    // Takes the spinner or the progress display down.
    void stopChild();
    CVXLMenuItemElement* focused() const;
    CVXLHsmState finish(std::int32_t result);
    CVXLHsmState leaveAfterCancel(std::int32_t result);

    CVXLLayoutDestinationMenu layout_;
    CScenarioRequestEvent scenarioRequest_ {kReplyCategory};
    CVRAXJobRequest registerEvent_;
    CVXLSimpleEvent pollEvent_ {kTimerPoll};
    CVXLSimpleEvent loadTimer_ {kTimerLoad};
    // The categories above the shown one, the last the nearest.
    CVXLPtrArray navigation_;
    CVXLString currentId_;
    CVXLString currentCaption_;
    CVXLString rememberedId_;
    CVXLString selectedId_;
    std::uint32_t addCoolSites_ = 0;
    CVXLEventHandler* vraxJob_ = nullptr;
};
