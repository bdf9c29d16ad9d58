#pragma once

#include "engine/screens/VXLLayoutProgressBar.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// UI job 44: a progress bar (state 2) that the job's owner ends; the keys of
// the screen change nothing. The bar is taken down when the job ends.
class CVXLProgressBarJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 44;
    static constexpr std::int32_t kFirstExternalCode = 120;
    static constexpr std::uint32_t kLayoutState = 2;

    CVXLProgressBarJob();

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLProgressBarJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Showing(const CVXLEvent* event);

    CVXLLayoutProgressBar layout_;
};
