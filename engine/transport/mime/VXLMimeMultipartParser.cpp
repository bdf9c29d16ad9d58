#include "engine/transport/mime/VXLMimeMultipartParser.h"

#include "engine/transport/mime/VXLMimePartSink.h"

#include <cstring>

namespace {

bool isBlank(std::uint8_t c)
{
    return c == ' ' || c == '\t';
}

// The text of [from, to) without the blanks at either end.
CVXLString trimmed(const std::uint8_t* bytes, std::uint32_t from, std::uint32_t to)
{
    while (from < to && isBlank(bytes[from]))
        ++from;
    while (to > from && isBlank(bytes[to - 1]))
        --to;
    CVXLString text;
    text.appendBytes(bytes + from, to - from);
    return text;
}

// The end of the ';'-separated segment that begins at from; a ';' inside
// double quotes belongs to the value.
std::uint32_t segmentEnd(const std::uint8_t* bytes, std::uint32_t from, std::uint32_t to)
{
    bool quoted = false;
    for (std::uint32_t i = from; i < to; ++i) {
        if (bytes[i] == '"')
            quoted = !quoted;
        else if (bytes[i] == ';' && !quoted)
            return i;
    }
    return to;
}

std::uint32_t find(const std::uint8_t* bytes, std::uint32_t from, std::uint32_t to, std::uint8_t c)
{
    const void* at = from < to ? std::memchr(bytes + from, c, to - from) : nullptr;
    return at ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(at) - bytes) : to;
}

bool addHeaderLine(const std::uint8_t* line, std::uint32_t length, CVXLHeaderMap& headers)
{
    std::uint32_t end = segmentEnd(line, 0, length);
    const std::uint32_t colon = find(line, 0, end, ':');
    const std::uint32_t equals = find(line, 0, end, '=');
    // "name=value" stands for a header too when no colon comes first.
    const std::uint32_t nameEnd = equals < colon ? equals : colon;
    if (nameEnd == end)
        return true;
    const CVXLString name = trimmed(line, 0, nameEnd);
    if (name.length() == 0)
        return true;
    if (!headers.add(name, trimmed(line, nameEnd + 1, end)))
        return false;
    while (end < length) {
        const std::uint32_t from = end + 1;
        end = segmentEnd(line, from, length);
        const std::uint32_t at = find(line, from, end, '=');
        if (at == end)
            continue;
        const CVXLString parameter = trimmed(line, from, at);
        if (parameter.length() != 0 && !headers.add(parameter, trimmed(line, at + 1, end)))
            return false;
    }
    return true;
}

} // namespace

void CVXLMimeMultipartParser::begin(
    const CVXLString& boundary, std::uint32_t containerSize, CVXLMimePartSink* sink)
{
    boundary_ = "--";
    boundary_ += boundary;
    sink_ = sink;
    buffer_.clear();
    containerSize_ = containerSize;
    consumed_ = 0;
    partStart_ = 0;
    partCount_ = 0;
    headerScan_ = 0;
    headerSearched_ = 0;
    state_ = State::Preamble;
    status_ = CVXLScanResult::NeedMore;
    ended_ = false;
    partOpen_ = false;
    lineStart_ = true;
}

std::uint32_t CVXLMimeMultipartParser::readSize() const
{
    if (state_ == State::Ended)
        return 0;
    const std::uint32_t at = readOffset();
    const std::uint32_t left = containerSize_ > at ? containerSize_ - at : 0;
    std::uint32_t window = kDataReadSize;
    if (state_ == State::Headers)
        window = kHeaderReadSize;
    else if (at == 0)
        window = kFirstReadSize;
    return left < window ? left : window;
}

CVXLScanResult CVXLMimeMultipartParser::feed(const std::uint8_t* bytes, std::uint32_t length)
{
    if (state_ == State::Ended)
        return status_;
    const std::uint32_t at = readOffset();
    const std::uint32_t left = containerSize_ > at ? containerSize_ - at : 0;
    if (length > left)
        length = left;
    if (length != 0 && !buffer_.append(bytes, length))
        return end(CVXLScanResult::Malformed);
    if (length == 0 || readOffset() >= containerSize_)
        ended_ = true;
    return run();
}

