#pragma once

#include "engine/transport/mime/VXLByteTokenizer.h"

#include <cstdint>

// Splits a response head into lines at the front of the receive buffer: the
// status line, header lines (a folded line is one token with its
// continuations) and the blank line that ends the head. A line is a token
// only once it is whole, so a scan of a partial head asks for more bytes;
// nothing is ever skipped to find a later line.
class CVXLHttpHeadTokenizer : public CVXLByteTokenizer {
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

    void reset() override;
    void scan() override;
    // Consumes the current token, scans and returns the type.
    TokenType next();
    TokenType type() const { return type_; }

private:
    TokenType scanStatus(std::uint32_t* length) const;
    TokenType scanHeader(std::uint32_t* length) const;

    TokenType type_ = kTokenNone;
};
