#include "platform/ui/Edit.h"

#include <algorithm>
#include <mutex>

namespace tessel::ui {

namespace {

// Edit rectangle inset from the control's edges.
constexpr int kEditMargin = 1;

std::mutex gClipboardMutex;
std::u16string gClipboard;

} // namespace

std::u16string clipboardText()
{
    std::lock_guard<std::mutex> lock(gClipboardMutex);
    return gClipboard;
}

void setClipboardText(const std::u16string& text)
{
    std::lock_guard<std::mutex> lock(gClipboardMutex);
    gClipboard = text;
}

bool Edit::create(Window* parent, int controlId, unsigned style, EditRect rect)
{
    style_ = style;
    rect_ = rect;
    caret_ = 0;
    return Window::create(kClassName, u"", parent, controlId);
}

void Edit::describe(std::vector<std::u16string>* lines) const
{
    std::u16string shown = (style_ & kPassword) ? std::u16string(text().size(), u'*') : text();
    shown.insert(std::min(caret_, shown.size()), 1, u'|');
    lines->push_back(u"[" + shown + u"]");
}

void Edit::changed()
{
    if (parent())
        parent()->windowProc(kWmCommand, (static_cast<std::uint64_t>(kEnChange) << 16) | controlId(),
                             static_cast<std::int64_t>(handle()));
}

bool Edit::insert(std::u16string_view piece)
{
    std::u16string current = text();
    std::size_t room = limit_ == 0 ? piece.size() : (current.size() < limit_ ? limit_ - current.size() : 0);
    std::size_t count = std::min(room, piece.size());
    if (count == 0)
        return false;
    current.insert(caret_, piece.substr(0, count));
    caret_ += count;
    Window::windowProc(kWmSetText, 0, reinterpret_cast<std::int64_t>(current.c_str()));
    changed();
    return true;
}

std::int64_t Edit::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmSetText: {
        std::int64_t result = Window::windowProc(message, wParam, lParam);
        caret_ = text().size();
        return result;
    }
    case kEmLimitText:
        limit_ = static_cast<std::size_t>(wParam);
        return 0;
    case kEmGetSel:
        if (wParam)
            *reinterpret_cast<std::uint32_t*>(wParam) = static_cast<std::uint32_t>(caret_);
        if (lParam)
            *reinterpret_cast<std::uint32_t*>(lParam) = static_cast<std::uint32_t>(caret_);
        return static_cast<std::int64_t>((caret_ << 16) | caret_);
    case kEmSetSel:
        caret_ = std::min<std::size_t>(static_cast<std::size_t>(lParam < 0 ? text().size() : lParam), text().size());
        return 0;
    case kEmGetRect:
        if (auto* rect = reinterpret_cast<EditRect*>(lParam)) {
            *rect = EditRect { kEditMargin, kEditMargin, std::max(kEditMargin, rect_.right - rect_.left - kEditMargin),
                               std::max(kEditMargin, rect_.bottom - rect_.top - kEditMargin) };
        }
        return 0;
    case kWmCopy:
    case kWmCut:
        // A password never leaves its box.
        if (style_ & kPassword)
            return 0;
        setClipboardText(text());
        if (message == kWmCut && !text().empty()) {
            Window::windowProc(kWmSetText, 0, reinterpret_cast<std::int64_t>(u""));
            caret_ = 0;
            changed();
        }
        return 0;
    case kWmPaste:
        insert(clipboardText());
        return 0;
    case kWmSetFocus:
        if (parent())
            parent()->windowProc(kWmCommand, (static_cast<std::uint64_t>(kEnSetFocus) << 16) | controlId(),
                                 static_cast<std::int64_t>(handle()));
        return 0;
    case kWmKeyDown:
        switch (wParam) {
        case kVkLeft:
            if (caret_ > 0)
                --caret_;
            return 0;
        case kVkRight:
            if (caret_ < text().size())
                ++caret_;
            return 0;
        case kVkDelete:
            if (caret_ < text().size()) {
                std::u16string current = text();
                current.erase(caret_, 1);
                Window::windowProc(kWmSetText, 0, reinterpret_cast<std::int64_t>(current.c_str()));
                changed();
            }
            return 0;
        case kVkReturn:
            return (style_ & kMultiline) && (style_ & kWantReturn) ? 0 : kKeyLeft;
        default:
            return kKeyLeft;
        }
    case kWmChar: {
        const auto c = static_cast<char16_t>(wParam);
        if (c == u'\b') {
            if (caret_ == 0)
                return 0;
            std::u16string current = text();
            current.erase(--caret_, 1);
            Window::windowProc(kWmSetText, 0, reinterpret_cast<std::int64_t>(current.c_str()));
            changed();
            return 0;
        }
        if (c == u'\r')
            return (style_ & kMultiline) && (style_ & kWantReturn) && insert(u"\n") ? 0 : kKeyLeft;
        if (c < u' ')
            return kKeyLeft;
        insert(std::u16string_view(&c, 1));
        return 0;
    }
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

} // namespace tessel::ui
