#include "ui/HTMLView.h"

#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"

#include <atomic>
#include <cstdio>
#include <string_view>
#include <vector>

using tessel::ui::Rect;

namespace {

std::atomic<bool> gControlReady {false};

constexpr std::u16string_view kUrlCharacters
    = u"qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM0123456789$-_.+!*'(),&?:/\\";
constexpr std::u16string_view kPhoneCharacters = u"0123456789-.()+";
constexpr std::size_t kMinPhoneDigits = 7;

bool isAsciiAlnum(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// Letters, digits and $ + - . _ (the at sign is not one).
bool isAddressCharacter(char16_t c)
{
    return isAsciiAlnum(c) || c == u'$' || c == u'+' || c == u'-' || c == u'.' || c == u'_';
}

// A piece of the text on its way to HTML: plain text still to be scanned
// and escaped, or the markup of a link a pass made, which later passes leave.
struct Piece {
    bool link;
    std::u16string text;
};
using Pieces = std::vector<Piece>;

// For a link's target or shown text: nothing in it can end the quoted
// target or open a tag.
std::u16string escapeMarkup(std::u16string_view text)
{
    std::u16string out;
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'\'':
            out += u"&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Plain text keeps "&lt", "&amp" and "&gt" without a semicolon, but takes
// one where the next character would otherwise read as part of the entity
// ("&;" or "<imes;" would lose characters).
std::u16string escapePlain(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t* entity = nullptr;
        switch (text[i]) {
        case u'&':
            entity = u"&amp";
            break;
        case u'<':
            entity = u"&lt";
            break;
        case u'>':
            entity = u"&gt";
            break;
        default:
            out += text[i];
            continue;
        }
        out += entity;
        if (i + 1 < text.size() && (isAsciiAlnum(text[i + 1]) || text[i + 1] == u';'))
            out += u';';
    }
    return out;
}

std::u16string contactName(const std::u16string& address)
{
    std::u16string name;
    LookupContactName(address, &name);
    return name.empty() ? address : name;
}

std::u16string link(std::u16string_view scheme, const std::u16string& target, const std::u16string& shown)
{
    return u"<a href='" + std::u16string(scheme) + escapeMarkup(target) + u"'>" + escapeMarkup(shown)
        + u"</a>";
}

// Runs scan over every plain piece; scan splits one text into pieces.
template <class Scan> Pieces pass(const Pieces& in, Scan scan)
{
    Pieces out;
    for (const Piece& piece : in) {
        if (piece.link)
            out.push_back(piece);
        else
            scan(piece.text, &out);
    }
    return out;
}

void addText(Pieces* out, std::u16string_view text)
{
    if (!text.empty())
        out->push_back(Piece {false, std::u16string(text)});
}

void scanEmail(const std::u16string& t, Pieces* out)
{
    std::size_t pos = 0;
    while (pos < t.size()) {
        const std::size_t at = t.find(u'@', pos);
        if (at == std::u16string::npos)
            break;
        std::size_t begin = at;
        while (begin > pos && isAddressCharacter(t[begin - 1]))
            --begin;
        std::size_t end = at + 1;
        while (end < t.size() && isAddressCharacter(t[end]))
            ++end;
        // An at sign with nothing of an address before it starts no link.
        if (end == at + 1 || begin == at) {
            addText(out, std::u16string_view(t).substr(pos, at + 1 - pos));
            pos = at + 1;
            continue;
        }
        addText(out, std::u16string_view(t).substr(pos, begin - pos));
        const std::u16string address = t.substr(begin, end - begin);
        out->push_back(Piece {true, link(u"mailto:", address, contactName(address))});
        pos = end;
    }
    addText(out, std::u16string_view(t).substr(pos));
}

void scanWeb(const std::u16string& t, Pieces* out)
{
    std::u16string lower = t;
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    std::size_t pos = 0;
    while (pos < t.size()) {
        const std::size_t http = lower.find(u"http:", pos);
        const std::size_t www = lower.find(u"www.", pos);
        const std::size_t start = std::min(http, www);
        if (start == std::u16string::npos)
            break;
        std::size_t end = start;
        while (end < t.size() && kUrlCharacters.find(t[end]) != std::u16string_view::npos)
            ++end;
        addText(out, std::u16string_view(t).substr(pos, start - pos));
        const std::u16string url = t.substr(start, end - start);
        out->push_back(Piece {true, link(u"url:", url, url)});
        pos = end;
    }
    addText(out, std::u16string_view(t).substr(pos));
}

void scanPhone(const std::u16string& t, Pieces* out)
{
    std::size_t pos = 0;
    while (pos < t.size()) {
        const std::size_t start = t.find_first_of(kPhoneCharacters, pos);
        if (start == std::u16string::npos)
            break;
        std::size_t end = start;
        while (end < t.size() && kPhoneCharacters.find(t[end]) != std::u16string_view::npos)
            ++end;
        addText(out, std::u16string_view(t).substr(pos, start - pos));
        const std::u16string run = t.substr(start, end - start);
        std::u16string digits;
        for (char16_t c : run) {
            if (c >= u'0' && c <= u'9')
                digits += c;
        }
        if (digits.size() < kMinPhoneDigits) {
            addText(out, run);
        } else {
            std::u16string name;
            const bool known = LookupContactName(digits, &name);
            out->push_back(Piece {true, link(u"tel:", run, known ? name : run)});
        }
        pos = end;
    }
    addText(out, std::u16string_view(t).substr(pos));
}

void replaceAll(std::u16string* text, std::u16string_view from, std::u16string_view to)
{
    for (std::size_t at = text->find(from); at != std::u16string::npos; at = text->find(from, at + to.size()))
        text->replace(at, from.size(), to);
}

} // namespace

CHTMLView::CHTMLView()
    : base_(u"CHTMLView")
{
}

std::u16string CHTMLView::ToHtml(const std::u16string& text)
{
    Pieces pieces {Piece {false, text}};
    pieces = pass(pieces, scanEmail);
    pieces = pass(pieces, scanWeb);
    pieces = pass(pieces, scanPhone);
    std::u16string html;
    for (const Piece& piece : pieces)
        html += piece.link ? piece.text : escapePlain(piece.text);
    // Runs of empty lines collapse to one break.
    while (html.find(u"\r\n\r\n") != std::u16string::npos)
        replaceAll(&html, u"\r\n\r\n", u"\r\n");
    replaceAll(&html, u"\r\n", u"<br/>");
    replaceAll(&html, u"\n", u"<br/>");
    replaceAll(&html, u"\r", u"<br/>");
    return html;
}

bool CHTMLView::Create(tessel::ui::Window* parent, const Rect& rect, const std::u16string& text,
    int controlId, std::uint32_t background)
{
    background_ = background;
    if (!gControlReady.exchange(true))
        tessel::htmlview::initHtmlControl(0);
    // The control takes the rectangle's right and bottom as its size.
    const Rect at {rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
    if (!create(parent, controlId, at))
        return false;
    moveWindow(at);
    setControlId(kControlId);
    if (!text.empty())
        SetText(text);
    return true;
}

void CHTMLView::SetText(const std::u16string& text)
{
    char colour[8];
    std::snprintf(colour, sizeof colour, "%6.6X", background_ & 0xFFFFFF);
    const std::u16string body
        = u"<body bgcolor=\"#" + std::u16string(colour, colour + 6) + u"\">" + ToHtml(text) + u"</body>";
    windowProc(tessel::ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(body.c_str()));
}

void CHTMLView::Move(const Rect& rect, bool)
{
    move(rect);
    moveWindow(rect);
}

void CHTMLView::SetFont(tessel::ui::Font* font)
{
    windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(font), 1);
}

int CHTMLView::GetLayoutHeight()
{
    return static_cast<int>(windowProc(tessel::htmlview::kDtmLayoutHeight, 0, 0))
        + tessel::ui::systemMetric(tessel::ui::kMetricHScrollHeight);
}

bool CHTMLView::OnChildNotify(const tessel::ui::NotifyHeader& header)
{
    if (header.code != tessel::htmlview::kNmHotspot || header.from != handle())
        return false;
    windowProc(tessel::ui::kWmSetText, 0, 0);
    windowProc(tessel::htmlview::kDtmAddTextW, 0, reinterpret_cast<std::int64_t>(u""));
    windowProc(tessel::htmlview::kDtmEndOfSource, 0, 0);
    return true;
}
