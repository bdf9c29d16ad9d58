#include "engine/transport/http/VXLHttpResponseReader.h"

#include "engine/transport/http/VXLHttpResponse.h"

namespace {

constexpr std::uint32_t kStatusDigits = 3;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpaceOrTab(char c)
{
    return c == ' ' || c == '\t';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const char* a, std::uint32_t length, const char* b)
{
    std::uint32_t i = 0;
    for (; i < length && b[i] != 0; ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return i == length && b[i] == 0;
}

// Calls `each` with every element of a comma-separated list, blanks trimmed;
// stops when it returns true.
template <typename Each> bool forEachListElement(const CVXLString& list, Each each)
{
    const char* text = list.c_str();
    const std::uint32_t n = list.length();
    std::uint32_t i = 0;
    while (i < n) {
        while (i < n && (isSpaceOrTab(text[i]) || text[i] == ','))
            ++i;
        std::uint32_t start = i;
        while (i < n && text[i] != ',')
            ++i;
        std::uint32_t end = i;
        while (end > start && isSpaceOrTab(text[end - 1]))
            --end;
        if (end > start && each(text + start, end - start))
            return true;
    }
    return false;
}

// Whether a comma-separated list of tokens holds the token, any letter case.
bool listHasToken(const CVXLString& list, const char* token)
{
    return forEachListElement(list, [token](const char* element, std::uint32_t length) {
        return equalsIgnoringCase(element, length, token);
    });
}

// Digits only, at most 32 bits.
bool parseLength(const CVXLString& value, std::uint32_t* length)
{
    const char* text = value.c_str();
    const std::uint32_t n = value.length();
    if (n == 0)
        return false;
    std::uint64_t number = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (!isDigit(text[i]))
            return false;
        number = number * 10 + static_cast<std::uint32_t>(text[i] - '0');
        if (number > 0xFFFFFFFFull)
            return false;
    }
    *length = static_cast<std::uint32_t>(number);
    return true;
}

} // namespace

void CVXLHttpResponseReader::reset()
{
    state_ = State::StatusLine;
    response_ = nullptr;
    headLength_ = 0;
    codings_ = 0;
    lastIsChunked_ = false;
    transferEncoding_ = false;
    tokenizer_.reset();
}

CVXLScanResult CVXLHttpResponseReader::feed()
{
    if (!response_)
        return CVXLScanResult::Malformed;
    for (;;) {
        const CVXLHttpHeadTokenizer::TokenType type = tokenizer_.next();
        if (type == CVXLHttpHeadTokenizer::kTokenNone) {
            // A head that keeps growing without ending is not buffered on.
            return headLength_ + tokenizer_.buffer()->length() > kMaxHeadLength ? CVXLScanResult::Malformed
                                                                                : CVXLScanResult::NeedMore;
        }
        if (type == CVXLHttpHeadTokenizer::kTokenMalformed)
            return CVXLScanResult::Malformed;
        headLength_ += tokenizer_.tokenLength();
        if (headLength_ > kMaxHeadLength)
            return CVXLScanResult::Malformed;
        if (state_ == State::StatusLine) {
            if (type != CVXLHttpHeadTokenizer::kTokenStatus || !parseStatusLine(tokenizer_.tokenText()))
                return CVXLScanResult::Malformed;
            state_ = State::HeaderLines;
            continue;
        }
        if (type == CVXLHttpHeadTokenizer::kTokenBlank) {
            tokenizer_.consume();
            settleFraming();
            return CVXLScanResult::Done;
        }
        if (type != CVXLHttpHeadTokenizer::kTokenHeader || !parseHeaderLine(tokenizer_.tokenText()))
            return CVXLScanResult::Malformed;
    }
}

