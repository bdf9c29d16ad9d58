#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLMimeEntity;
class CVXLMmsPdu;
class CVXLWspReader;

// Reads a binary MMS encapsulated PDU from a view of bytes into an untyped
// PDU: every header field under its field code, and the body as a multipart
// body of parts (or one entity when the Content-Type is not multipart).
// Each part records the file it came from, its offset in that file (the
// view's offset plus its position in the view) and its size, and holds a
// copy of its data: the one copy decoding makes.
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

    // Why the last decode failed, and the offset in the view where it did.
    const char* errorText() const { return error_; }
    std::uint32_t errorPosition() const { return errorPosition_; }

private:
    bool fail(const char* why, const CVXLWspReader& at);
    bool decodeHeaders(CVXLWspReader& in, CVXLMmsPdu& pdu);
    bool decodeField(std::int32_t code, std::int32_t kind, CVXLWspReader& value, CVXLMmsPdu& pdu);
    bool decodeBody(CVXLWspReader& in, CVXLMmsPdu& pdu);
    bool decodePart(CVXLWspReader& in, CVXLMimeEntity& part);
    bool decodeContentType(CVXLWspReader& in, CVXLMimeEntity& entity);
    bool decodeParameter(CVXLWspReader& in, CVXLMimeEntity& entity);
    void decodePartHeaders(CVXLWspReader& in, CVXLMimeEntity& part);
    bool decodeEncodedString(CVXLWspReader& in, CVXLString& text, CVXLString& charset, bool indexed = true);

    const std::uint8_t* base_ = nullptr;
    CVXLString fileName_;
    std::uint32_t offset_ = 0;
    std::int32_t messageType_ = 0;
    const char* error_ = "";
    std::uint32_t errorPosition_ = 0;
};
