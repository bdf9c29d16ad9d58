#include "engine/media/VXLAlbum.h"

namespace {

constexpr std::uint32_t kLocationKindMask = 0xFFFF;
constexpr std::uint32_t kKindPhone = 1;
constexpr std::uint32_t kKindOnline = 4;

} // namespace

CVXLAlbum::CVXLAlbum(const CVXLString& name)
    : name_(name)
{
}

void CVXLAlbum::commit()
{
    CVXLElement::commit();
    name_.commit();
}

void CVXLAlbum::setName(const CVXLString& name, bool commitNow)
{
    name_.setText(name);
    if (commitNow)
        name_.commit();
}

std::int32_t CVXLAlbum::counter(std::uint32_t number) const
{
    return number >= 1 && number <= kCounters ? counters_[number - 1] : 0;
}

void CVXLAlbum::setCounter(std::uint32_t number, std::int32_t value)
{
    if (number >= 1 && number <= kCounters)
        counters_[number - 1] = value;
}

std::uint32_t CVXLAlbum::storageClass() const
{
    switch (location_ & kLocationKindMask) {
    case kKindPhone:
        return 0;
    case kKindOnline:
        return 2;
    default:
        return 1;
    }
}
