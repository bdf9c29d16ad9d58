#include "engine/transport/mms/VXLWspPduDecoder.h"

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspReader.h"
#include "engine/transport/mms/VXLWspTables.h"

namespace {

constexpr std::uint8_t kShiftDelimiter = 0x7F;
constexpr std::uint8_t kNoValue = 0x00;
// Smallest entry of a multipart body: HeadersLen, DataLen, a content type.
constexpr std::uint32_t kMinEntryBytes = 3;

// Texts the decoder meets again and again (names from the tables) are made
// once each and shared by every value that holds them.
constexpr std::uint64_t kSharedCharsets = 256;

// The text at index, made by make on first use. An index past the cache is
// made each time; so is a text that comes out empty.
template <std::size_t N, typename Make> bool sharedName(std::uint64_t index, CVXLString& out, Make make)
{
    static CVXLString names[N];
    if (index >= N) {
        out.clear();
        return make(out);
    }
    CVXLString& name = names[index];
    bool ok = true;
    if (!name.length())
        ok = make(name);
    out = name;
    return ok;
}

bool headerName(std::uint8_t wire, CVXLString& name)
{
    return sharedName<128>(
        wire & 0x7Fu, name, [wire](CVXLString& out) { return wspHeaderNameOf(wire, out); });
}

bool contentTypeName(std::uint64_t number, CVXLString& type)
{
    return sharedName<kVxlWspWellKnownContentTypes>(number, type, [number](CVXLString& out) {
        return wspContentTypeNameOf(static_cast<std::int32_t>(number), out, true);
    });
}

bool charsetName(std::uint64_t number, CVXLString& name)
{
    return sharedName<kSharedCharsets>(number, name,
        [number](CVXLString& out) { return charsetNameOf(static_cast<std::int32_t>(number), out); });
}

bool parameterName(const VXLWspParameterRow& row, CVXLString& name)
{
    return sharedName<kVxlWspParameterRows>(&row - kVxlWspParameterTable, name, [&row](CVXLString& out) {
        out = row.name;
        return true;
    });
}

CVXLString decimal(std::uint64_t value)
{
    return CVXLMmsFieldTable::decimal(value);
}

// An enumerated value (-1 when unknown) without its sign.
std::uint64_t magnitudeOf(std::int32_t value)
{
    const auto wide = static_cast<std::int64_t>(value);
    return static_cast<std::uint64_t>(wide < 0 ? -wide : wide);
}

CVXLString signedDecimal(std::int32_t value)
{
    return CVXLMmsFieldTable::decimal(magnitudeOf(value), value < 0);
}

bool addSigned(CVXLMmsPdu& pdu, std::int32_t code, std::int32_t value)
{
    return pdu.setHeaderNumber(code, magnitudeOf(value), value < 0);
}

bool isText(std::uint8_t byte)
{
    return byte >= 0x20 && byte < 0x80;
}

// Whether type begins with a lower-case prefix, ignoring the letter case of type.
bool startsFolded(const CVXLString& type, const char* prefix)
{
    const char* text = type.c_str();
    const std::uint32_t length = type.length();
    std::uint32_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= length)
            return false;
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool isMultipartType(const CVXLString& type)
{
    return startsFolded(type, "application/vnd.wap.multipart.") || startsFolded(type, "multipart/");
}

// Well-known-charset: Any-charset (0x80) or an Integer-value.
bool readCharset(CVXLWspReader& in, CVXLString& name)
{
    std::uint64_t number;
    if (!in.readInteger(number) || number > 0x7FFFFFFF)
        return false;
    return charsetName(number, name);
}

// A content type given by number or wire byte, or as text.
bool readMediaType(CVXLWspReader& in, CVXLString& type)
{
    std::uint8_t first = 0;
    if (!in.peek(first))
        return false;
    type.clear();
    if (isText(first) || first == CVXLWspReader::kTextQuote)
        return in.readText(type);
    std::uint64_t number;
    if (!in.readInteger(number))
        return false;
    // A number the table lacks leaves the type empty rather than failing.
    if (number < kVxlWspWellKnownContentTypes)
        contentTypeName(number, type);
    return true;
}

} // namespace

bool CVXLWspPduDecoder::fail(const char* why, const CVXLWspReader& at)
{
    error_ = why;
    errorPosition_ = static_cast<std::uint32_t>(at.current() - base_);
    return false;
}

