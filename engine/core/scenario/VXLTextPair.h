#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Two texts and a choice between them: a soft key's true and false captions
// (the choice picks which one shows), or a menu link (the href first, the
// caption second).
class CVXLTextPair : public CVXLObject {
public:
    CVXLTextPair() = default;
    CVXLTextPair(const CVXLString& first, const CVXLString& second)
        : first_(first)
        , second_(second)
    {
    }

    const CVXLString& first() const { return first_; }
    const CVXLString& second() const { return second_; }
    // Setting either text clears the choice, so the false (second) text shows
    // until its owner chooses again.
    void setFirst(const CVXLString& text)
    {
        first_ = text;
        choice_ = 0;
    }
    void setSecond(const CVXLString& text)
    {
        second_ = text;
        choice_ = 0;
    }

    std::uint8_t choice() const { return choice_; }
    void setChoice(bool first) { choice_ = first ? 1 : 0; }
    // The first text while the choice is set, else the second.
    const CVXLString& chosen() const { return choice_ ? first_ : second_; }

private:
    CVXLString first_;
    CVXLString second_;
    std::uint8_t choice_ = 1;
};
