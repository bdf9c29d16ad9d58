#include "platform/ui/ListView.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace tessel::ui {

bool ListView::create(Window* parent, int controlId, unsigned style)
{
    style_ = style;
    return Window::create(kClassName, u"", parent, controlId);
}

int ListView::insertItem(int index, const std::u16string& text, std::int64_t data)
{
    if (index < 0 || index > itemCount())
        index = itemCount();
    rows_.insert(rows_.begin() + index, Row { { text }, data, false });
    if (selected_ >= index)
        ++selected_;
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
    return true;
}

void ListView::deleteAllItems()
{
    rows_.clear();
    selected_ = -1;
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
    NotifyHeader header { handle(), controlId(), code, item };
    return parent()->windowProc(kWmNotify, static_cast<std::uint64_t>(controlId()),
                                reinterpret_cast<std::int64_t>(&header));
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
    for (int i = 0; i < itemCount(); ++i) {
        std::u16string line = i == selected_ ? u"* " : u"  ";
        if (style_ & kCheckBoxes)
            line += rows_[i].checked ? u"[x] " : u"[ ] ";
        const auto& columns = rows_[i].columns;
        for (std::size_t c = 0; c < columns.size() && (c == 0 || (style_ & kReport)); ++c)
            line += (c ? u" | " : u"") + columns[c];
        lines->push_back(line);
    }
}

bool ListView::setItemImage(int index, int image)
{
    if (index < 0 || index >= itemCount())
        return false;
    rows_[index].image = image;
    return true;
}

int ListView::paint(Canvas& canvas, const Rect& area) const
{
    std::shared_ptr<Font> font = canvas.font() ? canvas.font() : Font::system();
    const int textHeight = (font ? font->lineHeight() : kSystemFontCellHeight) + kRowPadding;
    const int rowHeight = images_ ? std::max(textHeight, images_->height() + 2) : textHeight;
    int y = area.top;
    for (int i = 0; i < itemCount() && y < area.bottom; ++i, y += rowHeight) {
        const Rect row { area.left, y, area.right, y + rowHeight };
        const bool highlighted = i == selected_;
        if (highlighted)
            canvas.fillRect(row, Brush::solid(systemColor(kColorHighlight)));
        int x = area.left + 2;
        if (style_ & kCheckBoxes) {
            const int side = std::min(13, rowHeight - 2);
            canvas.checkBoxFrame(Rect { x, y + (rowHeight - side) / 2, x + side, y + (rowHeight - side) / 2 + side },
                                 rows_[i].checked);
            x += side + 4;
        }
        if (images_) {
            images_->draw(canvas, rows_[i].image, x, y + (rowHeight - images_->height()) / 2);
            x += images_->width() + 4;
        }
        std::u16string text;
        const auto& columns = rows_[i].columns;
        for (std::size_t c = 0; c < columns.size() && (c == 0 || (style_ & kReport)); ++c)
            text += (c ? u"  " : u"") + columns[c];
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.setTextColor(systemColor(highlighted ? kColorHighlightText : kColorWindowText));
        Rect textRect { x, y, area.right - 2, y + rowHeight };
        canvas.drawText(text, &textRect, kDtVCenter | kDtSingleLine | kDtNoPrefix | kDtEndEllipsis);
    }
    return y - area.top;
}

std::int64_t ListView::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmSetFocus:
        notify(kNotifySetFocus, selected_);
        return 0;
    case kWmKeyDown:
        switch (wParam) {
        case kVkDown:
            if (selected_ + 1 < itemCount())
                select(selected_ + 1);
            return 0;
        case kVkUp:
            if (selected_ > 0)
                select(selected_ - 1);
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
