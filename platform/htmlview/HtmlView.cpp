#include "platform/htmlview/HtmlView.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <memory>

namespace tessel::htmlview {

namespace {

constexpr int kFallbackAdvance = 7;
// A numeric entity past Unicode shows as the replacement character.
constexpr std::uint32_t kMaxCodePoint = 0x10FFFF;

struct Entity {
    const char16_t* name;
    char16_t c;
};

constexpr Entity kEntities[] = {
    {u"amp", u'&'},
    {u"lt", u'<'},
    {u"gt", u'>'},
    {u"quot", u'"'},
    {u"apos", u'\''},
    {u"nbsp", u'\u00A0'},
};

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool startsWithName(const std::u16string& text, std::size_t at, const char16_t* name)
{
    for (; *name; ++name, ++at)
        if (at >= text.size() || asciiLower(text[at]) != *name)
            return false;
    return true;
}

// Decodes the entity at text[at] ("&"), appending its character; the index
// after it (the ";" taken when there is one). An unknown one is a plain "&".
std::size_t decodeEntity(const std::u16string& text, std::size_t at, std::u16string* out)
{
    std::size_t p = at + 1;
    if (p < text.size() && text[p] == u'#') {
        ++p;
        const bool hex = p < text.size() && (text[p] == u'x' || text[p] == u'X');
        if (hex)
            ++p;
        std::uint32_t value = 0;
        const std::size_t digits = p;
        for (; p < text.size(); ++p) {
            const char16_t c = text[p];
            int d = -1;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (hex && asciiLower(c) >= u'a' && asciiLower(c) <= u'f')
                d = asciiLower(c) - u'a' + 10;
            if (d < 0)
                break;
            value = std::min<std::uint32_t>(
                value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d), kMaxCodePoint + 1);
        }
        if (p == digits) {
            out->push_back(u'&');
            return at + 1;
        }
        if (value == 0 || value > kMaxCodePoint || (value >= 0xD800 && value <= 0xDFFF))
            value = 0xFFFD;
        if (value > 0xFFFF) {
            value -= 0x10000;
            out->push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            out->push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            out->push_back(static_cast<char16_t>(value));
        }
        return p < text.size() && text[p] == u';' ? p + 1 : p;
    }
    for (const Entity& entity : kEntities) {
        if (startsWithName(text, p, entity.name)) {
            out->push_back(entity.c);
            p += std::char_traits<char16_t>::length(entity.name);
            return p < text.size() && text[p] == u';' ? p + 1 : p;
        }
    }
    out->push_back(u'&');
    return at + 1;
}

std::u16string decodeEntities(const std::u16string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == u'&')
            i = decodeEntity(text, i, &out);
        else
            out.push_back(text[i++]);
    }
    return out;
}

struct Tag {
    std::u16string name; // lower case, "/" first for an end tag
    std::u16string body; // everything between the name and ">"
};

// The value of attribute `name` in a tag body, entities decoded; empty when
// it is missing.
std::u16string attribute(const std::u16string& body, const char16_t* name)
{
    std::size_t p = 0;
    const std::size_t nameLength = std::char_traits<char16_t>::length(name);
    while (p < body.size()) {
        while (p < body.size() && (isSpace(body[p]) || body[p] == u'/'))
            ++p;
        const std::size_t start = p;
        while (p < body.size() && !isSpace(body[p]) && body[p] != u'=' && body[p] != u'/')
            ++p;
        const bool wanted = p - start == nameLength && startsWithName(body, start, name);
        while (p < body.size() && isSpace(body[p]))
            ++p;
        std::u16string value;
        if (p < body.size() && body[p] == u'=') {
            ++p;
            while (p < body.size() && isSpace(body[p]))
                ++p;
            if (p < body.size() && (body[p] == u'\'' || body[p] == u'"')) {
                const char16_t quote = body[p++];
                const std::size_t end = body.find(quote, p);
                value = body.substr(p, end == std::u16string::npos ? std::u16string::npos : end - p);
                p = end == std::u16string::npos ? body.size() : end + 1;
            } else {
                const std::size_t from = p;
                while (p < body.size() && !isSpace(body[p]))
                    ++p;
                value = body.substr(from, p - from);
            }
        }
        if (wanted)
            return decodeEntities(value);
        if (p == start)
            ++p;
    }
    return {};
}

std::uint32_t parseColor(const std::u16string& text, std::uint32_t fallback)
{
    std::size_t p = !text.empty() && text[0] == u'#' ? 1 : 0;
    if (text.size() - p != 6)
        return fallback;
    std::uint32_t value = 0;
    for (; p < text.size(); ++p) {
        const char16_t c = asciiLower(text[p]);
        if (c >= u'0' && c <= u'9')
            value = value * 16 + (c - u'0');
        else if (c >= u'a' && c <= u'f')
            value = value * 16 + (c - u'a' + 10);
        else
            return fallback;
    }
    return value;
}