bool CVXLWspPduDecoder::decode(const std::uint8_t* bytes, std::uint32_t length, CVXLMmsPdu& pdu,
    const CVXLString& fileName, std::uint32_t offset)
{
    source_ = nullptr;
    return decodeView(bytes, length, pdu, fileName, offset);
}

bool CVXLWspPduDecoder::decode(const CVXLByteBuffer& input, std::uint32_t start, std::uint32_t length,
    CVXLMmsPdu& pdu, const CVXLString& fileName, std::uint32_t offset)
{
    source_ = nullptr;
    if (start > input.length() || length > input.length() - start) {
        error_ = "range lies outside the input";
        errorPosition_ = 0;
        return false;
    }
    source_ = &input;
    sourceStart_ = start;
    const bool ok = decodeView(input.data() + start, length, pdu, fileName, offset);
    source_ = nullptr;
    return ok;
}

bool CVXLWspPduDecoder::decodeView(const std::uint8_t* bytes, std::uint32_t length, CVXLMmsPdu& pdu,
    const CVXLString& fileName, std::uint32_t offset)
{
    base_ = bytes;
    fileName_ = fileName;
    offset_ = offset;
    messageType_ = 0;
    error_ = "";
    errorPosition_ = 0;
    inputLength_ = length;
    windowStart_ = 0;
    windowed_ = false;
    windowStopped_ = false;
    body_.reset();
    CVXLWspReader in(bytes, length);
    if (in.atEnd())
        return fail("no bytes to decode", in);
    return decodeHeaders(in, pdu);
}

namespace {

enum class FieldStep { kField, kEnd, kCut };

// Steps over application headers (a Token-text name and a value, neither of
// which has a place among the MMS fields) to the next field's code.
FieldStep nextField(CVXLWspReader& in, std::int32_t& code)
{
    std::uint8_t byte = 0;
    while (in.peek(byte) && byte < 0x80) {
        if (!in.skipText() || !in.skipValue())
            return FieldStep::kCut;
    }
    if (in.atEnd())
        return FieldStep::kEnd;
    in.readByte(byte);
    code = byte - 0x80;
    return FieldStep::kField;
}

// Whether the header fields, the Content-Type and the part count after it
// lie wholly in the view; false when the view ends first.
bool headersWithin(CVXLWspReader in)
{
    constexpr std::uint32_t kLongestUintvar = 5;
    std::int32_t code = 0;
    while (nextField(in, code) == FieldStep::kField) {
        if (!in.skipValue())
            return false;
        if (code == kMmsFieldContentType) {
            // Whatever follows decides between a part count and a single
            // body; only a count cut off by the view's end needs more.
            std::uint32_t entries;
            return !in.atEnd() && (in.readUintvar(entries) || in.remaining() >= kLongestUintvar);
        }
    }
    return false;
}

} // namespace

void CVXLWspPduDecoder::beginWindows(
    CVXLMmsPdu& pdu, std::uint32_t inputLength, const CVXLString& fileName, std::uint32_t offset)
{
    pdu_ = &pdu;
    inputLength_ = inputLength;
    fileName_ = fileName;
    fileOffset_ = offset;
    windowStart_ = 0;
    windowed_ = true;
    headersDone_ = false;
    messageType_ = 0;
    body_.reset();
    entries_ = 0;
    entriesDone_ = 0;
    error_ = "";
    errorPosition_ = 0;
}

CVXLWspPduDecoder::WindowResult CVXLWspPduDecoder::decodeWindow(
    const std::uint8_t* bytes, std::uint32_t length, bool last)
{
    if (!windowed_ || !pdu_)
        return WindowResult::kFailed;
    if (last && length < inputLength_ - windowStart_)
        inputLength_ = windowStart_ + length;
    if (length > inputLength_ - windowStart_)
        length = inputLength_ - windowStart_;
    base_ = bytes;
    source_ = nullptr;
    offset_ = fileOffset_ + windowStart_;
    windowStopped_ = false;
    CVXLWspReader in(bytes, length);
    const bool wholeRest = length == inputLength_ - windowStart_;
    bool ok = true;
    if (!headersDone_) {
        if (in.atEnd()) {
            fail("no bytes to decode", in);
            return WindowResult::kFailed;
        }
        // The header fields are decoded from one window; the caller grows it
        // until they fit.
        if (!wholeRest && !headersWithin(in))
            return WindowResult::kNeedWindow;
        headersDone_ = true;
        ok = decodeHeaders(in, *pdu_);
    } else {
        ok = decodeParts(in) && (windowStopped_ || endBody(*pdu_));
    }
    if (!ok)
        return WindowResult::kFailed;
    return windowStopped_ ? WindowResult::kNeedWindow : WindowResult::kDone;
}

