#include "engine/transport/mms/VXLWspPduEncoder.h"

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspTables.h"
#include "engine/transport/mms/VXLWspWriter.h"

namespace {

constexpr std::uint8_t kFieldContentType = 0x84;
constexpr std::uint8_t kHeaderContentId = 0xC0;
constexpr std::uint8_t kHeaderContentLocation = 0x8E;
constexpr std::uint8_t kParamCharset = 0x81;
constexpr std::uint8_t kParamName = 0x85;
constexpr std::uint8_t kParamType = 0x89;
constexpr std::uint8_t kParamStart = 0x8A;
constexpr std::uint8_t kYes = 0x80;
constexpr std::uint8_t kNo = 0x81;
constexpr std::int32_t kMultipartRelated = 51;

bool isMultipartType(const CVXLString& type)
{
    CVXLString folded(type);
    folded.toLower();
    return folded.find(CVXLString("application/vnd.wap.multipart.")) == 0
        || folded.find(CVXLString("multipart/")) == 0;
}

// The token of a token field's value.
CVXLString valueToken(const CVXLMmsPdu& pdu, std::int32_t code, int n)
{
    const CVXLString* token = pdu.fieldToken(code, n);
    return token ? *token : CVXLString();
}

bool writeNumber(const CVXLString& text, bool longForm, CVXLWspWriter& out)
{
    std::uint64_t value;
    if (!CVXLWspWriter::parseNumber(text, value))
        return false;
    if (longForm)
        out.longInteger(value);
    else
        out.integer(value);
    return true;
}

// Encoded-string-value: with a charset that has a registered number, a
// Value-length, the charset and the text; otherwise the text alone, which a
// reader takes as us-ascii rather than tripping over a charset it cannot read.
void writeEncodedString(const CVXLString& text, const CVXLString* charset, CVXLWspWriter& out)
{
    const std::int32_t number = charset && charset->length() ? charsetNumber(*charset) : -1;
    if (number < 0) {
        out.text(text);
        return;
    }
    CVXLByteBuffer value;
    CVXLWspWriter inner(value);
    inner.integer(static_cast<std::uint64_t>(number));
    inner.text(text);
    if (!inner.ok())
        out.fail();
    out.lengthPrefixed(value);
}

bool writeEnumerated(std::int32_t code, const CVXLString& value, CVXLWspWriter& out)
{
    const VXLMmsValueRow* table = mmsValueTableOf(code);
    if (!table)
        return false;
    const std::int32_t wire = mmsValueWireCode(value, table);
    if (wire >= 0x80) {
        out.byte(static_cast<std::uint8_t>(wire));
        return true;
    }
    if (value.isNumeric())
        return writeNumber(value, false, out);
    out.text(value);
    return true;
}

bool writeVersion(const CVXLString& value, CVXLWspWriter& out)
{
    if (value.isNumeric()) {
        const std::int32_t wire = mmsValueWireCode(value, mmsValueTable(CVXLString(kMmsFieldMmsVersion)));
        if (wire < 0)
            return false;
        out.byte(static_cast<std::uint8_t>(wire));
        return true;
    }
    const int dot = value.findChar('.');
    if (dot <= 0)
        return false;
    const int major = value.substr(0, static_cast<std::uint32_t>(dot)).toInt();
    const int minor = value.substr(dot + 1, value.length()).toInt();
    if (major < 0 || major > 7 || minor < 0 || minor > 15)
        return false;
    out.byte(static_cast<std::uint8_t>(0x80 + 16 * major + minor));
    return true;
}

bool tokenByte(std::int32_t code, const CVXLString& token, std::uint8_t& byte)
{
    const std::int32_t wire = mmsValueWireCode(token, mmsValueTableOf(code));
    if (wire < 0x80 || wire > 0xFF)
        return false;
    byte = static_cast<std::uint8_t>(wire);
    return true;
}

} // namespace

