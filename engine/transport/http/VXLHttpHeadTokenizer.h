#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Splits a response head into lines at the front of the receive buffer: the
// status line, header lines (a folded line is one token with its
// continuations) and the blank line that ends the head. A line is a token
// only once it is whole; until then the tokenizer remembers how far into the
// line it has looked and goes on from there when more bytes arrive. Nothing
// is ever skipped to find a later line.
class CVXLHttpHeadTokenizer : public CVXLObject {
public:
    enum TokenType : std::int32_t {
        kTokenNone = 0, // incomplete: more bytes needed
        kTokenHeader = 1,
        kTokenStatus = 2,
        kTokenBlank = 3,
        kTokenMalformed = 4,
    };
    // A longer line (folds included) is malformed rather than a reason to
    // keep buffering.
    static constexpr std::uint32_t kMaxLineLength = 8192;

    // A byte that may stand in a field name.
    static bool isTokenChar(std::uint8_t c);

    void setBuffer(CVXLByteBuffer* buffer);
    // Forgets the current token and the line scanned so far.
    void reset();
    // Consumes the current token, scans and returns the type.
    TokenType next();
    // Drops the current token from the front of the buffer.
    void consume();

    TokenType type() const { return type_; }
    std::uint32_t tokenLength() const { return length_; }
    CVXLString tokenText() const;
    CVXLByteBuffer* buffer() const { return buffer_; }

private:
    enum class Scan : std::uint8_t {
        LineStart,
        BlankCr,
        Prefix, // "HTTP/" so far
        Status,
        StatusCr,
        Name,
        Value,
        ValueCr,
        LineEnd, // the byte after the line end tells a fold from the next line
    };

    void scan();
    // Looks at the byte at pos_; moves pos_ on or ends the token.
    void scanByte(std::uint8_t c);
    void found(TokenType type, std::uint32_t length);

    CVXLByteBuffer* buffer_ = nullptr;
    TokenType type_ = kTokenNone;
    std::uint32_t length_ = 0;
    Scan state_ = Scan::LineStart;
    std::uint32_t pos_ = 0;
};