std::uint32_t CVXLWspPduDecoder::inputLeft(const CVXLWspReader& in) const
{
    return inputLength_ - windowStart_ - static_cast<std::uint32_t>(in.current() - base_);
}

void CVXLWspPduDecoder::stopWindowAt(const std::uint8_t* at)
{
    windowStart_ += static_cast<std::uint32_t>(at - base_);
    windowStopped_ = true;
}

bool CVXLWspPduDecoder::decodeHeaders(CVXLWspReader& in, CVXLMmsPdu& pdu)
{
    for (;;) {
        std::int32_t code = 0;
        const FieldStep step = nextField(in, code);
        if (step == FieldStep::kEnd)
            return true;
        if (step == FieldStep::kCut)
            return fail("application header runs past the end", in);
        const std::int32_t kind = mmsFieldKindOf(code);
        if (code == kMmsFieldContentType)
            return decodeBody(in, pdu);
        CVXLWspReader extent(in);
        if (!extent.skipValue())
            return fail("header value runs past the end", in);
        CVXLWspReader value(in);
        in.split(extent.position() - in.position(), value);
        // A field this table does not know, or whose value does not read as
        // its kind, is left out; the rest of the PDU still counts.
        if (kind > kMmsKindNotEncodable)
            decodeField(code, kind, value, pdu);
    }
}

bool CVXLWspPduDecoder::decodeEncodedString(
    CVXLWspReader& in, TextBytes& text, CVXLString& charset, bool indexed)
{
    std::uint8_t first = 0;
    if (!in.peek(first))
        return false;
    charset.clear();
    if (first > CVXLWspReader::kLengthQuote)
        return in.readTextBytes(text.bytes, text.length);
    std::uint32_t length;
    CVXLWspReader value(in);
    if (!in.readValueLength(length) || !in.split(length, value))
        return false;
    if (indexed && messageType_ == kMmsMboxDeleteConf) {
        // The values of an m-mbox-delete-conf carry an index first; the
        // value after it has none, however deep a sender nests lengths.
        std::uint64_t index;
        if (!value.readInteger(index))
            return false;
        return decodeEncodedString(value, text, charset, false);
    }
    if (!readCharset(value, charset))
        return false;
    return value.readTextBytes(text.bytes, text.length);
}

namespace {

// Adds a text with its charset, when it has one.
bool addEncodedText(
    CVXLMmsPdu& pdu, std::int32_t code, const CVXLWspPduDecoder::TextBytes& text, const CVXLString& charset)
{
    return pdu.setHeaderText(code, text.bytes, text.length)
        && (!charset.length() || pdu.addFieldParameter(code, CVXLMmsFieldTable::kCharset, charset));
}

bool addText(CVXLWspReader& in, CVXLMmsPdu& pdu, std::int32_t code)
{
    CVXLWspPduDecoder::TextBytes text;
    return in.readTextBytes(text.bytes, text.length) && pdu.setHeaderText(code, text.bytes, text.length);
}

// X-Mms-MMS-Version as "major.minor", or "major" for minor 15; one text per
// wire byte, kept for the life of the process.
const CVXLString& versionText(std::uint8_t wire)
{
    static CVXLString texts[128];
    CVXLString& text = texts[wire & 0x7F];
    if (!text.length()) {
        const std::int32_t major = (wire >> 4) & 0x07;
        const std::int32_t minor = wire & 0x0F;
        text = CVXLString(major);
        if (minor != 15) {
            text.appendChar('.');
            text.append(CVXLString(minor));
        }
    }
    return text;
}

} // namespace

