#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Font.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The user interface's free-standing helpers: fonts described in the
// registry, the short HTML notification, message addresses, contact names,
// text measuring and the platform questions every screen asks.

// The phone's font description record.
struct LogFont {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 400;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    std::u16string lfFaceName;

    tessel::ui::FontDescription description() const;
};

// The system font, changed by the values of section Font\<name> when that
// key exists; "scale" (percent, default 100) scales the height. Returns 0.
int LoadFontFromRegistry(const std::u16string& name, LogFont* font);

// The notification's HTML for a plain text: "&", "<" and ">" escaped, line
// feeds as "<br>", in "<HTML><BODY>...</BODY></HTML>".
std::u16string HtmlNotificationBody(const std::u16string& text);
// Shows the text as the program's notification ("Tessel", 20 seconds, the
// soft key "Dismiss"); Dismiss removes it when it is up.
void ShowHtmlNotification(const std::u16string& text);
void DismissHtmlNotification();
bool HtmlNotificationShown();

// An e-mail address cut out of what surrounds it, or a phone number's last
// 10 digits; in lower case.
std::u16string NormalizeAddress(const std::u16string& address);
// The file-as name of the contact with that phone number (else e-mail
// address); false, with the address as the name, when none matched.
bool LookupContactName(const std::u16string& address, std::u16string* name);

// The rectangle the text takes word-wrapped and centred in rect's width:
// writes back the bottom, and the right edge when alsoWidth.
void MeasureText(const std::u16string& text, tessel::ui::Rect* rect, std::shared_ptr<tessel::ui::Font> font,
    bool alsoWidth);

// True unless device.conf names a smartphone.
bool IsPocketPC();
// A quit request (exit code 0) to the calling thread.
void QuitApplication();
// The wide text as UTF-8 in buffer (NUL-terminated); null when a pointer is
// null or the text does not fit.
char* WideToMultiByte(char* buffer, const char16_t* text, std::size_t bufferBytes);
// The position of the last c in text, or none.
std::optional<std::size_t> FindLastChar(const std::u16string& text, char16_t c);