int advanceOf(char16_t c)
{
    static const std::shared_ptr<ui::Font> font = ui::Font::system();
    return font ? font->advance(c) : kFallbackAdvance;
}

int rowHeight()
{
    static const std::shared_ptr<ui::Font> font = ui::Font::system();
    return (font ? font->lineHeight() : ui::kSystemFontCellHeight) + ui::kRowPadding;
}

} // namespace

bool initHtmlControl(std::uint64_t)
{
    return true;
}

bool HtmlView::create(ui::Window* parent, int controlId, const ui::Rect& bounds)
{
    width_ = std::max(0, bounds.right - bounds.left);
    height_ = std::max(0, bounds.bottom - bounds.top);
    return Window::create(kHtmlViewClass, u"", parent, controlId);
}

void HtmlView::move(const ui::Rect& bounds)
{
    width_ = std::max(0, bounds.right - bounds.left);
    height_ = std::max(0, bounds.bottom - bounds.top);
    parse();
}

int HtmlView::layoutHeight() const
{
    return static_cast<int>(lines_.size()) * rowHeight();
}

std::int64_t HtmlView::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case ui::kWmSetText: {
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        source_ = text ? text : u"";
        focusedLink_ = -1;
        parse();
        return 1;
    }
    case kDtmAddTextW: {
        const auto* text = reinterpret_cast<const char16_t*>(lParam);
        for (const char16_t* c = text; c && *c; ++c) {
            if (wParam && *c == u'&')
                source_ += u"&amp;";
            else if (wParam && *c == u'<')
                source_ += u"&lt;";
            else
                source_ += *c;
        }
        parse();
        return 1;
    }
    case kDtmEndOfSource:
        return 1;
    case kDtmLayoutHeight:
        return layoutHeight();
    case ui::kWmSetFont:
        return 0;
    case ui::kWmKeyDown:
        return onKey(static_cast<std::uint32_t>(wParam));
    case ui::kWmLButtonDown:
        tapAt(static_cast<int>(lParam & 0xFFFF), static_cast<int>((lParam >> 16) & 0xFFFF));
        return 0;
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}

std::int64_t HtmlView::onKey(std::uint32_t key)
{
    const int count = static_cast<int>(links_.size());
    switch (key) {
    case ui::kVkDown:
    case ui::kVkRight:
        if (focusedLink_ + 1 >= count)
            return ui::kKeyLeft;
        ++focusedLink_;
        return 0;
    case ui::kVkUp:
    case ui::kVkLeft:
        if (focusedLink_ <= 0)
            return ui::kKeyLeft;
        --focusedLink_;
        return 0;
    case ui::kVkReturn:
        if (focusedLink_ < 0 || focusedLink_ >= count)
            return ui::kKeyLeft;
        activate(focusedLink_);
        return 0;
    default:
        return ui::kKeyLeft;
    }
}

bool HtmlView::tapAt(int x, int y)
{
    if (y < 0 || x < 0)
        return false;
    const std::size_t row = static_cast<std::size_t>(y / rowHeight());
    if (row >= lines_.size())
        return false;
    const int textX = x - ui::kRowPadding;
    for (const Cell& cell : lines_[row]) {
        if (cell.link >= 0 && textX >= cell.x0 && textX < cell.x1) {
            focusedLink_ = cell.link;
            activate(cell.link);
            return true;
        }
    }
    return false;
}

void HtmlView::activate(int link)
{
    if (!parent())
        return;
    // The parent may clear this control while it handles the notification.
    const std::u16string target = links_[static_cast<std::size_t>(link)].target;
    HtmlViewNotify notify {{handle(), controlId(), kNmHotspot, -1}, target.c_str(), u""};
    ui::sendMessage(parent()->handle(), ui::kWmNotify, static_cast<std::uint64_t>(controlId()),
        reinterpret_cast<std::int64_t>(&notify));
}