// "HTTP/1." digit, spaces, three status digits, then spaces and the reason
// phrase or the line end; the reason runs up to the final LF (a CR in front
// of it stays in the reason). Another major version is another protocol.
bool CVXLHttpResponseReader::parseStatusLine(const CVXLString& line)
{
    const char* text = line.c_str();
    const std::uint32_t n = line.length();
    if (n < 9 || text[5] != '1' || text[6] != '.' || !isDigit(text[7]) || text[8] != ' ')
        return false;
    std::uint32_t i = 8;
    while (i < n && text[i] == ' ')
        ++i;
    const std::uint32_t statusStart = i;
    while (i < n && isDigit(text[i]))
        ++i;
    if (i - statusStart != kStatusDigits || (i < n && text[i] != ' ' && text[i] != '\r' && text[i] != '\n'))
        return false;
    const std::uint32_t statusEnd = i;
    while (i < n && text[i] == ' ')
        ++i;
    if (n == 0 || text[n - 1] != '\n' || i > n - 1)
        return false;
    response_->setStatusText(line.substr(static_cast<int>(statusStart), statusEnd - statusStart));
    response_->setReason(line.substr(static_cast<int>(i), n - 1 - i));
    if (text[7] == '1')
        response_->setFlag(CVXLHttpResponse::kFlagHttp11);
    else if (text[7] == '0')
        response_->setFlag(CVXLHttpResponse::kFlagHttp10);
    return true;
}

bool CVXLHttpResponseReader::parseHeaderLine(const CVXLString& line)
{
    const char* text = line.c_str();
    const std::uint32_t n = line.length();
    const int colon = line.findChar(':');
    if (colon <= 0)
        return false;
    const CVXLString name = line.substr(0, static_cast<std::uint32_t>(colon));
    std::uint32_t i = static_cast<std::uint32_t>(colon) + 1;
    while (i < n && isSpaceOrTab(text[i]))
        ++i;
    // The value up to the final line end, each fold (line end and the spaces
    // or tabs after it) replaced by one space, trailing spaces dropped.
    CVXLString value;
    std::uint32_t end = n;
    if (end > 0 && text[end - 1] == '\n')
        --end;
    if (end > 0 && text[end - 1] == '\r')
        --end;
    while (i < end) {
        if (text[i] == '\r' || text[i] == '\n') {
            while (i < end && (text[i] == '\r' || text[i] == '\n' || isSpaceOrTab(text[i])))
                ++i;
            value.appendChar(' ');
            continue;
        }
        value.appendChar(text[i]);
        ++i;
    }
    std::uint32_t trimmed = value.length();
    while (trimmed > 0 && isSpaceOrTab(value.c_str()[trimmed - 1]))
        --trimmed;
    if (trimmed != value.length())
        value = value.substr(0, trimmed);

    if (equalsIgnoringCase(name.c_str(), name.length(), "Content-Length")) {
        std::uint32_t length = 0;
        if (!parseLength(value, &length))
            return false;
        // A repeated length must agree, or the body cannot be delimited.
        if (response_->hasFlag(CVXLHttpResponse::kFlagContentLength) && response_->contentLength() != length)
            return false;
        response_->setFlag(CVXLHttpResponse::kFlagContentLength);
        response_->setContentLength(length);
    } else if (equalsIgnoringCase(name.c_str(), name.length(), "Transfer-Encoding")) {
        noteTransferCodings(value);
    } else if (equalsIgnoringCase(name.c_str(), name.length(), "Connection")) {
        if (listHasToken(value, "close"))
            response_->setFlag(CVXLHttpResponse::kFlagConnectionClose);
        if (listHasToken(value, "keep-alive"))
            response_->setFlag(CVXLHttpResponse::kFlagKeepAlive);
    }

    const CVXLString old = response_->headers().get(name);
    if (old.length() != 0)
        value = old + "," + value;
    return response_->headers().set(name, value);
}

void CVXLHttpResponseReader::noteTransferCodings(const CVXLString& value)
{
    transferEncoding_ = true;
    forEachListElement(value, [this](const char* element, std::uint32_t length) {
        ++codings_;
        lastIsChunked_ = equalsIgnoringCase(element, length, "chunked");
        return false;
    });
}

// A Transfer-Encoding decides the framing whatever Content-Length says: a
// body read by a length the sender did not frame it with would be stored
// wrong. We ask for no coding, so only "chunked" alone can be read.
void CVXLHttpResponseReader::settleFraming()
{
    if (!transferEncoding_)
        return;
    response_->clearFlag(CVXLHttpResponse::kFlagContentLength);
    response_->setContentLength(0);
    if (codings_ == 1 && lastIsChunked_)
        response_->setFlag(CVXLHttpResponse::kFlagChunked);
    else
        response_->setFlag(CVXLHttpResponse::kFlagUnknownCoding);
}
