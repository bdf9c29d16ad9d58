#include "engine/transport/mime/VXLBoundaryScanner.h"

#include <cstring>

namespace {

enum class ScanState {
    LineStart,
    Dashes,
    BoundaryText,
    CloseDash,
    AfterCr,
    AfterCrLf,
    AfterCrLfCr,
    Word,
    AfterColon,
    Number,
    InDocument,
};

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

void CVXLBoundaryScanner::reset()
{
    CVXLByteTokenizer::reset();
    type_ = kTokenNone;
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
    scan();
    const TokenType peeked = type_;
    setToken(start, length);
    type_ = type;
    return peeked;
}

void CVXLBoundaryScanner::scan()
{
    const std::uint32_t n = available();
    const std::uint8_t* b = bytes();
    const std::uint32_t boundaryLength = boundary_.length();
    ScanState state = ScanState::LineStart;
    std::uint32_t start = 0;
    std::uint32_t boundaryStart = 0;
    std::uint32_t matched = 0; // bytes of "</VRAX" seen in a document

    auto done = [&](TokenType type, std::uint32_t end) {
        type_ = type;
        setToken(start, end - start);
    };
    auto fail = [&] {
        // The next consume drops the whole buffer.
        type_ = kTokenNone;
        setToken(n, 0);
    };

    std::uint32_t i = 0;
    while (i < n) {
        const std::uint8_t c = b[i];
        switch (state) {
        case ScanState::LineStart:
            start = i;
            if (c == '-')
                state = ScanState::Dashes;
            else if (c == '\r')
                state = ScanState::AfterCr;
            else if (isDigit(c))
                state = ScanState::Number;
            else if (isLetter(c))
                state = ScanState::Word;
            else if (c == '<') {
                state = ScanState::InDocument;
                matched = 1;
            }
            ++i;
            break;
        case ScanState::Dashes:
            if (c == '-') {
                ++i;
            } else if (isLetter(c) || isDigit(c)) {
                boundaryStart = i;
                state = ScanState::BoundaryText;
                ++i;
            } else {
                fail();
                return;
            }
            break;
        case ScanState::BoundaryText: {
            const std::uint32_t seen = i - boundaryStart;
            if (boundaryLength != 0 && seen == boundaryLength
                && std::memcmp(b + boundaryStart, boundary_.c_str(), boundaryLength) == 0) {
                if (c != '-') {
                    done(kTokenDelimiter, i);
                    return;
                }
                state = ScanState::CloseDash;
            } else if (c < 0x20) {
                fail();
                return;
            }
            ++i;
            break;
        }
        case ScanState::CloseDash:
            if (c != '-') {
                fail();
                return;
            }
            done(kTokenClose, i + 1);
            return;
        case ScanState::AfterCr:
            if (c != '\n') {
                fail();
                return;
            }
            state = ScanState::AfterCrLf;
            ++i;
            break;
        case ScanState::AfterCrLf:
            if (c == '\r') {
                state = ScanState::AfterCrLfCr;
                ++i;
            } else {
                state = ScanState::LineStart; // the byte starts the token
            }
            break;
        case ScanState::AfterCrLfCr:
            if (c != '\n') {
                fail();
                return;
            }
            done(kTokenEmptyLine, i + 1);
            return;
        case ScanState::Word:
            if (c == ':')
                state = ScanState::AfterColon;
            else if (c <= 0x20) {
                done(kTokenWord, i);
                return;
            }
            ++i;
            break;
        case ScanState::AfterColon:
            if (c <= 0x20) {
                done(kTokenHeaderName, i);
                return;
            }
            state = ScanState::Word; // the byte is examined again
            break;
        case ScanState::Number:
            if (c <= 0x20) {
                done(kTokenNumber, i);
                return;
            }
            if (!isDigit(c))
                state = ScanState::Word; // examined again
            else
                ++i;
            break;
        case ScanState::InDocument:
            if (matched == kDocumentEndLength) {
                if (c == '>') {
                    done(kTokenDocumentEnd, i + 1);
                    return;
                }
            } else if (c == static_cast<std::uint8_t>(kDocumentEnd[matched])) {
                ++matched;
            } else {
                matched = c == '<' ? 1 : 0;
            }
            ++i;
            break;
        }
    }
    // Out of bytes: nothing found yet.
    type_ = kTokenNone;
    setToken(0, 0);
}
