#pragma once

#include "engine/core/base/VXLString.h"

#include <cstddef>
#include <cstdint>

// Constant tables that map the engine's internal numbers and names to the wire
// codes of the MMS encapsulation and of WSP. Most lookups take their key as
// text, as internal numbers travel through the engine as decimal texts (the
// codecs use the number lookups at the end): a numeric key
// holds digits and "-" only (an empty text is 0), anything else fails. Failures
// answer -1 (numbers) or null (tables, names).

// First column of the row that ends an end-marked table.
inline constexpr std::int32_t kVxlTableEnd = 0xA0A0A0;

// MMS header field codes; the wire byte is 0x80 + code.
enum VXLMmsField : std::int32_t {
    kMmsFieldBcc = 1,
    kMmsFieldCc = 2,
    kMmsFieldContentLocation = 3,
    kMmsFieldContentType = 4,
    kMmsFieldDate = 5,
    kMmsFieldDeliveryReport = 6,
    kMmsFieldDeliveryTime = 7,
    kMmsFieldExpiry = 8,
    kMmsFieldFrom = 9,
    kMmsFieldMessageClass = 10,
    kMmsFieldMessageId = 11,
    kMmsFieldMessageType = 12,
    kMmsFieldMmsVersion = 13,
    kMmsFieldMessageSize = 14,
    kMmsFieldPriority = 15,
    kMmsFieldReadReport = 16,
    kMmsFieldReportAllowed = 17,
    kMmsFieldResponseStatus = 18,
    kMmsFieldResponseText = 19,
    kMmsFieldSenderVisibility = 20,
    kMmsFieldStatus = 21,
    kMmsFieldSubject = 22,
    kMmsFieldTo = 23,
    kMmsFieldTransactionId = 24,
    kMmsFieldRetrieveStatus = 25,
    kMmsFieldRetrieveText = 26,
    kMmsFieldReadStatus = 27,
    kMmsFieldReplyCharging = 28,
    kMmsFieldReplyChargingDeadline = 29,
    kMmsFieldReplyChargingId = 30,
    kMmsFieldReplyChargingSize = 31,
    kMmsFieldPreviouslySentBy = 32,
    kMmsFieldPreviouslySentDate = 33,
    kMmsFieldStore = 34,
    kMmsFieldMmState = 35,
    kMmsFieldMmFlags = 36,
    kMmsFieldStoreStatus = 37,
    kMmsFieldStoreStatusText = 38,
    kMmsFieldStored = 39,
    kMmsFieldAttributes = 40,
    kMmsFieldTotals = 41,
    kMmsFieldMboxTotals = 42,
    kMmsFieldQuotas = 43,
    kMmsFieldMboxQuotas = 44,
    kMmsFieldMessageCount = 45,
    kMmsFieldContent = 46,
    kMmsFieldStart = 47,
    kMmsFieldAdditionalHeaders = 48,
    kMmsFieldDistributionIndicator = 49,
    kMmsFieldElementDescriptor = 50,
    kMmsFieldLimit = 51,
    kMmsFieldRecommendedRetrievalMode = 52,
    kMmsFieldRecommendedRetrievalModeText = 53,
};

// How a field's value is encoded.
enum VXLMmsValueKind : std::int32_t {
    kMmsKindNotEncodable = 0,
    kMmsKindInteger = 1,
    kMmsKindText = 2,
    kMmsKindEncodedString = 3,
    kMmsKindEnumerated = 4,
    kMmsKindContentType = 5,
    kMmsKindVersion = 6,
    kMmsKindIndexAndEncodedString = 7,
    kMmsKindIndexAndDate = 8,
    kMmsKindTokenAndEncodedString = 9,
    kMmsKindTokenAndInteger = 10,
    kMmsKindFieldCode = 11,
};

// How a well-known WSP parameter's value is encoded.
enum VXLWspParameterKind : std::int32_t {
    kWspParamQValue = 0,
    kWspParamCharset = 1,
    kWspParamVersion = 2,
    kWspParamInteger = 3,
    kWspParamText = 4,
    kWspParamDifferences = 5,
    kWspParamShortInteger = 6,
    kWspParamContentType = 7,
    kWspParamDate = 8,
    kWspParamNoValue = 9,
};

struct VXLMmsFieldRow {
    std::int32_t code;
    const char* name;
    std::int32_t wire;
    std::int32_t kind; // VXLMmsValueKind
};

struct VXLMmsValueRow {
    std::int32_t value; // internal value
    std::int32_t wire;
};

struct VXLMmsValueTableRow {
    std::int32_t code;
    const VXLMmsValueRow* table;
};

struct VXLWspParameterRow {
    std::int32_t id;
    const char* name;
    std::int32_t wire;
    std::int32_t kind; // VXLWspParameterKind
};

struct VXLCharsetRow {
    std::int32_t id;
    const char* name;
    std::int32_t number; // registered character set number (MIBenum)
};

struct VXLWspContentTypeRow {
    std::int32_t number;
    const char* name;
    std::int32_t wire; // -1: no well-known code, written as text
};

struct VXLWspHeaderRow {
    std::int32_t id;
    const char* name;
    std::int32_t wire;
};

