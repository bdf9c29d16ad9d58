#include "engine/transport/mms/VXLWspTables.h"

#include "engine/core/base/VXLObject.h"

namespace {

constexpr VXLMmsValueRow kEnd = {kVxlTableEnd, 0};

constexpr VXLMmsValueRow kYesNo[] = {{0, 0x80}, {1, 0x81}, kEnd};
constexpr VXLMmsValueRow kVersion[] = {{0, 0x92}, kEnd};
constexpr VXLMmsValueRow kAbsoluteRelative[] = {{0, 0x80}, {1, 0x81}, kEnd};
constexpr VXLMmsValueRow kAddressToken[] = {{2, 0x80}, {3, 0x81}, kEnd};
constexpr VXLMmsValueRow kMessageClass[] = {{1, 0x80}, {2, 0x81}, {3, 0x82}, {4, 0x83}, kEnd};
// Internal values are the PDU kinds; kind 5 (a plain GET) has no wire code.
constexpr VXLMmsValueRow kMessageType[] = {{1, 0x80}, {2, 0x81}, {3, 0x82}, {4, 0x83}, {6, 0x84}, {7, 0x85},
    {8, 0x86}, {9, 0x87}, {10, 0x88}, {11, 0x89}, {12, 0x8A}, {13, 0x8B}, {14, 0x8C}, {15, 0x8D}, {16, 0x8E},
    {17, 0x8F}, {18, 0x90}, {19, 0x91}, {20, 0x92}, {21, 0x93}, kEnd};
constexpr VXLMmsValueRow kPriority[] = {{1, 0x80}, {2, 0x81}, {3, 0x82}, kEnd};
constexpr VXLMmsValueRow kStatusCode[] = {{0, 0x80}, {1, 0x81}, {2, 0x82}, {3, 0x83}, {4, 0x84}, {5, 0x85},
    {6, 0x86}, {7, 0x87}, {8, 0x88}, {9, 0xC0}, {10, 0xC1}, {11, 0xC2}, {12, 0xC3}, {13, 0xC4}, {14, 0xE0},
    {15, 0xE1}, {16, 0xE2}, {17, 0xE3}, {18, 0xE4}, {19, 0xE5}, {20, 0xE6}, {21, 0xE7}, {22, 0xE8},
    {23, 0xE9}, {24, 0xEA}, {25, 0xEB}, kEnd};
constexpr VXLMmsValueRow kSenderVisibility[] = {{0, 0x80}, {1, 0x81}, kEnd};
constexpr VXLMmsValueRow kMessageStatus[]
    = {{1, 0x80}, {2, 0x81}, {3, 0x82}, {4, 0x83}, {5, 0x84}, {6, 0x85}, {7, 0x86}, kEnd};
constexpr VXLMmsValueRow kReadStatus[] = {{1, 0x80}, {2, 0x81}, kEnd};
constexpr VXLMmsValueRow kReplyCharging[] = {{0, 0x80}, {1, 0x81}, {2, 0x82}, {3, 0x83}, kEnd};
constexpr VXLMmsValueRow kMmFlagsToken[] = {{6, 0x80}, {7, 0x81}, {8, 0x82}, kEnd};
constexpr VXLMmsValueRow kTotalsToken[] = {{4, 0x80}, {5, 0x81}, kEnd};
constexpr VXLMmsValueRow kRetrievalMode[] = {{1, 0x80}, {2, 0x81}, kEnd};

// A numeric key: digits and "-" only; an empty or null text is 0.
bool numericKey(const char* key, std::int32_t& out)
{
    if (!key || !*key) {
        out = 0;
        return true;
    }
    if (key[vxlSpan(key, "0123456789-")] != '\0')
        return false;
    out = vxlAtoi(key);
    return true;
}

bool equalsIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char ca = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
        char cb = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
        if (ca != cb)
            return false;
        if (!ca)
            return true;
    }
}

const VXLMmsFieldRow* findField(const char* key, bool byCode)
{
    std::int32_t n;
    if (!numericKey(key, n))
        return nullptr;
    for (const VXLMmsFieldRow* row = kVxlMmsFieldTable; row->code != kVxlTableEnd; ++row) {
        if ((byCode ? row->code : row->wire) == n)
            return row;
    }
    return nullptr;
}

const VXLWspParameterRow* findParameter(const char* key, bool byId)
{
    std::int32_t n;
    if (!numericKey(key, n))
        return nullptr;
    for (const VXLWspParameterRow* row = kVxlWspParameterTable; row->id != kVxlTableEnd; ++row) {
        if ((byId ? row->id : row->wire) == n)
            return row;
    }
    return nullptr;
}

