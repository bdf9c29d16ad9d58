#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/messaging/store/VXLAddressee.h"

#include <cstdint>

class CVXLMediaRef;
class CVXLStoredMessageRead;

// One message as the screens show it in lists and headers, filled on demand
// from the "X-QV-" summary headers of a stored message (fill) or by the
// outbound queue from a queued entry. Never stored.
class CVXLMessageSummary : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = 11;
    static constexpr std::uint32_t kExpiresSoonSeconds = 259200;
    static constexpr std::int32_t kOriginStored = 5;

    enum Priority : std::int32_t { kLow = 0, kNormal = 1, kHigh = 2 };
    enum BoxType : std::uint32_t { kReceived = 1, kSent = 2 };
    enum AlertStatus : std::int32_t {
        kAlertNone = 0,
        kAlertAudible = 1,
        kAlertVisible = 2,
        kAlertNotGiven = 3
    };

    CVXLMessageSummary() = default;
    CVXLMessageSummary(const CVXLMessageSummary&) = delete;
    CVXLMessageSummary& operator=(const CVXLMessageSummary&) = delete;
    ~CVXLMessageSummary() override;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLMessageSummary* asMessageSummary() override { return elementType() == kElementType ? this : nullptr; }

    // Fills the record from a read of segments 0 to 3 (and the content
    // segment, when the read delivered one); nowSeconds is the engine clock.
    void fill(const CVXLStoredMessageRead& read, std::uint32_t nowSeconds);
    // A stored message's expiry in engine seconds, 0 for none: a non-zero
    // "X-QV-Expires" (name in any case), else X-Mms-Expiry, a relative one
    // counted from X-QV-Received-Time.
    static std::uint32_t expiryOf(const CVXLHeaderMap& summary);

    void addTo(std::int32_t kind, const CVXLString& address, const CVXLString& displayName);
    void addCc(std::int32_t kind, const CVXLString& address, const CVXLString& displayName);
    std::uint32_t toCount() const { return to_.count(); }
    std::uint32_t ccCount() const { return cc_.count(); }
    // Null at or past the count.
    const CVXLAddressee* toAt(int index) const { return static_cast<const CVXLAddressee*>(to_.at(index)); }
    const CVXLAddressee* ccAt(int index) const { return static_cast<const CVXLAddressee*>(cc_.at(index)); }
    void clearAddressees();
    // Received: the from address; sent: the to text up to its first ",".
    CVXLString getDisplayAddress() const;
    // "none", "audible", "visible"; anything else is 3.
    void setAlertStatus(const char* text);

    const CVXLString& toText() const { return toText_; }
    // The outbound queue's entries carry their recipients as one text.
    void setToText(const CVXLString& text) { toText_ = text; }
    const CVXLString& ccText() const { return ccText_; }
    void setCcText(const CVXLString& text) { ccText_ = text; }
    const CVXLString& fromAddress() const { return fromAddress_; }
    void setFromAddress(const CVXLString& address);
    const CVXLString& fromName() const { return fromName_; }
    // The reply-to address (the record's spare text; its filling leaves it).
    const CVXLString& replyTo() const { return spareText_; }
    void setReplyTo(const CVXLString& address) { spareText_ = address; }
    const CVXLString& subject() const { return subject_; }
    void setSubject(const CVXLString& subject) { subject_ = subject; }

    std::uint32_t receivedTime() const { return receivedTime_; }
    void setReceivedTime(std::uint32_t seconds) { receivedTime_ = seconds; }
    std::uint32_t sentTime() const { return sentTime_; }
    void setSentTime(std::uint32_t seconds) { sentTime_ = seconds; }
    std::uint32_t expiryTime() const { return expiryTime_; }
    void setExpiryTime(std::uint32_t seconds) { expiryTime_ = seconds; }
    std::int32_t priority() const { return priority_; }
    void setPriority(std::int32_t priority) { priority_ = priority; }
    std::uint32_t getBoxType() const { return boxType_; }
    void setBoxType(std::uint32_t boxType) { boxType_ = boxType; }
    std::int32_t alertStatus() const { return alertStatus_; }
    std::int32_t outboundState() const { return outboundState_; }
    void setOutboundState(std::int32_t state) { outboundState_ = state; }
    std::int32_t outboundValue() const { return outboundValue_; }
    void setOutboundValue(std::int32_t value) { outboundValue_ = value; }
    std::int32_t origin() const { return origin_; }

    // Shares the handle.
    void setMediaRef(const CVXLMediaRefHandle& handle) { mediaRef_ = handle; }
    CVXLMediaRef* mediaRef() const { return mediaRef_.get(); }

    std::uint32_t getTotalMediaParts() const { return totalMediaParts_; }
    void setTotalMediaParts(std::uint32_t count) { totalMediaParts_ = count; }
    std::int32_t imageCount() const { return imageCount_; }
    void setImageCount(std::int32_t count) { imageCount_ = count; }
    std::int32_t pictureAndVideoCount() const { return imageCount_ + videoCount_; }
    std::int32_t videoCount() const { return videoCount_; }
    void setVideoCount(std::int32_t count) { videoCount_ = count; }
    std::int32_t audioCount() const { return audioCount_; }
    void setAudioCount(std::int32_t count) { audioCount_ = count; }
    std::int32_t textCount() const { return textCount_; }
    void setTextCount(std::int32_t count) { textCount_ = count; }
    std::int32_t voiceMemoCount() const { return voiceMemoCount_; }
    void setVoiceMemoCount(std::int32_t count) { voiceMemoCount_ = count; }
    std::int32_t hasText() const { return hasText_; }
    // The memo count when non-zero, else 1 for a non-empty summary, else 0.
    void setHasText(std::int32_t textMemoCount, const CVXLString& textSummary);
    const CVXLString& textSummary() const { return textSummary_; }
    void setTextSummary(const CVXLString& text) { textSummary_ = text; }

    bool expiresSoon() const { return expiresSoon_ != 0; }
    void setExpiresSoon(bool soon) { expiresSoon_ = soon ? 1 : 0; }
    bool isRead() const { return read_ != 0; }
    void setRead(bool read) { read_ = read ? 1 : 0; }
    CVXLString messageId() const { return messageId_; }
    // Names the queued entry that the outbound queue's refresh fills it from.
    void setMessageId(const CVXLString& id) { messageId_ = id; }
    bool forwardLocked() const { return forwardLocked_ != 0; }
    void setForwardLocked(bool locked) { forwardLocked_ = locked ? 1 : 0; }
    bool saveLocked() const { return saveLocked_ != 0; }
    void setSaveLocked(bool locked) { saveLocked_ = locked ? 1 : 0; }
    std::int32_t forwardLockedCount() const { return forwardLockedCount_; }
    void setForwardLockedCount(std::int32_t count) { forwardLockedCount_ = count; }
    std::int32_t saveLockedCount() const { return saveLockedCount_; }
    void setSaveLockedCount(std::int32_t count) { saveLockedCount_ = count; }
    CVXLString chargeText() const { return chargeText_; }
    void setChargeText(const CVXLString& text);
    bool hasChargeText() const { return hasChargeText_ != 0; }
    bool severalAddressees() const { return severalAddressees_ != 0; }

    // Set by a list screen on the message it is about to delete.
    bool markedForDeletion() const { return deletionMark_ != 0; }
    void setMarkedForDeletion(bool marked) { deletionMark_ = marked ? 1 : 0; }

    void* screenSlotA() const { return screenSlotA_; }
    void setScreenSlotA(void* slot) { screenSlotA_ = slot; }
    void* screenSlotB() const { return screenSlotB_; }
    void setScreenSlotB(void* slot) { screenSlotB_ = slot; }

