#pragma once

#include <string>
#include <string_view>

// UTF-8 (the engine's text and the system code page) to and from UTF-16LE
// bytes (the phone's wide text as stored in the registry), and the ASCII
// case folding that file and registry names compare with.
namespace tessel::kernel {

char asciiLower(char c);

// Equal but for the case of ASCII letters.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Invalid UTF-8 sequences become U+FFFD.
std::string utf8ToUtf16Bytes(std::string_view utf8);

// False, with *utf8 unspecified, when bytes is not whole UTF-16LE code units
// with paired surrogates.
bool utf16BytesToUtf8(std::string_view bytes, std::string* utf8);

// The same, but an unpaired surrogate or a trailing odd byte becomes U+FFFD.
std::string utf16BytesToUtf8Lossy(std::string_view bytes);

// Wide text (the user interface's UTF-16) as UTF-8; unpaired surrogates
// become U+FFFD.
std::string wideToUtf8(std::u16string_view text);

// The text without leading and trailing blanks, tabs and line ends.
std::string trimBlanks(std::string_view text);

// A hex digit's value (either case), or -1.
int hexDigitValue(char c);
// Bytes as lower-case hex digits, and back (false for an odd count or a
// character that is no hex digit).
std::string hexEncode(std::string_view bytes);
bool hexDecode(std::string_view text, std::string* bytes);

// UTF-8 as wide text; invalid sequences become U+FFFD.
std::u16string utf8ToWide(std::string_view utf8);

} // namespace tessel::kernel
