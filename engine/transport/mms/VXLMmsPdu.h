#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLMmsFieldTable.h"

#include <cstdint>

// PDU kinds (X-Mms-Message-Type as the engine numbers it).
enum VXLMmsMessageType : std::int32_t {
    kMmsUntyped = 0,
    kMmsSendReq = 1,
    kMmsSendConf = 2,
    kMmsNotificationInd = 3,
    kMmsNotifyRespInd = 4,
    kMmsRetrieve = 5,
    kMmsRetrieveConf = 6,
    kMmsAcknowledgeInd = 7,
    kMmsDeliveryInd = 8,
    kMmsReadRecInd = 9,
    kMmsReadOrigInd = 10,
    kMmsForwardReq = 11,
    kMmsForwardConf = 12,
    kMmsMboxStoreReq = 13,
    kMmsMboxStoreConf = 14,
    kMmsMboxViewReq = 15,
    kMmsMboxViewConf = 16,
    kMmsMboxUploadReq = 17,
    kMmsMboxUploadConf = 18,
    kMmsMboxDeleteReq = 19,
    kMmsMboxDeleteConf = 20,
    kMmsMboxDescr = 21,
};

// One row of a PDU kind's header table.
struct VXLMmsHeaderRow {
    std::int32_t code;
    std::int32_t mandatory;
};

// The header table of a kind, or null (row count 0) for a kind without one.
const VXLMmsHeaderRow* mmsHeaderTable(std::int32_t kind, std::uint32_t& rowCount);

// Parameter names on a header value: the token of a token field, the charset
// of an encoded string.
inline constexpr const char* kMmsParamToken = "0";
inline constexpr const char* kMmsParamCharset = "1";

// An MMS PDU: a message whose MMS fields live in a table keyed by field
// code, with the kind's table of fields and their mandatory flags. Through
// the message's header calls the fields answer under their codes as decimal
// text ("12"), ahead of any other header. Its MIME "Content-Type" is
// "application/vnd.wap.mms-message".
class CVXLMmsPdu : public CVXLMessage {
public:
    static constexpr std::uint32_t kMaxRows = 32;

    explicit CVXLMmsPdu(std::int32_t kind = kMmsUntyped);
    // Copies body reference, headers, fields, kind, table and presence; the
    // copy is adopted by no handle.
    CVXLMmsPdu(const CVXLMmsPdu& other);
    CVXLMmsPdu& operator=(const CVXLMmsPdu&) = delete;
    ~CVXLMmsPdu() override;

    virtual bool hasRequiredHeaders() const;

    std::int32_t pduKind() const { return pduKind_; }
    const CVXLString& pduContentType() const { return contentTypeName_; }
    std::uint32_t rowCount() const { return rowCount_; }
    bool rowPresent(std::uint32_t row) const { return row < rowCount_ && present_[row]; }

    // Adds the value under the field code; a non-empty value marks the first
    // row with that code present.
    bool setHeader(std::int32_t code, const CVXLString& value);
    // The same with a parameter on the value just added.
    bool setHeader(
        std::int32_t code, const CVXLString& value, const char* parameter, const CVXLString& parameterValue);
    // The same for length bytes of text, which the field table keeps in its
    // pool until the value is read.
    bool setHeaderText(std::int32_t code, const char* bytes, std::uint32_t length);
    // The same for a number, kept as one until the value is read.
    bool setHeaderNumber(std::int32_t code, std::uint64_t magnitude, bool negative = false);
    // The same for a non-empty text that outlives the PDU and its copies.
    bool setHeaderShared(std::int32_t code, const CVXLString& lasting);
    void markPresentHeaders();
    // A parameter on the last value of a field; false when it has none.
    bool addFieldParameter(std::int32_t code, const char* parameter, const CVXLString& value);
    bool addFieldParameter(std::int32_t code, CVXLMmsFieldTable::Parameter which, const CVXLString& value);

