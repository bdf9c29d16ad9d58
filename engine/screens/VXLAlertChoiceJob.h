#pragma once

#include "engine/screens/VXLHandOverJob.h"
#include "engine/screens/VXLLayoutChoiceSelection.h"

#include <cstdint>

class CVRAXPromptEvent;

// UI job 3: the service's info alert ("ia_event", a list-choice prompt of the
// service protocol job) as a choice-selection screen: its message as the
// title, its time-out, one row per choice. Continue answers the alert with
// the selected choice's text (10); Back and Cancel (8) and Exit (9) mark it
// failed. An alert with no choices and no time-out is answered at once, with
// an empty text, and gives 10 without a screen.
class CVXLAlertChoiceJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 3;
    static constexpr const char* kPropertyAlert = "ia_event";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLAlertChoiceJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;

    CVXLLayoutChoiceSelection& layout() { return layout_; }

protected:
    void onStart() override;

private:
    void answer(bool succeeded, const CVXLString& text, std::int32_t result);

    CVXLLayoutChoiceSelection layout_;
    CVRAXPromptEvent* alert_ = nullptr;
};
