#include "engine/transport/mms/VXLMmsPdu.h"

#include "engine/transport/mms/VXLWspTables.h"

#include <algorithm>

namespace {

constexpr VXLMmsHeaderRow kSendReq[] = {{12, 1}, {24, 1}, {13, 1}, {5, 0}, {9, 1}, {23, 1}, {2, 0}, {1, 0},
    {22, 0}, {10, 0}, {8, 0}, {7, 0}, {15, 0}, {20, 0}, {6, 0}, {16, 0}, {34, 0}, {35, 0}, {36, 0}, {28, 0},
    {29, 0}, {31, 0}, {30, 0}, {4, 1}};
constexpr VXLMmsHeaderRow kNotificationInd[] = {{12, 1}, {24, 1}, {13, 1}, {9, 0}, {22, 0}, {6, 0}, {39, 0},
    {10, 1}, {15, 0}, {14, 1}, {8, 1}, {28, 0}, {29, 0}, {31, 0}, {30, 0}, {49, 0}, {50, 0}, {52, 0}, {53, 0},
    {55, 0}, {56, 0}, {57, 0}, {58, 0}, {59, 0}, {3, 1}};
constexpr VXLMmsHeaderRow kNotifyRespInd[] = {{12, 1}, {24, 1}, {13, 1}, {21, 1}, {17, 0}};
constexpr VXLMmsHeaderRow kRetrieve[] = {{12, 1}};
// Message-ID is not required: relays leave it out of a retrieve-conf that
// carries no message, and an absent id must not fail a message that arrived.
constexpr VXLMmsHeaderRow kRetrieveConf[] = {{12, 1}, {24, 0}, {13, 1}, {11, 0}, {5, 1}, {9, 0}, {32, 0},
    {33, 0}, {23, 0}, {2, 0}, {22, 0}, {35, 0}, {36, 0}, {10, 0}, {15, 0}, {6, 0}, {16, 0}, {28, 0}, {29, 0},
    {31, 0}, {30, 0}, {25, 0}, {26, 0}, {49, 0}, {4, 1}};
constexpr VXLMmsHeaderRow kForwardReq[] = {{12, 1}, {24, 1}, {13, 1}, {5, 0}, {23, 1}, {9, 1}, {2, 0}, {1, 0},
    {8, 0}, {7, 0}, {17, 0}, {6, 0}, {16, 0}, {34, 0}, {35, 0}, {36, 0}, {3, 1}, {61, 1}};
constexpr VXLMmsHeaderRow kMboxStoreReq[] = {{12, 1}, {24, 1}, {13, 1}, {3, 1}, {35, 0}, {36, 0}};
constexpr VXLMmsHeaderRow kMboxViewReq[]
    = {{12, 1}, {24, 1}, {13, 1}, {3, 0}, {35, 0}, {36, 0}, {47, 0}, {51, 0}, {40, 0}, {41, 0}, {43, 0}};
constexpr VXLMmsHeaderRow kMboxViewConf[] = {{12, 1}, {24, 1}, {13, 1}, {18, 1}, {19, 0}, {3, 0}, {35, 0},
    {36, 0}, {47, 0}, {51, 0}, {40, 0}, {42, 0}, {44, 0}, {45, 0}, {4, 0}};
constexpr VXLMmsHeaderRow kMboxDeleteReq[] = {{12, 1}, {24, 1}, {13, 1}, {3, 1}};
constexpr VXLMmsHeaderRow kMboxDescr[] = {{12, 1}, {3, 1}, {11, 1}, {35, 1}, {36, 0}, {5, 0}, {9, 0}, {23, 0},
    {2, 0}, {1, 0}, {10, 0}, {22, 0}, {15, 0}, {7, 0}, {8, 0}, {6, 0}, {16, 0}, {14, 0}, {28, 0}, {30, 0},
    {29, 0}, {31, 0}, {32, 0}, {33, 0}, {4, 0}};
constexpr VXLMmsHeaderRow kSendConf[]
    = {{12, 1}, {24, 1}, {13, 1}, {18, 1}, {19, 0}, {11, 0}, {3, 0}, {37, 0}, {38, 0}};
constexpr VXLMmsHeaderRow kMboxStoreConf[] = {{12, 1}, {24, 1}, {13, 1}, {3, 0}, {37, 1}, {38, 0}};
constexpr VXLMmsHeaderRow kMboxDeleteConf[] = {{12, 1}, {24, 1}, {13, 1}, {3, 0}, {18, 1}, {19, 0}};
constexpr VXLMmsHeaderRow kDeliveryInd[] = {{12, 1}, {13, 1}, {11, 1}, {23, 1}, {5, 1}, {21, 1}};
constexpr VXLMmsHeaderRow kReadOrigInd[] = {{12, 1}, {13, 1}, {11, 1}, {23, 1}, {9, 1}, {5, 1}, {27, 1}};

struct KindTable {
    std::int32_t kind;
    const VXLMmsHeaderRow* rows;
    std::uint32_t count;
};

template <std::size_t N> constexpr KindTable row(std::int32_t kind, const VXLMmsHeaderRow (&rows)[N])
{
    return {kind, rows, static_cast<std::uint32_t>(N)};
}

constexpr KindTable kTables[] = {
    row(kMmsSendReq, kSendReq),
    row(kMmsSendConf, kSendConf),
    row(kMmsNotificationInd, kNotificationInd),
    row(kMmsNotifyRespInd, kNotifyRespInd),
    row(kMmsRetrieve, kRetrieve),
    row(kMmsRetrieveConf, kRetrieveConf),
    row(kMmsDeliveryInd, kDeliveryInd),
    row(kMmsReadOrigInd, kReadOrigInd),
    row(kMmsForwardReq, kForwardReq),
    row(kMmsForwardConf, kSendConf),
    row(kMmsMboxStoreReq, kMboxStoreReq),
    row(kMmsMboxStoreConf, kMboxStoreConf),
    row(kMmsMboxViewReq, kMboxViewReq),
    row(kMmsMboxViewConf, kMboxViewConf),
    row(kMmsMboxDeleteReq, kMboxDeleteReq),
    row(kMmsMboxDeleteConf, kMboxDeleteConf),
    row(kMmsMboxDescr, kMboxDescr),
};

static_assert(sizeof(kSendReq) / sizeof(kSendReq[0]) <= CVXLMmsPdu::kMaxRows);
static_assert(sizeof(kNotificationInd) / sizeof(kNotificationInd[0]) <= CVXLMmsPdu::kMaxRows);

} // namespace

