#include "engine/screens/VXLContactListElement.h"

#include "engine/messaging/store/VXLAddressee.h"

#include <climits>

CVXLContactListElement::CVXLContactListElement()
    : CVXLRangedElement(kMinimumEntries, kMaximumEntries)
{
}

CVXLContactListElement::CVXLContactListElement(const CVXLContactListElement& other)
    : CVXLRangedElement(other)
{
    copyFrom(other);
}

CVXLContactListElement& CVXLContactListElement::operator=(const CVXLContactListElement& other)
{
    if (this != &other) {
        CVXLRangedElement::operator=(other);
        copyFrom(other);
    }
    return *this;
}

CVXLContactListElement::~CVXLContactListElement()
{
    clear();
}

void CVXLContactListElement::copyFrom(const CVXLContactListElement& other)
{
    clear();
    for (std::uint32_t i = 0; i < other.count(); ++i) {
        auto* copy = new CVXLAddressee(*other.at(i));
        if (copy && entries_.insertAt(copy, -1) == 0)
            delete copy;
    }
    first_ = other.first_;
    changes_ = other.changes_;
    for (int i = 0; i < 3; ++i)
        flags_[i] = other.flags_[i];
}

void CVXLContactListElement::commit()
{
    CVXLElement::commit();
    changes_.commit();
}

CVXLAddressee* CVXLContactListElement::addNew()
{
    auto* entry = new CVXLAddressee;
    if (!entry)
        return nullptr;
    if (entries_.insertAt(entry, -1) == 0) {
        delete entry;
        return nullptr;
    }
    changes_.increase();
    return entry;
}

bool CVXLContactListElement::remove(CVXLAddressee* entry)
{
    const int index = entries_.indexOf(entry);
    if (index < 0)
        return false;
    entries_.removeAt(index);
    delete entry;
    changes_.increase();
    return true;
}

void CVXLContactListElement::clear()
{
    entries_.deleteAll();
}

CVXLAddressee* CVXLContactListElement::at(std::uint32_t index) const
{
    if (index >= entries_.count() || index > INT_MAX)
        return nullptr;
    return static_cast<CVXLAddressee*>(entries_.at(static_cast<int>(index)));
}
