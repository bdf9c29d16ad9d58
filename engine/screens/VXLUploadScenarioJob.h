#pragma once

#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The destination launcher (UI job 46), "Upload Destination": "Upload" when
// "bUploads" is 1, one entry per cool site, and "Add Cool Site" last.
// Upload gives 62, Add Cool Site 65; a cool site names its scenario in
// "szScenario", whose definition the Scenario Manager fills (a spinner
// meanwhile) and which goes to the program in "pScenario" with 66.
class CVXLUploadScenarioJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 46;
    static constexpr std::int32_t kFirstExternalCode = 122;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalKeyExit = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalSelect = 119;
    static constexpr std::int32_t kReplyScenario = 122;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndUpload = 62;
    static constexpr std::int32_t kEndAddCoolSite = 65;
    static constexpr std::int32_t kEndScenario = 66;

    // The entries' values: a cool site's is 0.
    static constexpr std::int32_t kValueUpload = 12;
    static constexpr std::int32_t kValueAddCoolSite = 15;

    static constexpr const char* kPropertyUploads = "bUploads";
    static constexpr const char* kPropertyScenarioId = "szScenario";
    static constexpr const char* kPropertyScenario = "pScenario";

    CVXLUploadScenarioJob();
    ~CVXLUploadScenarioJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLUploadScenarioJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;

    CVXLLayoutMenuList& layout() { return layout_; }
    const CScenarioLayout& scenario() const { return scenario_; }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Listing(const CVXLEvent* event);
    CVXLHsmState LoadingScenario(const CVXLEvent* event);
    // The scenario could not be had: its error is up.
    CVXLHsmState Failed(const CVXLEvent* event);
    CVXLHsmState Idle(const CVXLEvent* event);

    void build();
    void stopSpinner();
    CVXLHsmState finish(std::int32_t result);
    // Exit: no result when the owner is stopping the job anyway.
    CVXLHsmState leave();

    CVXLLayoutMenuList layout_;
    CScenarioLayout scenario_;
    CScenarioResultEvent scenarioRequest_ {kReplyScenario};
    bool uploads_ = false;
};
