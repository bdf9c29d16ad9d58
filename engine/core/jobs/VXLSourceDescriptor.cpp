#include "engine/core/jobs/VXLSourceDescriptor.h"

CVXLSourceDescriptor::CVXLSourceDescriptor(CVXLCallbackListener* owner)
    : owner_(owner)
{
}

CVXLSourceDescriptor::~CVXLSourceDescriptor()
{
    clearEntries();
}

void CVXLSourceDescriptor::setText(int field, const CVXLString& text)
{
    if (field >= 1 && field <= kTextFields)
        texts_[field - 1] = text;
}

void CVXLSourceDescriptor::setInteger(int field, std::int32_t value)
{
    if (field >= 1 && field <= kIntegerFields)
        integers_[field - 1] = value;
}

void CVXLSourceDescriptor::setIntegers4And3(std::int32_t field4, std::int32_t field3)
{
    setInteger(4, field4);
    setInteger(3, field3);
}

void CVXLSourceDescriptor::setIntegers1And2(std::int32_t field1, std::int32_t field2)
{
    setInteger(1, field1);
    setInteger(2, field2);
}

void CVXLSourceDescriptor::addEntry(const CVXLString& text)
{
    appendCopy(text);
}

void CVXLSourceDescriptor::appendCopy(const CVXLString& text)
{
    auto* copy = new CVXLString(text);
    if (copy && !entries_.append(copy))
        delete copy;
}

void CVXLSourceDescriptor::done(std::int32_t status)
{
    done_ = true;
    if (owner_)
        owner_->onCallback(status, 1);
}

CVXLString CVXLSourceDescriptor::text(int field) const
{
    return field >= 1 && field <= kTextFields ? texts_[field - 1] : CVXLString();
}

std::int32_t CVXLSourceDescriptor::integer(int field) const
{
    return field >= 1 && field <= kIntegerFields ? integers_[field - 1] : 0;
}

void CVXLSourceDescriptor::clearEntries()
{
    for (CVXLList::Node* node = entries_.head(); node; node = node->next)
        delete node->object;
    entries_.clear();
}
