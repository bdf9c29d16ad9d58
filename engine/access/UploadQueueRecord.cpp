#include "engine/access/UploadQueueRecord.h"

#include <cstring>

namespace {

void putWord(std::string* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t wordAt(const std::uint8_t* data)
{
    return std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16
        | std::uint32_t(data[3]) << 24;
}

void putText(std::string* out, const CVXLString& text)
{
    putWord(out, static_cast<std::uint32_t>(text.length() + 1));
    out->append(text.c_str(), text.length());
    out->push_back('\0');
}

// A text at *at: its length word counts the NUL that ends it, and no NUL
// comes before.
bool takeText(const std::uint8_t* data, std::size_t length, std::size_t* at, CVXLString* text)
{
    if (length - *at < 4)
        return false;
    const std::uint32_t counted = wordAt(data + *at);
    *at += 4;
    if (counted == 0 || counted > length - *at)
        return false;
    const char* start = reinterpret_cast<const char*>(data + *at);
    if (start[counted - 1] != '\0' || std::memchr(start, '\0', counted - 1))
        return false;
    *text = CVXLString(start);
    *at += counted;
    return true;
}

} // namespace

void CUploadQueueRecord::encode(std::string* out) const
{
    out->push_back(static_cast<char>(kMarker & 0xFF));
    out->push_back(static_cast<char>(kMarker >> 8));
    putWord(out, location);
    putText(out, name);
    putText(out, album);
}

std::size_t CUploadQueueRecord::decode(const std::uint8_t* data, std::size_t length)
{
    if (!data || length < kFixedBytes || data[0] != (kMarker & 0xFF) || data[1] != (kMarker >> 8))
        return 0;
    std::size_t at = 2;
    const std::uint32_t packed = wordAt(data + at);
    at += 4;
    CVXLString takenName;
    CVXLString takenAlbum;
    if (!takeText(data, length, &at, &takenName) || !takeText(data, length, &at, &takenAlbum))
        return 0;
    location = packed;
    name = takenName;
    album = takenAlbum;
    return at;
}