CVXLScanResult CVXLMimeMultipartParser::run()
{
    while (state_ != State::Ended) {
        const CVXLScanResult step = state_ == State::Headers ? stepHeaders() : stepScan();
        if (step == CVXLScanResult::Malformed)
            return end(step);
        if (step == CVXLScanResult::NeedMore)
            return step;
    }
    return status_;
}

CVXLScanResult CVXLMimeMultipartParser::end(CVXLScanResult status)
{
    state_ = State::Ended;
    status_ = status;
    buffer_.clear();
    return status;
}

// Done: something changed, step again; NeedMore: wait for bytes.
CVXLScanResult CVXLMimeMultipartParser::stepScan()
{
    using enum CVXLScanResult;
    std::uint32_t lineEnd = 0;
    if (lineStart_) {
        const Match match = matchDelimiter(0, lineEnd);
        if (match == Match::NeedMore)
            return NeedMore;
        lineStart_ = false;
        if (match != Match::No)
            return endPart(consumed_) && takeDelimiter(match, lineEnd) ? Done : Malformed;
    }
    const std::uint8_t* b = buffer_.data();
    const std::uint32_t n = buffer_.length();
    for (std::uint32_t p = 0; p < n; ++p) {
        ++examined_;
        std::uint32_t at;
        if (b[p] == '\n') {
            at = p + 1;
        } else if (b[p] == '\r' && p + 1 == n && !atEnd()) {
            return handOn(p) ? NeedMore : Malformed;
        } else if (b[p] == '\r' && p + 1 < n && b[p + 1] == '\n') {
            ++examined_;
            at = p + 2;
        } else {
            continue;
        }
        const Match match = matchDelimiter(at, lineEnd);
        if (match == Match::NeedMore)
            return handOn(p) ? NeedMore : Malformed;
        if (match == Match::No) {
            p = at - 1;
            continue;
        }
        // The line end in front of the delimiter belongs to no part.
        if (!handOn(p) || !endPart(consumed_))
            return Malformed;
        return takeDelimiter(match, lineEnd - p) ? Done : Malformed;
    }
    if (!handOn(n))
        return Malformed;
    if (!atEnd())
        return NeedMore;
    if (!endPart(consumed_))
        return Malformed;
    end(Done);
    return Done;
}

CVXLScanResult CVXLMimeMultipartParser::stepHeaders()
{
    using enum CVXLScanResult;
    const std::uint8_t* b = buffer_.data();
    const std::uint32_t n = buffer_.length();
    std::uint32_t line = headerScan_;
    for (;;) {
        std::uint32_t lineEnd = 0;
        Match match = Match::No;
        // A line already searched for its end was no delimiter line.
        if (line < n && line >= headerSearched_) {
            ++examined_;
            if (b[line] == '-')
                match = matchDelimiter(line, lineEnd);
        }
        if (match == Match::NeedMore)
            break;
        // A delimiter line right after another encloses nothing: no part.
        if (match != Match::No && line == 0)
            return takeDelimiter(match, lineEnd) ? Done : Malformed;
        std::uint32_t blockEnd = line;
        std::uint32_t dataStart = line;
        if (match == Match::No) {
            const std::uint32_t newline = findLineEnd(line > headerSearched_ ? line : headerSearched_);
            if (newline == n && !atEnd()) {
                headerSearched_ = n;
                break;
            }
            const bool empty = newline == line || (newline == line + 1 && b[line] == '\r');
            if (newline < n && !empty) {
                line = newline + 1;
                continue;
            }
            blockEnd = newline == n ? n : line;
            dataStart = newline == n ? n : newline + 1;
        }
        CVXLHeaderMap headers;
        if (!parseHeaderBlock(b, blockEnd, headers))
            return Malformed;
        partStart_ = consumed_ + dataStart;
        partOpen_ = true;
        ++partCount_;
        if (!sink_ || !sink_->partBegun(headers, partStart_))
            return Malformed;
        buffer_.remove(0, dataStart);
        consumed_ += dataStart;
        headerScan_ = 0;
        headerSearched_ = 0;
        if (match != Match::No)
            return endPart(consumed_) && takeDelimiter(match, lineEnd - dataStart) ? Done : Malformed;
        state_ = State::Data;
        lineStart_ = true;
        return Done;
    }
    if (n > kMaxHeaderBlock)
        return Malformed;
    headerScan_ = line;
    return NeedMore;
}

