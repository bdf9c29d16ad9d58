#include "engine/transport/mime/VXLBoundaryScanner.h"

namespace {

constexpr char kDocumentEnd[] = "</VRAX";
constexpr std::uint32_t kDocumentEndLength = sizeof kDocumentEnd - 1;

bool isDigit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(std::uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

void CVXLBoundaryScanner::setBoundary(const CVXLString& boundary)
{
    boundary_ = boundary;
    restart();
}

void CVXLBoundaryScanner::reset()
{
    CVXLByteTokenizer::reset();
    type_ = kTokenNone;
    result_ = CVXLScanResult::NeedMore;
    restart();
}

void CVXLBoundaryScanner::restart()
{
    state_ = State::LineStart;
    position_ = 0;
    begin_ = 0;
    end_ = 0;
    found_ = kTokenNone;
}

void CVXLBoundaryScanner::consumed(std::uint32_t count)
{
    // Nothing dropped: a scan that needs more bytes, or a token found by
    // peekType, stays where it is.
    if (count != 0)
        restart();
}

CVXLBoundaryScanner::TokenType CVXLBoundaryScanner::next()
{
    consume();
    scan();
    return type_;
}

CVXLBoundaryScanner::TokenType CVXLBoundaryScanner::peekType()
{
    const std::uint32_t start = tokenStart();
    const std::uint32_t length = tokenLength();
    const TokenType type = type_;
    const CVXLScanResult result = result_;
    scan();
    const TokenType peeked = type_;
    setToken(start, length);
    type_ = type;
    result_ = result;
    return peeked;
}

void CVXLBoundaryScanner::scan()
{
    const std::uint32_t n = available();
    // The buffer lost bytes without a consume: nothing kept can be trusted.
    if (position_ > n || end_ > n)
        restart();
    const std::uint8_t* b = bytes();
    while (state_ != State::Found && state_ != State::Failed && position_ < n) {
        ++examined_;
        step(b[position_]);
    }
    if (state_ == State::Found) {
        type_ = found_;
        result_ = CVXLScanResult::Done;
        setToken(begin_, end_ - begin_);
    } else if (state_ == State::Failed) {
        // The next consume drops the whole buffer.
        type_ = kTokenNone;
        result_ = CVXLScanResult::Malformed;
        setToken(n, 0);
    } else {
        type_ = kTokenNone;
        result_ = CVXLScanResult::NeedMore;
        setToken(0, 0);
    }
}

void CVXLBoundaryScanner::found(TokenType type, std::uint32_t end)
{
    state_ = State::Found;
    found_ = type;
    end_ = end;
}

// Looks at the byte at position_ and moves past it, unless the next state
// has to look at it again.
void CVXLBoundaryScanner::step(std::uint8_t c)
{
    switch (state_) {
    case State::LineStart:
        begin_ = position_;
        if (c == '-')
            state_ = State::Dashes;
        else if (c == '\r')
            state_ = State::AfterCr;
        else if (isDigit(c))
            state_ = State::Number;
        else if (isLetter(c))
            state_ = State::Word;
        else if (c == '<') {
            state_ = State::InDocument;
            documentMatched_ = 1;
        }
        ++position_;
        return;
    case State::Dashes:
        if (c == '-') {
            ++position_;
        } else if (isLetter(c) || isDigit(c)) {
            state_ = State::BoundaryText;
            boundarySeen_ = 1;
            boundaryMatches_
                = boundary_.length() != 0 && c == static_cast<std::uint8_t>(boundary_.c_str()[0]);
            ++position_;
        } else {
            state_ = State::Failed;
        }
        return;
    case State::BoundaryText:
        // The boundary is matched by its length: the byte after it decides.
        if (boundaryMatches_ && boundarySeen_ == boundary_.length()) {
            if (c != '-')
                return found(kTokenDelimiter, position_);
            state_ = State::CloseDash;
        } else if (c < 0x20) {
            state_ = State::Failed;
            return;
        } else {
            boundaryMatches_ = boundaryMatches_ && boundarySeen_ < boundary_.length()
                && c == static_cast<std::uint8_t>(boundary_.c_str()[boundarySeen_]);
        }
        ++boundarySeen_;
        ++position_;
        return;
    case State::CloseDash:
        if (c != '-')
            state_ = State::Failed;
        else
            found(kTokenClose, position_ + 1);
        return;
    case State::AfterCr:
        if (c != '\n') {
            state_ = State::Failed;
            return;
        }
        state_ = State::AfterCrLf;
        ++position_;
        return;
    case State::AfterCrLf:
        if (c == '\r') {
            state_ = State::AfterCrLfCr;
            ++position_;
        } else {
            state_ = State::LineStart; // the byte starts the token
        }
        return;
    case State::AfterCrLfCr:
        if (c != '\n')
            state_ = State::Failed;
        else
            found(kTokenEmptyLine, position_ + 1);
        return;
    case State::Word:
        if (c == ':')
            state_ = State::AfterColon;
        else if (c <= 0x20)
            return found(kTokenWord, position_);
        ++position_;
        return;
    case State::AfterColon:
        if (c <= 0x20)
            return found(kTokenHeaderName, position_);
        state_ = State::Word; // the byte is looked at again
        return;
    case State::Number:
        if (c <= 0x20)
            return found(kTokenNumber, position_);
        if (!isDigit(c))
            state_ = State::Word; // looked at again
        else
            ++position_;
        return;
    case State::InDocument:
        if (documentMatched_ == kDocumentEndLength) {
            if (c == '>')
                return found(kTokenDocumentEnd, position_ + 1);
        } else if (c == static_cast<std::uint8_t>(kDocumentEnd[documentMatched_])) {
            ++documentMatched_;
        } else {
            documentMatched_ = c == '<' ? 1 : 0;
        }
        ++position_;
        return;
    case State::Found:
    case State::Failed:
        return;
    }
}
