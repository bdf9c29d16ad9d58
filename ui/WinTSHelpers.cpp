#include "ui/WinTSHelpers.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/TextCodec.h"
#include "platform/pim/ContactStore.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Notification.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"

#include <atomic>
#include <cctype>
#include <cstring>

namespace {

constexpr std::uint32_t kNotificationSeconds = 20;
constexpr std::size_t kPhoneDigitsKept = 10;
std::atomic<bool> gNotificationShown {false};

bool addressCharacter(char16_t c)
{
    return (c < 0x80 && std::isalnum(static_cast<unsigned char>(c))) || c == u'$' || c == u'+' || c == u'-'
        || c == u'.' || c == u'@' || c == u'_';
}

} // namespace

tessel::ui::FontDescription LogFont::description() const
{
    tessel::ui::FontDescription d;
    d.height = lfHeight;
    d.width = lfWidth;
    d.weight = lfWeight;
    d.italic = lfItalic != 0;
    d.underline = lfUnderline != 0;
    d.pitchAndFamily = lfPitchAndFamily;
    d.faceName = lfFaceName;
    return d;
}

int LoadFontFromRegistry(const std::u16string& name, LogFont* font)
{
    *font = LogFont {};
    const tessel::ui::FontDescription system = tessel::ui::Font::system()->description();
    font->lfHeight = system.height != 0 ? std::abs(system.height) : tessel::ui::kSystemFontCellHeight;
    font->lfWidth = system.width;
    font->lfWeight = system.weight;
    font->lfItalic = system.italic;
    font->lfUnderline = system.underline;
    font->lfPitchAndFamily = static_cast<std::uint8_t>(system.pitchAndFamily);
    font->lfFaceName = system.faceName;

    const std::u16string section = u"Font\\" + name;
    if (!tessel::kernel::registryKeyExists(
            tessel::kernel::RegistryHive::CurrentUser, registrySectionKey(u"Font"))
        || !tessel::kernel::registryKeyExists(
            tessel::kernel::RegistryHive::CurrentUser, registrySectionKey(section)))
        return 0;
    std::uint32_t scale = 100;
    registryReadDword(section, u"scale", &scale, 100);
    struct Wide {
        const char16_t* name;
        std::int32_t* field;
    };
    const Wide wide[] = {{u"lfHeight", &font->lfHeight}, {u"lfWidth", &font->lfWidth},
        {u"lfEscapement", &font->lfEscapement}, {u"lfOrientation", &font->lfOrientation},
        {u"lfWeight", &font->lfWeight}};
    for (const Wide& w : wide) {
        std::uint32_t value = static_cast<std::uint32_t>(*w.field);
        registryReadDword(section, w.name, &value, value);
        *w.field = static_cast<std::int32_t>(value);
    }
    struct Narrow {
        const char16_t* name;
        std::uint8_t* field;
    };
    const Narrow narrow[] = {{u"lfItalic", &font->lfItalic}, {u"lfUnderline", &font->lfUnderline},
        {u"lfStrikeOut", &font->lfStrikeOut}, {u"lfCharSet", &font->lfCharSet},
        {u"lfOutPrecision", &font->lfOutPrecision}, {u"lfClipPrecision", &font->lfClipPrecision},
        {u"lfQuality", &font->lfQuality}, {u"lfPitchAndFamily", &font->lfPitchAndFamily}};
    for (const Narrow& n : narrow) {
        std::uint32_t value = *n.field;
        registryReadDword(section, n.name, &value, value);
        *n.field = static_cast<std::uint8_t>(value);
    }
    std::u16string face;
    if (registryRead(section, u"lfFaceName", &face))
        font->lfFaceName = face;
    if (scale != 100)
        font->lfHeight = static_cast<std::int32_t>(static_cast<std::int64_t>(scale) * font->lfHeight / 100);
    return 0;
}