std::uint32_t CVXLMimeMultipartParser::findLineEnd(std::uint32_t from)
{
    const std::uint32_t n = buffer_.length();
    const std::uint32_t at = find(buffer_.data(), from, n, '\n');
    examined_ += (at < n ? at + 1 : n) - from;
    return at;
}

CVXLMimeMultipartParser::Match CVXLMimeMultipartParser::matchDelimiter(
    std::uint32_t at, std::uint32_t& lineEnd)
{
    const std::uint8_t* b = buffer_.data();
    const std::uint32_t n = buffer_.length();
    const std::uint32_t length = boundary_.length();
    const std::uint32_t present = n > at ? n - at : 0;
    const std::uint32_t compared = present < length ? present : length;
    examined_ += compared;
    if (compared != 0 && std::memcmp(b + at, boundary_.c_str(), compared) != 0)
        return Match::No;
    if (present < length)
        return atEnd() ? Match::No : Match::NeedMore;
    auto look = [&](std::uint32_t i) {
        ++examined_;
        return b[i];
    };
    std::uint32_t q = at + length;
    bool close = false;
    if (q < n && look(q) == '-') {
        if (q + 1 == n)
            return atEnd() ? Match::No : Match::NeedMore;
        if (look(q + 1) != '-')
            return Match::No;
        close = true;
        q += 2;
    }
    for (std::uint32_t padding = 0; q < n && isBlank(look(q)); ++q) {
        if (++padding > kMaxLinePadding)
            return Match::No;
    }
    if (q == n && !atEnd())
        return Match::NeedMore;
    if (q < n && b[q] == '\n') {
        ++q;
    } else if (q < n && b[q] == '\r') {
        if (q + 1 == n && !atEnd())
            return Match::NeedMore;
        if (q + 1 < n && look(q + 1) != '\n')
            return Match::No;
        q = q + 1 < n ? q + 2 : q + 1;
    } else if (q < n) {
        return Match::No;
    }
    lineEnd = q;
    return close ? Match::Close : Match::Open;
}

bool CVXLMimeMultipartParser::handOn(std::uint32_t count)
{
    if (count == 0)
        return true;
    if (partOpen_ && !sink_->partData(buffer_.data(), count))
        return false;
    buffer_.remove(0, count);
    consumed_ += count;
    return true;
}

bool CVXLMimeMultipartParser::endPart(std::uint32_t end)
{
    if (!partOpen_)
        return true;
    partOpen_ = false;
    return sink_->partEnded(end - partStart_);
}

bool CVXLMimeMultipartParser::takeDelimiter(Match match, std::uint32_t lineEnd)
{
    buffer_.remove(0, lineEnd);
    consumed_ += lineEnd;
    if (match == Match::Close) {
        end(CVXLScanResult::Done);
        return true;
    }
    state_ = State::Headers;
    headerScan_ = 0;
    headerSearched_ = 0;
    return true;
}

bool CVXLMimeMultipartParser::parseHeaderBlock(
    const std::uint8_t* bytes, std::uint32_t length, CVXLHeaderMap& headers)
{
    CVXLByteBuffer line;
    std::uint32_t at = 0;
    while (at < length) {
        std::uint32_t newline = find(bytes, at, length, '\n');
        std::uint32_t end = newline;
        if (end > at && bytes[end - 1] == '\r')
            --end;
        // A line that begins with a blank continues the one before.
        if (!isBlank(bytes[at]) && line.length() != 0) {
            if (!addHeaderLine(line.data(), line.length(), headers))
                return false;
            line.clear();
        }
        if (end > at && !line.append(bytes + at, end - at))
            return false;
        at = newline + 1;
    }
    return line.length() == 0 || addHeaderLine(line.data(), line.length(), headers);
}
