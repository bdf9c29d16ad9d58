#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLTrackedText.h"

#include <cstdint>

// The engine's record of one album (a media folder in the phone, on the
// memory card or online): a name that remembers its committed value, an
// identifier, six counters filled by the album code, one further integer and
// a packed media location.
class CVXLAlbum : public CVXLElement {
public:
    static constexpr std::uint32_t kCounters = 6;

    explicit CVXLAlbum(const CVXLString& name = CVXLString());
    CVXLAlbum(const CVXLAlbum& other) = default;
    CVXLAlbum& operator=(const CVXLAlbum& other) = default;
    ~CVXLAlbum() override = default;

    std::uint32_t elementType() const override { return kElementAlbum; }
    CVXLAlbum* asType0() override { return elementType() == kElementAlbum ? this : nullptr; }
    int accept() override { return 1; }
    bool isModified() const override { return name_.isModified(); }
    // Sets the commit mark and commits the name.
    void commit() override;

    const CVXLString& name() const { return name_.text(); }
    void setName(const CVXLString& name, bool commitNow);
    const CVXLString& committedName() const { return name_.committedText(); }

    // Counters are numbered 1 to 6; other numbers read 0 and are not stored.
    std::int32_t counter(std::uint32_t number) const;
    void setCounter(std::uint32_t number, std::int32_t value);

    std::uint32_t location() const { return location_; }
    void setLocation(std::uint32_t packedLocation) { location_ = packedLocation; }
    // 0 for the phone (location kind 1), 2 for online albums (kind 4), 1 otherwise.
    std::uint32_t storageClass() const;

    const CVXLString& identifier() const { return identifier_; }
    void setIdentifier(const CVXLString& identifier) { identifier_ = identifier; }
    std::int32_t extra() const { return extra_; }
    void setExtra(std::int32_t value) { extra_ = value; }

private:
    std::int32_t counters_[kCounters] = {};
    CVXLTrackedText name_;
    CVXLString identifier_;
    std::int32_t extra_ = 0;
    std::uint32_t location_ = 0;
};