// Neither a number nor any row's name.
constexpr const char* kUnmatchableKey = "\x01";

// A string key as a C text. A key with a NUL inside must not match on the
// bytes before it ("12\0x" is no number), so it becomes a key that matches nothing.
const char* keyText(const CVXLString& key)
{
    const char* text = key.c_str();
    return vxlStrLen(text) == key.length() ? text : kUnmatchableKey;
}

bool appendName(const char* name, CVXLString& out)
{
    if (!name)
        return false;
    out.appendCString(name);
    return true;
}

} // namespace

const VXLMmsFieldRow kVxlMmsFieldTable[kVxlMmsFieldRows + 1] = {
    {kMmsFieldBcc, "Bcc", 0x81, kMmsKindEncodedString},
    {kMmsFieldCc, "Cc", 0x82, kMmsKindEncodedString},
    {kMmsFieldContentLocation, "X-Mms-Content-Location", 0x83, kMmsKindText},
    {kMmsFieldContentType, "Content-Type", 0x84, kMmsKindContentType},
    {kMmsFieldDate, "Date", 0x85, kMmsKindInteger},
    {kMmsFieldDeliveryReport, "X-Mms-Delivery-Report", 0x86, kMmsKindEnumerated},
    {kMmsFieldDeliveryTime, "X-Mms-Delivery-Time", 0x87, kMmsKindTokenAndInteger},
    {kMmsFieldExpiry, "X-Mms-Expiry", 0x88, kMmsKindTokenAndInteger},
    {kMmsFieldFrom, "From", 0x89, kMmsKindTokenAndEncodedString},
    {kMmsFieldMessageClass, "X-Mms-Message-Class", 0x8A, kMmsKindEnumerated},
    {kMmsFieldMessageId, "Message-ID", 0x8B, kMmsKindText},
    {kMmsFieldMessageType, "X-Mms-Message-Type", 0x8C, kMmsKindEnumerated},
    {kMmsFieldMmsVersion, "X-Mms-MMS-Version", 0x8D, kMmsKindVersion},
    {kMmsFieldMessageSize, "X-Mms-Message-Size", 0x8E, kMmsKindInteger},
    {kMmsFieldPriority, "X-Mms-Priority", 0x8F, kMmsKindEnumerated},
    {kMmsFieldReadReport, "X-Mms-Read-Report", 0x90, kMmsKindEnumerated},
    {kMmsFieldReportAllowed, "X-Mms-Report-Allowed", 0x91, kMmsKindEnumerated},
    {kMmsFieldResponseStatus, "X-Mms-Response-Status", 0x92, kMmsKindEnumerated},
    {kMmsFieldResponseText, "X-Mms-Response-Text", 0x93, kMmsKindEncodedString},
    {kMmsFieldSenderVisibility, "X-Mms-Sender-Visibility", 0x94, kMmsKindEnumerated},
    {kMmsFieldStatus, "X-Mms-Status", 0x95, kMmsKindEnumerated},
    {kMmsFieldSubject, "Subject", 0x96, kMmsKindEncodedString},
    {kMmsFieldTo, "To", 0x97, kMmsKindEncodedString},
    {kMmsFieldTransactionId, "X-Mms-Transaction-ID", 0x98, kMmsKindText},
    {kMmsFieldRetrieveStatus, "X-Mms-Retrieve-Status", 0x99, kMmsKindEnumerated},
    {kMmsFieldRetrieveText, "X-Mms-Retrieve-Text", 0x9A, kMmsKindEncodedString},
    {kMmsFieldReadStatus, "X-Mms-Read-Status", 0x9B, kMmsKindEnumerated},
    {kMmsFieldReplyCharging, "X-Mms-Reply-Charging", 0x9C, kMmsKindEnumerated},
    {kMmsFieldReplyChargingDeadline, "X-Mms-Reply-Charging-Deadline", 0x9D, kMmsKindTokenAndInteger},
    {kMmsFieldReplyChargingId, "X-Mms-Reply-Charging-ID", 0x9E, kMmsKindText},
    {kMmsFieldReplyChargingSize, "X-Mms-Reply-Charging-Size", 0x9F, kMmsKindInteger},
    {kMmsFieldPreviouslySentBy, "X-Mms-Previously-Sent-By", 0xA0, kMmsKindIndexAndEncodedString},
    {kMmsFieldPreviouslySentDate, "X-Mms-Previously-Sent-Date", 0xA1, kMmsKindIndexAndDate},
    {kMmsFieldStore, "X-Mms-Store", 0xA2, kMmsKindEnumerated},
    {kMmsFieldMmState, "X-Mms-MM-State", 0xA3, kMmsKindInteger},
    {kMmsFieldMmFlags, "X-Mms-MM-Flags", 0xA4, kMmsKindTokenAndEncodedString},
    {kMmsFieldStoreStatus, "X-Mms-Store-Status", 0xA5, kMmsKindEnumerated},
    {kMmsFieldStoreStatusText, "X-Mms-Store-Status-Text", 0xA6, kMmsKindEncodedString},
    {kMmsFieldStored, "X-Mms-Stored", 0xA7, kMmsKindEncodedString},
    {kMmsFieldAttributes, "X-Mms-Attributes", 0xA8, kMmsKindFieldCode},
    {kMmsFieldTotals, "X-Mms-Totals", 0xA9, kMmsKindEnumerated},
    {kMmsFieldMboxTotals, "X-Mms-Mbox-Totals", 0xAA, kMmsKindTokenAndInteger},
    {kMmsFieldQuotas, "X-Mms-Quotas", 0xAB, kMmsKindEnumerated},
    {kMmsFieldMboxQuotas, "X-Mms-Mbox-Quotas", 0xAC, kMmsKindTokenAndInteger},
    {kMmsFieldMessageCount, "X-Mms-Message-Count", 0xAD, kMmsKindInteger},
    {kMmsFieldContent, "Content", 0xAE, kMmsKindNotEncodable},
    {kMmsFieldStart, "X-Mms-Start", 0xAF, kMmsKindInteger},
    {kMmsFieldAdditionalHeaders, "Additional-headers", 0xB0, kMmsKindNotEncodable},
    {kMmsFieldDistributionIndicator, "X-Mms-Distribution-Indicator", 0xB1, kMmsKindEnumerated},
    {kMmsFieldElementDescriptor, "X-Mms-Element-Descriptor", 0xB2, kMmsKindEncodedString},
    {kMmsFieldLimit, "X-Mms-Limit", 0xB3, kMmsKindInteger},
    {kMmsFieldRecommendedRetrievalMode, "X-Mms-Recommended-Retrieval-Mode", 0xB4, kMmsKindEnumerated},
    {kMmsFieldRecommendedRetrievalModeText, "X-Mms-Recommended-Retrieval-Mode-Text", 0xB5,
        kMmsKindEncodedString},
    {kVxlTableEnd, "", 0, 0},
};

