#pragma once

#include <cstdint>

// Codes of the scenario configuration model: field types (shared with the
// service protocol), the keyword bits of a field's input formats, modifiers
// and fonts, soft-key actions and the kinds of a configuration link.

// The type of a scenario field: what its values are, and what a message
// sends for it.
enum CScenarioFieldType : std::int32_t {
    kFieldImages = 0,
    kFieldVideos = 1,
    kFieldAddressList = 2,
    kFieldTitle = 3,
    kFieldSubject = 4,
    kFieldAudioAnnotation = 5,
    kFieldAlbums = 6,
    kFieldComposites = 7,
    kFieldShortMessage = 8,
    kFieldAddress = 9,
    kFieldHelp = 10,
    // A comma list of types; its members are in the field's type list.
    kFieldTypeList = 11,
    kFieldOther = 12,
};

// Input formats ("con").
enum : std::uint32_t {
    kInputEmail = 1, // "eml"
    kInputNumber = 2, // "num"
    kInputPhone = 4, // "tel"
    kInputUrl = 8, // "url"
    kInputDecimal = 16, // "dec"
};

// Modifiers ("mod"), named after their keywords.
enum : std::uint32_t {
    kModifierPw = 1,
    kModifierInc = 2,
    kModifierIcw = 4,
    kModifierIcs = 8,
    kModifierNws = 16,
    kModifierNcr = 32,
    kModifierNp = 64,
};

// Fonts ("fnt").
enum : std::uint32_t {
    kFontLarge = 1, // "lg"
    kFontMedium = 2, // "md"
    kFontSmall = 4, // "sm"
    kFontBold = 8, // "bd"
    kFontItalic = 16, // "it"
    kFontUnderline = 32, // "un"
};

// Soft-key actions; 0 is "unset".
enum CScenarioAction : std::int32_t {
    kActionUnset = 0,
    kActionSend = 1,
    kActionDispErr = 2,
    kActionChange = 3,
    kActionAdd = 4,
    kActionNop = 5,
    kActionClear = 6,
    kActionCancel = 7,
    kActionView = 8,
};

// What the link of a scenario's configuration names ("lt").
enum CScenarioLinkKind : std::int32_t {
    kLinkHttp = 0, // a web page
    kLinkScenario = 1, // another scenario ("scen")
};

// The wait action that "send" selects; also a fresh definition's.
inline constexpr std::int32_t kWaitActionSend = 0;

// The variable names that hold the recipient lists of a send.
inline constexpr const char* kSendToRecipientsVariable = "__vxl_sendto_recipients";
inline constexpr const char* kTextSendToRecipientsVariable = "__vxl_text_sendto_recipients";

bool isRecipientVariable(const char* name);

// Keyword tables of the configuration file. The field type and the action are
// matched exactly: an unknown type is kFieldOther, a value with a comma
// kFieldTypeList, an unknown action kActionNop. The three bit sets are found
// by substring search, so "eml,tel" sets two bits and "npw" both kModifierPw
// and kModifierNp; each keyword adds its bit once.
std::int32_t scenarioFieldTypeOf(const char* name);
std::uint32_t scenarioInputFormatsOf(const char* value);
std::uint32_t scenarioModifiersOf(const char* value);
std::uint32_t scenarioFontsOf(const char* value);
std::int32_t scenarioActionOf(const char* text);
