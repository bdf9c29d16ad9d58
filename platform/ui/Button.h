#pragma once

#include "platform/ui/Window.h"

// The push button: a label that takes the focus; Enter or Space while it has
// it, or a tap on it, presses it, which sends its parent kWmCommand with its
// id (notification kBnClicked, lParam its handle). Shown in the text
// snapshot as "[ label ]".
namespace tessel::ui {

inline constexpr std::uint32_t kBnClicked = 0;

class Button : public Window {
public:
    static constexpr const char16_t* kClassName = u"button";

    bool create(Window* parent, int controlId, const std::u16string& label);
    bool create(Window* parent, int controlId, const std::u16string& label, const Rect& rect);
    void press();

    void describe(std::vector<std::u16string>* lines) const override;
    int paint(Canvas& canvas, const Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
};

} // namespace tessel::ui