const VXLMmsValueTableRow kVxlMmsValueTables[kVxlMmsValueTableRows + 1] = {
    {kMmsFieldDeliveryReport, kYesNo},
    {kMmsFieldReadReport, kYesNo},
    {kMmsFieldReportAllowed, kYesNo},
    {kMmsFieldStore, kYesNo},
    {kMmsFieldTotals, kYesNo},
    {kMmsFieldQuotas, kYesNo},
    {kMmsFieldDistributionIndicator, kYesNo},
    {kMmsFieldMmsVersion, kVersion},
    {kMmsFieldDeliveryTime, kAbsoluteRelative},
    {kMmsFieldExpiry, kAbsoluteRelative},
    {kMmsFieldReplyChargingDeadline, kAbsoluteRelative},
    {kMmsFieldFrom, kAddressToken},
    {kMmsFieldMessageClass, kMessageClass},
    {kMmsFieldMessageType, kMessageType},
    {kMmsFieldPriority, kPriority},
    {kMmsFieldResponseStatus, kStatusCode},
    {kMmsFieldRetrieveStatus, kStatusCode},
    {kMmsFieldStoreStatus, kStatusCode},
    {kMmsFieldSenderVisibility, kSenderVisibility},
    {kMmsFieldStatus, kMessageStatus},
    {kMmsFieldReadStatus, kReadStatus},
    {kMmsFieldReplyCharging, kReplyCharging},
    {kMmsFieldMmFlags, kMmFlagsToken},
    {kMmsFieldMboxTotals, kTotalsToken},
    {kMmsFieldMboxQuotas, kTotalsToken},
    {kMmsFieldRecommendedRetrievalMode, kRetrievalMode},
    {kVxlTableEnd, nullptr},
};