bool CVXLWspPduDecoder::decodeField(std::int32_t code, std::int32_t kind, CVXLWspReader& in, CVXLMmsPdu& pdu)
{
    std::uint8_t first = 0;
    in.peek(first);

    if (code == kMmsFieldStored) {
        std::uint8_t byte = 0;
        if (!in.readByte(byte) || byte < 0x80)
            return false;
        return pdu.setHeaderNumber(code, byte == 0x80 ? 0 : 1);
    }
    if (code == kMmsFieldElementDescriptor) {
        std::uint32_t length;
        return in.readValueLength(length) && addText(in, pdu, code);
    }

    switch (kind) {
    case kMmsKindInteger: {
        std::uint64_t value;
        if (!in.readInteger(value))
            return false;
        return pdu.setHeaderNumber(code, value);
    }
    case kMmsKindText: {
        if (first <= CVXLWspReader::kLengthQuote && messageType_ == kMmsMboxDeleteConf) {
            std::uint32_t length;
            std::uint64_t index;
            if (!in.readValueLength(length) || !in.readInteger(index))
                return false;
        }
        return addText(in, pdu, code);
    }
    case kMmsKindEncodedString: {
        TextBytes text;
        CVXLString charset;
        return decodeEncodedString(in, text, charset) && addEncodedText(pdu, code, text, charset);
    }
    case kMmsKindEnumerated: {
        const VXLMmsValueRow* table = mmsValueTableOf(code);
        std::uint8_t byte = 0;
        if (isText(first))
            return addText(in, pdu, code);
        if (first <= CVXLWspReader::kLengthQuote) {
            // Only an m-mbox-delete-conf gives an enumerated value a length
            // (an index and the value); elsewhere the value is left out.
            std::uint32_t length;
            std::uint64_t index;
            if (messageType_ != kMmsMboxDeleteConf || !in.readValueLength(length) || !in.readInteger(index))
                return false;
        }
        if (!in.readByte(byte) || byte < 0x80)
            return false;
        const std::int32_t value = mmsValueOfWire(byte, table);
        if (code == kMmsFieldMessageType && messageType_ == 0)
            messageType_ = value;
        return addSigned(pdu, code, value);
    }
    case kMmsKindVersion: {
        if (isText(first))
            return addText(in, pdu, code);
        std::uint8_t byte = 0;
        if (!in.readByte(byte) || byte < 0x80)
            return false;
        return pdu.setHeaderShared(code, versionText(byte));
    }
    case kMmsKindIndexAndEncodedString:
    case kMmsKindIndexAndDate: {
        std::uint32_t length;
        std::uint64_t index, date;
        if (!in.readValueLength(length) || !in.readInteger(index))
            return false;
        if (kind == kMmsKindIndexAndDate) {
            if (!in.readInteger(date))
                return false;
            pdu.setHeaderNumber(code, index);
            return pdu.setHeaderNumber(code, date);
        }
        TextBytes text;
        CVXLString charset;
        if (!decodeEncodedString(in, text, charset))
            return false;
        pdu.setHeaderNumber(code, index);
        return addEncodedText(pdu, code, text, charset);
    }
    case kMmsKindTokenAndEncodedString:
    case kMmsKindTokenAndInteger: {
        std::uint32_t length;
        std::uint8_t byte = 0;
        if (!in.readValueLength(length) || length == 0 || !in.readByte(byte))
            return false;
        const CVXLString token = signedDecimal(mmsValueOfWire(byte, mmsValueTableOf(code)));
        CVXLString charset;
        CVXLWspReader rest(in);
        in.split(length - 1, rest);
        bool added = false;
        if (rest.atEnd()) {
            // A token without its value keeps an empty one.
            added = pdu.setHeaderText(code, "", 0);
        } else if (kind == kMmsKindTokenAndInteger) {
            std::uint64_t number;
            if (!rest.readInteger(number))
                return false;
            added = pdu.setHeaderNumber(code, number);
        } else {
            TextBytes text;
            if (!decodeEncodedString(rest, text, charset))
                return false;
            added = pdu.setHeaderText(code, text.bytes, text.length);
        }
        if (!added || !pdu.addFieldParameter(code, CVXLMmsFieldTable::kToken, token))
            return false;
        return !charset.length() || pdu.addFieldParameter(code, CVXLMmsFieldTable::kCharset, charset);
    }
    case kMmsKindFieldCode: {
        std::uint8_t byte = 0;
        if (!in.readByte(byte) || byte < 0x80)
            return false;
        // The field code, so that the encoder writes the same byte back.
        return pdu.setHeaderNumber(code, byte - 0x80u);
    }
    default:
        return false;
    }
}

