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
        if (CVXLScreenServices* services = CVXLScreenServices::instance())
            services->setEngineError(kTextTooLong);
        return 0;
    }
    text_.setText(text);
    return 1;
}

std::uint32_t CVXLUserInputTextElement::characterCount(const CVXLString& text)
{
    std::uint32_t count = 0;
    const char* bytes = text.c_str();
    for (std::uint32_t i = 0; i < text.length(); ++i) {
        if ((static_cast<unsigned char>(bytes[i]) & 0xC0u) != 0x80u)
            ++count;
    }
    return count;
}