// Ids follow the well-known codes 0x00 to 0x1D; code 0x04 is not assigned.
const VXLWspParameterRow kVxlWspParameterTable[kVxlWspParameterRows + 1] = {
    {0, "q", 0x80, kWspParamQValue},
    {1, "charset", 0x81, kWspParamCharset},
    {2, "level", 0x82, kWspParamVersion},
    {3, "type", 0x83, kWspParamInteger},
    {4, "name", 0x85, kWspParamText},
    {5, "filename", 0x86, kWspParamText},
    {6, "differences", 0x87, kWspParamDifferences},
    {7, "padding", 0x88, kWspParamShortInteger},
    {8, "type", 0x89, kWspParamContentType},
    {9, "start", 0x8A, kWspParamText},
    {10, "start-info", 0x8B, kWspParamText},
    {11, "comment", 0x8C, kWspParamText},
    {12, "domain", 0x8D, kWspParamText},
    {13, "max-age", 0x8E, kWspParamInteger},
    {14, "path", 0x8F, kWspParamText},
    {15, "secure", 0x90, kWspParamNoValue},
    {16, "SEC", 0x91, kWspParamShortInteger},
    {17, "MAC", 0x92, kWspParamText},
    {18, "Creation-date", 0x93, kWspParamDate},
    {19, "Modification-date", 0x94, kWspParamDate},
    {20, "Read-date", 0x95, kWspParamDate},
    {21, "Size", 0x96, kWspParamInteger},
    {22, "Name", 0x97, kWspParamText},
    {23, "Filename", 0x98, kWspParamText},
    {24, "Start", 0x99, kWspParamText},
    {25, "Start-info", 0x9A, kWspParamText},
    {26, "Comment", 0x9B, kWspParamText},
    {27, "Domain", 0x9C, kWspParamText},
    {28, "Path", 0x9D, kWspParamText},
    {kVxlTableEnd, "", 0, 0},
};

const VXLCharsetRow kVxlCharsetTable[kVxlCharsetRows + 1] = {
    {0, "iso-8859-1", 4},
    {1, "iso-8859-2", 5},
    {2, "iso-8859-3", 6},
    {3, "iso-8859-4", 7},
    {4, "iso-8859-5", 8},
    {5, "iso-8859-6", 9},
    {6, "iso-8859-7", 10},
    {7, "iso-8859-8", 11},
    {8, "iso-8859-9", 12},
    {14, "iso-10646-UCS-2", 1000},
    {9, "shift_JIS", 17},
    {10, "us-ascii", 3},
    {11, "utf-8", 106},
    {12, "utf-16", 1015},
    {13, "big5", 2026},
    {kVxlTableEnd, "", 0},
};

