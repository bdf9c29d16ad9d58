#include "platform/ui/Edit.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"

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

// The text's lines: CR LF, a lone LF or a lone CR ends one.
std::vector<std::u16string> splitLines(const std::u16string& text)
{
    std::vector<std::u16string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            lines.emplace_back();
            continue;
        }
        lines.back().push_back(text[i]);
    }
    return lines;
}

bool endsWithLineBreak(const std::u16string& text)
{
    return !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
}

} // namespace

std::size_t characterCount(std::u16string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]))
            ++i;
        ++count;
    }
    return count;
}

std::size_t wholeUnits(std::u16string_view text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n)
        i += isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]) ? 2 : 1;
    // A CR cut off from its LF stays out with it.
    if (i > 0 && i < text.size() && text[i - 1] == u'\r' && text[i] == u'\n')
        --i;
    return i;
}

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
    if (!(style_ & kMultiline)) {
        lines->push_back(u"[" + shown + u"]");
        return;
    }
    std::vector<std::u16string> rows = splitLines(shown);
    rows.front().insert(0, 1, u'[');
    rows.back().push_back(u']');
    lines->insert(lines->end(), rows.begin(), rows.end());
}

int Edit::paint(Canvas& canvas, const Rect& area) const
{
    if (!(style_ & kMultiline) || !hasRect())
        return Window::paint(canvas, area);
    const std::u16string shown = (style_ & kPassword) ? std::u16string(text().size(), u'*') : text();
    std::shared_ptr<Font> before = font() ? canvas.selectFont(font()) : canvas.font();
    const unsigned flags = kDtWordBreak | kDtNoPrefix;
    const Rect box {
        area.left + kEditMargin, area.top + kEditMargin, area.right - kEditMargin, area.bottom - kEditMargin};
    // Scrolled so that the caret's line is the last one shown, once the text
    // up to it is taller than the box; an empty last line counts.
    int offset = 0;
    if (style_ & kAutoVScroll) {
        std::u16string upToCaret = shown.substr(0, std::min(caret_, shown.size()));
        if (upToCaret.empty() || endsWithLineBreak(upToCaret))
            upToCaret.push_back(u'X');
        Rect measured {0, 0, box.width(), 0};
        canvas.drawText(upToCaret, &measured, flags | kDtCalcRect);
        offset = std::max(0, measured.height() - box.height());
    }
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setTextColor(systemColor(enabled() ? kColorWindowText : kColorGrayText));
    Rect drawn {box.left, box.top - offset, box.right, box.bottom};
    canvas.drawText(shown, &drawn, flags);
    canvas.selectFont(std::move(before));
    return 0;
}

void Edit::changed()
{
    if (parent())
        parent()->windowProc(kWmCommand, (static_cast<std::uint64_t>(kEnChange) << 16) | controlId(),
            static_cast<std::int64_t>(handle()));
}

// The limit counts characters, and what does not fit is left out whole: a
// surrogate pair is never split, nor a line break.
bool Edit::insert(std::u16string_view piece)
{
    std::u16string current = text();
    const std::size_t have = characterCount(current);
    const std::size_t room = limit_ == 0 ? characterCount(piece) : (have < limit_ ? limit_ - have : 0);
    const std::size_t count = wholeUnits(piece, room);
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
        // The formatting rectangle follows the control once it is placed.
        if (auto* rect = reinterpret_cast<EditRect*>(lParam)) {
            const int width = hasRect() ? windowRect().width() : rect_.right - rect_.left;
            const int height = hasRect() ? windowRect().height() : rect_.bottom - rect_.top;
            *rect = EditRect {kEditMargin, kEditMargin, std::max(kEditMargin, width - kEditMargin),
                std::max(kEditMargin, height - kEditMargin)};
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
    case kEmReplaceSel:
        if (const auto* piece = reinterpret_cast<const char16_t*>(lParam))
            insert(piece);
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
            if (!(style_ & kMultiline) || !(style_ & kWantReturn))
                return kKeyLeft;
            // The line break goes in whole or not at all.
            insert(u"\r\n");
            return 0;
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
        // Enter comes as its key, which put the line break in.
        if (c == u'\r')
            return (style_ & kMultiline) && (style_ & kWantReturn) ? 0 : kKeyLeft;
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
