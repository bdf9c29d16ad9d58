#include "engine/screens/VXLUserInputTextElement.h"

#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLScreenServices.h"

void CVXLUserInputTextElement::commit()
{
    CVXLElement::commit();
    text_.commit();
}

int CVXLUserInputTextElement::setText(const CVXLString& text)
{
    const std::uint32_t characters = characterCount(text);
    if (maximum() >= 0 && characters > static_cast<std::uint32_t>(maximum())) {
        VXL_LOG_INFO("text input: refused a text of %u characters, at most %d", characters, maximum());
        if (services_)
            services_->setEngineError(kTextTooLong);
        return 0;
    }
    text_.setText(text);
    return 1;
}

namespace {

bool startsCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0u) != 0x80u;
}

} // namespace

CVXLString CVXLUserInputTextElement::cutToMaximum(const CVXLString& text) const
{
    return maximum() < 0 ? text : cutToCharacters(text, static_cast<std::uint32_t>(maximum()));
}

std::uint32_t CVXLUserInputTextElement::characterCount(const CVXLString& text)
{
    std::uint32_t count = 0;
    const char* bytes = text.c_str();
    for (std::uint32_t i = 0; i < text.length(); ++i) {
        if (startsCharacter(bytes[i]))
            ++count;
    }
    return count;
}

// Ends before the byte that would start character count + 1, so the bytes
// that continue the last kept character stay with it.
CVXLString CVXLUserInputTextElement::cutToCharacters(const CVXLString& text, std::uint32_t count)
{
    const char* bytes = text.c_str();
    std::uint32_t seen = 0;
    for (std::uint32_t i = 0; i < text.length(); ++i) {
        if (startsCharacter(bytes[i]) && seen++ == count)
            return text.substr(0, i);
    }
    return text;
}
