#pragma once

#include "platform/ui/Window.h"

// The progress bar: a position within a range.
namespace tessel::ui {

inline constexpr std::uint32_t kPbmSetRange = 0x0401; // lParam: low | high << 16
inline constexpr std::uint32_t kPbmSetPos = 0x0402; // answers the previous position
inline constexpr std::uint32_t kPbmSetRange32 = 0x0406;
inline constexpr std::uint32_t kPbmGetPos = 0x0408;

class ProgressBar : public Window {
public:
    static constexpr const char16_t* kClassName = u"msctls_progress32";

    bool create(Window* parent, int controlId);
    bool create(Window* parent, int controlId, const Rect& rect);
    int position() const { return position_; }
    // Whole percent of the range, 0 for an empty range.
    int percent() const;

    void describe(std::vector<std::u16string>* lines) const override;
    // Placed, a frame filled to its share; in rows, its text.
    int paint(Canvas& canvas, const Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    int low_ = 0;
    int high_ = 100;
    int position_ = 0;
};

} // namespace tessel::ui
