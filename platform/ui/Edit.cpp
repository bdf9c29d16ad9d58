#include "platform/ui/Edit.h"

#include <algorithm>
#include <mutex>

namespace tessel::ui {

namespace {

// Edit rectangle inset from the control's edges.
constexpr int kEditMargin = 1;

std::mutex gClipboardMutex;
std::u16string gClipboard;

bool isHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Characters (code points) in text: a surrogate pair is one.
std::size_t characters(std::u16string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]))
            ++i;
        ++count;
    }
    return count;
}

// The length in units of text's first `count` characters.
std::size_t unitsOf(std::u16string_view text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n)
        i += isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]) ? 2 : 1;
    return i;
}

// The character boundary before (or after) the caret.
std::size_t stepBack(const std::u16string& text, std::size_t caret)
{
    if (caret == 0)
        return 0;
    return caret >= 2 && isLow(text[caret - 1]) && isHigh(text[caret - 2]) ? caret - 2 : caret - 1;
}

std::size_t stepForward(const std::u16string& text, std::size_t caret)
{
    if (caret >= text.size())
        return text.size();
    return caret + 1 < text.size() && isHigh(text[caret]) && isLow(text[caret + 1]) ? caret + 2 : caret + 1;
}

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

// The limit counts characters, and what does not fit is left out whole: a
// surrogate pair is never split.
bool Edit::insert(std::u16string_view piece)
{
    std::u16string current = text();
    const std::size_t have = characters(current);
    const std::size_t room = limit_ == 0 ? characters(piece) : (have < limit_ ? limit_ - have : 0);
    const std::size_t count = unitsOf(piece, room);
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
        caret_ = std::min<std::size_t>(
            static_cast<std::size_t>(lParam < 0 ? text().size() : lParam), text().size());
        return 0;
    case kEmGetRect:
        if (auto* rect = reinterpret_cast<EditRect*>(lParam)) {
            *rect = EditRect {kEditMargin, kEditMargin,
                std::max(kEditMargin, rect_.right - rect_.left - kEditMargin),
                std::max(kEditMargin, rect_.bottom - rect_.top - kEditMargin)};
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
            caret_ = stepBack(text(), caret_);
            return 0;
        case kVkRight:
            caret_ = stepForward(text(), caret_);
            return 0;
        case kVkDelete:
            if (caret_ < text().size()) {
                std::u16string current = text();
                current.erase(caret_, stepForward(current, caret_) - caret_);
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
            const std::size_t start = stepBack(current, caret_);
            current.erase(start, caret_ - start);
            caret_ = start;
            Window::windowProc(kWmSetText, 0, reinterpret_cast<std::int64_t>(current.c_str()));
            changed();
            return 0;
        }
        if (c == u'\r')
            return (style_ & kMultiline) && (style_ & kWantReturn) && insert(u"\n") ? 0 : kKeyLeft;
        if (c < u' ')
            return kKeyLeft;
        // A character beyond the first plane comes as two messages: the
        // first waits for the second, and the pair goes in (or not) as one.
        if (isHigh(c)) {
            pendingHigh_ = c;
            return 0;
        }
        if (isLow(c) && pendingHigh_) {
            const char16_t pair[2] = {pendingHigh_, c};
            pendingHigh_ = 0;
            insert(std::u16string_view(pair, 2));
            return 0;
        }
        pendingHigh_ = 0;
        insert(std::u16string_view(&c, 1));
        return 0;
    }
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

} // namespace tessel::ui
