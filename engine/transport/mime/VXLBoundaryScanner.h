#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLByteTokenizer.h"

#include <cstdint>

// Tokens of a multipart reply at the front of a buffer: delimiter lines,
// header names, words, numbers, empty lines and the end of an embedded XML
// document. Each scan starts again at the front, so it stops at any byte and
// resumes when more arrive.
class CVXLBoundaryScanner : public CVXLByteTokenizer {
public:
    enum TokenType : std::int32_t {
        kTokenNone = 0,       // incomplete, or the scan failed
        kTokenDelimiter = 1,  // "--" and the boundary
        kTokenClose = 2,      // "--", the boundary and "--"
        kTokenHeaderName = 3, // a name with its colon
        kTokenWord = 4,
        kTokenEmptyLine = 5,
        kTokenNumber = 6,
        kTokenDocumentEnd = 7, // up to and including "</VRAX>"
    };

    void setBoundary(const CVXLString& boundary) { boundary_ = boundary; }
    const CVXLString& boundary() const { return boundary_; }

    void reset() override;
    void scan() override;
    TokenType next();
    // The type of the next token; the current token is left as it was.
    TokenType peekType();
    TokenType type() const { return type_; }

private:
    TokenType type_ = kTokenNone;
    CVXLString boundary_;
};
