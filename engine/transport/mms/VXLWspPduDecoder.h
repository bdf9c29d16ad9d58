#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLEntityRef.h"

#include <cstdint>

class CVXLMimeEntity;
class CVXLMmsPdu;
class CVXLWspReader;

// Reads a binary MMS encapsulated PDU from a view of bytes into an untyped
// PDU: every header field under its field code, and the body as a multipart
// body of parts (or one entity when the Content-Type is not multipart).
// Each part records the file it came from, its offset in that file (the
// view's offset plus its position in the view) and its size. Decoded from a
// buffer, a part's data stay a range of that buffer (its block is shared,
// nothing is copied); decoded from bare bytes, each part holds a copy of its
// data.
//
// A PDU that lies in a file may also be decoded one window of it at a time
// (beginWindows, then decodeWindow): a part whose data lie wholly in the
// window gets a copy of them, one whose data run past it keeps only its
// place in the file.
//
// The reading is liberal: a header field, application header, header value
// or charset it does not know is skipped (a charset without a name is kept
// as "#<number>"); only bytes that run out before a length says they end,
// or a body that cannot be split into parts, fail the PDU.
class CVXLWspPduDecoder : public CVXLObject {
public:
    CVXLWspPduDecoder() = default;

    // fileName and offset say where bytes[0] lies in the input file.
    bool decode(const std::uint8_t* bytes, std::uint32_t length, CVXLMmsPdu& pdu,
        const CVXLString& fileName = CVXLString(), std::uint32_t offset = 0);
    // length bytes of input from start; fileName and offset say where
    // input[start] lies in the input file.
    bool decode(const CVXLByteBuffer& input, std::uint32_t start, std::uint32_t length, CVXLMmsPdu& pdu,
        const CVXLString& fileName = CVXLString(), std::uint32_t offset = 0);

    enum class WindowResult : std::int32_t { kDone, kNeedWindow, kFailed };

    // Starts a windowed decode of inputLength bytes that lie at offset in
    // fileName.
    void beginWindows(
        CVXLMmsPdu& pdu, std::uint32_t inputLength, const CVXLString& fileName, std::uint32_t offset);
    // Decodes what lies wholly in a window of the input that starts at
    // resumePosition(); last says the input ends with this window (a file
    // shorter than its stated size). kNeedWindow asks for the window at
    // resumePosition(): when that did not move, for a larger one.
    WindowResult decodeWindow(const std::uint8_t* bytes, std::uint32_t length, bool last = false);
    // Where the next window begins, from the start of the input: always the
    // start of the PDU or of a part's entry.
    std::uint32_t resumePosition() const { return windowStart_; }

    // Why the last decode failed, and the offset in the view where it did.
    const char* errorText() const { return error_; }
    std::uint32_t errorPosition() const { return errorPosition_; }

    // A text where it lies in the input.
    struct TextBytes {
        const char* bytes = "";
        std::uint32_t length = 0;
    };

private:
    bool fail(const char* why, const CVXLWspReader& at);
    bool decodeHeaders(CVXLWspReader& in, CVXLMmsPdu& pdu);
    bool decodeField(std::int32_t code, std::int32_t kind, CVXLWspReader& value, CVXLMmsPdu& pdu);
    bool decodeBody(CVXLWspReader& in, CVXLMmsPdu& pdu);
    bool decodeParts(CVXLWspReader& in);
    bool endBody(CVXLMmsPdu& pdu);
    // Input bytes from the reader's position to the end of the input.
    std::uint32_t inputLeft(const CVXLWspReader& in) const;
    // Stops the window at a position of it; the next begins there.
    void stopWindowAt(const std::uint8_t* at);
    bool decodePart(CVXLWspReader& in, CVXLMimeEntity& part);
    bool decodeContentType(CVXLWspReader& in, CVXLMimeEntity& entity);
    bool decodeParameter(CVXLWspReader& in, CVXLMimeEntity& entity);
    void decodePartHeaders(CVXLWspReader& in, CVXLMimeEntity& part);
    bool decodeEncodedString(CVXLWspReader& in, TextBytes& text, CVXLString& charset, bool indexed = true);
    bool decodeView(const std::uint8_t* bytes, std::uint32_t length, CVXLMmsPdu& pdu,
        const CVXLString& fileName, std::uint32_t offset);
    bool keepData(
        CVXLMimeEntity& entity, const std::uint8_t* data, std::uint32_t size, const CVXLWspReader& at);

    const std::uint8_t* base_ = nullptr;
    // The buffer the view lies in, and where; null for bare bytes.
    const CVXLByteBuffer* source_ = nullptr;
    std::uint32_t sourceStart_ = 0;
    CVXLString fileName_;
    std::uint32_t offset_ = 0;
    std::int32_t messageType_ = 0;
    // The input: all of it in memory, or the window from windowStart_.
    std::uint32_t inputLength_ = 0;
    std::uint32_t windowStart_ = 0;
    std::uint32_t fileOffset_ = 0;
    bool windowed_ = false;
    bool headersDone_ = false;
    bool windowStopped_ = false;
    CVXLMmsPdu* pdu_ = nullptr;
    // The multipart body being filled, its part count and parts so far.
    CVXLEntityRef body_;
    std::uint32_t entries_ = 0;
    std::uint32_t entriesDone_ = 0;
    const char* error_ = "";
    std::uint32_t errorPosition_ = 0;
};
