#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLScanResult.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLMimePartSink;

// Splits a text MIME multipart container into its body parts while the
// container's bytes arrive in windows. It holds only the bytes that could
// still begin a delimiter line or that belong to an unfinished header block;
// every comparison stops at the bytes present and waits for more when they
// cannot decide it. Bytes already searched are not searched again when more
// arrive, except a possible delimiter line cut by the end of the bytes
// present, with the line end in front of it.
//
// A delimiter line is "--" and the boundary, "--" for the closing one, spaces
// or tabs, and a line end (CR LF or LF) or the container's end; it begins the
// container or follows a line end, which is not part of the data before it.
// A part ends at the next delimiter line or, when the closing one is missing,
// at the container's end.
class CVXLMimeMultipartParser : public CVXLObject {
public:
    static constexpr std::uint32_t kFirstReadSize = 256;
    static constexpr std::uint32_t kHeaderReadSize = 256;
    static constexpr std::uint32_t kDataReadSize = 5120;
    // A header block that grows past this ends the parse.
    static constexpr std::uint32_t kMaxHeaderBlock = 16384;
    // Spaces or tabs allowed after a boundary before its line end.
    static constexpr std::uint32_t kMaxLinePadding = 64;

    CVXLMimeMultipartParser() = default;

    void begin(const CVXLString& boundary, std::uint32_t containerSize, CVXLMimePartSink* sink);

    // Where in the container the next bytes are to be read from and how many
    // at most; 0 once the parse has ended.
    std::uint32_t readOffset() const { return consumed_ + buffer_.length(); }
    std::uint32_t readSize() const;

    // The bytes read at readOffset (any number up to readSize). An empty
    // read ends the container where it stands. Malformed also when the sink
    // refuses a part or the heap refuses the bytes.
    CVXLScanResult feed(const std::uint8_t* bytes, std::uint32_t length);
    CVXLScanResult status() const { return status_; }
    std::uint32_t partCount() const { return partCount_; }
    // Every byte looked at while searching for line ends and delimiters.
    std::uint64_t bytesExamined() const { return examined_; }

    // Header lines in a block: folded lines joined, "Name: value" (a missing
    // space after the colon costs no character) and each "; name=value"
    // parameter as a header of its own, values as written.
    static bool parseHeaderBlock(const std::uint8_t* bytes, std::uint32_t length, CVXLHeaderMap& headers);

private:
    enum class State { Preamble, Headers, Data, Ended };
    enum class Match { No, Open, Close, NeedMore };

    CVXLScanResult run();
    CVXLScanResult stepScan();
    CVXLScanResult stepHeaders();
    Match matchDelimiter(std::uint32_t at, std::uint32_t& lineEnd);
    std::uint32_t findLineEnd(std::uint32_t from);
    bool handOn(std::uint32_t count);
    bool endPart(std::uint32_t end);
    bool takeDelimiter(Match match, std::uint32_t lineEnd);
    CVXLScanResult end(CVXLScanResult status);
    bool atEnd() const { return ended_; }

    CVXLString boundary_;
    CVXLMimePartSink* sink_ = nullptr;
    CVXLByteBuffer buffer_;
    std::uint32_t containerSize_ = 0;
    std::uint32_t consumed_ = 0; // container bytes before the buffer
    std::uint32_t partStart_ = 0;
    std::uint32_t partCount_ = 0;
    std::uint32_t headerScan_ = 0; // start of the first header line not yet ended
    std::uint32_t headerSearched_ = 0; // no line end in [headerScan_, headerSearched_)
    std::uint64_t examined_ = 0;
    State state_ = State::Ended;
    CVXLScanResult status_ = CVXLScanResult::Done;
    bool ended_ = false;
    bool partOpen_ = false;
    // The buffer's first byte begins a line whose line end in front belongs
    // to no data (the container's start, or just after a header block).
    bool lineStart_ = false;
};
