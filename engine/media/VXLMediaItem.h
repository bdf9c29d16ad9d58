#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/media/VXLTrackedText.h"

#include <cstdint>

class CVXLEventHandler;

// What the media reference's user value, the online uid and the identity
// say about one item, for the screens and the upload requests.
struct CVXLMediaDescriptor {
    std::int32_t value = 0;
    CVXLString uid;
    CVXLString id;

    void set(std::int32_t newValue, const CVXLString& newUid, const CVXLString& newId)
    {
        value = newValue;
        uid = newUid;
        id = newId;
    }
};

// One picture, video or sound as the screens and the media managers know it
// (element type 8): its names, what the camera and the service said about
// it, its flags, the uploads still pending for it and its media reference.
// The location, the name and one further text are tracked: the item counts
// as changed while one of them differs from its committed value.
class CVXLMediaItem : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 8;

    CVXLMediaItem() = default;
    ~CVXLMediaItem() override = default;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLMediaItem* asMediaItem() override { return elementType() == kElementType ? this : nullptr; }
    bool isModified() const override;
    void commit() override;

    const CVXLString& id() const { return id_; }
    void setId(const CVXLString& id) { id_ = id; }
    const CVXLString& uid() const { return uid_; }
    void setUid(const CVXLString& uid) { uid_ = uid; }
    const CVXLString& title() const { return title_; }
    void setTitle(const CVXLString& title) { title_ = title; }
    const CVXLString& location() const { return location_.text(); }
    void setLocation(const CVXLString& location) { location_.setText(location); }
    const CVXLString& name() const { return name_.text(); }
    void setName(const CVXLString& name) { name_.setText(name); }
    const CVXLString& trackedText() const { return trackedText_.text(); }
    void setTrackedText(const CVXLString& text) { trackedText_.setText(text); }
    const CVXLString& infoText() const { return infoText_; }
    void setInfoText(const CVXLString& text) { infoText_ = text; }

    // 1, 2, 3 for 90, 180, 270 degrees; 0 for none.
    std::int32_t orientation() const { return orientation_; }
    void setOrientation(std::int32_t code) { orientation_ = code; }
    std::int32_t captureTime() const { return captureTime_; }
    void setCaptureTime(std::int32_t seconds) { captureTime_ = seconds; }
    std::int32_t uploadTime() const { return uploadTime_; }
    void setUploadTime(std::int32_t seconds) { uploadTime_ = seconds; }
    std::int32_t latitude() const { return latitude_; }
    void setLatitude(std::int32_t value) { latitude_ = value; }
    std::int32_t longitude() const { return longitude_; }
    void setLongitude(std::int32_t value) { longitude_ = value; }
    // -1 until known.
    std::int32_t width() const { return width_; }
    void setWidth(std::int32_t value) { width_ = value; }
    std::int32_t height() const { return height_; }
    void setHeight(std::int32_t value) { height_ = value; }
    std::int32_t size() const { return size_; }
    void setSize(std::int32_t bytes) { size_ = bytes; }

    bool isImage() const { return isImage_; }
    // An image is an item whose MIME type begins with "image/".
    void setIsImage(const char* mimeType);
    bool online() const { return online_; }
    void setOnline(bool flag) { online_ = flag; }
    bool thirdFlag() const { return thirdFlag_; }
    void setThirdFlag(bool flag) { thirdFlag_ = flag; }
    bool fourthFlag() const { return fourthFlag_; }
    void setFourthFlag(bool flag) { fourthFlag_ = flag; }
    bool firstAuxFlag() const { return firstAuxFlag_; }
    void setFirstAuxFlag(bool flag) { firstAuxFlag_ = flag; }
    bool secondAuxFlag() const { return secondAuxFlag_; }
    void setSecondAuxFlag(bool flag) { secondAuxFlag_ = flag; }

    // A part of a received message under DRM, and whether it may be saved.
    bool drmProtected() const { return drmProtected_; }
    void setDrmProtected(bool flag) { drmProtected_ = flag; }
    bool saveLocked() const { return saveLocked_; }
    void setSaveLocked(bool flag) { saveLocked_ = flag; }

    CVXLEventHandler* owner() const { return owner_; }
    void setOwner(CVXLEventHandler* owner) { owner_ = owner; }
    const CVXLMediaRefHandle& mediaRef() const { return mediaRef_; }
    CVXLMediaRefHandle& mediaRef() { return mediaRef_; }
    void setMediaRef(const CVXLMediaRefHandle& handle) { mediaRef_ = handle; }

    // Uploads still pending for the item; never below 0.
    bool hasPendingCount() const { return pending_ != 0; }
    std::int32_t pendingCount() const { return pending_; }
    void bumpCounter() { ++pending_; }
    void decCounter();
    void clearCounter() { pending_ = 0; }
    void setPendingCount(std::int32_t count) { pending_ = count < 0 ? 0 : count; }

    // The media reference's user value (0 without one), uid and identity.
    CVXLMediaDescriptor descriptor() const;
    // Takes every value of an item with the same identity; false, and
    // nothing taken, for another identity.
    bool updateFrom(const CVXLMediaItem& other);

private:
    CVXLString id_;
    CVXLString uid_;
    CVXLString title_;
    CVXLTrackedText location_;
    CVXLTrackedText name_;
    CVXLTrackedText trackedText_;
    CVXLString infoText_;
    std::int32_t orientation_ = 0;
    std::int32_t captureTime_ = 0;
    std::int32_t uploadTime_ = 0;
    std::int32_t latitude_ = 0;
    std::int32_t longitude_ = 0;
    std::int32_t width_ = -1;
    std::int32_t height_ = -1;
    std::int32_t size_ = 0;
    bool isImage_ = false;
    bool online_ = false;
    bool thirdFlag_ = false;
    bool fourthFlag_ = false;
    bool firstAuxFlag_ = false;
    bool secondAuxFlag_ = false;
    bool drmProtected_ = false;
    bool saveLocked_ = false;
    CVXLEventHandler* owner_ = nullptr;
    CVXLMediaRefHandle mediaRef_;
    std::int32_t pending_ = 0;
};
