#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A tagged value of the phone's message store: the tag's high half names
// the property, its low half the type (a 32-bit number, a text, bytes). A
// property a message does not hold reads as type kTypeError with the
// tag's property half kept. Texts are UTF-8 here.
namespace tessel::mapi {

inline constexpr std::uint32_t kTypeLong = 0x0003;
inline constexpr std::uint32_t kTypeError = 0x000A;
inline constexpr std::uint32_t kTypeText = 0x001F;
inline constexpr std::uint32_t kTypeBinary = 0x0102;

inline constexpr std::uint32_t kPropImportance = 0x00170003;
inline constexpr std::uint32_t kPropMessageClass = 0x001A001F;
inline constexpr std::uint32_t kPropSubject = 0x0037001F;
inline constexpr std::uint32_t kPropNoticeText = 0x0C1B001F;
inline constexpr std::uint32_t kPropSenderEmail = 0x0C1F001F;
inline constexpr std::uint32_t kPropMessageFlags = 0x0E070003;
inline constexpr std::uint32_t kPropAttachNumber = 0x0E210003;
inline constexpr std::uint32_t kPropEntryId = 0x0FFF0102;
inline constexpr std::uint32_t kPropBody = 0x1000001F;
inline constexpr std::uint32_t kPropDisplayName = 0x3001001F;
inline constexpr std::uint32_t kPropEmailAddress = 0x3003001F;
inline constexpr std::uint32_t kPropAttachData = 0x37010102;
inline constexpr std::uint32_t kPropAttachFileName = 0x3704001F;
// The store's Inbox, as a folder entry id.
inline constexpr std::uint32_t kPropInboxEntryId = 0x81040102;
inline constexpr std::uint32_t kPropNoticeKind = 0x81180003;

// Results, in the phone's numbering.
inline constexpr std::uint32_t kMapiOk = 0;
inline constexpr std::uint32_t kMapiFailed = 0x80004005;
inline constexpr std::uint32_t kMapiInvalidArgument = 0x80070057;
inline constexpr std::uint32_t kMapiNoSupport = 0x80040102;
inline constexpr std::uint32_t kMapiNotFound = 0x8004010F;
inline constexpr std::uint32_t kMapiCorruptData = 0x8004011B;

constexpr std::uint32_t propType(std::uint32_t tag)
{
    return tag & 0xFFFF;
}

struct PropValue {
    std::uint32_t tag = 0;
    std::int32_t number = 0; // kTypeLong; kTypeError: the error
    std::string text; // kTypeText (UTF-8), kTypeBinary (bytes)

    static PropValue ofNumber(std::uint32_t tag, std::int32_t value);
    static PropValue ofText(std::uint32_t tag, std::string value);
    static PropValue ofBytes(std::uint32_t tag, std::string value);
    static PropValue missing(std::uint32_t tag);
    bool isMissing() const { return propType(tag) == kTypeError; }
    bool operator==(const PropValue&) const = default;
};

using PropRow = std::vector<PropValue>;

// The value of tag in row, or a missing value.
PropValue findProp(const PropRow& row, std::uint32_t tag);
// Replaces the row's value of the same tag, or appends it.
void putProp(PropRow* row, const PropValue& value);
// The values of columns, in their order, from row.
PropRow pickColumns(const PropRow& row, const std::vector<std::uint32_t>& columns);

} // namespace tessel::mapi