bool CVXLWspPduDecoder::decodeParameter(CVXLWspReader& in, CVXLMimeEntity& entity)
{
    std::uint8_t first = 0;
    in.peek(first);
    CVXLString name, value;
    if (isText(first)) {
        if (!in.readText(name))
            return false;
        std::uint8_t next = 0;
        if (!in.peek(next))
            return false;
        if (isText(next) || next == CVXLWspReader::kStringQuote || next == CVXLWspReader::kTextQuote
            || next == 0) {
            if (!in.readText(value))
                return false;
        } else {
            std::uint64_t number;
            if (!in.readInteger(number))
                return false;
            value = decimal(number);
        }
        return entity.addHeader(name, value);
    }
    std::uint64_t wire;
    if (!in.readInteger(wire) || wire > 0x7F)
        return false;
    const VXLWspParameterRow* row = wspParameterRowOfWire(static_cast<std::int32_t>(wire | 0x80));
    if (!row)
        return false;
    parameterName(*row, name);
    switch (row->kind) {
    case kWspParamCharset:
        if (!readCharset(in, value))
            return false;
        break;
    case kWspParamInteger:
    case kWspParamShortInteger:
    case kWspParamDate: {
        std::uint64_t number;
        if (!in.readInteger(number))
            return false;
        value = decimal(number);
        break;
    }
    case kWspParamText:
        if (!in.readText(value, true))
            return false;
        break;
    case kWspParamContentType:
        if (!readMediaType(in, value))
            return false;
        break;
    case kWspParamQValue: {
        std::uint32_t q;
        if (!in.readUintvar(q))
            return false;
        value = decimal(q);
        break;
    }
    case kWspParamVersion:
    case kWspParamDifferences: {
        std::uint8_t next = 0;
        if (!in.peek(next))
            return false;
        if (isText(next)) {
            if (!in.readText(value))
                return false;
        } else {
            std::uint64_t number;
            if (!in.readInteger(number))
                return false;
            value = decimal(number);
        }
        break;
    }
    case kWspParamNoValue: {
        std::uint8_t none;
        if (!in.readByte(none) || none != kNoValue)
            return false;
        break;
    }
    default:
        return false;
    }
    return entity.addHeader(name, value);
}

bool CVXLWspPduDecoder::decodeContentType(CVXLWspReader& in, CVXLMimeEntity& entity)
{
    std::uint8_t first = 0;
    if (!in.peek(first))
        return false;
    CVXLString type;
    if (first > CVXLWspReader::kLengthQuote) {
        if (!readMediaType(in, type))
            return false;
        if (type.length())
            entity.setContentType(type);
        return true;
    }
    std::uint32_t length;
    CVXLWspReader general(in);
    if (!in.readValueLength(length) || !in.split(length, general))
        return false;
    if (!readMediaType(general, type))
        return false;
    if (type.length())
        entity.setContentType(type);
    // A parameter that does not read ends the parameters; the type stands.
    while (!general.atEnd() && decodeParameter(general, entity)) { }
    return true;
}

void CVXLWspPduDecoder::decodePartHeaders(CVXLWspReader& in, CVXLMimeEntity& part)
{
    while (!in.atEnd()) {
        std::uint8_t byte = 0;
        in.peek(byte);
        if (byte == kShiftDelimiter) {
            // The delimiter and its page; a delimiter cut off ends the headers.
            if (!in.skip(2))
                return;
            continue;
        }
        if (byte < 0x20) {
            in.skip(1);
            continue;
        }
        CVXLString name;
        if (byte >= 0x80) {
            in.readByte(byte);
            headerName(byte, name);
        } else if (!in.readText(name)) {
            return;
        }
        std::uint8_t next = 0;
        if (!in.peek(next))
            return;
        if (isText(next) || next == CVXLWspReader::kTextQuote || next == 0) {
            // Texts arrive as Quoted-strings too (Content-ID): the quote goes,
            // angle brackets stay as the sender wrote them.
            CVXLString value;
            if (!in.readText(value, true))
                return;
            if (name.length())
                part.addHeader(name, value);
        } else if (!in.skipValue()) {
            return;
        }
    }
}

bool CVXLWspPduDecoder::decodePart(CVXLWspReader& in, CVXLMimeEntity& part)
{
    std::uint32_t headersLength, dataLength;
    CVXLWspReader headers(in);
    if (!in.readUintvar(headersLength) || !in.readUintvar(dataLength))
        return fail("part lengths run past the end", in);
    if (!in.split(headersLength, headers))
        return fail("part headers run past the end", in);
    if (!decodeContentType(headers, part))
        return fail("part content type runs past its headers", headers);
    decodePartHeaders(headers, part);
    const std::uint8_t* data = in.current();
    if (windowed_ && dataLength > in.remaining()) {
        if (dataLength > inputLeft(in))
            return fail("part data run past the end", in);
        // The data go on past the window: the part keeps only its place.
        keepData(part, data, 0, in);
        part.setDataSize(dataLength);
        stopWindowAt(data);
        windowStart_ += dataLength;
        in.skip(in.remaining());
        return true;
    }
    if (!in.skip(dataLength))
        return fail("part data run past the end", in);
    return keepData(part, data, dataLength, in);
}

