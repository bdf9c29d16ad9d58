#include "engine/messaging/store/VXLAddressee.h"

CVXLAddressee::CVXLAddressee(std::int32_t kind, const CVXLString& address, const CVXLString& displayName)
    : kind_(kind)
    , address_(address)
    , displayName_(displayName)
{
}

std::int32_t CVXLAddressee::kindOf(const CVXLString& text)
{
    const std::uint32_t length = text.length();
    if (length == 0)
        return kOther;
    if (text.findChar('@', 1) > 0)
        return kEmail;
    const char* bytes = text.c_str();
    if (bytes[0] == '+')
        return kPhone;
    for (std::uint32_t i = 0; i < length; ++i) {
        if ((bytes[i] < '0' || bytes[i] > '9') && bytes[i] != '-')
            return kOther;
    }
    return kPhone;
}

void CVXLAddressee::splitList(const CVXLString& list, CVXLStringArray& entries)
{
    const std::uint32_t length = list.length();
    std::uint32_t start = 0;
    while (start < length) {
        const int end = list.findChar(';', static_cast<int>(start));
        const std::uint32_t stop = end < 0 ? length : static_cast<std::uint32_t>(end);
        if (stop > start)
            entries.insertAt(list.substr(static_cast<int>(start), stop - start), -1);
        start = stop + 1;
    }
}
