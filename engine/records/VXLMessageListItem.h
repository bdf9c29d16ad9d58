#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"

#include <cstdint>

class CVXLMediaRef;

// One row of a message or thread list (element type 12): a name, an id, a
// count, two further values and up to two media references, for a thread
// the pictures of its newest message and of its newest stored one. The
// has-reference flags only ever go from 0 to 1.
class CVXLMessageListItem : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = kElementMessageListItem;

    CVXLMessageListItem() = default;
    CVXLMessageListItem(const CVXLMessageListItem&) = delete;
    CVXLMessageListItem& operator=(const CVXLMessageListItem&) = delete;
    ~CVXLMessageListItem() override = default;

    std::uint32_t elementType() const override { return kElementType; }
    bool isModified() const override { return false; }

    const CVXLString& name() const { return name_; }
    void setName(const char* text) { name_ = text ? text : ""; }
    void setName(const CVXLString& text) { name_ = text; }
    const CVXLString& id() const { return id_; }
    void setId(const CVXLString& id) { id_ = id; }
    std::int32_t count() const { return count_; }
    void setCount(std::int32_t count) { count_ = count; }
    std::uint32_t valueA() const { return valueA_; }
    void setValueA(std::uint32_t value) { valueA_ = value; }
    std::uint32_t valueB() const { return valueB_; }
    void setValueB(std::uint32_t value) { valueB_ = value; }

    // Shares the handle's object and sets the flag of that reference.
    void setFirstReference(const CVXLMediaRefHandle& handle);
    void setSecondReference(const CVXLMediaRefHandle& handle);
    bool hasFirstReference() const { return hasFirst_ != 0; }
    bool hasSecondReference() const { return hasSecond_ != 0; }
    CVXLMediaRef* firstReference() const { return first_.get(); }
    CVXLMediaRef* secondReference() const { return second_.get(); }

    // Takes the other's texts, numbers and first reference; its second
    // reference only when the other has one.
    void copyFrom(const CVXLMessageListItem& other);

private:
    CVXLString name_;
    std::uint8_t hasFirst_ = 0;
    std::uint8_t hasSecond_ = 0;
    std::int32_t count_ = 0;
    std::uint32_t valueA_ = 0;
    std::uint32_t valueB_ = 0;
    CVXLString id_;
    CVXLMediaRefHandle first_;
    CVXLMediaRefHandle second_;
};
