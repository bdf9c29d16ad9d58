#include "platform/mapi/PropValue.h"

namespace tessel::mapi {

PropValue PropValue::ofNumber(std::uint32_t tag, std::int32_t value)
{
    PropValue v;
    v.tag = tag;
    v.number = value;
    return v;
}

PropValue PropValue::ofText(std::uint32_t tag, std::string value)
{
    PropValue v;
    v.tag = tag;
    v.text = std::move(value);
    return v;
}

PropValue PropValue::ofBytes(std::uint32_t tag, std::string value)
{
    return ofText(tag, std::move(value));
}

PropValue PropValue::missing(std::uint32_t tag)
{
    PropValue v;
    v.tag = (tag & 0xFFFF0000u) | kTypeError;
    v.number = static_cast<std::int32_t>(kMapiNotFound);
    return v;
}

PropValue findProp(const PropRow& row, std::uint32_t tag)
{
    for (const PropValue& value : row)
        if (value.tag == tag)
            return value;
    return PropValue::missing(tag);
}

void putProp(PropRow* row, const PropValue& value)
{
    for (PropValue& held : *row)
        if (held.tag == value.tag) {
            held = value;
            return;
        }
    row->push_back(value);
}

PropRow pickColumns(const PropRow& row, const std::vector<std::uint32_t>& columns)
{
    PropRow picked;
    picked.reserve(columns.size());
    for (std::uint32_t tag : columns)
        picked.push_back(findProp(row, tag));
    return picked;
}

} // namespace tessel::mapi