std::u16string HtmlNotificationBody(const std::u16string& text)
{
    std::u16string body = u"<HTML><BODY>";
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            body += u"&amp;";
            break;
        case u'<':
            body += u"&lt;";
            break;
        case u'>':
            body += u"&gt;";
            break;
        case u'\n':
            body += u"<br>";
            break;
        default:
            body += c;
        }
    }
    return body + u"</BODY></HTML>";
}

void ShowHtmlNotification(const std::u16string& text)
{
    tessel::ui::Notification::show(u"Tessel", HtmlNotificationBody(text), kNotificationSeconds, u"Dismiss");
    gNotificationShown = true;
}

void DismissHtmlNotification()
{
    if (gNotificationShown.exchange(false))
        tessel::ui::Notification::dismiss();
}

bool HtmlNotificationShown()
{
    return gNotificationShown;
}

std::u16string NormalizeAddress(const std::u16string& address)
{
    std::u16string result;
    const std::size_t at = address.rfind(u'@');
    if (at != std::u16string::npos) {
        std::size_t end = at + 1;
        while (end < address.size() && addressCharacter(address[end]))
            ++end;
        std::size_t begin = at;
        while (begin > 0 && addressCharacter(address[begin - 1]))
            --begin;
        result = address.substr(begin, end - begin);
    } else {
        for (char16_t c : address) {
            if (c >= u'0' && c <= u'9')
                result.push_back(c);
        }
        if (result.size() > kPhoneDigitsKept)
            result.erase(0, result.size() - kPhoneDigitsKept);
    }
    for (char16_t& c : result) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    if (result != address)
        winTSLog(kLogTrace,
            "Normalized email address: " + tessel::kernel::wideToUtf8(address) + " into "
                + tessel::kernel::wideToUtf8(result));
    return result;
}

bool LookupContactName(const std::u16string& address, std::u16string* name)
{
    name->clear();
    tessel::pim::ContactStore store;
    if (!store.logon()) {
        winTSLog(kLogWarning, "Could not connect to Outlook");
        *name = address;
        return false;
    }
    const std::string text = tessel::kernel::wideToUtf8(address);
    const tessel::pim::Contact* contact = store.findByPhone(text);
    if (!contact)
        contact = store.findByEmail(text);
    if (contact)
        *name = tessel::kernel::utf8ToWide(contact->fileAs);
    store.logoff();
    if (!contact)
        *name = address;
    return contact != nullptr;
}

void MeasureText(const std::u16string& text, tessel::ui::Rect* rect, std::shared_ptr<tessel::ui::Font> font,
    bool alsoWidth)
{
    tessel::ui::Bitmap scratch(1, 1);
    tessel::ui::Canvas canvas(&scratch, 0, 0, scratch.bounds());
    canvas.selectFont(font ? std::move(font) : tessel::ui::Font::system());
    tessel::ui::Rect measured = *rect;
    canvas.drawText(text, &measured,
        tessel::ui::kDtCalcRect | tessel::ui::kDtWordBreak | tessel::ui::kDtNoPrefix | tessel::ui::kDtCenter);
    rect->bottom = measured.bottom;
    if (alsoWidth)
        rect->right = measured.right;
}

bool IsPocketPC()
{
    return tessel::kernel::deviceFacts().pocketPc;
}

void QuitApplication()
{
    tessel::ui::postQuitMessage(0);
}

char* WideToMultiByte(char* buffer, const char16_t* text, std::size_t bufferBytes)
{
    if (!buffer || !text)
        return nullptr;
    const std::string utf8 = tessel::kernel::wideToUtf8(std::u16string_view(text));
    if (utf8.size() + 1 > bufferBytes) {
        if (bufferBytes > 0)
            buffer[0] = '\0';
        return nullptr;
    }
    std::memcpy(buffer, utf8.c_str(), utf8.size() + 1);
    return buffer;
}

std::optional<std::size_t> FindLastChar(const std::u16string& text, char16_t c)
{
    const std::size_t at = text.rfind(c);
    if (at == std::u16string::npos)
        return std::nullopt;
    return at;
}
