#include "platform/ui/ListView.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace tessel::ui {

namespace {

// Margins of the icon view's cells around their image, and the label's line.
constexpr int kCellPadding = 4;

int textRowHeight()
{
    std::shared_ptr<Font> font = Font::system();
    return (font ? font->lineHeight() : kSystemFontCellHeight) + kRowPadding;
}

} // namespace

bool ListView::create(Window* parent, int controlId, unsigned style)
{
    style_ = style;
    return Window::create(kClassName, u"", parent, controlId);
}

bool ListView::create(Window* parent, int controlId, unsigned style, const Rect& rect)
{
    style_ = style;
    return Window::create(kClassName, u"", parent, controlId, rect);
}

void ListView::setImageList(std::shared_ptr<ImageList> images)
{
    images_ = std::move(images);
    keepVisible(selected_);
}

void ListView::setIconSpacing(int width, int height)
{
    spacingWidth_ = std::max(0, width);
    spacingHeight_ = std::max(0, height);
    keepVisible(selected_);
}

int ListView::viewWidth() const
{
    return hasRect() ? windowRect().width() : systemMetric(kMetricScreenWidth);
}

int ListView::viewHeight() const
{
    if (hasRect())
        return windowRect().height();
    return systemMetric(kMetricScreenHeight) - systemMetric(kMetricCaptionHeight)
        - systemMetric(kMetricMenuHeight);
}

int ListView::cellWidth() const
{
    if (spacingWidth_ > 0)
        return spacingWidth_;
    return (images_ ? images_->width() : systemMetric(kMetricIconWidth)) + 2 * kCellPadding;
}

int ListView::rowHeight() const
{
    const int text = textRowHeight();
    if (style_ & kIcon) {
        if (spacingHeight_ > 0)
            return spacingHeight_;
        return (images_ ? images_->height() : systemMetric(kMetricIconHeight)) + text + kCellPadding;
    }
    return images_ ? std::max(text, images_->height() + 2) : text;
}

int ListView::columns() const
{
    if (!(style_ & kIcon))
        return 1;
    return std::max(1, viewWidth() / std::max(1, cellWidth()));
}

int ListView::gridRows() const
{
    const int perRow = columns();
    return (itemCount() + perRow - 1) / perRow;
}

int ListView::pageRows() const
{
    return std::max(1, viewHeight() / std::max(1, rowHeight()));
}

int ListView::hitTest(int x, int y) const
{
    if (x < 0 || y < 0 || (hasRect() && !clientRect().contains(x, y)))
        return -1;
    const int row = top_ + y / std::max(1, rowHeight());
    const int column = (style_ & kIcon) ? x / std::max(1, cellWidth()) : 0;
    if (column >= columns())
        return -1;
    const int index = row * columns() + column;
    return index < itemCount() ? index : -1;
}

void ListView::keepVisible(int item)
{
    if (item >= 0) {
        const int row = item / columns();
        const int page = pageRows();
        if (row < top_)
            top_ = row;
        else if (row >= top_ + page)
            top_ = row - page + 1;
    }
    syncScroll();
}

void ListView::syncScroll()
{
    const int rows = gridRows();
    top_ = std::clamp(top_, 0, std::max(0, rows - pageRows()));
    top_
        = setScrollInfo(ScrollInfo {0, std::max(0, rows - 1), std::min(pageRows(), std::max(rows, 1)), top_});
}

int ListView::scrollTarget(std::uint32_t code, int thumb) const
{
    switch (code) {
    case kSbLineUp:
        return top_ - 1;
    case kSbLineDown:
        return top_ + 1;
    case kSbPageUp:
        return top_ - pageRows();
    case kSbPageDown:
        return top_ + pageRows();
    default:
        return Window::scrollTarget(code, thumb);
    }
}

// The selection stays where it is, as on the phone: scrolling only moves
// the rows in view.
void ListView::onScrolled(int)
{
    top_ = scrollInfo().position;
}

int ListView::insertItem(int index, const std::u16string& text, std::int64_t data)
{
    if (index < 0 || index > itemCount())
        index = itemCount();
    rows_.insert(rows_.begin() + index, Row {{text}, data, false});
    if (selected_ >= index)
        ++selected_;
    syncScroll();
    return index;
}

void ListView::setSubItem(int index, int column, const std::u16string& text)
{
    if (index < 0 || index >= itemCount() || column < 0)
        return;
    auto& columns = rows_[index].columns;
    if (columns.size() <= static_cast<std::size_t>(column))
        columns.resize(column + 1);
    columns[column] = text;
}

