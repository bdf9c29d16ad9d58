#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Font.h"

#include <memory>
#include <string>

// A device context over a bitmap: a window's (an origin and a clip inside
// the frame), a memory one (its own selected bitmap) or one compatible with
// another. Brushes fill, pens outline; a pattern brush tiles its bitmap from
// the context's origin. Right and bottom edges are outside a rectangle, as
// the end point is outside a line.
namespace tessel::ui {

struct Brush {
    enum class Kind { Null, Solid, Pattern };
    Kind kind = Kind::Null;
    Color color = 0;
    std::shared_ptr<const Bitmap> pattern;

    static Brush null() { return Brush {}; }
    static Brush solid(Color color) { return Brush {Kind::Solid, opaque(color), nullptr}; }
    static Brush patterned(std::shared_ptr<const Bitmap> bitmap)
    {
        return Brush {Kind::Pattern, 0, std::move(bitmap)};
    }
};

struct Pen {
    bool visible = false;
    Color color = 0;
    int width = 1;

    static Pen null() { return Pen {}; }
    static Pen solid(Color color, int width = 1) { return Pen {true, opaque(color), width < 1 ? 1 : width}; }
};

// Text layout flags, the phone's numbers.
inline constexpr unsigned kDtCenter = 0x1;
inline constexpr unsigned kDtRight = 0x2;
inline constexpr unsigned kDtVCenter = 0x4;
inline constexpr unsigned kDtBottom = 0x8;
inline constexpr unsigned kDtWordBreak = 0x10;
inline constexpr unsigned kDtSingleLine = 0x20;
inline constexpr unsigned kDtCalcRect = 0x400;
inline constexpr unsigned kDtNoPrefix = 0x800;
inline constexpr unsigned kDtEndEllipsis = 0x8000;

enum class BackgroundMode { Transparent = 1, Opaque = 2 };

class Canvas {
public:
    // A window's context: drawing lands in target at origin, inside clip
    // (in target's coordinates).
    Canvas(Bitmap* target, int originX, int originY, const Rect& clip);
    // A memory context drawing into its own bitmap.
    explicit Canvas(std::shared_ptr<Bitmap> selected);
    // A memory context compatible with this one, with a new bitmap.
    std::unique_ptr<Canvas> compatible(int width, int height) const;

    Bitmap* target() const { return target_; }
    int originX() const { return originX_; }
    int originY() const { return originY_; }
    // In the target's coordinates.
    const Rect& clip() const { return clip_; }
    // A context for r of this one (in its coordinates): origin at r's top
    // left, clipped to r and to this context's clip.
    Canvas within(const Rect& r) const;
    std::shared_ptr<Bitmap> selectedBitmap() const { return own_; }

    Brush selectBrush(Brush brush);
    Pen selectPen(Pen pen);
    std::shared_ptr<Font> selectFont(std::shared_ptr<Font> font);
    const std::shared_ptr<Font>& font() const { return font_; }
    Color setTextColor(Color color);
    Color setBackgroundColor(Color color);
    BackgroundMode setBackgroundMode(BackgroundMode mode);

    void fillRect(const Rect& rect, const Brush& brush);
    // Outline with the pen, inside with the brush.
    void rectangle(const Rect& rect);
    // Corners of ellipses ellipseWidth by ellipseHeight.
    void roundRect(const Rect& rect, int ellipseWidth, int ellipseHeight);
    void moveTo(int x, int y);
    void lineTo(int x, int y);

    // Copies source's (sx, sy, width, height) to (x, y).
    void bitBlt(int x, int y, int width, int height, const Bitmap& source, int sx, int sy);
    // Scales source's rectangle onto dest (nearest pixel).
    void stretchBlt(const Rect& dest, const Bitmap& source, const Rect& from);
    // As bitBlt, leaving out source pixels of maskColor (an image list's mask).
    void maskedBlt(int x, int y, const Bitmap& source, Color maskColor);
    // A check box's square frame, with its tick when checked.
    void checkBoxFrame(const Rect& rect, bool checked);

    // Lays out and draws text in rect (or, with kDtCalcRect, only measures
    // it and sets rect's right and bottom); the text's height.
    int drawText(const std::u16string& text, Rect* rect, unsigned flags);

private:
    void fillPixel(int x, int y, const Brush& brush);
    void plot(int x, int y, Color color);
    Rect toTarget(const Rect& r) const;
    // The part of r (in this context's coordinates) that drawing can reach.
    Rect visibleOf(const Rect& r) const;
    // Mixes a picture's pixel over the target by its alpha.
    void over(int x, int y, Color color);

    Bitmap* target_ = nullptr;
    std::shared_ptr<Bitmap> own_;
    int originX_ = 0;
    int originY_ = 0;
    Rect clip_;
    Brush brush_ = Brush::solid(rgb(255, 255, 255));
    Pen pen_ = Pen::solid(rgb(0, 0, 0));
    std::shared_ptr<Font> font_;
    Color textColor_ = rgb(0, 0, 0);
    Color backgroundColor_ = rgb(255, 255, 255);
    BackgroundMode backgroundMode_ = BackgroundMode::Opaque;
    int penX_ = 0;
    int penY_ = 0;
};

// One row of a screen in the system font: highlighted when focused, grey
// when disabled, its text from the left with a small margin; its height.
int paintRow(Canvas& canvas, const Rect& row, const std::u16string& text, bool focused, bool enabled);
inline constexpr int kRowPadding = 4;

// UTF-16 to code points: a surrogate pair is one, a lone surrogate U+FFFD.
std::u32string codePoints(const std::u16string& text);

} // namespace tessel::ui