const VXLMmsHeaderRow* mmsHeaderTable(std::int32_t kind, std::uint32_t& rowCount)
{
    for (const KindTable& table : kTables) {
        if (table.kind == kind) {
            rowCount = table.count;
            return table.rows;
        }
    }
    rowCount = 0;
    return nullptr;
}

namespace {

// Every PDU starts with the same MIME type and headers: made once, shared
// by each new PDU, and copied only by one that changes its headers.
struct PduMimeDefaults {
    PduMimeDefaults()
    {
        wspContentTypeNameOf(kWspContentTypeMmsMessage, contentType, true);
        entity.setContentType(contentType);
    }
    CVXLString contentType;
    CVXLMimeEntity entity;
};

const PduMimeDefaults& pduMimeDefaults()
{
    static const PduMimeDefaults defaults;
    return defaults;
}

} // namespace

CVXLMmsPdu::CVXLMmsPdu(std::int32_t kind)
    : pduKind_(kind)
{
    const PduMimeDefaults& defaults = pduMimeDefaults();
    contentTypeName_ = defaults.contentType;
    CVXLMimeEntity::setHeaders(defaults.entity.mimeHeaders());
}

CVXLMmsPdu::CVXLMmsPdu(const CVXLMmsPdu& other)
    : CVXLMessage(other)
    , fields_(other.fields_)
    , pduKind_(other.pduKind_)
    , rowCount_(other.rowCount_)
    , table_(other.table_)
    , contentTypeName_(other.contentTypeName_)
{
    vxlMemCopy(present_, other.present_, sizeof present_);
    CVXLMimeEntity::setHeaders(other.mimeHeaders());
}

CVXLMmsPdu::~CVXLMmsPdu() = default;

void CVXLMmsPdu::setPduKind(std::int32_t kind)
{
    pduKind_ = kind;
    table_ = mmsHeaderTable(kind, rowCount_);
    markPresentHeaders();
}

void CVXLMmsPdu::adoptContent(const CVXLMmsPdu& source)
{
    setHeaders(source.messageHeaders());
    fields_ = source.fields_;
    setBody(source.body());
    markPresentHeaders();
}

bool CVXLMmsPdu::hasRequiredHeaders() const
{
    for (std::uint32_t i = 0; i < rowCount_; ++i) {
        if (table_[i].mandatory && !present_[i])
            return false;
    }
    return true;
}

bool CVXLMmsPdu::setHeader(std::int32_t code, const CVXLString& value)
{
    return marked(fields_.add(code, value), code, value.length() != 0);
}

bool CVXLMmsPdu::setHeaderText(std::int32_t code, const char* bytes, std::uint32_t length)
{
    return marked(fields_.addText(code, bytes, length), code, length != 0);
}

