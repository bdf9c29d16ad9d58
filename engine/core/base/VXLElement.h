#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

class CVXLAlbum;
class CVXLAudioElement;
class CVXLContactListElement;
class CVXLDisplayTextElement;
class CVXLFieldElement;
class CVXLMediaItem;
class CVXLMediaItemElement;
class CVXLMediaListElement;
class CVXLMessageSummary;
class CVXLUserInputTextElement;

// The element type codes (4, 13 and 14 are not used).
enum CVXLElementType : std::uint32_t {
    kElementAlbum = 0,
    kElementAudio = 1,
    kElementChoice = 2,
    kElementField = 3,
    kElementContactList = 5,
    kElementRecord = 6,
    kElementMediaList = 7,
    kElementMediaItem = 8,
    kElementEditText = 9,
    kElementSlideMediaItem = 10,
    kElementMessageSummary = 11,
    kElementMessageListItem = 12,
    kElementDisplayText = 15,
    kElementRanged = 16,
    kElementUserInputText = 17,
};

// Base of the engine-side elements of a screen (the models behind widgets and
// the records passed around like them).
class CVXLElement : public CVXLObject {
public:
    CVXLElement() = default;
    CVXLElement(const CVXLElement& other) = default;
    CVXLElement& operator=(const CVXLElement& other) = default;
    ~CVXLElement() override = default;

    virtual std::uint32_t elementType() const = 0;
    virtual int accept() { return 1; }
    virtual bool isModified() const { return false; }
    // Marks the element as committed.
    virtual void commit() { commitMark_ = 1; }

    std::uint8_t commitMark() const { return commitMark_; }
    // A list clears or sets it on all its items at once (its valid flag).
    void setCommitMark(std::uint8_t mark) { commitMark_ = mark; }
    // The absolute list index a windowed list selected the element at.
    std::int32_t indexWord() const { return indexWord_; }
    void setIndexWord(std::int32_t index) { indexWord_ = index; }

    // The layout or job the element belongs to; null until one takes it.
    CVXLObject* elementOwner() const { return owner_; }
    void setElementOwner(CVXLObject* owner) { owner_ = owner; }

    // Casts by type code: the element itself when its code is the cast's,
    // otherwise null. Each element class answers its own.
    virtual CVXLAlbum* asType0() { return nullptr; }
    virtual CVXLAudioElement* asAudio() { return nullptr; }
    virtual CVXLFieldElement* asReference() { return nullptr; }
    virtual CVXLContactListElement* asContactList() { return nullptr; }
    virtual CVXLMediaItemElement* asType6() { return nullptr; }
    virtual CVXLMediaListElement* asMediaList() { return nullptr; }
    virtual CVXLMediaItem* asMediaItem() { return nullptr; }
    virtual CVXLMessageSummary* asMessageSummary() { return nullptr; }
    virtual CVXLDisplayTextElement* asDisplayText() { return nullptr; }
    virtual CVXLUserInputTextElement* asUserInputText() { return nullptr; }

private:
    CVXLObject* owner_ = nullptr;
    std::int32_t indexWord_ = 0;
    std::uint8_t commitMark_ = 0;
};
