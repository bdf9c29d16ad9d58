#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/media/VXLTrackedText.h"
#include "engine/screens/VXLRangedElement.h"

#include <cstdint>

class CVXLScreenServices;

// A text input field. Its maximum counts characters (UTF-8 sequences, not
// bytes); a longer text is refused whole, so no character is ever cut in two,
// and the engine's error word becomes 69. A text the screen must shorten
// itself is cut between characters (cutToMaximum). The layout that makes it
// hands it the services of its job, which keep the error word.
class CVXLUserInputTextElement : public CVXLRangedElement {
public:
    static constexpr std::uint32_t kElementType = 17;
    static constexpr std::uint32_t kSingleLine = 6;
    static constexpr std::uint32_t kShortMessage = 7;
    static constexpr std::uint32_t kPasswordModifier = 1;
    static constexpr std::int32_t kTextTooLong = 69;

    CVXLUserInputTextElement() = default;
    CVXLUserInputTextElement(std::int32_t minimum, std::int32_t maximum)
        : CVXLRangedElement(minimum, maximum)
    {
    }

    std::uint32_t elementType() const override { return kElementType; }
    CVXLUserInputTextElement* asUserInputText() override
    {
        return elementType() == kElementType ? this : nullptr;
    }
    bool isModified() const override { return text_.isModified(); }
    void commit() override;

    const CVXLString& text() const { return text_.text(); }
    // 1 when taken; 0, with the text unchanged, when it has more characters
    // than the maximum.
    int setText(const CVXLString& text);
    std::uint32_t inputMode() const { return inputMode_; }
    void setInputMode(std::uint32_t mode) { inputMode_ = mode; }
    std::uint32_t modifiers() const { return modifiers_; }
    void setModifiers(std::uint32_t modifiers) { modifiers_ = modifiers; }
    bool isPassword() const { return (modifiers_ & kPasswordModifier) != 0; }
    void setServices(CVXLScreenServices* services) { services_ = services; }

    // The text cut to its first maximum characters (whole when it has no
    // more, or the maximum is negative); a cut never splits a sequence.
    CVXLString cutToMaximum(const CVXLString& text) const;

    // Characters of a UTF-8 text: its bytes that start a sequence.
    static std::uint32_t characterCount(const CVXLString& text);
    // The first count characters of a text, each with all its bytes.
    static CVXLString cutToCharacters(const CVXLString& text, std::uint32_t count);

private:
    CVXLTrackedText text_;
    std::uint32_t inputMode_ = kSingleLine;
    std::uint32_t modifiers_ = 0;
    CVXLScreenServices* services_ = nullptr;
};