inline constexpr std::size_t kVxlMmsFieldRows = 53;
inline constexpr std::size_t kVxlMmsValueTableRows = 26;
inline constexpr std::size_t kVxlWspParameterRows = 29;
inline constexpr std::size_t kVxlCharsetRows = 15;
inline constexpr std::size_t kVxlWspContentTypeRows = 83;
inline constexpr std::size_t kVxlWspWellKnownContentTypes = 79;
inline constexpr std::size_t kVxlWspHeaderRows = 70;
inline constexpr std::int32_t kVxlWspHeaderIdBase = 6000;
// The content type every MMS PDU carries: "application/vnd.wap.mms-message".
inline constexpr std::int32_t kWspContentTypeMmsMessage = 62;

// The tables; each end-marked one has its end row after the counted rows.
extern const VXLMmsFieldRow kVxlMmsFieldTable[kVxlMmsFieldRows + 1];
extern const VXLMmsValueTableRow kVxlMmsValueTables[kVxlMmsValueTableRows + 1];
extern const VXLWspParameterRow kVxlWspParameterTable[kVxlWspParameterRows + 1];
extern const VXLCharsetRow kVxlCharsetTable[kVxlCharsetRows + 1];
extern const VXLWspContentTypeRow kVxlWspContentTypeTable[kVxlWspContentTypeRows];
extern const VXLWspHeaderRow kVxlWspHeaderTable[kVxlWspHeaderRows + 1];

// MMS field table. byCode: the key is a field code, else a wire code.
std::int32_t mmsFieldKind(const char* key, bool byCode);
std::int32_t mmsFieldWireCode(const char* code);
std::int32_t mmsFieldCode(const char* wire);

// The field's value table (end-marked), or null when the field has none.
const VXLMmsValueRow* mmsValueTable(const char* code);
std::int32_t mmsValueWireCode(const char* value, const VXLMmsValueRow* table);
std::int32_t mmsValueFromWire(const char* wire, const VXLMmsValueRow* table);

// Parameter table. byId: the key is a parameter id, else a wire code.
// wspParameterId answers the other column: the wire code for an id, the id for a wire code.
std::int32_t wspParameterKind(const char* key, bool byId);
std::int32_t wspParameterId(const char* key, bool byId);
const char* wspParameterName(const char* id);

// A charset that the table lacks is written "#" followed by its registered
// number, so that it survives a decode and re-encode and a reader can skip it.
inline constexpr char kVxlCharsetNumberMark = '#';

// Registered number of a charset given by internal id, by name (ignoring
// letter case) or as "#<registered number>".
std::int32_t charsetNumber(const char* key);
// Name of a registered number; null when the table lacks it.
const char* charsetName(const char* number);

std::int32_t wspHeaderWireCode(const char* id);
const char* wspHeaderName(const char* wire);

// A number key is masked to 7 bits and fails above the well-known types; a name
// is compared ignoring letter case over all rows. wantWire: answer the wire code,
// else the number.
std::int32_t wspContentTypeCode(const char* key, bool wantWire);
// byNumber: the key is a content type number, else a wire code; masked to 7 bits.
const char* wspContentTypeName(const char* key, bool byNumber);

// The same lookups for keys held as engine strings (a key with a NUL inside fails).
// The name lookups append the name to out and answer false, leaving out
// unchanged, when nothing matches.
std::int32_t mmsFieldKind(const CVXLString& key, bool byCode);
std::int32_t mmsFieldWireCode(const CVXLString& code);
std::int32_t mmsFieldCode(const CVXLString& wire);
const VXLMmsValueRow* mmsValueTable(const CVXLString& code);
std::int32_t mmsValueWireCode(const CVXLString& value, const VXLMmsValueRow* table);
std::int32_t mmsValueFromWire(const CVXLString& wire, const VXLMmsValueRow* table);
std::int32_t wspParameterKind(const CVXLString& key, bool byId);
std::int32_t wspParameterId(const CVXLString& key, bool byId);
bool wspParameterName(const CVXLString& id, CVXLString& out);
std::int32_t charsetNumber(const CVXLString& key);
// A registered number that the table lacks appends "#<number>", which
// charsetNumber reads back; only a key that is not a number >= 0 fails.
bool charsetName(const CVXLString& number, CVXLString& out);
std::int32_t wspHeaderWireCode(const CVXLString& id);
bool wspHeaderName(const CVXLString& wire, CVXLString& out);
std::int32_t wspContentTypeCode(const CVXLString& key, bool wantWire);
bool wspContentTypeName(const CVXLString& key, CVXLString& out, bool byNumber);

// The same lookups by number, for the codecs, which hold field codes and wire
// bytes as numbers; the same answers as the text keys in decimal.
std::int32_t mmsFieldKindOf(std::int32_t code);
std::int32_t mmsFieldWireOf(std::int32_t code);
const VXLMmsValueRow* mmsValueTableOf(std::int32_t code);
std::int32_t mmsValueWireOf(std::int32_t value, const VXLMmsValueRow* table);
std::int32_t mmsValueOfWire(std::int32_t wire, const VXLMmsValueRow* table);
// The parameter row of a wire code (0x80 and above), or null.
const VXLWspParameterRow* wspParameterRowOfWire(std::int32_t wire);
// The text lookups' answers for a number: a charset the table lacks appends
// "#<number>"; a content type key is masked to 7 bits.
bool charsetNameOf(std::int32_t number, CVXLString& out);
bool wspHeaderNameOf(std::int32_t wire, CVXLString& out);
bool wspContentTypeNameOf(std::int32_t key, CVXLString& out, bool byNumber);
