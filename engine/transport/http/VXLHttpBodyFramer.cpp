#include "engine/transport/http/VXLHttpBodyFramer.h"

#include "engine/transport/http/VXLHttpHeadTokenizer.h"
#include "engine/transport/http/VXLHttpResponseReader.h"

namespace {

int hexValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(std::uint8_t c)
{
    return c == ' ' || c == '\t';
}

} // namespace

void CVXLHttpBodyFramer::frameByLength(std::uint32_t length)
{
    chunked_ = false;
    left_ = length;
    state_ = length != 0 ? State::Data : State::Done;
}

void CVXLHttpBodyFramer::frameByChunks()
{
    chunked_ = true;
    left_ = 0;
    lead_ = 0;
    state_ = State::LineLead;
}

void CVXLHttpBodyFramer::frameUntilClose()
{
    chunked_ = false;
    left_ = 0;
    state_ = State::UntilClose;
}

CVXLScanResult CVXLHttpBodyFramer::take(const std::uint8_t* bytes, std::uint32_t count, Taken* taken)
{
    *taken = Taken();
    std::uint32_t at = 0;
    while (at < count && state_ != State::Done && state_ != State::Malformed) {
        if (state_ == State::UntilClose) {
            taken->body = count - at;
            break;
        }
        if (state_ == State::Data) {
            const std::uint32_t run = count - at < left_ ? count - at : left_;
            taken->body = run;
            left_ -= run;
            if (left_ == 0) {
                lead_ = 0;
                state_ = chunked_ ? State::LineLead : State::Done;
            }
            break;
        }
        state_ = framingByte(bytes[at++]);
        ++taken->framing;
    }
    switch (state_) {
    case State::Done:
        return CVXLScanResult::Done;
    case State::Malformed:
        return CVXLScanResult::Malformed;
    default:
        return CVXLScanResult::NeedMore;
    }
}

CVXLHttpBodyFramer::State CVXLHttpBodyFramer::framingByte(std::uint8_t c)
{
    switch (state_) {
    case State::TrailerLineStart:
    case State::TrailerBlankCr:
    case State::TrailerName:
    case State::TrailerValue:
    case State::TrailerValueCr:
        return trailerByte(c);
    default:
        return sizeLineByte(c);
    }
}

// Line ends and blanks in front of the size are skipped: they end the data
// of the chunk before. Hex digits, blanks, an extension after ";", CR LF
// or a bare LF.
CVXLHttpBodyFramer::State CVXLHttpBodyFramer::sizeLineByte(std::uint8_t c)
{
    if (state_ != State::LineLead && state_ != State::SizeLineCr && ++line_ > kMaxChunkLineLength)
        return State::Malformed;
    switch (state_) {
    case State::LineLead:
        if (c == '\r' || c == '\n' || isBlank(c))
            return ++lead_ > kMaxChunkLineLength ? State::Malformed : State::LineLead;
        if (hexValue(c) < 0)
            return State::Malformed;
        size_ = static_cast<std::uint32_t>(hexValue(c));
        digits_ = 1;
        line_ = 1;
        return State::SizeDigits;
    case State::SizeDigits:
        if (hexValue(c) >= 0) {
            if (++digits_ > kMaxChunkSizeDigits)
                return State::Malformed;
            size_ = size_ * 16 + static_cast<std::uint32_t>(hexValue(c));
            return State::SizeDigits;
        }
        [[fallthrough]];
    case State::AfterDigits:
        if (isBlank(c))
            return State::AfterDigits;
        if (c == ';')
            return State::Extension;
        if (c == '\n')
            return sizeLineEnd();
        return c == '\r' ? State::SizeLineCr : State::Malformed;
    case State::Extension:
        if (c == '\n')
            return sizeLineEnd();
        return c == '\r' ? State::SizeLineCr : State::Extension;
    case State::SizeLineCr:
        return c == '\n' ? sizeLineEnd() : State::Malformed;
    default:
        return State::Malformed;
    }
}

CVXLHttpBodyFramer::State CVXLHttpBodyFramer::sizeLineEnd()
{
    if (size_ == 0) {
        trailer_ = 0;
        trailerNamed_ = false;
        return State::TrailerLineStart;
    }
    left_ = size_;
    return State::Data;
}

// The trailer after the last chunk: field lines up to a blank one, checked
// as header lines are (a name of token bytes, a colon, a value without NUL
// or a lone CR; a line starting with a blank continues the value). It is
// read too, or it would be taken for the next response on a kept connection.
CVXLHttpBodyFramer::State CVXLHttpBodyFramer::trailerByte(std::uint8_t c)
{
    if (++trailer_ > CVXLHttpResponseReader::kMaxHeadLength)
        return State::Malformed;
    switch (state_) {
    case State::TrailerLineStart:
        if (c == '\n')
            return State::Done;
        if (c == '\r')
            return State::TrailerBlankCr;
        if (isBlank(c) && trailerNamed_)
            return State::TrailerValue;
        return CVXLHttpHeadTokenizer::isTokenChar(c) ? State::TrailerName : State::Malformed;
    case State::TrailerBlankCr:
        return c == '\n' ? State::Done : State::Malformed;
    case State::TrailerName:
        if (c == ':') {
            trailerNamed_ = true;
            return State::TrailerValue;
        }
        return CVXLHttpHeadTokenizer::isTokenChar(c) ? State::TrailerName : State::Malformed;
    case State::TrailerValue:
        if (c == 0)
            return State::Malformed;
        if (c == '\n')
            return State::TrailerLineStart;
        return c == '\r' ? State::TrailerValueCr : State::TrailerValue;
    default:
        return c == '\n' ? State::TrailerLineStart : State::Malformed;
    }
}
