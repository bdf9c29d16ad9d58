#pragma once

#include "platform/ui/Window.h"

#include <cstddef>
#include <string_view>

// The edit control: one text with a caret, a length limit, password
// masking, the process's clipboard, and EN_CHANGE to its parent on every
// change the user makes. The limit counts characters (code points, a
// surrogate pair being one); the caret, Backspace, Delete and a paste that
// does not fit never split a pair. A multi-line edit shows one row per line
// (placed, word-wrapped in its width); with kWantReturn it keeps Enter and
// puts a line break (CR LF) in, and with kAutoVScroll it scrolls so that the
// caret's line stays in view.
namespace tessel::ui {

inline constexpr std::uint32_t kEmGetSel = 0x00B0; // wParam, lParam: std::uint32_t* start, end
inline constexpr std::uint32_t kEmSetSel = 0x00B1;
inline constexpr std::uint32_t kEmGetRect = 0x00B2; // lParam: EditRect*
inline constexpr std::uint32_t kEmReplaceSel = 0x00C2; // lParam: const char16_t*; held to the limit
inline constexpr std::uint32_t kEmLimitText = 0x00C5; // 0: no limit
inline constexpr std::uint32_t kEnChange = 0x0300;
inline constexpr std::uint32_t kEnSetFocus = 0x0100;

struct EditRect {
    int left, top, right, bottom;
};

class Edit : public Window {
public:
    static constexpr const char16_t* kClassName = u"Edit";
    enum Style : unsigned { kPassword = 1, kMultiline = 2, kWantReturn = 4, kAutoVScroll = 8 };

    bool create(Window* parent, int controlId, unsigned style, EditRect rect = {0, 0, 0, 0});
    std::size_t caret() const { return caret_; }
    std::size_t limit() const { return limit_; }
    unsigned style() const { return style_; }
    // The style set anew after creation (the window's GWL_STYLE).
    void setStyle(unsigned style) { style_ = style; }

    void describe(std::vector<std::u16string>* lines) const override;
    int paint(Canvas& canvas, const Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    // Inserts at the caret as much as the limit lets in; false when nothing fit.
    bool insert(std::u16string_view text);
    void changed();

    unsigned style_ = 0;
    std::size_t caret_ = 0;
    std::size_t limit_ = 0;
    char16_t pendingHigh_ = 0; // the first half of a typed pair
    EditRect rect_ {};
};

// Characters (code points) in text: a surrogate pair is one.
std::size_t characterCount(std::u16string_view text);
// The length in units of text's first count characters, each whole: a
// surrogate pair is never split, nor a CR from its LF.
std::size_t wholeUnits(std::u16string_view text, std::size_t count);

// The process's clipboard text (cut and copy put, paste takes).
std::u16string clipboardText();
void setClipboardText(const std::u16string& text);

} // namespace tessel::ui