// Rows 0 to 78 are the well-known content types (number = wire code = row); the
// rest have no wire code and are written as text.
const VXLWspContentTypeRow kVxlWspContentTypeTable[kVxlWspContentTypeRows] = {
    {0, "*/*", 0x00},
    {1, "text/*", 0x01},
    {2, "text/html", 0x02},
    {3, "text/plain", 0x03},
    {4, "text/x-hdml", 0x04},
    {5, "text/x-ttml", 0x05},
    {6, "text/x-vCalendar", 0x06},
    {7, "text/x-vCard", 0x07},
    {8, "text/vnd.wap.wml", 0x08},
    {9, "text/vnd.wap.wmlscript", 0x09},
    {10, "text/vnd.wap.wta-event", 0x0A},
    {11, "multipart/*", 0x0B},
    {12, "multipart/mixed", 0x0C},
    {13, "multipart/form-data", 0x0D},
    {14, "multipart/byteranges", 0x0E},
    {15, "multipart/alternative", 0x0F},
    {16, "application/*", 0x10},
    {17, "application/java-vm", 0x11},
    {18, "application/x-www-form-urlencoded", 0x12},
    {19, "application/x-hdmlc", 0x13},
    {20, "application/vnd.wap.wmlc", 0x14},
    {21, "application/vnd.wap.wmlscriptc", 0x15},
    {22, "application/vnd.wap.wta-eventc", 0x16},
    {23, "application/vnd.wap.uaprof", 0x17},
    {24, "application/vnd.wap.wtls-ca-certificate", 0x18},
    {25, "application/vnd.wap.wtls-user-certificate", 0x19},
    {26, "application/x-x509-ca-cert", 0x1A},
    {27, "application/x-x509-user-cert", 0x1B},
    {28, "image/*", 0x1C},
    {29, "image/gif", 0x1D},
    {30, "image/jpeg", 0x1E},
    {31, "image/tiff", 0x1F},
    {32, "image/png", 0x20},
    {33, "image/vnd.wap.wbmp", 0x21},
    {34, "application/vnd.wap.multipart.*", 0x22},
    {35, "application/vnd.wap.multipart.mixed", 0x23},
    {36, "application/vnd.wap.multipart.form-data", 0x24},
    {37, "application/vnd.wap.multipart.byteranges", 0x25},
    {38, "application/vnd.wap.multipart.alternative", 0x26},
    {39, "application/xml", 0x27},
    {40, "text/xml", 0x28},
    {41, "application/vnd.wap.wbxml", 0x29},
    {42, "application/x-x968-cross-cert", 0x2A},
    {43, "application/x-x968-ca-cert", 0x2B},
    {44, "application/x-x968-user-cert", 0x2C},
    {45, "text/vnd.wap.si", 0x2D},
    {46, "application/vnd.wap.sic", 0x2E},
    {47, "text/vnd.wap.sl", 0x2F},
    {48, "application/vnd.wap.slc", 0x30},
    {49, "text/vnd.wap.co", 0x31},
    {50, "application/vnd.wap.coc", 0x32},
    {51, "application/vnd.wap.multipart.related", 0x33},
    {52, "application/vnd.wap.sia", 0x34},
    {53, "text/vnd.wap.connectivity-xml", 0x35},
    {54, "application/vnd.wap.connectivity-wbxml", 0x36},
    {55, "application/pkcs7-mime", 0x37},
    {56, "application/vnd.wap.hashed-certificate", 0x38},
    {57, "application/vnd.wap.signed-certificate", 0x39},
    {58, "application/vnd.wap.cert-response", 0x3A},
    {59, "application/xhtml+xml", 0x3B},
    {60, "application/wml+xml", 0x3C},
    {61, "text/css", 0x3D},
    {62, "application/vnd.wap.mms-message", 0x3E},
    {63, "application/vnd.wap.rollover-certificate", 0x3F},
    {64, "application/vnd.wap.locc+wbxml", 0x40},
    {65, "application/vnd.wap.loc+xml", 0x41},
    {66, "application/vnd.syncml.dm+wbxml", 0x42},
    {67, "application/vnd.syncml.dm+xml", 0x43},
    {68, "application/vnd.syncml.notification", 0x44},
    {69, "application/vnd.wap.xhtml+xml", 0x45},
    {70, "application/vnd.wv.csp.cir", 0x46},
    {71, "application/vnd.oma.dd+xml", 0x47},
    {72, "application/vnd.oma.drm.message", 0x48},
    {73, "application/vnd.oma.drm.content", 0x49},
    {74, "application/vnd.oma.drm.rights+xml", 0x4A},
    {75, "application/vnd.oma.drm.rights+wbxml", 0x4B},
    {76, "application/vnd.wv.csp+xml", 0x4C},
    {77, "application/vnd.wv.csp+wbxml", 0x4D},
    {78, "application/vnd.syncml.ds.notification", 0x4E},
    {79, "", -1},
    {0x10000, "video/mpeg", -1},
    {0x10001, "video/quicktime", -1},
    {0x10002, "", -1},
};