bool CVXLWspPduEncoder::encodeField(const CVXLMmsPdu& pdu, std::int32_t code, CVXLWspWriter& out)
{
    const std::int32_t kind = mmsFieldKindOf(code);
    const std::int32_t wire = mmsFieldWireOf(code);
    if (kind < 0 || wire < 0)
        return false;
    const int count = static_cast<int>(pdu.fieldCount(code));
    const int step = (kind == kMmsKindIndexAndEncodedString || kind == kMmsKindIndexAndDate) ? 2 : 1;
    for (int n = 0; n + step <= count; n += step) {
        const CVXLString& value = pdu.field(code, n);
        out.byte(static_cast<std::uint8_t>(wire));
        if (code == kMmsFieldStored) {
            // A yes/no octet in the encapsulation, whatever its table row says.
            out.byte(value.toInt() == 0 ? kYes : kNo);
            continue;
        }
        if (code == kMmsFieldElementDescriptor) {
            CVXLByteBuffer inner;
            CVXLWspWriter w(inner);
            w.text(value);
            out.lengthPrefixed(inner);
            if (!w.ok())
                return false;
            continue;
        }
        switch (kind) {
        case kMmsKindInteger: {
            const bool longForm
                = code == kMmsFieldDate || code == kMmsFieldMessageSize || code == kMmsFieldReplyChargingSize;
            if (!writeNumber(value, longForm, out))
                return false;
            break;
        }
        case kMmsKindText:
            out.text(value);
            break;
        case kMmsKindEncodedString:
            writeEncodedString(value, pdu.fieldCharset(code, n), out);
            break;
        case kMmsKindEnumerated:
            if (!writeEnumerated(code, value, out))
                return false;
            break;
        case kMmsKindVersion:
            if (!writeVersion(value, out))
                return false;
            break;
        case kMmsKindTokenAndEncodedString: {
            std::uint8_t token;
            if (!tokenByte(code, valueToken(pdu, code, n), token))
                return false;
            CVXLByteBuffer inner;
            CVXLWspWriter w(inner);
            w.byte(token);
            if (value.length())
                writeEncodedString(value, pdu.fieldCharset(code, n), w);
            if (!w.ok())
                return false;
            out.lengthPrefixed(inner);
            break;
        }
        case kMmsKindTokenAndInteger: {
            std::uint8_t token;
            if (!tokenByte(code, valueToken(pdu, code, n), token))
                return false;
            CVXLByteBuffer inner;
            CVXLWspWriter w(inner);
            w.byte(token);
            // A time, absolute or relative, is a Long-integer at any value:
            // readers take a relative time under 128 s written as a short
            // integer for 0 s or reject the PDU. A total stays an
            // Integer-value.
            const bool time = code != kMmsFieldMboxTotals && code != kMmsFieldMboxQuotas;
            if (!writeNumber(value, time, w) || !w.ok())
                return false;
            out.lengthPrefixed(inner);
            break;
        }
        case kMmsKindFieldCode: {
            if (!value.isNumeric() || !value.length())
                return false;
            const std::int32_t field = mmsFieldWireCode(value);
            if (field < 0)
                return false;
            out.byte(static_cast<std::uint8_t>(field));
            break;
        }
        case kMmsKindIndexAndEncodedString:
        case kMmsKindIndexAndDate: {
            CVXLByteBuffer inner;
            CVXLWspWriter w(inner);
            if (!writeNumber(value, false, w))
                return false;
            const CVXLString& second = pdu.field(code, n + 1);
            if (kind == kMmsKindIndexAndDate) {
                if (!writeNumber(second, true, w))
                    return false;
            } else {
                writeEncodedString(second, pdu.fieldCharset(code, n + 1), w);
            }
            if (!w.ok())
                return false;
            out.lengthPrefixed(inner);
            break;
        }
        default:
            return false;
        }
    }
    return out.ok();
}

bool CVXLWspPduEncoder::encodeHeaders(const CVXLMmsPdu& pdu, CVXLByteBuffer& out)
{
    const CVXLMmsFieldTable& fields = pdu.fields();
    // A header that is no MMS field has no wire form.
    if (fields.codeCount() == 0 || pdu.messageHeaders().nameCount() > 0)
        return false;
    CVXLWspWriter writer(out);
    for (std::uint32_t i = 0; i < fields.codeCount(); ++i) {
        const std::int32_t code = fields.codeAt(i);
        // The body step writes the Content-Type.
        if (code == kMmsFieldContentType)
            continue;
        if (!encodeField(pdu, code, writer))
            return false;
    }
    return writer.ok();
}

