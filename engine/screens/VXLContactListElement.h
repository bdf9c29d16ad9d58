#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/jobs/VXLChangeCounter.h"
#include "engine/screens/VXLRangedElement.h"

#include <cstdint>

class CVXLAddressee;

// A list of recipients, owned: from one to 25 of them. Each addition and
// removal counts as a change until committed.
class CVXLContactListElement : public CVXLRangedElement {
public:
    static constexpr std::uint32_t kElementType = 5;
    static constexpr std::int32_t kMinimumEntries = 1;
    static constexpr std::int32_t kMaximumEntries = 25;

    CVXLContactListElement();
    CVXLContactListElement(const CVXLContactListElement& other);
    CVXLContactListElement& operator=(const CVXLContactListElement& other);
    ~CVXLContactListElement() override;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLContactListElement* asContactList() override
    {
        return elementType() == kElementType ? this : nullptr;
    }
    bool isModified() const override { return changes_.changed(); }
    void commit() override;

    // A new empty entry at the end; null when it cannot be kept.
    CVXLAddressee* addNew();
    // Unlinks and deletes the entry; false when it is none of the list's.
    bool remove(CVXLAddressee* entry);
    void clear();
    void removeAll() { clear(); }
    std::uint32_t count() const { return entries_.count(); }
    // Null past the end.
    CVXLAddressee* at(std::uint32_t index) const;
    std::int32_t changeCount() const { return changes_.changeCount(); }

private:
    void copyFrom(const CVXLContactListElement& other);

    CVXLPtrArray entries_;
    CVXLChangeCounter first_;
    CVXLChangeCounter changes_;
    std::uint8_t flags_[3] = {1, 1, 1};
};