bool CVXLWspPduDecoder::keepData(
    CVXLMimeEntity& entity, const std::uint8_t* data, std::uint32_t size, const CVXLWspReader& at)
{
    const auto position = static_cast<std::uint32_t>(data - base_);
    entity.setFileName(fileName_);
    entity.setDataStart(offset_ + position);
    entity.setDataSize(size);
    if (!size)
        return true;
    if (source_) {
        entity.setBodyRange(*source_, sourceStart_ + position);
        return true;
    }
    CVXLByteBuffer copy;
    if (!copy.append(data, size))
        return fail("no memory for part data", at);
    entity.setBodyBuffer(copy);
    return true;
}

bool CVXLWspPduDecoder::decodeBody(CVXLWspReader& in, CVXLMmsPdu& pdu)
{
    CVXLMultipartBody* multipart = new CVXLMultipartBody();
    CVXLEntityRef holder(multipart);
    if (!multipart)
        return fail("no memory for the body", in);
    if (!decodeContentType(in, *multipart))
        return fail("content type runs past the end", in);
    // The typed PDUs list Content-Type among their fields (mandatory in a
    // retrieve-conf), so the PDU keeps it as field 4 as well; the encoder
    // leaves field 4 to the body step, so re-encoding is unchanged.
    if (multipart->contentType().length())
        pdu.setHeader(kMmsFieldContentType, multipart->contentType());
    // Content-Type ends the header fields; nothing after it means no body.
    if (inputLeft(in) == 0)
        return true;
    if (!isMultipartType(multipart->contentType())) {
        CVXLMimeEntity* single = new CVXLMimeEntity();
        CVXLEntityRef singleRef(single);
        if (!single)
            return fail("no memory for the body", in);
        single->setHeaders(multipart->mimeHeaders());
        const std::uint32_t size = inputLeft(in);
        // A body that goes on past the window keeps only its place.
        const std::uint32_t kept = size <= in.remaining() ? size : 0;
        if (!keepData(*single, in.current(), kept, in))
            return false;
        single->setDataSize(size);
        in.skip(in.remaining());
        return pdu.setBody(singleRef);
    }
    std::uint32_t entries;
    if (!in.readUintvar(entries))
        return fail("part count runs past the end", in);
    if (entries > inputLeft(in) / kMinEntryBytes)
        return fail("part count exceeds the bytes present", in);
    body_ = holder;
    entries_ = entries;
    entriesDone_ = 0;
    return decodeParts(in) && (windowStopped_ || endBody(pdu));
}

bool CVXLWspPduDecoder::decodeParts(CVXLWspReader& in)
{
    auto* multipart = static_cast<CVXLMultipartBody*>(body_.get());
    while (entriesDone_ < entries_ && !windowStopped_) {
        if (windowed_ && inputLeft(in) > in.remaining()) {
            // An entry that the window cuts off begins the next window; one
            // longer than a window is decoded at a window's start, where
            // its data keep only their place in the file.
            CVXLWspReader probe(in);
            std::uint32_t headersLength, dataLength;
            const bool headed = probe.readUintvar(headersLength) && probe.readUintvar(dataLength)
                && headersLength <= probe.remaining();
            const bool whole = headed && dataLength <= probe.remaining() - headersLength;
            if (!whole && (in.current() != base_ || !headed)) {
                stopWindowAt(in.current());
                return true;
            }
        }
        // The body holds the part from the start; a part that fails to
        // decode fails the body with it.
        CVXLMimeEntity* part = new CVXLMimeEntity();
        if (!part || !multipart->adoptPart(part))
            return fail("no memory for a part", in);
        if (!decodePart(in, *part))
            return false;
        ++entriesDone_;
    }
    // The last part's data may have stopped the window with nothing left.
    if (entriesDone_ == entries_)
        windowStopped_ = false;
    return true;
}

bool CVXLWspPduDecoder::endBody(CVXLMmsPdu& pdu)
{
    const CVXLEntityRef body = body_;
    body_.reset();
    return pdu.setBody(body);
}