bool CVXLWspPduEncoder::encodeContentType(
    const CVXLMimeEntity& entity, const CVXLString& type, bool parameters, CVXLWspWriter& out)
{
    CVXLByteBuffer media;
    CVXLWspWriter m(media);
    const std::int32_t code = wspContentTypeCode(type, true);
    if (code >= 0 && code < 0x80)
        m.byte(static_cast<std::uint8_t>(0x80 | code));
    else
        m.text(type);

    CVXLByteBuffer params;
    CVXLWspWriter p(params);
    if (parameters) {
        const CVXLString& charset = entity.header(CVXLString("charset"));
        const std::int32_t number = charset.length() ? charsetNumber(charset) : -1;
        if (number >= 0) {
            p.byte(kParamCharset);
            p.integer(static_cast<std::uint64_t>(number));
        }
        const CVXLString& name = entity.header(CVXLString("name"));
        if (name.length()) {
            p.byte(kParamName);
            p.text(name);
        }
        const CVXLString& related = entity.header(CVXLString("type"));
        if (related.length()) {
            p.byte(kParamType);
            const std::int32_t relatedCode = wspContentTypeCode(related, true);
            if (relatedCode >= 0 && relatedCode < 0x80)
                p.byte(static_cast<std::uint8_t>(0x80 | relatedCode));
            else
                p.text(related);
        }
        const CVXLString& start = entity.header(CVXLString("start"));
        if (start.length()) {
            p.byte(kParamStart);
            p.text(start);
        }
    }
    if (!m.ok() || !p.ok())
        return false;
    if (params.length() == 0 && media.length() == 1) {
        out.bytes(media.data(), 1);
        return out.ok();
    }
    if (params.length() == 0) {
        out.bytes(media.data(), media.length());
        return out.ok();
    }
    out.valueLength(media.length() + params.length());
    out.bytes(media.data(), media.length());
    out.bytes(params.data(), params.length());
    return out.ok();
}

bool CVXLWspPduEncoder::encodeBodyHeader(const CVXLMimeEntity& body, CVXLByteBuffer& out)
{
    CVXLWspWriter writer(out);
    writer.byte(kFieldContentType);
    if (body.kind() == CVXLMimeEntity::kMultipart) {
        const auto& multipart = static_cast<const CVXLMultipartBody&>(body);
        if (multipart.partCount() == 0)
            return false;
        CVXLString type = body.contentType();
        if (!type.length() || !isMultipartType(type))
            wspContentTypeName(CVXLString(kMultipartRelated), type, true);
        if (!encodeContentType(body, type, true, writer))
            return false;
        writer.uintvar(multipart.partCount());
        return writer.ok();
    }
    const CVXLString& type = body.contentType();
    if (!type.length())
        return false;
    return encodeContentType(body, type, true, writer);
}

std::uint32_t CVXLWspPduEncoder::partDataSize(const CVXLMimeEntity& part)
{
    return part.bodyLength() ? part.bodyLength() : part.dataSize();
}

bool CVXLWspPduEncoder::encodePartHeader(
    const CVXLMimeEntity& part, std::uint32_t dataSize, CVXLByteBuffer& out)
{
    const CVXLString& type = part.contentType();
    if (!type.length())
        return false;
    CVXLByteBuffer headers;
    CVXLWspWriter h(headers);
    if (!encodeContentType(part, type, true, h))
        return false;
    if (part.contentId().length()) {
        h.byte(kHeaderContentId);
        h.quotedString(part.contentId());
    }
    if (part.contentLocation().length()) {
        h.byte(kHeaderContentLocation);
        h.text(part.contentLocation());
    }
    if (!h.ok())
        return false;
    CVXLWspWriter writer(out);
    writer.uintvar(headers.length());
    writer.uintvar(dataSize);
    writer.bytes(headers.data(), headers.length());
    return writer.ok();
}

bool CVXLWspPduEncoder::encode(const CVXLMmsPdu& pdu, CVXLByteBuffer& out)
{
    if (!encodeHeaders(pdu, out))
        return false;
    const CVXLMimeEntity* body = pdu.body().get();
    if (!body)
        return true;
    if (!encodeBodyHeader(*body, out))
        return false;
    if (body->kind() != CVXLMimeEntity::kMultipart)
        return !body->bodyLength() || out.append(body->bodyData(), body->bodyLength());
    const auto& multipart = static_cast<const CVXLMultipartBody&>(*body);
    for (std::uint32_t i = 0; i < multipart.partCount(); ++i) {
        const CVXLEntityRef part = multipart.partAt(i);
        if (part.isEmpty())
            return false;
        const std::uint32_t length = part->bodyLength();
        if (length != partDataSize(*part.get()))
            return false;
        if (!encodePartHeader(*part.get(), length, out) || (length && !out.append(part->bodyData(), length)))
            return false;
    }
    return true;
}
