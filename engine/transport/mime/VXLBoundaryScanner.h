#pragma once

#include "engine/core/base/VXLScanResult.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLByteTokenizer.h"

#include <cstdint>

// Tokens of a multipart reply at the front of a buffer: delimiter lines,
// header names, words, numbers, empty lines and the end of an embedded XML
// document. The scanner keeps its state and position between scans, so it
// stops at any byte and, when more arrive, examines only the new ones. The
// owner of the buffer only appends to it between scans; consume() and
// setBuffer() start the next scan at the front again.
class CVXLBoundaryScanner : public CVXLByteTokenizer {
public:
    enum TokenType : std::int32_t {
        kTokenNone = 0, // no token: result() tells need-more from failed
        kTokenDelimiter = 1, // "--" and the boundary
        kTokenClose = 2, // "--", the boundary and "--"
        kTokenHeaderName = 3, // a name with its colon
        kTokenWord = 4,
        kTokenEmptyLine = 5,
        kTokenNumber = 6,
        kTokenDocumentEnd = 7, // up to and including "</VRAX>"
    };

    // Also starts the scan again at the front, as the new boundary may cut
    // the bytes differently.
    void setBoundary(const CVXLString& boundary);
    const CVXLString& boundary() const { return boundary_; }

    void reset() override;
    void scan() override;
    TokenType next();
    // The type of the token at the front of the buffer, which is the current
    // token once one has been found; the current token is left as it was.
    TokenType peekType();
    TokenType type() const { return type_; }
    // Done with a token; NeedMore when the bytes end before one does;
    // Malformed when they cannot be one, and the next consume drops them all.
    CVXLScanResult result() const { return result_; }
    // Every byte looked at by the scans so far, once per look.
    std::uint64_t bytesExamined() const { return examined_; }

protected:
    void consumed(std::uint32_t count) override;

private:
    enum class State {
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
        Found,
        Failed,
    };

    void restart();
    void step(std::uint8_t c);
    void found(TokenType type, std::uint32_t end);

    TokenType type_ = kTokenNone;
    CVXLScanResult result_ = CVXLScanResult::NeedMore;
    CVXLString boundary_;
    // Where the scan stands: the next byte to look at, the first byte of the
    // token it is in and, once found, the token's end and type.
    State state_ = State::LineStart;
    std::uint32_t position_ = 0;
    std::uint32_t begin_ = 0;
    std::uint32_t end_ = 0;
    TokenType found_ = kTokenNone;
    std::uint32_t boundarySeen_ = 0; // bytes after the dashes
    bool boundaryMatches_ = false; // those bytes begin the boundary
    std::uint32_t documentMatched_ = 0; // bytes of "</VRAX" just seen
    std::uint64_t examined_ = 0;
};
