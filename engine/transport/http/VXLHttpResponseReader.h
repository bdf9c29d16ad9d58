#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/http/VXLHttpHeadTokenizer.h"

#include <cstdint>

class CVXLHttpResponse;

// Reads a response head off the front of the HTTP job's receive buffer into
// a response: the status line, then header lines up to the blank line. Each
// whole line is taken out of the buffer as it is accepted, so feeding stops
// at any byte and goes on when more arrive; what follows the head stays in
// the buffer as the start of the body.
class CVXLHttpResponseReader : public CVXLObject {
public:
    enum FeedResult : std::int32_t {
        kHeadComplete = 0,
        kMalformed = 1,
        kNeedMore = 2,
    };
    enum ChunkLine : std::int32_t {
        kChunkLineDone = 0,
        kChunkLineMalformed = 1,
        kChunkLineNeedMore = 2,
    };
    // A head larger than this is malformed rather than buffered on.
    static constexpr std::uint32_t kMaxHeadLength = 65536;
    static constexpr std::uint32_t kMaxChunkSizeDigits = 8;
    static constexpr std::uint32_t kMaxChunkLineLength = 1024;

    CVXLHttpResponseReader() = default;

    void setBuffer(CVXLByteBuffer* buffer) { tokenizer_.setBuffer(buffer); }
    // State 0, no target response, tokenizer reset.
    void reset();
    void bind(CVXLHttpResponse* response) { response_ = response; }
    FeedResult feed();

    // The chunk-size line at the front of a buffer, after any CR, LF, space
    // and tab in front of it: hexadecimal digits, an extension that is
    // ignored, CR LF. On done, *size is the size and *lineLength the bytes of
    // the line including what was skipped in front of it.
    static ChunkLine scanChunkSizeLine(const CVXLByteBuffer& buffer, std::uint32_t* size,
                                       std::uint32_t* lineLength);
    // The trailer after the last chunk: header lines up to a blank line.
    // On done, *length is the bytes up to and including the blank line.
    static ChunkLine scanTrailer(const CVXLByteBuffer& buffer, std::uint32_t* length);

private:
    enum class State { StatusLine, HeaderLines };

    bool parseStatusLine(const CVXLString& line);
    bool parseHeaderLine(const CVXLString& line);

    State state_ = State::StatusLine;
    CVXLHttpHeadTokenizer tokenizer_;
    CVXLHttpResponse* response_ = nullptr;
    std::uint32_t headLength_ = 0;
};