// The source as cells of shown text: white space collapsed to one blank,
// breaks as "\n", each link's text between its marks.
void HtmlView::parse()
{
    links_.clear();
    background_ = 0xFFFFFF;
    std::vector<Cell> cells;
    int link = -1;
    bool pendingSpace = false;
    auto put = [&](char16_t c, int owner, Mark mark) {
        if (pendingSpace && !cells.empty() && cells.back().c != u'\n')
            cells.push_back({u' ', -1, Mark::None});
        pendingSpace = false;
        cells.push_back({c, owner, mark});
    };
    auto closeLink = [&] {
        if (link < 0)
            return;
        pendingSpace = false;
        put(u']', link, Mark::Close);
        link = -1;
    };

    const std::u16string& s = source_;
    for (std::size_t i = 0; i < s.size();) {
        const char16_t c = s[i];
        if (c == u'<' && s.compare(i, 4, u"<!--") == 0) {
            const std::size_t end = s.find(u"-->", i + 4);
            i = end == std::u16string::npos ? s.size() : end + 3;
            continue;
        }
        const bool tagStart = c == u'<' && i + 1 < s.size()
            && (isAsciiLetter(s[i + 1]) || s[i + 1] == u'/' || s[i + 1] == u'!');
        const std::size_t close = tagStart ? s.find(u'>', i) : std::u16string::npos;
        if (close != std::u16string::npos) {
            Tag tag;
            std::size_t p = i + 1;
            if (s[p] == u'/')
                tag.name.push_back(s[p++]);
            while (p < close && (isAsciiLetter(s[p]) || (s[p] >= u'0' && s[p] <= u'9')))
                tag.name.push_back(asciiLower(s[p++]));
            tag.body = s.substr(p, close - p);
            i = close + 1;
            if (tag.name == u"br") {
                pendingSpace = false;
                cells.push_back({u'\n', -1, Mark::None});
            } else if (tag.name == u"a") {
                closeLink();
                const std::u16string href = attribute(tag.body, u"href");
                if (!href.empty()) {
                    links_.push_back({href, u""});
                    link = static_cast<int>(links_.size()) - 1;
                    put(u'[', link, Mark::Open);
                }
            } else if (tag.name == u"/a") {
                closeLink();
            } else if (tag.name == u"body") {
                background_ = parseColor(attribute(tag.body, u"bgcolor"), background_);
            }
            continue;
        }
        std::u16string decoded;
        if (c == u'&') {
            i = decodeEntity(s, i, &decoded);
        } else {
            decoded.push_back(c);
            ++i;
        }
        for (char16_t d : decoded) {
            if (isSpace(d)) {
                pendingSpace = !cells.empty() && cells.back().c != u'\n';
                continue;
            }
            put(d, link, Mark::None);
            if (link >= 0)
                links_[static_cast<std::size_t>(link)].text.push_back(d);
        }
    }
    closeLink();
    wrap(cells);
}

// Greedy wrapping at blanks to the control's width less the row margins; a
// word wider than a line is cut where it must be.
void HtmlView::wrap(const std::vector<Cell>& cells)
{
    lines_.clear();
    const int width = std::max(1, width_ - 2 * ui::kRowPadding);
    std::vector<Cell> line;
    int x = 0;
    auto endLine = [&] {
        while (!line.empty() && line.back().c == u' ')
            line.pop_back();
        lines_.push_back(std::move(line));
        line.clear();
        x = 0;
    };
    std::size_t i = 0;
    while (i < cells.size()) {
        if (cells[i].c == u'\n') {
            endLine();
            ++i;
            continue;
        }
        if (cells[i].c == u' ') {
            if (!line.empty()) {
                Cell blank = cells[i];
                blank.x0 = x;
                x += advanceOf(u' ');
                blank.x1 = x;
                line.push_back(blank);
            }
            ++i;
            continue;
        }
        std::size_t end = i;
        int wordWidth = 0;
        while (end < cells.size() && cells[end].c != u' ' && cells[end].c != u'\n')
            wordWidth += advanceOf(cells[end++].c);
        if (x + wordWidth > width && !line.empty())
            endLine();
        for (; i < end; ++i) {
            const int advance = advanceOf(cells[i].c);
            if (x + advance > width && !line.empty())
                endLine();
            Cell cell = cells[i];
            cell.x0 = x;
            x += advance;
            cell.x1 = x;
            line.push_back(cell);
        }
    }
    if (!line.empty())
        endLine();
}

void HtmlView::describe(std::vector<std::u16string>* lines) const
{
    for (const std::vector<Cell>& line : lines_) {
        std::u16string text;
        for (const Cell& cell : line) {
            const bool focused = cell.link >= 0 && cell.link == focusedLink_;
            if (cell.mark == Mark::Open)
                text.push_back(focused ? u'{' : u'[');
            else if (cell.mark == Mark::Close)
                text.push_back(focused ? u'}' : u']');
            else
                text.push_back(cell.c);
        }
        lines->push_back(text);
    }
}

int HtmlView::paint(ui::Canvas& canvas, const ui::Rect& area) const
{
    const int height = std::max(layoutHeight(), 0);
    const std::uint32_t c = background_;
    canvas.fillRect({area.left, area.top, area.right, std::min(area.bottom, area.top + height)},
        ui::Brush::solid(ui::rgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF)));
    return Window::paint(canvas, area);
}

} // namespace tessel::htmlview
