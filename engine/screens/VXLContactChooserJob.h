#pragma once

#include "engine/screens/VXLHandOverJob.h"
#include "engine/screens/VXLLayoutContactChooser.h"

#include <cstdint>

// UI job 4: the contact chooser over the global recipient list; Continue
// gives 10, Back 8, Exit 9. With "has_contact_flag" 1 the recipients are
// known already and the job gives 10 without a screen. Resumed by the program
// (event 12), the screen comes back: shown anew after a result took it down,
// else sent again.
class CVXLContactChooserJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 4;
    static constexpr const char* kPropertyHasContact = "has_contact_flag";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLContactChooserJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;

protected:
    void onStart() override;
    void onSignal(std::int32_t signal) override;

private:
    void showAgain();

    CVXLLayoutContactChooser layout_;
    bool showAgain_ = true;
};
