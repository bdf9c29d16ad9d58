#include "engine/media/VXLMediaIdentity.h"

bool CVXLMediaIdentity::save(CVXLByteStream& out) const
{
    return out.writeUInt32(static_cast<std::uint32_t>(number_)) && out.writeString(second_)
        && out.writeString(first_);
}

bool CVXLMediaIdentity::load(CVXLByteStream& in)
{
    const auto number = static_cast<std::int32_t>(in.readUInt32());
    CVXLString second = in.readString();
    CVXLString first = in.readString();
    if (in.isBad())
        return false;
    number_ = number;
    first_ = first;
    second_ = second;
    return true;
}

bool CVXLMediaIdentity::operator==(const CVXLMediaIdentity& other) const
{
    return number_ == other.number_ && first_ == other.first_ && second_ == other.second_;
}
