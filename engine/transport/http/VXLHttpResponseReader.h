#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLScanResult.h"
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
    // A head larger than this is malformed rather than buffered on.
    static constexpr std::uint32_t kMaxHeadLength = 65536;

    CVXLHttpResponseReader() = default;

    void setBuffer(CVXLByteBuffer* buffer) { tokenizer_.setBuffer(buffer); }
    // State 0, no target response, tokenizer reset.
    void reset();
    void bind(CVXLHttpResponse* response) { response_ = response; }
    // Done once the blank line that ends the head has been taken.
    CVXLScanResult feed();

private:
    enum class State { StatusLine, HeaderLines };

    bool parseStatusLine(const CVXLString& line);
    bool parseHeaderLine(const CVXLString& line);
    void noteTransferCodings(const CVXLString& value);
    void settleFraming();

    State state_ = State::StatusLine;
    CVXLHttpHeadTokenizer tokenizer_;
    CVXLHttpResponse* response_ = nullptr;
    std::uint32_t headLength_ = 0;
    // Transfer codings named so far over every Transfer-Encoding line, and
    // whether the last one named was "chunked".
    std::uint32_t codings_ = 0;
    bool lastIsChunked_ = false;
    bool transferEncoding_ = false;
};
