#pragma once

#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/screens/VXLHandOverJob.h"
#include "engine/screens/VXLLayoutMessageComposer.h"

#include <cstdint>

class CVRAXPromptEvent;

// UI job 40: asks for the service password on a composer screen of its own
// (a title and one masked field "pass" of 1 to 32 characters). Continue with
// a password stores it as the text of "password_event" (the service protocol
// job's prompt) and gives 10; an empty one is refused with the field's error
// notice and the screen stays. Back (8) and Exit (9) cancel the prompt.
class CVXLPasswordJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 40;
    static constexpr const char* kPropertyEvent = "password_event";
    static constexpr const char* kPassField = "pass";
    static constexpr std::uint32_t kNoticeFieldText = 7;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLPasswordJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;

    CVXLLayoutMessageComposer& layout() { return layout_; }

protected:
    void onStart() override;
    void onSignal(std::int32_t signal) override;

private:
    void buildRecord();
    CScenarioField* passField() const;
    void end(std::int32_t result);

    CVXLLayoutMessageComposer layout_;
    CScenarioLayout record_;
    bool built_ = false;
    bool refused_ = false;
    CVRAXPromptEvent* event_ = nullptr;
};
