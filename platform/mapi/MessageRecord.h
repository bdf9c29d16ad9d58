#pragma once

#include "platform/mapi/PropValue.h"

#include <string>
#include <string_view>
#include <vector>

// One stored message as its file holds it (README.md in this folder gives
// the format): the message's values, its recipients' rows and its
// attachments' rows. Only long, text and binary values are stored.
namespace tessel::mapi {

// The largest message file read; a bigger one counts as damaged.
inline constexpr std::size_t kMaxMessageFileBytes = 32u * 1024 * 1024;

struct MessageRecord {
    PropRow props;
    std::vector<PropRow> recipients;
    std::vector<PropRow> attachments;
};

// False for a value of another type (it cannot be stored).
bool storable(const PropValue& value);

// Control characters, "%", DEL (and blanks, when asked) as %XX, so a text
// is one line (one word).
std::string escapeText(std::string_view text, bool blanksToo);

std::string formatMessageRecord(const MessageRecord& record);

// False, with *why saying where, when text is not a whole message file.
bool parseMessageRecord(std::string_view text, MessageRecord* record, std::string* why);

} // namespace tessel::mapi
