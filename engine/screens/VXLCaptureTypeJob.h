#pragma once

#include "engine/screens/VXLLayoutCaptureChoice.h"
#include "engine/screens/VXLScreenJob17.h"

#include <cstdint>

// UI job 16: the capture choice ("Capture Media"); Back gives 8, Exit 9,
// and Update or Next hands the captured media to the Media Access Manager
// as job 17 does, then gives 10. A file the manager refuses shows its error;
// once that is answered the choice shows again. "capture_type" is read and
// kept; it decides nothing here.
class CVXLCaptureTypeJob : public CVXLScreenJob17 {
public:
    static constexpr int kTypeId = 16;
    static constexpr const char* kPropertyCaptureType = "capture_type";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLCaptureTypeJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;

    CVXLLayoutCaptureChoice& layout() { return layout_; }
    std::int32_t captureType() const { return captureType_; }

protected:
    void onStart() override;
    void onSignal(std::int32_t signal) override;
    void handedOver() override;

private:
    CVXLLayoutCaptureChoice layout_;
    std::int32_t captureType_ = 0;
    // A hand-over runs: Update and Next wait for it.
    bool handingOver_ = false;
};