    // Value n of a field; "" when absent.
    const CVXLString& field(std::int32_t code, int n = 0) const { return fields_.value(code, n); }
    std::uint32_t fieldCount(std::int32_t code) const { return fields_.valueCount(code); }
    // A parameter of value n of a field; null when absent.
    const CVXLString* fieldParameter(std::int32_t code, const char* parameter, int n = 0) const;
    const CVXLString* fieldToken(std::int32_t code, int n = 0) const
    {
        return fields_.parameter(code, n, CVXLMmsFieldTable::kToken);
    }
    const CVXLString* fieldCharset(std::int32_t code, int n = 0) const
    {
        return fields_.parameter(code, n, CVXLMmsFieldTable::kCharset);
    }
    const CVXLMmsFieldTable& fields() const { return fields_; }

    // The message's header calls; a name that is a field code in decimal
    // reaches the field table.
    bool addHeader(const CVXLString& name, const CVXLString& value) override;
    std::uint32_t headerCount() const override;
    CVXLString headerName(int position) const override;
    std::uint32_t valueCount(const CVXLString& name) const override;
    const CVXLString& headerValue(const CVXLString& name, int n = 0) const override;
    std::uint32_t parameterCount(const CVXLString& name, int n) const override;
    CVXLString parameterName(const CVXLString& name, int n, int k) const override;
    const CVXLString* parameter(
        const CVXLString& name, const CVXLString& parameter, int n = 0) const override;
    bool addParameter(
        const CVXLString& name, int n, const CVXLString& parameter, const CVXLString& value) override;

    void setStatus(std::int32_t status);
    void setMmFlags(const CVXLString& keyword, std::int32_t token);
    void setStart(std::uint32_t start);
    void setLimit(std::uint32_t limit);
    void setAttributes(std::int32_t fieldCode);
    void setTotals(std::int32_t totals);
    // An empty charset stores no parameter.
    void setSubject(const CVXLString& subject, const CVXLString& charset = CVXLString());
    void setDate(std::uint32_t date);
    void setFrom(const CVXLString& address, std::int32_t token);
    void addTo(const CVXLString& address);
    void addCc(const CVXLString& address);
    void addBcc(const CVXLString& address);
    void setStore(std::int32_t store);
    void setContentLocation(const CVXLString& location);

    const CVXLString& expiry() const { return field(8); }
    const CVXLString& contentLocation() const { return field(3); }
    std::int32_t retrievalMode() const { return field(52).toInt(); }
    const CVXLString& responseStatus() const { return field(18); }
    const CVXLString& responseText() const { return field(19); }
    const CVXLString& transactionId() const { return field(24); }
    const CVXLString& date() const { return field(5); }
    std::int32_t retrieveStatus() const { return field(25).toInt(); }
    const CVXLString& retrieveText() const { return field(26); }
    const CVXLString& mboxTotals() const { return field(42); }
    const CVXLString& messageCount() const { return field(45); }
    const CVXLString& subject() const { return field(22); }
    std::int32_t priority() const { return field(15).toInt(); }
    // X-Mms-Message-Size in bytes: 0 when absent or not a number, the
    // largest 32-bit value past it.
    std::uint32_t messageSize() const { return sizeValue(field(14)); }
    static std::uint32_t sizeValue(const CVXLString& digits);
    // The From value up to "/TYPE" (any letter case), or all of it.
    CVXLString fromAddress() const;

    // The name a field answers under through the message's header calls.
    static CVXLString fieldKey(std::int32_t code) { return CVXLString(code); }

protected:
    // Takes the kind's table and recomputes the presence bytes.
    void setPduKind(std::int32_t kind);
    // Copies headers, fields and body reference of another PDU, then
    // recomputes.
    void adoptContent(const CVXLMmsPdu& source);

private:
    friend class CVXLPduRef;
    // Marks the first row with the code present.
    void markPresent(std::int32_t code);
    // What a field was added with: a non-empty value marks its row.
    bool marked(bool added, std::int32_t code, bool nonEmpty);

    CVXLMmsFieldTable fields_;
    std::int32_t pduKind_;
    std::uint8_t present_[kMaxRows] = {};
    std::uint32_t rowCount_ = 0;
    const VXLMmsHeaderRow* table_ = nullptr;
    CVXLString contentTypeName_;
    // Set while a handle owns this PDU and will delete it with its last user.
    bool adopted_ = false;
};