// Ids are kVxlWspHeaderIdBase + well-known code; the wire code is 0x80 + code.
const VXLWspHeaderRow kVxlWspHeaderTable[kVxlWspHeaderRows + 1] = {
    {6000, "Accept", 0x80},
    {6001, "Accept-Charset", 0x81},
    {6002, "Accept-Encoding", 0x82},
    {6003, "Accept-Language", 0x83},
    {6004, "Accept-Ranges", 0x84},
    {6005, "Age", 0x85},
    {6006, "Allow", 0x86},
    {6007, "Authorization", 0x87},
    {6008, "Cache-Control", 0x88},
    {6009, "Connection", 0x89},
    {6010, "Content-Base", 0x8A},
    {6011, "Content-Encoding", 0x8B},
    {6012, "Content-Language", 0x8C},
    {6013, "Content-Length", 0x8D},
    {6014, "Content-Location", 0x8E},
    {6015, "Content-MD5", 0x8F},
    {6016, "Content-Range", 0x90},
    {6017, "Content-Type", 0x91},
    {6018, "Date", 0x92},
    {6019, "ETag", 0x93},
    {6020, "Expires", 0x94},
    {6021, "From", 0x95},
    {6022, "Host", 0x96},
    {6023, "If-Modified-Since", 0x97},
    {6024, "If-Match", 0x98},
    {6025, "If-None-Match", 0x99},
    {6026, "If-Range", 0x9A},
    {6027, "If-Unmodified-Since", 0x9B},
    {6028, "Location", 0x9C},
    {6029, "Last-Modified", 0x9D},
    {6030, "Max-Forwards", 0x9E},
    {6031, "Pragma", 0x9F},
    {6032, "Proxy-Authenticate", 0xA0},
    {6033, "Proxy-Authorization", 0xA1},
    {6034, "Public", 0xA2},
    {6035, "Range", 0xA3},
    {6036, "Referer", 0xA4},
    {6037, "Retry-After", 0xA5},
    {6038, "Server", 0xA6},
    {6039, "Transfer-Encoding", 0xA7},
    {6040, "Upgrade", 0xA8},
    {6041, "User-Agent", 0xA9},
    {6042, "Vary", 0xAA},
    {6043, "Via", 0xAB},
    {6044, "Warning", 0xAC},
    {6045, "WWW-Authenticate", 0xAD},
    {6046, "Content-Disposition", 0xAE},
    {6047, "X-Wap-Application-ID", 0xAF},
    {6048, "X-Wap-Content-URI", 0xB0},
    {6049, "X-Wap-Initiator-URI", 0xB1},
    {6050, "Accept-Application", 0xB2},
    {6051, "Bearer-Indication", 0xB3},
    {6052, "Push-Flag", 0xB4},
    {6053, "Profile", 0xB5},
    {6054, "Profile-Diff", 0xB6},
    {6055, "Profile-Warning", 0xB7},
    {6056, "Expect", 0xB8},
    {6057, "TE", 0xB9},
    {6058, "Trailer", 0xBA},
    {6059, "Accept-Charset", 0xBB},
    {6060, "Accept-Encoding", 0xBC},
    {6061, "Cache-Control", 0xBD},
    {6062, "Content-Range", 0xBE},
    {6063, "X-Wap-Tod", 0xBF},
    {6064, "Content-ID", 0xC0},
    {6065, "Set-Cookie", 0xC1},
    {6066, "Cookie", 0xC2},
    {6067, "Encoding-Version", 0xC3},
    {6068, "Profile-Warning", 0xC4},
    {6069, "Content-Disposition", 0xC5},
    {kVxlTableEnd, "", 0},
};

std::int32_t mmsFieldKind(const char* key, bool byCode)
{
    const VXLMmsFieldRow* row = findField(key, byCode);
    return row ? row->kind : -1;
}

std::int32_t mmsFieldWireCode(const char* code)
{
    const VXLMmsFieldRow* row = findField(code, true);
    return row ? row->wire : -1;
}

std::int32_t mmsFieldCode(const char* wire)
{
    const VXLMmsFieldRow* row = findField(wire, false);
    return row ? row->code : -1;
}

const VXLMmsValueRow* mmsValueTable(const char* code)
{
    std::int32_t n;
    if (!numericKey(code, n))
        return nullptr;
    for (const VXLMmsValueTableRow* row = kVxlMmsValueTables; row->code != kVxlTableEnd; ++row) {
        if (row->code == n)
            return row->table;
    }
    return nullptr;
}

std::int32_t mmsValueWireCode(const char* value, const VXLMmsValueRow* table)
{
    std::int32_t n;
    if (!table || !numericKey(value, n))
        return -1;
    for (const VXLMmsValueRow* row = table; row->value != kVxlTableEnd; ++row) {
        if (row->value == n)
            return row->wire;
    }
    return -1;
}

std::int32_t mmsValueFromWire(const char* wire, const VXLMmsValueRow* table)
{
    std::int32_t n;
    if (!table || !numericKey(wire, n))
        return -1;
    for (const VXLMmsValueRow* row = table; row->value != kVxlTableEnd; ++row) {
        if (row->wire == n)
            return row->value;
    }
    return -1;
}

std::int32_t wspParameterKind(const char* key, bool byId)
{
    const VXLWspParameterRow* row = findParameter(key, byId);
    return row ? row->kind : -1;
}

std::int32_t wspParameterId(const char* key, bool byId)
{
    const VXLWspParameterRow* row = findParameter(key, byId);
    if (!row)
        return -1;
    return byId ? row->wire : row->id;
}

const char* wspParameterName(const char* id)
{
    const VXLWspParameterRow* row = findParameter(id, true);
    return row ? row->name : nullptr;
}

