#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLScanResult.h"

#include <cstdint>

// Tells a response body apart from its framing and from what follows it, as
// the bytes arrive: by Content-Length, in chunks (size lines, extensions that
// are ignored, the data, the trailer fields up to the blank line; a bare LF
// ends a line as CR LF does, as in the head) or up to the
// peer's close. It keeps its state and position between calls and takes
// every byte it is shown once, so the caller drops what was taken and never
// shows it again; a body split at any point frames the same.
class CVXLHttpBodyFramer : public CVXLObject {
public:
    static constexpr std::uint32_t kMaxChunkSizeDigits = 8;
    // Longest size line, and longest run of line ends and blanks in front of
    // it; a longer one is malformed rather than a reason to buffer on.
    static constexpr std::uint32_t kMaxChunkLineLength = 1024;

    // What one call took from the front of the bytes: framing first, then
    // one run of body bytes.
    struct Taken {
        std::uint32_t framing = 0;
        std::uint32_t body = 0;
    };

    // Nothing to frame: done at once.
    void reset() { frameByLength(0); }
    void frameByLength(std::uint32_t length);
    void frameByChunks();
    void frameUntilClose();

    // Takes framing and then at most one run of body bytes from the front of
    // the `count` bytes. Done: the body ended with what was taken, and bytes
    // after it are not body. NeedMore: the body goes on after what was taken,
    // with the bytes left over (if any) or with bytes still to come.
    // Malformed: the framing is broken.
    CVXLScanResult take(const std::uint8_t* bytes, std::uint32_t count, Taken* taken);

    bool done() const { return state_ == State::Done; }
    // The body has no length of its own: the peer's close ends it.
    bool endsAtClose() const { return state_ == State::UntilClose; }
    // Body bytes known to come next (the rest of the length or of the
    // current chunk); 0 when framing comes next or the length is unknown.
    std::uint32_t bodyAhead() const { return state_ == State::Data ? left_ : 0; }

private:
    enum class State : std::uint8_t {
        Data, // left_ body bytes to go
        UntilClose, // every byte is body
        LineLead, // line ends and blanks before a size line
        SizeDigits,
        AfterDigits, // blanks after the size
        Extension,
        SizeLineCr,
        TrailerLineStart,
        TrailerBlankCr,
        TrailerName,
        TrailerValue,
        TrailerValueCr,
        Done,
        Malformed,
    };

    State framingByte(std::uint8_t c);
    State sizeLineByte(std::uint8_t c);
    State sizeLineEnd();
    State trailerByte(std::uint8_t c);

    State state_ = State::Done;
    bool chunked_ = false;
    std::uint32_t left_ = 0;
    std::uint32_t size_ = 0;
    std::uint32_t digits_ = 0;
    std::uint32_t lead_ = 0;
    std::uint32_t line_ = 0;
    std::uint32_t trailer_ = 0;
    // A trailer field has begun, so a line starting with a blank continues it.
    bool trailerNamed_ = false;
};
