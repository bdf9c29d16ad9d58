#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLMimeEntity;
class CVXLMmsPdu;
class CVXLWspWriter;

// Writes an MMS PDU in the binary MMS encapsulation: the header fields of
// the PDU's message header map in WSP value encodings, then the body's
// Content-Type and, for a multipart body, each part's header and data. The
// encoder job streams part data from files between the steps; encode()
// does the whole PDU when every part's data is in memory.
//
// Values follow the WSP and MMS encapsulation encodings, so that standard
// readers take them as meant: dates and sizes are Long-integers at any
// value, a text beginning with a byte of 0x80 or above gets the quote 0x7F,
// and a charset that has no registered number is left out.
class CVXLWspPduEncoder : public CVXLObject {
public:
    // The header fields; fails on an empty list, a field code the MMS field
    // table lacks, or a value that has no encoding.
    static bool encodeHeaders(const CVXLMmsPdu& pdu, CVXLByteBuffer& out);
    // Content-Type of the body and, for a multipart body, the part count;
    // a multipart body without parts fails.
    static bool encodeBodyHeader(const CVXLMimeEntity& body, CVXLByteBuffer& out);
    // HeadersLen, DataLen, the part's content type and its Content-ID and
    // Content-Location.
    static bool encodePartHeader(const CVXLMimeEntity& part, std::uint32_t dataSize, CVXLByteBuffer& out);
    // Size of a part's data: its in-memory body, else its file range.
    static std::uint32_t partDataSize(const CVXLMimeEntity& part);
    // The whole PDU; a part whose data lie only in a file fails.
    static bool encode(const CVXLMmsPdu& pdu, CVXLByteBuffer& out);

private:
    static bool encodeField(const CVXLMmsPdu& pdu, std::int32_t code, CVXLWspWriter& out);
    static bool encodeContentType(
        const CVXLMimeEntity& entity, const CVXLString& type, bool parameters, CVXLWspWriter& out);
};