bool ListView::deleteItem(int index)
{
    if (index < 0 || index >= itemCount())
        return false;
    rows_.erase(rows_.begin() + index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    syncScroll();
    return true;
}

void ListView::deleteAllItems()
{
    rows_.clear();
    selected_ = -1;
    top_ = 0;
    syncScroll();
}

std::u16string ListView::itemText(int index) const
{
    return index >= 0 && index < itemCount() ? rows_[index].columns[0] : std::u16string();
}

std::int64_t ListView::itemData(int index) const
{
    return index >= 0 && index < itemCount() ? rows_[index].data : 0;
}

bool ListView::select(int index)
{
    if (index < -1 || index >= itemCount())
        return false;
    selected_ = index;
    keepVisible(index);
    return true;
}

int ListView::selectionMark() const
{
    return selected_;
}

bool ListView::setChecked(int index, bool checked)
{
    if (!(style_ & kCheckBoxes) || index < 0 || index >= itemCount())
        return false;
    rows_[index].checked = checked;
    return true;
}

bool ListView::checked(int index) const
{
    return index >= 0 && index < itemCount() && rows_[index].checked;
}

std::int64_t ListView::notify(int code, int item)
{
    if (!parent())
        return 0;
    NotifyHeader header {handle(), controlId(), code, item};
    return parent()->windowProc(
        kWmNotify, static_cast<std::uint64_t>(controlId()), reinterpret_cast<std::int64_t>(&header));
}

std::int64_t ListView::edgeKey(std::uint32_t key)
{
    if (!parent())
        return kKeyLeft;
    return parent()->windowProc(kWmKeyDown, key, 0) == 0 ? 0 : kKeyLeft;
}

void ListView::tap(int index)
{
    if (!select(index))
        return;
    notify(kNotifyClick, index);
    if (exists())
        notify(kNotifyItemActivate, index);
}

void ListView::tapAndHold(int index)
{
    if (!select(index))
        return;
    if (notify(kNotifyGestureQuery, index) == 1 && exists())
        notify(kNotifyTapAndHold, index);
}

void ListView::describe(std::vector<std::u16string>* lines) const
{
    const int first = top_ * columns();
    const int end = std::min(itemCount(), (top_ + pageRows()) * columns());
    for (int i = first; i < end; ++i) {
        std::u16string line = i == selected_ ? u"* " : u"  ";
        if (style_ & kCheckBoxes)
            line += rows_[i].checked ? u"[x] " : u"[ ] ";
        const auto& columns = rows_[i].columns;
        for (std::size_t c = 0; c < columns.size() && (c == 0 || (style_ & kReport)); ++c)
            line += (c ? u" | " : u"") + columns[c];
        lines->push_back(line);
    }
}

int ListView::focusLine() const
{
    const int line = selected_ - top_ * columns();
    return line >= 0 && line < pageRows() * columns() ? line : 0;
}

bool ListView::setItemImage(int index, int image)
{
    if (index < 0 || index >= itemCount())
        return false;
    rows_[index].image = image;
    return true;
}

void ListView::paintRow(Canvas& canvas, int index, const Rect& row) const
{
    const bool highlighted = index == selected_;
    if ((style_ & kOwnerDraw) && parent()) {
        DrawItem item {controlId(), index, rows_[index].data,
            (highlighted ? kOdsSelected : 0u) | (highlighted && focused() ? kOdsFocus : 0u), &canvas, row};
        if (parent()->windowProc(
                kWmDrawItem, static_cast<std::uint64_t>(controlId()), reinterpret_cast<std::int64_t>(&item))
            != 0)
            return;
    }
    const int height = row.height();
    if (highlighted)
        canvas.fillRect(row, Brush::solid(systemColor(kColorHighlight)));
    int x = row.left + 2;
    if (style_ & kCheckBoxes) {
        const int side = std::min(13, height - 2);
        canvas.checkBoxFrame(
            Rect {x, row.top + (height - side) / 2, x + side, row.top + (height - side) / 2 + side},
            rows_[index].checked);
        x += side + 4;
    }
    if (images_) {
        images_->draw(canvas, rows_[index].image, x, row.top + (height - images_->height()) / 2);
        x += images_->width() + 4;
    }
    std::u16string text;
    const auto& columns = rows_[index].columns;
    for (std::size_t c = 0; c < columns.size() && (c == 0 || (style_ & kReport)); ++c)
        text += (c ? u"  " : u"") + columns[c];
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(highlighted ? kColorHighlightText : kColorWindowText));
    Rect textRect {x, row.top, row.right - 2, row.bottom};
    canvas.drawText(text, &textRect, kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
}

void ListView::paintCell(Canvas& canvas, int index, const Rect& cell) const
{
    const bool highlighted = index == selected_;
    const int textHeight = textRowHeight();
    const int imageWidth = images_ ? images_->width() : 0;
    const int imageHeight = images_ ? images_->height() : 0;
    const int x = cell.left + (cell.width() - imageWidth) / 2;
    const int y = cell.top + std::max(0, (cell.height() - imageHeight - textHeight) / 2);
    if (highlighted)
        canvas.fillRect(Rect {x - 2, y - 2, x + imageWidth + 2, y + imageHeight + 2},
            Brush::solid(systemColor(kColorHighlight)));
    if (images_)
        images_->draw(canvas, rows_[index].image, x, y);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(kColorWindowText));
    Rect label {cell.left + 1, y + imageHeight + 2, cell.right - 1, y + imageHeight + 2 + textHeight};
    canvas.drawText(
        rows_[index].columns[0], &label, kDtCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
}

int ListView::paint(Canvas& canvas, const Rect& area) const
{
    const int height = rowHeight();
    // A flow list may get less room than its page: the selection stays in view.
    const int shown = std::max(1, area.height() / std::max(1, height));
    int first = top_;
    if (selected_ >= 0 && selected_ / columns() >= first + shown)
        first = selected_ / columns() - shown + 1;
    const int right = area.right - (hasScrollBar() ? systemMetric(kMetricVScrollWidth) : 0);
    const int width = (style_ & kIcon) ? cellWidth() : right - area.left;
    int y = area.top;
    for (int row = first; row < gridRows() && y < area.bottom; ++row, y += height) {
        for (int column = 0; column < columns(); ++column) {
            const int index = row * columns() + column;
            if (index >= itemCount())
                break;
            const Rect box {area.left + column * width, y, area.left + (column + 1) * width, y + height};
            if (style_ & kIcon)
                paintCell(canvas, index, box);
            else
                paintRow(canvas, index, Rect {box.left, box.top, right, box.bottom});
        }
    }
    return y - area.top;
}

std::int64_t ListView::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmSetFocus:
        notify(kNotifySetFocus, selected_);
        return 0;
    case kWmSize:
        keepVisible(selected_);
        return 0;
    case kWmLButtonUp: {
        // lParam: y << 16 | x in the list's client area.
        const int row = hitTest(
            static_cast<std::int16_t>(lParam & 0xFFFF), static_cast<std::int16_t>((lParam >> 16) & 0xFFFF));
        if (row >= 0)
            tap(row);
        return 0;
    }
    case kWmKeyDown:
        if (style_ & kIcon) {
            // In the grid a key that cannot move is left to the parent.
            int step = 0;
            switch (wParam) {
            case kVkLeft:
                step = -1;
                break;
            case kVkRight:
                step = 1;
                break;
            case kVkUp:
                step = -columns();
                break;
            case kVkDown:
                step = columns();
                break;
            default:
                break;
            }
            if (step != 0) {
                const int next = selected_ < 0 ? 0 : selected_ + step;
                if (next < 0 || next >= itemCount())
                    return kKeyLeft;
                select(next);
                return 0;
            }
        }
        switch (wParam) {
        case kVkDown:
            if (selected_ + 1 < itemCount())
                select(selected_ + 1);
            else if (style_ & kEdgeKeysToParent)
                return edgeKey(kVkDown);
            return 0;
        case kVkUp:
            if (selected_ > 0)
                select(selected_ - 1);
            else if (style_ & kEdgeKeysToParent)
                return edgeKey(kVkUp);
            return 0;
        case kVkReturn:
            if (selected_ < 0)
                return kKeyLeft;
            notify(kNotifyReturn, selected_);
            if (exists())
                notify(kNotifyItemActivate, selected_);
            return 0;
        default:
            return kKeyLeft;
        }
    case kWmChar:
        if (wParam == u' ' && (style_ & kCheckBoxes) && selected_ >= 0) {
            rows_[selected_].checked = !rows_[selected_].checked;
            return 0;
        }
        return kKeyLeft;
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

} // namespace tessel::ui