bool CVXLMmsPdu::setHeaderNumber(std::int32_t code, std::uint64_t magnitude, bool negative)
{
    return marked(fields_.addNumber(code, magnitude, negative), code, true);
}

bool CVXLMmsPdu::setHeaderShared(std::int32_t code, const CVXLString& lasting)
{
    return marked(fields_.addShared(code, lasting), code, lasting.length() != 0);
}

bool CVXLMmsPdu::marked(bool added, std::int32_t code, bool nonEmpty)
{
    if (added && nonEmpty)
        markPresent(code);
    return added;
}

void CVXLMmsPdu::markPresent(std::int32_t code)
{
    for (std::uint32_t i = 0; i < rowCount_; ++i) {
        if (table_[i].code == code) {
            present_[i] = 1;
            return;
        }
    }
}

namespace {

bool parameterOfName(const char* name, CVXLMmsFieldTable::Parameter& which)
{
    if (name[0] == kMmsParamToken[0] && !name[1])
        which = CVXLMmsFieldTable::kToken;
    else if (name[0] == kMmsParamCharset[0] && !name[1])
        which = CVXLMmsFieldTable::kCharset;
    else
        return false;
    return true;
}

} // namespace

bool CVXLMmsPdu::setHeader(
    std::int32_t code, const CVXLString& value, const char* parameter, const CVXLString& parameterValue)
{
    return setHeader(code, value) && addFieldParameter(code, parameter, parameterValue);
}

bool CVXLMmsPdu::addFieldParameter(std::int32_t code, const char* parameter, const CVXLString& value)
{
    CVXLMmsFieldTable::Parameter which;
    if (!parameterOfName(parameter, which))
        return false;
    return addFieldParameter(code, which, value);
}

bool CVXLMmsPdu::addFieldParameter(
    std::int32_t code, CVXLMmsFieldTable::Parameter which, const CVXLString& value)
{
    return fields_.setParameter(code, static_cast<int>(fields_.valueCount(code)) - 1, which, value);
}

void CVXLMmsPdu::markPresentHeaders()
{
    vxlMemSet(present_, 0, sizeof present_);
    for (std::uint32_t i = 0; i < rowCount_; ++i)
        present_[i] = fields_.value(table_[i].code).length() ? 1 : 0;
}

const CVXLString* CVXLMmsPdu::fieldParameter(std::int32_t code, const char* parameter, int n) const
{
    CVXLMmsFieldTable::Parameter which;
    return parameterOfName(parameter, which) ? fields_.parameter(code, n, which) : nullptr;
}

bool CVXLMmsPdu::addHeader(const CVXLString& name, const CVXLString& value)
{
    std::int32_t code;
    if (CVXLMmsFieldTable::codeOfName(name, code))
        return setHeader(code, value);
    return CVXLMessage::addHeader(name, value);
}

std::uint32_t CVXLMmsPdu::headerCount() const
{
    return fields_.codeCount() + CVXLMessage::headerCount();
}

CVXLString CVXLMmsPdu::headerName(int position) const
{
    if (position < 0)
        return CVXLString();
    const auto at = static_cast<std::uint32_t>(position);
    // Every field code has a shared decimal text.
    static_assert(CVXLMmsFieldTable::kMaxCode < 256);
    if (at < fields_.codeCount())
        return *CVXLMmsFieldTable::sharedDecimal(static_cast<std::uint64_t>(fields_.codeAt(at)));
    return CVXLMessage::headerName(static_cast<int>(at - fields_.codeCount()));
}

std::uint32_t CVXLMmsPdu::valueCount(const CVXLString& name) const
{
    std::int32_t code;
    return CVXLMmsFieldTable::codeOfName(name, code) ? fields_.valueCount(code)
                                                     : CVXLMessage::valueCount(name);
}

const CVXLString& CVXLMmsPdu::headerValue(const CVXLString& name, int n) const
{
    std::int32_t code;
    return CVXLMmsFieldTable::codeOfName(name, code) ? fields_.value(code, n)
                                                     : CVXLMessage::headerValue(name, n);
}

std::uint32_t CVXLMmsPdu::parameterCount(const CVXLString& name, int n) const
{
    std::int32_t code;
    if (CVXLMmsFieldTable::codeOfName(name, code))
        return fields_.parameterCount(code, n);
    return CVXLMessage::parameterCount(name, n);
}