std::int32_t charsetNumber(const char* key)
{
    if (key && *key == kVxlCharsetNumberMark) {
        std::int32_t n;
        // The mark must carry a number, or "#" alone would read as charset 0.
        if (!key[1] || !numericKey(key + 1, n) || n < 0)
            return -1;
        return n;
    }
    std::int32_t id;
    bool byId = numericKey(key, id);
    for (const VXLCharsetRow* row = kVxlCharsetTable; row->id != kVxlTableEnd; ++row) {
        if (byId ? row->id == id : equalsIgnoringCase(row->name, key))
            return row->number;
    }
    return -1;
}

const char* charsetName(const char* number)
{
    std::int32_t n;
    if (!numericKey(number, n))
        return nullptr;
    for (const VXLCharsetRow* row = kVxlCharsetTable; row->id != kVxlTableEnd; ++row) {
        if (row->number == n)
            return row->name;
    }
    return nullptr;
}

std::int32_t wspHeaderWireCode(const char* id)
{
    std::int32_t n;
    if (!numericKey(id, n))
        return -1;
    for (const VXLWspHeaderRow* row = kVxlWspHeaderTable; row->id != kVxlTableEnd; ++row) {
        if (row->id == n)
            return row->wire;
    }
    return -1;
}

const char* wspHeaderName(const char* wire)
{
    std::int32_t n;
    if (!numericKey(wire, n))
        return nullptr;
    for (const VXLWspHeaderRow* row = kVxlWspHeaderTable; row->id != kVxlTableEnd; ++row) {
        if (row->wire == n)
            return row->name;
    }
    return nullptr;
}

std::int32_t wspContentTypeCode(const char* key, bool wantWire)
{
    std::int32_t n;
    if (numericKey(key, n)) {
        n &= 0x7F;
        if (n >= static_cast<std::int32_t>(kVxlWspWellKnownContentTypes))
            return -1;
        const VXLWspContentTypeRow& row = kVxlWspContentTypeTable[n];
        return wantWire ? row.wire : row.number;
    }
    for (const VXLWspContentTypeRow& row : kVxlWspContentTypeTable) {
        if (equalsIgnoringCase(row.name, key))
            return wantWire ? row.wire : row.number;
    }
    return -1;
}

const char* wspContentTypeName(const char* key, bool byNumber)
{
    std::int32_t n;
    if (!numericKey(key, n))
        return nullptr;
    n &= 0x7F;
    for (const VXLWspContentTypeRow& row : kVxlWspContentTypeTable) {
        if ((byNumber ? row.number : row.wire) == n)
            return row.name;
    }
    return nullptr;
}

std::int32_t mmsFieldKind(const CVXLString& key, bool byCode)
{
    return mmsFieldKind(keyText(key), byCode);
}
std::int32_t mmsFieldWireCode(const CVXLString& code)
{
    return mmsFieldWireCode(keyText(code));
}
std::int32_t mmsFieldCode(const CVXLString& wire)
{
    return mmsFieldCode(keyText(wire));
}
const VXLMmsValueRow* mmsValueTable(const CVXLString& code)
{
    return mmsValueTable(keyText(code));
}

std::int32_t mmsValueWireCode(const CVXLString& value, const VXLMmsValueRow* table)
{
    return mmsValueWireCode(keyText(value), table);
}

std::int32_t mmsValueFromWire(const CVXLString& wire, const VXLMmsValueRow* table)
{
    return mmsValueFromWire(keyText(wire), table);
}

std::int32_t wspParameterKind(const CVXLString& key, bool byId)
{
    return wspParameterKind(keyText(key), byId);
}
std::int32_t wspParameterId(const CVXLString& key, bool byId)
{
    return wspParameterId(keyText(key), byId);
}
bool wspParameterName(const CVXLString& id, CVXLString& out)
{
    return appendName(wspParameterName(keyText(id)), out);
}
std::int32_t charsetNumber(const CVXLString& key)
{
    return charsetNumber(keyText(key));
}

bool charsetName(const CVXLString& number, CVXLString& out)
{
    const char* text = keyText(number);
    if (appendName(charsetName(text), out))
        return true;
    std::int32_t n;
    if (!numericKey(text, n) || n < 0)
        return false;
    out.appendChar(kVxlCharsetNumberMark);
    out.appendNumber(static_cast<std::uint32_t>(n), 10, false);
    return true;
}

std::int32_t wspHeaderWireCode(const CVXLString& id)
{
    return wspHeaderWireCode(keyText(id));
}
bool wspHeaderName(const CVXLString& wire, CVXLString& out)
{
    return appendName(wspHeaderName(keyText(wire)), out);
}
std::int32_t wspContentTypeCode(const CVXLString& key, bool wantWire)
{
    return wspContentTypeCode(keyText(key), wantWire);
}

