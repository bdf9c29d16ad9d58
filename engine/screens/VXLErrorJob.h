#pragma once

#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLScreenJob.h"

// The error notice (type 7) that a UI job shows for a result code: the error
// screen explains the code, and the user's key goes to the parent as 18 (Ok),
// 19 (Back), 20 (Cancel) or 21 (Exit). Every code shows its screen.
class CVXLErrorJob : public CVXLScreenJob {
public:
    static constexpr int kTypeId = 7;

    CVXLErrorJob() = default;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLErrorJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onLayoutAction(std::uint32_t eventId) override;

    void setErrorCode(std::uint32_t code) { layout_.setErrorCode(code); }
    // The code's screen with the text in place of the table's message.
    void setErrorCode(std::uint32_t code, const CVXLString& text);
    const CVXLLayoutError& layout() const { return layout_; }

private:
    CVXLLayoutError layout_;
};
