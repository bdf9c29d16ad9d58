#include "platform/ui/Canvas.h"

#include "platform/ui/SystemMetrics.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tessel::ui {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Inside a rectangle with elliptic corners ew by eh (pixel centres).
bool insideRound(int x, int y, const Rect& r, int ew, int eh)
{
    if (!r.contains(x, y))
        return false;
    const double rx = std::min(ew, r.width()) / 2.0;
    const double ry = std::min(eh, r.height()) / 2.0;
    if (rx <= 0 || ry <= 0)
        return true;
    const double px = x + 0.5;
    const double py = y + 0.5;
    double cx;
    double cy;
    if (px < r.left + rx)
        cx = r.left + rx;
    else if (px > r.right - rx)
        cx = r.right - rx;
    else
        return true;
    if (py < r.top + ry)
        cy = r.top + ry;
    else if (py > r.bottom - ry)
        cy = r.bottom - ry;
    else
        return true;
    const double dx = (px - cx) / rx;
    const double dy = (py - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

Rect inset(const Rect& r, int by)
{
    return Rect {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

int lineWidth(Font& font, const std::u32string& line)
{
    int width = 0;
    for (char32_t c : line)
        width += font.advance(c);
    return width;
}

std::u32string trimEnd(std::u32string s)
{
    while (!s.empty() && s.back() == U' ')
        s.pop_back();
    return s;
}

// Greedy word wrap: a word wider than the limit keeps a line of its own.
void wrap(Font& font, const std::u32string& paragraph, int limit, std::vector<std::u32string>* lines)
{
    std::u32string line;
    std::size_t i = 0;
    bool any = false;
    while (i < paragraph.size()) {
        std::size_t end = i;
        while (end < paragraph.size() && paragraph[end] != U' ')
            ++end;
        while (end < paragraph.size() && paragraph[end] == U' ')
            ++end;
        const std::u32string word = paragraph.substr(i, end - i);
        const std::u32string candidate = line + word;
        if (line.empty() || lineWidth(font, trimEnd(candidate)) <= limit) {
            line = candidate;
        } else {
            lines->push_back(trimEnd(line));
            any = true;
            line = word;
        }
        i = end;
    }
    if (!line.empty() || !any)
        lines->push_back(trimEnd(line));
}

std::u32string withEllipsis(Font& font, std::u32string line, int limit)
{
    if (lineWidth(font, line) <= limit)
        return line;
    const std::u32string dots = U"...";
    while (!line.empty() && lineWidth(font, line + dots) > limit)
        line.pop_back();
    return line + dots;
}

} // namespace

std::u32string codePoints(const std::u16string& text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00
            && text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out.push_back(kReplacement);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

Canvas::Canvas(Bitmap* target, int originX, int originY, const Rect& clip)
    : target_(target)
    , originX_(originX)
    , originY_(originY)
    , clip_(clip.intersect(target->bounds()))
{
}

Canvas::Canvas(std::shared_ptr<Bitmap> selected)
    : target_(selected.get())
    , own_(std::move(selected))
    , clip_(target_->bounds())
{
}

Canvas Canvas::within(const Rect& r) const
{
    Canvas inner(target_, originX_ + r.left, originY_ + r.top, toTarget(r).intersect(clip_));
    inner.own_ = own_;
    return inner;
}

std::unique_ptr<Canvas> Canvas::compatible(int width, int height) const
{
    auto canvas = std::make_unique<Canvas>(std::make_shared<Bitmap>(width, height, rgb(255, 255, 255)));
    canvas->font_ = font_;
    return canvas;
}

Brush Canvas::selectBrush(Brush brush)
{
    std::swap(brush, brush_);
    return brush;
}

Pen Canvas::selectPen(Pen pen)
{
    std::swap(pen, pen_);
    return pen;
}

std::shared_ptr<Font> Canvas::selectFont(std::shared_ptr<Font> font)
{
    std::swap(font, font_);
    return font;
}

Color Canvas::setTextColor(Color color)
{
    return std::exchange(textColor_, opaque(color));
}

Color Canvas::setBackgroundColor(Color color)
{
    return std::exchange(backgroundColor_, opaque(color));
}

BackgroundMode Canvas::setBackgroundMode(BackgroundMode mode)
{
    return std::exchange(backgroundMode_, mode);
}

Rect Canvas::toTarget(const Rect& r) const
{
    return Rect {r.left + originX_, r.top + originY_, r.right + originX_, r.bottom + originY_};
}

Rect Canvas::visibleOf(const Rect& r) const
{
    const Rect t = toTarget(r).intersect(clip_);
    return Rect {t.left - originX_, t.top - originY_, t.right - originX_, t.bottom - originY_};
}

void Canvas::plot(int x, int y, Color color)
{
    const int tx = x + originX_;
    const int ty = y + originY_;
    if (clip_.contains(tx, ty))
        target_->setPixel(tx, ty, color);
}

void Canvas::fillPixel(int x, int y, const Brush& brush)
{
    switch (brush.kind) {
    case Brush::Kind::Null:
        return;
    case Brush::Kind::Solid:
        plot(x, y, brush.color);
        return;
    case Brush::Kind::Pattern: {
        const Bitmap& p = *brush.pattern;
        if (p.empty())
            return;
        // Tiles line up with the context's origin.
        const int px = ((x % p.width()) + p.width()) % p.width();
        const int py = ((y % p.height()) + p.height()) % p.height();
        plot(x, y, opaque(p.pixel(px, py)));
        return;
    }
    }
}

void Canvas::fillRect(const Rect& rect, const Brush& brush)
{
    if (brush.kind == Brush::Kind::Null || (brush.kind == Brush::Kind::Pattern && !brush.pattern))
        return;
    const Rect area = toTarget(rect).intersect(clip_);
    for (int ty = area.top; ty < area.bottom; ++ty)
        for (int tx = area.left; tx < area.right; ++tx)
            fillPixel(tx - originX_, ty - originY_, brush);
}

void Canvas::rectangle(const Rect& rect)
{
    roundRect(rect, 0, 0);
}

void Canvas::roundRect(const Rect& rect, int ellipseWidth, int ellipseHeight)
{
    const int w = pen_.visible ? pen_.width : 0;
    const Rect inner = inset(rect, w);
    const int iw = std::max(0, ellipseWidth - 2 * w);
    const int ih = std::max(0, ellipseHeight - 2 * w);
    const Rect visible = visibleOf(rect);
    for (int y = visible.top; y < visible.bottom; ++y) {
        for (int x = visible.left; x < visible.right; ++x) {
            if (!insideRound(x, y, rect, ellipseWidth, ellipseHeight))
                continue;
            if (w > 0 && !insideRound(x, y, inner, iw, ih))
                plot(x, y, pen_.color);
            else if (brush_.kind != Brush::Kind::Null)
                fillPixel(x, y, brush_);
        }
    }
}

void Canvas::moveTo(int x, int y)
{
    penX_ = x;
    penY_ = y;
}

void Canvas::lineTo(int x, int y)
{
    if (pen_.visible) {
        // Bresenham; the end point is left out. A wide pen draws squares.
        int x0 = penX_;
        int y0 = penY_;
        const int dx = std::abs(x - x0);
        const int dy = -std::abs(y - y0);
        const int sx = x0 < x ? 1 : -1;
        const int sy = y0 < y ? 1 : -1;
        int err = dx + dy;
        const int half = (pen_.width - 1) / 2;
        while (x0 != x || y0 != y) {
            for (int oy = 0; oy < pen_.width; ++oy)
                for (int ox = 0; ox < pen_.width; ++ox)
                    plot(x0 - half + ox, y0 - half + oy, pen_.color);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    moveTo(x, y);
}

// A picture's pixels go over what is there by their alpha: a transparent
// one (a GIF's transparent index, a PNG's alpha) leaves the background.
void Canvas::over(int x, int y, Color color)
{
    const int tx = x + originX_;
    const int ty = y + originY_;
    if (clip_.contains(tx, ty))
        target_->blend(tx, ty, color, alpha(color));
}

void Canvas::bitBlt(int x, int y, int width, int height, const Bitmap& source, int sx, int sy)
{
    // Only the part that lands inside the clip and comes from the source.
    Rect area = visibleOf(Rect {x, y, x + width, y + height});
    area = area.intersect(Rect {x - sx, y - sy, x - sx + source.width(), y - sy + source.height()});
    for (int dy = area.top; dy < area.bottom; ++dy)
        for (int dx = area.left; dx < area.right; ++dx)
            over(dx, dy, source.pixel(dx - x + sx, dy - y + sy));
}

void Canvas::stretchBlt(const Rect& dest, const Bitmap& source, const Rect& from)
{
    if (dest.empty() || from.empty())
        return;
    const Rect visible = visibleOf(dest);
    for (int row = visible.top - dest.top; row < visible.bottom - dest.top; ++row) {
        const int sy
            = from.top + static_cast<int>(static_cast<long long>(row) * from.height() / dest.height());
        for (int col = visible.left - dest.left; col < visible.right - dest.left; ++col) {
            const int sx
                = from.left + static_cast<int>(static_cast<long long>(col) * from.width() / dest.width());
            if (source.bounds().contains(sx, sy))
                over(dest.left + col, dest.top + row, source.pixel(sx, sy));
        }
    }
}

void Canvas::maskedBlt(int x, int y, const Bitmap& source, Color maskColor)
{
    for (int row = 0; row < source.height(); ++row) {
        for (int col = 0; col < source.width(); ++col) {
            const Color c = source.pixel(col, row);
            if (colorRef(c) != colorRef(maskColor))
                over(x + col, y + row, c);
        }
    }
}

void Canvas::checkBoxFrame(const Rect& rect, bool checked)
{
    const int side = std::min(rect.width(), rect.height());
    const Rect box {rect.left, rect.top + (rect.height() - side) / 2, rect.left + side,
        rect.top + (rect.height() - side) / 2 + side};
    const Pen pen = selectPen(Pen::solid(rgb(0, 0, 0)));
    const Brush brush = selectBrush(Brush::solid(rgb(255, 255, 255)));
    rectangle(box);
    if (checked && side >= 6) {
        // A tick from the left middle down to the lower third, then up right.
        const int s = side;
        moveTo(box.left + s / 4, box.top + s / 2);
        lineTo(box.left + s * 5 / 12, box.top + s * 3 / 4);
        lineTo(box.left + s * 3 / 4, box.top + s / 4);
    }
    selectPen(pen);
    selectBrush(brush);
}

int Canvas::drawText(const std::u16string& text, Rect* rect, unsigned flags)
{
    std::shared_ptr<Font> font = font_ ? font_ : Font::system();
    if (!font || !rect)
        return 0;
    std::u32string chars = codePoints(text);
    if (!(flags & kDtNoPrefix)) {
        // "&x" underlines x on the phone; here it shows x, and "&&" one "&".
        std::u32string plain;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] == U'&' && i + 1 < chars.size())
                ++i;
            else if (chars[i] == U'&')
                continue;
            plain.push_back(chars[i]);
        }
        chars = std::move(plain);
    }
    std::vector<std::u32string> paragraphs;
    if (!chars.empty()) {
        paragraphs.emplace_back();
        for (std::size_t i = 0; i < chars.size(); ++i) {
            const char32_t c = chars[i];
            if ((c == U'\r' || c == U'\n') && !(flags & kDtSingleLine)) {
                if (c == U'\r' && i + 1 < chars.size() && chars[i + 1] == U'\n')
                    ++i;
                paragraphs.emplace_back();
            } else {
                paragraphs.back().push_back(c == U'\r' || c == U'\n' ? U' ' : c);
            }
        }
    }
    const int limit = rect->width();
    std::vector<std::u32string> lines;
    for (const std::u32string& p : paragraphs) {
        if ((flags & kDtWordBreak) && !(flags & kDtSingleLine))
            wrap(*font, p, limit, &lines);
        else
            lines.push_back(p);
    }
    if (flags & kDtEndEllipsis) {
        for (std::u32string& line : lines)
            line = withEllipsis(*font, line, std::max(0, limit));
    }
    const int lineHeight = font->lineHeight();
    const int total = lineHeight * static_cast<int>(lines.size());
    if (flags & kDtCalcRect) {
        int widest = 0;
        for (const std::u32string& line : lines)
            widest = std::max(widest, lineWidth(*font, line));
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    int y = rect->top;
    if (flags & kDtVCenter)
        y = rect->top + (rect->height() - total) / 2;
    else if (flags & kDtBottom)
        y = rect->bottom - total;
    const Rect clip = toTarget(*rect).intersect(clip_);
    for (const std::u32string& line : lines) {
        const int width = lineWidth(*font, line);
        int x = rect->left;
        if (flags & kDtCenter)
            x = rect->left + (rect->width() - width) / 2;
        else if (flags & kDtRight)
            x = rect->right - width;
        if (backgroundMode_ == BackgroundMode::Opaque)
            fillRect(Rect {x, y, x + width, y + lineHeight}, Brush::solid(backgroundColor_));
        int tx = x + originX_;
        for (char32_t c : line)
            tx = font->draw(target_, tx, y + originY_ + font->ascent(), c, textColor_, clip);
        y += lineHeight;
    }
    return total;
}

int paintRow(Canvas& canvas, const Rect& row, const std::u16string& text, bool focused, bool enabled)
{
    std::shared_ptr<Font> font = canvas.font() ? canvas.font() : Font::system();
    const int height = (font ? font->lineHeight() : kSystemFontCellHeight) + kRowPadding;
    Rect line {row.left, row.top, row.right, row.top + height};
    if (focused)
        canvas.fillRect(line, Brush::solid(systemColor(kColorHighlight)));
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(!enabled ? kColorGrayText
            : focused                        ? kColorHighlightText
                                             : kColorWindowText));
    Rect textRect {line.left + kRowPadding, line.top, line.right - kRowPadding, line.bottom};
    canvas.drawText(text, &textRect, kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
    return height;
}

} // namespace tessel::ui
