#include "platform/mapi/MessageRecord.h"

#include "platform/kernel/TextCodec.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tessel::mapi {

namespace {

constexpr std::string_view kFirstLine = "tessel-message 1";
constexpr std::string_view kLastLine = "end";
constexpr const char* kHex = "0123456789abcdef";

} // namespace

std::string escapeText(std::string_view text, bool blanksToo)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == '%' || byte == 0x7F || (blanksToo && byte == ' ')) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

bool unescapeText(std::string_view text, std::string* out)
{
    out->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F)
            return false;
        if (text[i] != '%') {
            out->push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int hi = kernel::hexDigitValue(text[i + 1]);
        const int lo = kernel::hexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out->push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return true;
}

void formatRow(const PropRow& row, std::string* out)
{
    char tag[16];
    for (const PropValue& value : row) {
        if (!storable(value))
            continue;
        std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(value.tag));
        *out += "prop ";
        *out += tag;
        *out += ' ';
        switch (propType(value.tag)) {
        case kTypeLong:
            *out += std::to_string(value.number);
            break;
        case kTypeText:
            *out += escapeText(value.text, false);
            break;
        default:
            *out += kernel::hexEncode(value.text);
            break;
        }
        *out += '\n';
    }
}

// "prop TTTTTTTT VALUE" into *value.
bool parseProp(std::string_view line, PropValue* value)
{
    if (line.size() < 14 || line.substr(0, 5) != "prop " || line[13] != ' ')
        return false;
    std::uint32_t tag = 0;
    for (std::size_t i = 5; i < 13; ++i) {
        const int digit = kernel::hexDigitValue(line[i]);
        if (digit < 0)
            return false;
        tag = (tag << 4) | static_cast<std::uint32_t>(digit);
    }
    const std::string_view text = line.substr(14);
    value->tag = tag;
    value->number = 0;
    value->text.clear();
    switch (propType(tag)) {
    case kTypeLong: {
        if (text.empty() || text.size() > 11)
            return false;
        std::string digits(text);
        char* end = nullptr;
        const long long number = std::strtoll(digits.c_str(), &end, 10);
        if (*end != '\0' || !(std::isdigit(static_cast<unsigned char>(digits.back()))) || number < INT32_MIN
            || number > INT32_MAX)
            return false;
        value->number = static_cast<std::int32_t>(number);
        return true;
    }
    case kTypeText:
        return unescapeText(text, &value->text);
    case kTypeBinary:
        return kernel::hexDecode(text, &value->text);
    default:
        return false;
    }
}

} // namespace

bool storable(const PropValue& value)
{
    const std::uint32_t type = propType(value.tag);
    return type == kTypeLong || type == kTypeText || type == kTypeBinary;
}

std::string formatMessageRecord(const MessageRecord& record)
{
    std::string out(kFirstLine);
    out += '\n';
    formatRow(record.props, &out);
    for (const PropRow& row : record.recipients) {
        out += "recipient\n";
        formatRow(row, &out);
    }
    for (const PropRow& row : record.attachments) {
        out += "attachment\n";
        formatRow(row, &out);
    }
    out += kLastLine;
    out += '\n';
    return out;
}

bool parseMessageRecord(std::string_view text, MessageRecord* record, std::string* why)
{
    *record = MessageRecord();
    if (text.size() > kMaxMessageFileBytes) {
        *why = "larger than " + std::to_string(kMaxMessageFileBytes) + " bytes";
        return false;
    }
    PropRow* section = &record->props;
    bool ended = false;
    std::size_t number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t newline = text.find('\n', at);
        ++number;
        if (newline == std::string_view::npos) {
            *why = "line " + std::to_string(number) + " has no line end";
            return false;
        }
        const std::string_view line = text.substr(at, newline - at);
        at = newline + 1;
        if (ended) {
            *why = "bytes after the end line";
            return false;
        }
        if (number == 1) {
            if (line != kFirstLine) {
                *why = "not a message file of format 1";
                return false;
            }
            continue;
        }
        if (line == kLastLine) {
            ended = true;
        } else if (line == "recipient") {
            record->recipients.emplace_back();
            section = &record->recipients.back();
        } else if (line == "attachment") {
            record->attachments.emplace_back();
            section = &record->attachments.back();
        } else {
            PropValue value;
            if (!parseProp(line, &value)) {
                *why = "line " + std::to_string(number) + " is not a value";
                return false;
            }
            if (!findProp(*section, value.tag).isMissing()) {
                *why = "line " + std::to_string(number) + " repeats a value";
                return false;
            }
            section->push_back(std::move(value));
        }
    }
    if (!ended) {
        *why = "no end line (cut short?)";
        return false;
    }
    return true;
}

} // namespace tessel::mapi
