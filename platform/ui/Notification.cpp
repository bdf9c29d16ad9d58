#include "platform/ui/Notification.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <memory>

namespace tessel::ui {

namespace {

constexpr std::uint64_t kDurationTimer = 1;
thread_local std::unique_ptr<Notification> tNotification;
// The last one dismissed lives on until the next: dismiss may run inside its
// own procedure.
thread_local std::unique_ptr<Notification> tRetired;

} // namespace

void Notification::show(const std::u16string& title, const std::u16string& html,
    std::uint32_t durationSeconds, const std::u16string& softKey)
{
    dismiss();
    tNotification = std::make_unique<Notification>();
    tNotification->html_ = html;
    tNotification->softKey_ = softKey;
    tNotification->create(kClassName, title);
    if (durationSeconds > 0) {
        // Held below the tick count's range rather than wrapped to a short one.
        const std::uint64_t ms = std::min<std::uint64_t>(std::uint64_t(durationSeconds) * 1000u, 0xFFFFFFFEu);
        setTimer(tNotification->handle(), kDurationTimer, static_cast<std::uint32_t>(ms));
    }
    kernel::appendDeviceLog("notify", kernel::wideToUtf8(title) + ": " + kernel::wideToUtf8(html));
}

bool Notification::dismiss()
{
    if (!tNotification)
        return false;
    tRetired = std::move(tNotification);
    tRetired->destroy();
    return true;
}

Notification* Notification::current()
{
    return tNotification.get();
}

namespace {

// The character of the entity at text[at] ("&amp;", "&lt;", "&gt;",
// "&quot;", "&#39;" and the like) appended to out; the index after it. Any
// other "&" stands for itself.
std::size_t decodeEntity(const std::u16string& text, std::size_t at, std::u16string* out)
{
    struct Named {
        const char16_t* name;
        char16_t c;
    };
    static constexpr Named kNamed[]
        = {{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
    for (const Named& named : kNamed) {
        const std::u16string_view name(named.name);
        if (text.compare(at, name.size(), name) == 0) {
            out->push_back(named.c);
            return at + name.size();
        }
    }
    if (at + 2 < text.size() && text[at + 1] == u'#') {
        std::size_t p = at + 2;
        std::uint32_t value = 0;
        while (p < text.size() && p < at + 8 && text[p] >= u'0' && text[p] <= u'9')
            value = value * 10 + static_cast<std::uint32_t>(text[p++] - u'0');
        if (p > at + 2 && p < text.size() && text[p] == u';' && value > 0 && value < 0xD800) {
            out->push_back(static_cast<char16_t>(value));
            return p + 1;
        }
    }
    out->push_back(u'&');
    return at + 1;
}

} // namespace

std::u16string Notification::plainText(const std::u16string& html)
{
    std::u16string text;
    std::size_t i = 0;
    while (i < html.size()) {
        if (html[i] == u'&') {
            i = decodeEntity(html, i, &text);
            continue;
        }
        if (html[i] != u'<') {
            text += html[i++];
            continue;
        }
        std::size_t close = html.find(u'>', i);
        if (close == std::u16string::npos)
            break;
        std::u16string tag = html.substr(i + 1, close - i - 1);
        for (char16_t& c : tag)
            c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
        if (tag == u"br" || tag == u"br/" || tag == u"br /")
            text += u'\n';
        i = close + 1;
    }
    return text;
}

void Notification::describe(std::vector<std::u16string>* lines) const
{
    lines->push_back(u"** " + text() + u" **");
    const std::u16string plain = plainText(html_);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = plain.find(u'\n', start);
        lines->push_back(plain.substr(start, end == std::u16string::npos ? end : end - start));
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
}

// While it is up the soft-key bar is its own: F1 dismisses it, and F2 (which
// shows nothing) reaches no screen below.
bool Notification::onKeyBeforeFocus(std::uint32_t key)
{
    if (key == kVkF2)
        return true;
    if (key != kVkF1)
        return false;
    dismiss();
    return true;
}

std::int64_t Notification::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == kWmTimer && wParam == kDurationTimer) {
        dismiss();
        return 0;
    }
    return Window::windowProc(message, wParam, lParam);
}

} // namespace tessel::ui
