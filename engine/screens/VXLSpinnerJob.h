#pragma once

#include "engine/screens/VXLLayoutProgressSpinner.h"
#include "engine/screens/VXLScreenJob.h"

// The "Please Wait..." screen (type 43). The user's Back, Cancel or Exit goes
// to the parent (19, 20, 21) and the screen stays: the parent decides. Event
// 10 from the parent or the program takes the screen down, answers 10 and
// ends the job.
class CVXLSpinnerJob : public CVXLScreenJob {
public:
    static constexpr int kTypeId = 43;
    static constexpr std::int32_t kSignalDone = 10;

    CVXLSpinnerJob() = default;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLSpinnerJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onLayoutAction(std::uint32_t eventId) override;

    void setLayoutState(std::uint32_t state) { layout_.setState(state); }
    const CVXLLayoutProgressSpinner& layout() const { return layout_; }

protected:
    int filterEvent(CVXLEvent* event) override;

private:
    CVXLLayoutProgressSpinner layout_;
};
