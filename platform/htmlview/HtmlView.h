#pragma once

#include "platform/ui/ListView.h"
#include "platform/ui/Window.h"

#include <cstdint>
#include <string>
#include <vector>

// The phone's HTML view control, as far as the program uses it: it shows a
// small HTML text (a body with a background colour, links, line breaks and
// character entities with or without ";") as text wrapped to its width,
// each link between "[" and "]" ("{" and "}" while it has the focus). Every
// other tag is dropped and its text kept; the control never runs, fetches
// or opens anything. Down and Up move the focus between links; Enter on a
// focused link, or a tap on one, sends kNmHotspot to the parent. The dtm
// message numbers are this stand-in's own.
namespace tessel::htmlview {

inline constexpr const char16_t* kHtmlViewClass = u"DISPLAYCLASS";

inline constexpr std::uint32_t kDtmAddTextW
    = ui::kWmUser + 102; // wParam: 1 for plain text, lParam: const char16_t*
inline constexpr std::uint32_t kDtmEndOfSource = ui::kWmUser + 104;
inline constexpr std::uint32_t kDtmLayoutHeight = ui::kWmUser + 111; // answers the laid-out height in pixels
inline constexpr int kNmHotspot = 1125;

// What a kNmHotspot notification points to.
struct HtmlViewNotify {
    ui::NotifyHeader header; // first, so the parent can read it as a NotifyHeader
    const char16_t* target;
    const char16_t* data;
};

// The control library's set-up; true (it needs none, but the program calls it).
bool initHtmlControl(std::uint64_t instance);

class HtmlView : public ui::Window {
public:
    struct Link {
        std::u16string target;
        std::u16string text;
    };

    // A child of parent with the control's class; bounds gives the width to
    // wrap to (right - left) and the height.
    bool create(ui::Window* parent, int controlId, const ui::Rect& bounds);
    void move(const ui::Rect& bounds);

    const std::vector<Link>& links() const { return links_; }
    // The HTML the control was last given.
    const std::u16string& source() const { return source_; }
    int focusedLink() const { return focusedLink_; }
    std::uint32_t backgroundColor() const { return background_; }
    int layoutHeight() const;
    // Activates the link at (x, y) of the control, as a tap does; false when none is there.
    bool tapAt(int x, int y);

    void describe(std::vector<std::u16string>* lines) const override;
    int paint(ui::Canvas& canvas, const ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    enum class Mark : std::uint8_t { None, Open, Close };
    struct Cell {
        char16_t c;
        int link; // -1: plain text
        Mark mark;
        int x0 = 0;
        int x1 = 0;
    };

    void parse();
    void wrap(const std::vector<Cell>& cells);
    void activate(int link);
    std::int64_t onKey(std::uint32_t key);

    std::u16string source_;
    std::vector<Link> links_;
    std::vector<std::vector<Cell>> lines_;
    std::uint32_t background_ = 0xFFFFFF;
    int width_ = 0;
    int height_ = 0;
    int focusedLink_ = -1;
};

} // namespace tessel::htmlview
