#pragma once

#include "engine/screens/VXLHandOverJob.h"
#include "engine/screens/VXLLayoutAudio.h"

#include <cstdint>

// UI job 2: the audio item given in "audio_ref" on the audio screen; Ok
// gives 10, Back 8, Exit 9.
class CVXLAudioJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 2;
    static constexpr const char* kPropertyAudio = "audio_ref";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLAudioJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;
    CVXLLayoutAudio& layout() { return layout_; }

protected:
    void onStart() override;

private:
    CVXLLayoutAudio layout_;
};
