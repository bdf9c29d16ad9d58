#pragma once

#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLLayout.h"

// The audio screen (type 1) of the assign-audio flow: one audio item with Ok,
// Back and Exit as hard keys. Its event ids carry 0x87 in the upper half,
// not the layout type, and the audio job tests exactly those ids. The phone
// builds no window for it.
class CVXLLayoutAudio : public CVXLLayout {
public:
    static constexpr std::uint32_t kEventPrefix = 0x87;
    static constexpr std::uint32_t kEventOk = kEventPrefix << 16 | kLayoutActionContinue;
    static constexpr std::uint32_t kEventBack = kEventPrefix << 16 | kLayoutActionBack;
    static constexpr std::uint32_t kEventExit = kEventPrefix << 16 | kLayoutActionExit;

    CVXLLayoutAudio();

    // "Assign Audio" in every state.
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    // Shares the audio item.
    void setMedia(const CVXLMediaRefHandle& media) { media_ = media; }
    const CVXLMediaRefHandle& media() const { return media_; }

private:
    CVXLMediaRefHandle media_;
};