bool wspContentTypeName(const CVXLString& key, CVXLString& out, bool byNumber)
{
    return appendName(wspContentTypeName(keyText(key), byNumber), out);
}

namespace {

const VXLMmsFieldRow* fieldRow(std::int32_t code)
{
    // Rows stand in code order from 1; the search is for a table that does not.
    if (code >= 1 && static_cast<std::size_t>(code) <= kVxlMmsFieldRows
        && kVxlMmsFieldTable[code - 1].code == code)
        return &kVxlMmsFieldTable[code - 1];
    for (const VXLMmsFieldRow* row = kVxlMmsFieldTable; row->code != kVxlTableEnd; ++row) {
        if (row->code == code)
            return row;
    }
    return nullptr;
}

} // namespace

std::int32_t mmsFieldKindOf(std::int32_t code)
{
    const VXLMmsFieldRow* row = fieldRow(code);
    return row ? row->kind : -1;
}

std::int32_t mmsFieldWireOf(std::int32_t code)
{
    const VXLMmsFieldRow* row = fieldRow(code);
    return row ? row->wire : -1;
}

const VXLMmsValueRow* mmsValueTableOf(std::int32_t code)
{
    // Field codes are below 0x80: the tables by code, found once.
    static const struct ByCode {
        ByCode()
        {
            for (const VXLMmsValueTableRow* row = kVxlMmsValueTables; row->code != kVxlTableEnd; ++row) {
                if (row->code >= 0 && row->code < 0x80 && !tables[row->code])
                    tables[row->code] = row->table;
            }
        }
        const VXLMmsValueRow* tables[0x80] = {};
    } byCode;
    return code >= 0 && code < 0x80 ? byCode.tables[code] : nullptr;
}

std::int32_t mmsValueWireOf(std::int32_t value, const VXLMmsValueRow* table)
{
    for (const VXLMmsValueRow* row = table; row && row->value != kVxlTableEnd; ++row) {
        if (row->value == value)
            return row->wire;
    }
    return -1;
}

std::int32_t mmsValueOfWire(std::int32_t wire, const VXLMmsValueRow* table)
{
    for (const VXLMmsValueRow* row = table; row && row->value != kVxlTableEnd; ++row) {
        if (row->wire == wire)
            return row->value;
    }
    return -1;
}

const VXLWspParameterRow* wspParameterRowOfWire(std::int32_t wire)
{
    for (const VXLWspParameterRow* row = kVxlWspParameterTable; row->id != kVxlTableEnd; ++row) {
        if (row->wire == wire)
            return row;
    }
    return nullptr;
}

bool charsetNameOf(std::int32_t number, CVXLString& out)
{
    if (number < 0)
        return false;
    for (const VXLCharsetRow* row = kVxlCharsetTable; row->id != kVxlTableEnd; ++row) {
        if (row->number == number)
            return appendName(row->name, out);
    }
    out.appendChar(kVxlCharsetNumberMark);
    out.appendNumber(static_cast<std::uint32_t>(number), 10, false);
    return true;
}

bool wspHeaderNameOf(std::int32_t wire, CVXLString& out)
{
    // Rows stand in wire order from 0x80.
    const std::int32_t at = wire - 0x80;
    if (at >= 0 && static_cast<std::size_t>(at) < kVxlWspHeaderRows && kVxlWspHeaderTable[at].wire == wire)
        return appendName(kVxlWspHeaderTable[at].name, out);
    for (const VXLWspHeaderRow* row = kVxlWspHeaderTable; row->id != kVxlTableEnd; ++row) {
        if (row->wire == wire)
            return appendName(row->name, out);
    }
    return false;
}

bool wspContentTypeNameOf(std::int32_t key, CVXLString& out, bool byNumber)
{
    key &= 0x7F;
    // The well-known rows stand at their own number and wire code.
    if (static_cast<std::size_t>(key) < kVxlWspWellKnownContentTypes) {
        const VXLWspContentTypeRow& row = kVxlWspContentTypeTable[key];
        if ((byNumber ? row.number : row.wire) == key)
            return appendName(row.name, out);
    }
    for (const VXLWspContentTypeRow& row : kVxlWspContentTypeTable) {
        if ((byNumber ? row.number : row.wire) == key)
            return appendName(row.name, out);
    }
    return false;
}