private:
    void addEntry(CVXLPtrArray& list, CVXLString& text, std::int32_t kind, const CVXLString& address,
        const CVXLString& displayName);
    void addList(const CVXLString& value, bool cc);

    CVXLString toText_;
    CVXLString ccText_;
    CVXLString fromAddress_;
    CVXLString fromName_;
    CVXLString spareText_;
    CVXLString subject_;
    std::uint32_t receivedTime_ = 0;
    std::uint32_t sentTime_ = 0;
    std::uint32_t expiryTime_ = 0;
    std::int32_t priority_ = kLow;
    std::uint32_t boxType_ = 0;
    std::int32_t alertStatus_ = kAlertNotGiven;
    std::int32_t outboundState_ = 0;
    CVXLMediaRefHandle mediaRef_;
    std::int32_t origin_ = 0;
    std::uint32_t totalMediaParts_ = 0;
    std::int32_t imageCount_ = 0;
    std::int32_t videoCount_ = 0;
    std::int32_t audioCount_ = 0;
    std::int32_t textCount_ = 0;
    std::int32_t hasText_ = 0;
    CVXLString textSummary_;
    std::int32_t voiceMemoCount_ = 0;
    std::int32_t outboundValue_ = 0;
    std::uint8_t expiresSoon_ = 0;
    std::uint8_t read_ = 0;
    CVXLString messageId_;
    std::uint8_t forwardLocked_ = 0;
    std::uint8_t saveLocked_ = 0;
    std::int32_t forwardLockedCount_ = 0;
    std::int32_t saveLockedCount_ = 0;
    CVXLPtrArray to_;
    CVXLPtrArray cc_;
    CVXLString chargeText_;
    std::uint8_t hasChargeText_ = 0;
    std::uint8_t severalAddressees_ = 0;
    std::uint8_t deletionMark_ = 0;
    void* screenSlotA_ = nullptr;
    void* screenSlotB_ = nullptr;
};
