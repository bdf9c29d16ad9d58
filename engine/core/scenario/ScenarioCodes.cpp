#include "engine/core/scenario/ScenarioCodes.h"

#include "engine/core/base/VXLObject.h"

namespace {

struct Keyword {
    const char* text;
    std::uint32_t code;
};

constexpr Keyword kFieldTypes[] = {
    {"images", kFieldImages},
    {"videos", kFieldVideos},
    {"addrList", kFieldAddressList},
    {"title", kFieldTitle},
    {"subj", kFieldSubject},
    {"audioAnn", kFieldAudioAnnotation},
    {"albums", kFieldAlbums},
    {"composites", kFieldComposites},
    {"shortMsg", kFieldShortMessage},
    {"addr", kFieldAddress},
    {"help", kFieldHelp},
};

constexpr Keyword kInputFormats[] = {
    {"eml", kInputEmail},
    {"num", kInputNumber},
    {"tel", kInputPhone},
    {"url", kInputUrl},
    {"dec", kInputDecimal},
};

constexpr Keyword kModifiers[] = {
    {"pw", kModifierPw},
    {"inc", kModifierInc},
    {"icw", kModifierIcw},
    {"ics", kModifierIcs},
    {"nws", kModifierNws},
    {"ncr", kModifierNcr},
    {"np", kModifierNp},
};

constexpr Keyword kFonts[] = {
    {"lg", kFontLarge},
    {"md", kFontMedium},
    {"sm", kFontSmall},
    {"bd", kFontBold},
    {"it", kFontItalic},
    {"un", kFontUnderline},
};

constexpr Keyword kActions[] = {
    {"send", kActionSend},
    {"disperr", kActionDispErr},
    {"change", kActionChange},
    {"add", kActionAdd},
    {"nop", kActionNop},
    {"clear", kActionClear},
    {"cancel", kActionCancel},
    {"view", kActionView},
};

bool same(const char* a, const char* b)
{
    const std::size_t n = vxlStrLen(b);
    return vxlStrLen(a) == n && vxlStrNCmp(a, b, n) == 0;
}

template <std::size_t N> bool findExact(const Keyword (&table)[N], const char* text, std::uint32_t& code)
{
    for (const Keyword& k : table) {
        if (same(text, k.text)) {
            code = k.code;
            return true;
        }
    }
    return false;
}

template <std::size_t N> std::uint32_t bitsOf(const Keyword (&table)[N], const char* value)
{
    std::uint32_t bits = 0;
    for (const Keyword& k : table) {
        if (vxlStrStr(value, k.text))
            bits |= k.code;
    }
    return bits;
}

} // namespace

bool isRecipientVariable(const char* name)
{
    return name && (same(name, kSendToRecipientsVariable) || same(name, kTextSendToRecipientsVariable));
}

std::int32_t scenarioFieldTypeOf(const char* name)
{
    if (!name)
        return kFieldOther;
    if (vxlStrChr(name, ','))
        return kFieldTypeList;
    std::uint32_t code = 0;
    return findExact(kFieldTypes, name, code) ? static_cast<std::int32_t>(code) : kFieldOther;
}

std::uint32_t scenarioInputFormatsOf(const char* value)
{
    return value ? bitsOf(kInputFormats, value) : 0;
}

std::uint32_t scenarioModifiersOf(const char* value)
{
    return value ? bitsOf(kModifiers, value) : 0;
}

std::uint32_t scenarioFontsOf(const char* value)
{
    return value ? bitsOf(kFonts, value) : 0;
}

std::int32_t scenarioActionOf(const char* text)
{
    std::uint32_t code = 0;
    return text && findExact(kActions, text, code) ? static_cast<std::int32_t>(code) : kActionNop;
}
