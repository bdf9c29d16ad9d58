#pragma once

#include "engine/core/jobs/VXLChangeCounter.h"
#include "engine/screens/VXLRangedElement.h"

#include <cstdint>

// The audio annotation field: the recorded audio object, held until the
// layout takes it, and a counter of the recordings given to it.
class CVXLAudioElement : public CVXLRangedElement {
public:
    static constexpr std::uint32_t kElementType = kElementAudio;

    CVXLAudioElement() = default;
    CVXLAudioElement(std::int32_t minimum, std::int32_t maximum)
        : CVXLRangedElement(minimum, maximum)
    {
    }
    CVXLAudioElement(const CVXLAudioElement&) = delete;
    CVXLAudioElement& operator=(const CVXLAudioElement&) = delete;
    // Deletes an audio object nobody took.
    ~CVXLAudioElement() override;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLAudioElement* asAudio() override { return elementType() == kElementType ? this : nullptr; }
    bool isModified() const override { return counter_.changed(); }
    void commit() override;

    // Holds the audio object (deleting one held before) and counts a change;
    // returns 1.
    int setAudio(CVXLObject* audio);
    CVXLObject* audio() const { return audio_; }
    // Hands the audio object over: the caller owns it, the element is empty.
    CVXLObject* takeAudio();
    const CVXLChangeCounter& counter() const { return counter_; }

private:
    CVXLObject* audio_ = nullptr;
    CVXLChangeCounter counter_;
};
