#include "engine/messaging/store/VXLHeaderBlock.h"

#include "engine/core/base/VXLLog.h"

namespace {

constexpr std::uint8_t kParametersOpen = 0xE0;
constexpr std::uint8_t kParametersClose = 0xEA;
const std::uint8_t kOpenMark[2] = {kParametersOpen, 0};
const std::uint8_t kCloseMark[2] = {kParametersClose, 0};

// A name that begins with a mark byte would read back as the mark: 0xE0 after
// a value opens a parameter map, 0xEA inside one closes it.
bool beginsWithMark(const CVXLString& name)
{
    const auto first = static_cast<std::uint8_t>(name.c_str()[0]);
    return first == kParametersOpen || first == kParametersClose;
}

bool appendText(CVXLByteBuffer& out, const CVXLString& text)
{
    return out.append(text.c_str(), text.length()) && out.append("", 1);
}

// The NUL-terminated string at *position, or the bytes up to end when no NUL
// comes first; steps past the NUL.
CVXLString takeString(const std::uint8_t* bytes, std::uint32_t* position, std::uint32_t end)
{
    const std::uint32_t from = *position;
    std::uint32_t at = from;
    while (at < end && bytes[at] != 0)
        ++at;
    CVXLString text;
    if (at > from)
        text.appendBytes(bytes + from, at - from);
    *position = at < end ? at + 1 : end;
    return text;
}

struct LastPair {
    CVXLString name;
    CVXLString value;
};

// Reads pairs until end, or, inside a parameter map, until a 0xEA stands
// where a name would begin.
void readPairs(const std::uint8_t* bytes, std::uint32_t* position, std::uint32_t end, CVXLHeaderMap& map,
    int depth, LastPair* last)
{
    const bool nested = depth > 0;
    while (*position < end) {
        if (nested && bytes[*position] == kParametersClose)
            return;
        const CVXLString name = takeString(bytes, position, end);
        if (name.length() == 0)
            continue;
        if (*position >= end)
            return;
        const CVXLString value = takeString(bytes, position, end);
        bool added = false;
        if (value.length() > 0)
            added = map.add(name, value);
        if (last) {
            last->name = name;
            last->value = value;
        }
        if (*position >= end || bytes[*position] != kParametersOpen
            || depth >= CVXLHeaderBlock::kMaxParameterDepth)
            continue;
        *position = *position + 2 < end ? *position + 2 : end;
        auto* parameters = new CVXLHeaderMap();
        LastPair lastParameter;
        readPairs(bytes, position, end, *parameters, depth + 1, &lastParameter);
        *position = *position + 2 < end ? *position + 2 : end;
        const int index = static_cast<int>(map.valueCount(name)) - 1;
        if (added && lastParameter.name.length() > 0 && lastParameter.value.length() > 0
            && map.setValueObject(name, index, parameters))
            continue;
        delete parameters;
    }
}

} // namespace

bool CVXLHeaderBlock::write(const CVXLHeaderMap& map, CVXLByteBuffer& out)
{
    bool ok = true;
    const std::uint32_t names = map.nameCount();
    for (std::uint32_t n = 0; n < names; ++n) {
        const CVXLString name = map.nameAt(static_cast<int>(n));
        if (name.length() == 0)
            continue;
        if (beginsWithMark(name)) {
            VXL_LOG_INFO("header block: name beginning with byte 0x%02X left out",
                unsigned(std::uint8_t(name.c_str()[0])));
            continue;
        }
        const std::uint32_t values = map.valueCount(name);
        for (std::uint32_t v = 0; v < values; ++v) {
            const CVXLString& value = map.value(name, static_cast<int>(v));
            if (value.length() == 0)
                continue;
            ok = appendText(out, name) && appendText(out, value) && ok;
            const CVXLHeaderMap* parameters = map.valueObject(name, static_cast<int>(v));
            CVXLByteBuffer nested;
            if (parameters)
                ok = write(*parameters, nested) && ok;
            // Marks around nothing would read back as no parameters at all.
            if (nested.length() > 0) {
                ok = out.append(kOpenMark, 2) && ok;
                ok = out.append(nested.data(), nested.length()) && ok;
                ok = out.append(kCloseMark, 2) && ok;
            }
        }
    }
    return ok;
}

void CVXLHeaderBlock::read(
    const CVXLByteBuffer& bytes, std::uint32_t start, std::uint32_t length, CVXLHeaderMap& map)
{
    const std::uint32_t size = bytes.length();
    if (start >= size)
        return;
    const std::uint32_t end = length > size - start ? size : start + length;
    std::uint32_t position = start;
    readPairs(bytes.data(), &position, end, map, 0, nullptr);
}

bool CVXLHeaderBlock::writeIndex(const CVXLHeaderMap& ids, CVXLByteBuffer& out)
{
    bool ok = true;
    const std::uint32_t names = ids.nameCount();
    for (std::uint32_t n = 0; n < names; ++n) {
        const CVXLString id = ids.nameAt(static_cast<int>(n));
        if (id.length() > 0)
            ok = appendText(out, id) && ok;
    }
    return ok;
}

void CVXLHeaderBlock::readIndex(const CVXLByteBuffer& bytes, CVXLHeaderMap& ids)
{
    const std::uint32_t end = bytes.length();
    std::uint32_t position = 0;
    while (position < end) {
        const CVXLString id = takeString(bytes.data(), &position, end);
        if (id.length() > 0 && !ids.contains(id))
            ids.add(id, CVXLString());
    }
}
