#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/jobs/VXLChangeCounter.h"
#include "engine/media/VXLMediaRefHandle.h"

#include <cstdint>

// One medium of the shown slide, as the user interface reads it (element
// type 10): four tracked values, the medium's reference and, for a video, a
// picture reference for its preview, and whether the medium may be saved or
// assigned. Saving locked locks assigning too.
class CVXLSlideMediaItem : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = kElementSlideMediaItem;
    static constexpr std::uint32_t kValueCount = 4;

    std::uint32_t elementType() const override { return kElementType; }
    bool isModified() const override { return changed(); }
    void commit() override;

    void setValues(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);
    std::int32_t value(std::uint32_t index) const
    {
        return index < kValueCount ? values_[index].changeCount() : 0;
    }
    // Keeps the reference; a video's also gets a JPEG preview reference.
    void setMedium(const CVXLMediaRefHandle& medium);
    const CVXLMediaRefHandle& medium() const { return medium_; }
    const CVXLMediaRefHandle& preview() const { return preview_; }
    void setSaveLocked(bool locked);
    void setAssignLocked(bool locked);
    bool saveLocked() const { return saveLocked_ != 0; }
    bool assignLocked() const { return assignLocked_ != 0; }
    // Any of the values or the medium changed since the last commit.
    bool changed() const;

private:
    CVXLChangeCounter values_[kValueCount];
    CVXLChangeCounter changes_;
    CVXLMediaRefHandle medium_;
    CVXLMediaRefHandle preview_;
    std::uint8_t saveLocked_ = 0;
    std::uint8_t assignLocked_ = 0;
};