CVXLString CVXLMmsPdu::parameterName(const CVXLString& name, int n, int k) const
{
    std::int32_t code;
    if (!CVXLMmsFieldTable::codeOfName(name, code))
        return CVXLMessage::parameterName(name, n, k);
    CVXLMmsFieldTable::Parameter which;
    if (k < 0 || !fields_.parameterAt(code, n, static_cast<std::uint32_t>(k), which))
        return CVXLString();
    // The names are the decimal texts of their numbers, shared by every read.
    static_assert(CVXLMmsFieldTable::kToken == 0 && kMmsParamToken[0] == '0' && !kMmsParamToken[1]);
    static_assert(CVXLMmsFieldTable::kCharset == 1 && kMmsParamCharset[0] == '1' && !kMmsParamCharset[1]);
    return CVXLMmsFieldTable::decimal(static_cast<std::uint64_t>(which));
}

const CVXLString* CVXLMmsPdu::parameter(const CVXLString& name, const CVXLString& parameter, int n) const
{
    std::int32_t code;
    if (!CVXLMmsFieldTable::codeOfName(name, code))
        return CVXLMessage::parameter(name, parameter, n);
    return parameter.length() == vxlStrLen(parameter.c_str()) ? fieldParameter(code, parameter.c_str(), n)
                                                              : nullptr;
}

bool CVXLMmsPdu::addParameter(
    const CVXLString& name, int n, const CVXLString& parameter, const CVXLString& value)
{
    std::int32_t code;
    if (!CVXLMmsFieldTable::codeOfName(name, code))
        return CVXLMessage::addParameter(name, n, parameter, value);
    CVXLMmsFieldTable::Parameter which;
    if (parameter.length() != 1 || !parameterOfName(parameter.c_str(), which))
        return false;
    return fields_.setParameter(code, n, which, value);
}

void CVXLMmsPdu::setStatus(std::int32_t status)
{
    setHeader(kMmsFieldStatus, CVXLString(status));
}

void CVXLMmsPdu::setMmFlags(const CVXLString& keyword, std::int32_t token)
{
    setHeader(kMmsFieldMmFlags, keyword, kMmsParamToken, CVXLString(token));
}

void CVXLMmsPdu::setStart(std::uint32_t start)
{
    CVXLString text;
    text.setUnsigned(start);
    setHeader(kMmsFieldStart, text);
}

void CVXLMmsPdu::setLimit(std::uint32_t limit)
{
    CVXLString text;
    text.setUnsigned(limit);
    setHeader(kMmsFieldLimit, text);
}

void CVXLMmsPdu::setAttributes(std::int32_t fieldCode)
{
    setHeader(kMmsFieldAttributes, CVXLString(fieldCode));
}

void CVXLMmsPdu::setTotals(std::int32_t totals)
{
    setHeader(kMmsFieldTotals, CVXLString(totals));
}

void CVXLMmsPdu::setSubject(const CVXLString& subject, const CVXLString& charset)
{
    if (charset.length())
        setHeader(kMmsFieldSubject, subject, kMmsParamCharset, charset);
    else
        setHeader(kMmsFieldSubject, subject);
}

void CVXLMmsPdu::setDate(std::uint32_t date)
{
    CVXLString text;
    text.setUnsigned(date);
    setHeader(kMmsFieldDate, text);
}

void CVXLMmsPdu::setFrom(const CVXLString& address, std::int32_t token)
{
    setHeader(kMmsFieldFrom, address, kMmsParamToken, CVXLString(token));
}

void CVXLMmsPdu::addTo(const CVXLString& address)
{
    setHeader(kMmsFieldTo, address);
}
void CVXLMmsPdu::addCc(const CVXLString& address)
{
    setHeader(kMmsFieldCc, address);
}
void CVXLMmsPdu::addBcc(const CVXLString& address)
{
    setHeader(kMmsFieldBcc, address);
}
void CVXLMmsPdu::setStore(std::int32_t store)
{
    setHeader(kMmsFieldStore, CVXLString(store));
}
void CVXLMmsPdu::setContentLocation(const CVXLString& location)
{
    setHeader(kMmsFieldContentLocation, location);
}

CVXLString CVXLMmsPdu::fromAddress() const
{
    const CVXLString& from = field(kMmsFieldFrom);
    CVXLString folded(from);
    folded.changeCase(true);
    const int cut = folded.find(CVXLString("/TYPE"));
    return cut < 0 ? from : from.substr(0, static_cast<std::uint32_t>(cut));
}

std::uint32_t CVXLMmsPdu::sizeValue(const CVXLString& digits)
{
    const char* text = digits.c_str();
    std::uint64_t value = 0;
    for (std::uint32_t i = 0, n = digits.length(); i < n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        value = std::min<std::uint64_t>(
            value * 10 + static_cast<std::uint64_t>(text[i] - '0'), std::uint64_t {0xFFFFFFFFu});
    }
    return static_cast<std::uint32_t>(value);
}
