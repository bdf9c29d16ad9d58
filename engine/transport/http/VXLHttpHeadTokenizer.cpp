#include "engine/transport/http/VXLHttpHeadTokenizer.h"

namespace {

constexpr char kStatusPrefix[] = "HTTP/";
constexpr std::uint32_t kStatusPrefixLength = sizeof kStatusPrefix - 1;

bool isControl(std::uint8_t c)
{
    return c < 0x20 || c == 0x7F;
}

} // namespace

bool CVXLHttpHeadTokenizer::isTokenChar(std::uint8_t c)
{
    if (isControl(c))
        return false;
    switch (c) {
    case '(':
    case ')':
    case '<':
    case '>':
    case '@':
    case ',':
    case ';':
    case ':':
    case '\\':
    case '"':
    case '/':
    case '[':
    case ']':
    case '?':
    case '=':
    case '{':
    case '}':
    case ' ':
    case '\t':
        return false;
    default:
        return true;
    }
}

void CVXLHttpHeadTokenizer::setBuffer(CVXLByteBuffer* buffer)
{
    buffer_ = buffer;
    reset();
}

void CVXLHttpHeadTokenizer::reset()
{
    type_ = kTokenNone;
    length_ = 0;
    state_ = Scan::LineStart;
    pos_ = 0;
}

CVXLHttpHeadTokenizer::TokenType CVXLHttpHeadTokenizer::next()
{
    consume();
    scan();
    return type_;
}

void CVXLHttpHeadTokenizer::consume()
{
    if (length_ == 0)
        return;
    if (buffer_)
        buffer_->remove(0, length_);
    reset();
}

CVXLString CVXLHttpHeadTokenizer::tokenText() const
{
    CVXLString text;
    if (buffer_ && length_ != 0 && length_ <= buffer_->length())
        text.appendBytes(buffer_->data(), length_);
    return text;
}

void CVXLHttpHeadTokenizer::found(TokenType type, std::uint32_t length)
{
    type_ = type;
    length_ = type == kTokenMalformed ? 0 : length;
}

// Goes on from where the last scan stopped; a token or a malformed line
// stays until it is consumed or the tokenizer is reset.
void CVXLHttpHeadTokenizer::scan()
{
    const std::uint32_t n = buffer_ ? buffer_->length() : 0;
    if (pos_ > n) // the buffer was emptied behind our back
        reset();
    const std::uint8_t* b = n != 0 ? buffer_->data() : nullptr;
    while (type_ == kTokenNone && pos_ < n) {
        // The byte after a line end may lie past the limit: it only tells
        // whether the line goes on.
        if (pos_ >= kMaxLineLength && state_ != Scan::LineEnd)
            found(kTokenMalformed, 0);
        else
            scanByte(b[pos_]);
    }
}

void CVXLHttpHeadTokenizer::scanByte(std::uint8_t c)
{
    switch (state_) {
    case Scan::LineStart:
        if (c == '\n')
            return found(kTokenBlank, 1);
        if (c == '\r') {
            state_ = Scan::BlankCr;
            ++pos_;
            return;
        }
        state_ = c == static_cast<std::uint8_t>(kStatusPrefix[0]) ? Scan::Prefix : Scan::Name;
        if (state_ == Scan::Prefix)
            ++pos_;
        return;
    case Scan::BlankCr:
        return c == '\n' ? found(kTokenBlank, 2) : found(kTokenMalformed, 0);
    case Scan::Prefix:
        // What matched of the prefix are token bytes: a mismatch is a header
        // name that began with them.
        if (c != static_cast<std::uint8_t>(kStatusPrefix[pos_])) {
            state_ = Scan::Name;
            return;
        }
        if (++pos_ == kStatusPrefixLength)
            state_ = Scan::Status;
        return;
    case Scan::Status:
        if (c == '\n')
            return found(kTokenStatus, pos_ + 1);
        if (c == '\r')
            state_ = Scan::StatusCr;
        else if (isControl(c))
            return found(kTokenMalformed, 0);
        ++pos_;
        return;
    case Scan::StatusCr:
        return c == '\n' ? found(kTokenStatus, pos_ + 1) : found(kTokenMalformed, 0);
    case Scan::Name:
        if (isTokenChar(c)) {
            ++pos_;
            return;
        }
        if (pos_ == 0 || c != ':')
            return found(kTokenMalformed, 0);
        state_ = Scan::Value;
        ++pos_;
        return;
    case Scan::Value:
        if (c == 0)
            return found(kTokenMalformed, 0);
        if (c == '\n')
            state_ = Scan::LineEnd;
        else if (c == '\r')
            state_ = Scan::ValueCr;
        ++pos_;
        return;
    case Scan::ValueCr:
        if (c != '\n')
            return found(kTokenMalformed, 0);
        state_ = Scan::LineEnd;
        ++pos_;
        return;
    case Scan::LineEnd:
        // A line end followed by a space or tab continues the value.
        if (c != ' ' && c != '\t')
            return found(kTokenHeader, pos_);
        state_ = Scan::Value;
        ++pos_;
        return;
    }
}
