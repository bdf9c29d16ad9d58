#pragma once

// The product's resource library: the functions of it that the program
// calls. Texts are the phone's wide text (UTF-16), NUL-terminated; a
// capacity counts characters, the NUL included.

// The memory card's folder as a phone path ("\Storage Card"), made to exist
// in the device root. Non-zero when a card is present (device.conf
// "card.present") and the folder fits; zero, with an empty folder, otherwise.
int WinTS_GetStorageCard(char16_t* folder, int capacity);

// The MIME type of a file by its extension, ignoring case ("IMG_1.JPG" ->
// "image/jpeg"): the phone's own capture formats first, then the system's
// table /etc/mime.types. Non-zero when a type is known and fits; zero, with
// an empty type, otherwise.
int WinTS_getMimeType(const char16_t* fileName, char16_t* mimeType, int capacity);

// The network access identifier (device.conf "phone.nai"). Non-zero when
// there is one and it fits; zero, with an empty buffer, otherwise.
int WinTS_GetNAI(char16_t* nai, int capacity);

// Whether a screen may be shown now: non-zero unless device.conf
// "system.refuse" holds a text; then zero with that text in the buffer,
// cut to kMaxSystemStateText characters (and to the capacity).
inline constexpr int kMaxSystemStateText = 254;
int WinTS_CheckSystemState(char16_t* message, int capacity);
