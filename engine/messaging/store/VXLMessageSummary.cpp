#include "engine/messaging/store/VXLMessageSummary.h"

#include "engine/media/VXLMediaRef.h"
#include "engine/messaging/store/VXLStoredMessageRead.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

#include <string_view>

namespace {

// Value 0 of a name, "" when absent. The MMS fields are kept under their
// codes in decimal.
const CVXLString& headerOf(const CVXLHeaderMap& map, const char* name)
{
    return map.value(CVXLString(name));
}

const CVXLString& fieldOf(const CVXLHeaderMap& map, std::int32_t code)
{
    return map.value(CVXLString(code));
}

// Leading digits of the radix, saturating at the 32-bit range; none gives 0.
std::uint32_t leadingNumber(const CVXLString& text, std::uint32_t radix)
{
    std::uint64_t value = 0;
    const char* bytes = text.c_str();
    for (std::uint32_t i = 0, n = text.length(); i < n; ++i) {
        const char c = bytes[i];
        std::uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            break;
        value = value * radix + digit;
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

std::int32_t countOf(const CVXLHeaderMap& map, const char* name)
{
    return headerOf(map, name).toInt();
}

// The summary's names that the fill reads.
enum SummaryName : std::uint32_t {
    kPriorityName,
    kImageCountName,
    kVideoCountName,
    kTextCountName,
    kAudioCountName,
    kVoiceMemoCountName,
    kTextMemoCountName,
    kAlertStatusName,
    kMessageTypeName,
    kTextSummaryName,
    kToListName,
    kCcListName,
    kBccListName,
    kFromName,
    kReceivedTimeName,
    kSentTimeName,
    kExpiresName,
    kForwardLockedName,
    kSaveLockedName,
    kChargeTextName,
    kSummaryNames
};

constexpr std::string_view kSummaryNameTexts[kSummaryNames] = {
    "X-QV-Message-Priority",
    "X-QV-Image-Count",
    "X-QV-Video-Count",
    "X-QV-Text-Count",
    "X-QV-Audio-Count",
    "X-QV-Voicememo-Count",
    "X-QV-Textmemo-Count",
    "X-QV-Alert-Status",
    "X-QV-Message-Type",
    "X-QV-MessageText-Summary",
    "X-QV-To-Address-List",
    "X-QV-CC-Address-List",
    "X-QV-BCC-Address-List",
    "X-QV-From-Address",
    "X-QV-Received-Time",
    "X-QV-Message-Sent-Time",
    "X-QV-Expires",
    "X-QV-Forward-Locked-Count",
    "X-QV-Save-Locked-Count",
    "X-QV-Message-Charge-Text",
};

// The first value of each name the fill reads, found in one walk of the
// summary's names: a name the summary lacks costs no search.
class SummaryValues {
public:
    explicit SummaryValues(const CVXLHeaderMap& summary)
    {
        for (std::uint32_t i = 0, n = summary.nameCount(); i < n; ++i) {
            const CVXLString name = summary.nameAt(static_cast<int>(i));
            const std::string_view text(name.c_str());
            for (std::uint32_t k = 0; k < kSummaryNames; ++k) {
                if (!values_[k] && text == kSummaryNameTexts[k]) {
                    values_[k] = &summary.value(name);
                    break;
                }
            }
        }
    }
    const CVXLString& operator[](SummaryName name) const { return values_[name] ? *values_[name] : none_; }
    std::int32_t count(SummaryName name) const { return (*this)[name].toInt(); }

private:
    const CVXLString* values_[kSummaryNames] = {};
    CVXLString none_;
};

bool equalsIgnoringCase(const CVXLString& text, const char* word)
{
    return text.compare(CVXLString(word), false) == 0;
}

// A sent time of more than 11 characters is in milliseconds.
std::uint32_t sentSeconds(const CVXLString& text)
{
    if (text.length() > 11)
        return leadingNumber(text.substr(0, text.length() - 3), 10);
    return leadingNumber(text, 10);
}

std::int32_t priorityOf(const CVXLString& text, const CVXLHeaderMap& message)
{
    if (text.length()) {
        if (equalsIgnoringCase(text, "Low"))
            return CVXLMessageSummary::kLow;
        return equalsIgnoringCase(text, "High") ? CVXLMessageSummary::kHigh : CVXLMessageSummary::kNormal;
    }
    switch (fieldOf(message, kMmsFieldPriority).toInt()) {
    case 1:
        return CVXLMessageSummary::kLow;
    case 3:
        return CVXLMessageSummary::kHigh;
    default:
        return CVXLMessageSummary::kNormal;
    }
}

// X-Mms-Expiry of the summary map: absolute seconds, or with its token
// saying relative, seconds after the message was received. 0 is none.
std::uint32_t mmsExpiry(const CVXLHeaderMap& summary, std::uint32_t receivedTime)
{
    const CVXLString name(static_cast<int>(kMmsFieldExpiry));
    const std::uint32_t value = leadingNumber(summary.value(name), 10);
    if (value == 0)
        return 0;
    const CVXLHeaderMap* parameters = summary.valueObject(name, 0);
    const bool relative = parameters && parameters->value(CVXLString(kMmsParamToken)) == "1";
    if (!relative)
        return value;
    const std::uint64_t at = static_cast<std::uint64_t>(receivedTime) + value;
    return at > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(at);
}

} // namespace

std::uint32_t CVXLMessageSummary::expiryOf(const CVXLHeaderMap& summary)
{
    const std::uint32_t expires = leadingNumber(summary.value(CVXLString("X-QV-Expires"), 0, true), 10);
    if (expires != 0)
        return expires;
    return mmsExpiry(summary, leadingNumber(headerOf(summary, "X-QV-Received-Time"), 16));
}

CVXLMessageSummary::~CVXLMessageSummary()
{
    to_.deleteAll();
    cc_.deleteAll();
}

void CVXLMessageSummary::fill(const CVXLStoredMessageRead& read, std::uint32_t nowSeconds)
{
    const CVXLHeaderMap& summary = read.summary;
    const SummaryValues values(summary);
    const bool hasContent = read.bodyLocator.length() != 0;

    priority_ = priorityOf(values[kPriorityName], read.message);

    imageCount_ = values.count(kImageCountName);
    videoCount_ = values.count(kVideoCountName);
    textCount_ = values.count(kTextCountName);
    audioCount_ = values.count(kAudioCountName);
    voiceMemoCount_ = values.count(kVoiceMemoCountName);
    const std::int32_t textMemoCount = values.count(kTextMemoCountName);
    totalMediaParts_ = leadingNumber(headerOf(read.totals, "X-QV-Total-Media-Parts"), 10);
    if (totalMediaParts_ == 0) {
        const std::int64_t sum = static_cast<std::int64_t>(imageCount_) + videoCount_ + textCount_
            + audioCount_ + voiceMemoCount_ + textMemoCount + 3;
        totalMediaParts_ = static_cast<std::uint32_t>(sum);
    }

    const CVXLString& alert = values[kAlertStatusName];
    setAlertStatus(alert.length() ? alert.c_str() : nullptr);
    boxType_ = equalsIgnoringCase(values[kMessageTypeName], "Sent") ? kSent : kReceived;

    textSummary_ = values[kTextSummaryName];
    setHasText(textMemoCount, textSummary_);

    clearAddressees();
    addList(values[kToListName], false);
    addList(values[kCcListName], true);
    addList(values[kBccListName], true);
    setFromAddress(values[kFromName]);

    subject_ = fieldOf(summary, kMmsFieldSubject);
    if (!subject_.length())
        subject_ = summary.value(CVXLString("Subject"), 0, true);

    receivedTime_ = leadingNumber(values[kReceivedTimeName], 16);
    const CVXLString& sent = values[kSentTimeName];
    sentTime_ = sent.length() ? sentSeconds(sent) : leadingNumber(fieldOf(read.message, kMmsFieldDate), 10);

    read_ = read.read ? 1 : 0;

    expiryTime_ = mmsExpiry(summary, receivedTime_);
    const std::uint32_t expires = leadingNumber(values[kExpiresName], 10);
    if (hasContent && expires != 0)
        expiryTime_ = expires;
    expiresSoon_
        = expiryTime_ != 0 && (nowSeconds >= expiryTime_ || expiryTime_ - nowSeconds <= kExpiresSoonSeconds)
        ? 1
        : 0;

    mediaRef_ = CVXLMediaRefHandle();
    if (hasContent) {
        const CVXLString& type = read.content.value(CVXLString("Content-Type"), 0, true);
        CVXLMediaRefHandle handle;
        handle.setMimeType(type.c_str());
        handle.addEntry(read.bodyLocator, type, read.bodySource, countOf(read.content, "X-QV-Image-Width"),
            countOf(read.content, "X-QV-Image-Height"), static_cast<std::int32_t>(read.bodyLength), false);
        mediaRef_ = handle;
    }

    forwardLockedCount_ = values.count(kForwardLockedName);
    saveLockedCount_ = values.count(kSaveLockedName);
    saveLocked_ = saveLockedCount_ > 0 ? 1 : 0;
    forwardLocked_ = saveLockedCount_ > 0 || forwardLockedCount_ > 0 ? 1 : 0;

    messageId_ = read.messageId;

    const CVXLString& charge = values[kChargeTextName];
    if (charge.length())
        setChargeText(charge);

    origin_ = kOriginStored;
    outboundValue_ = 0;
}

void CVXLMessageSummary::addList(const CVXLString& value, bool cc)
{
    CVXLStringArray entries;
    CVXLAddressee::splitList(value, entries);
    for (std::uint32_t i = 0; i < entries.count(); ++i) {
        const CVXLString entry = entries.at(static_cast<int>(i));
        const std::int32_t kind = CVXLAddressee::kindOf(entry);
        CVXLString displayName = entry;
        const int open = kind == CVXLAddressee::kEmail ? entry.findChar('"') : -1;
        const int close = open >= 0 ? entry.findChar('"', open + 1) : -1;
        if (close > open)
            displayName = entry.substr(open + 1, static_cast<std::uint32_t>(close - open - 1));
        if (cc)
            addCc(kind, entry, displayName);
        else
            addTo(kind, entry, displayName);
    }
}

void CVXLMessageSummary::addEntry(CVXLPtrArray& list, CVXLString& text, std::int32_t kind,
    const CVXLString& address, const CVXLString& displayName)
{
    auto* entry = new CVXLAddressee(kind, address, displayName);
    if (!list.insertAt(entry, -1)) {
        delete entry;
        return;
    }
    if (list.count() > 1)
        text += ",";
    if (to_.count() + cc_.count() >= 2)
        severalAddressees_ = 1;
    text += address;
}

void CVXLMessageSummary::addTo(std::int32_t kind, const CVXLString& address, const CVXLString& displayName)
{
    addEntry(to_, toText_, kind, address, displayName);
}

void CVXLMessageSummary::addCc(std::int32_t kind, const CVXLString& address, const CVXLString& displayName)
{
    addEntry(cc_, ccText_, kind, address, displayName);
}

void CVXLMessageSummary::clearAddressees()
{
    severalAddressees_ = 0;
    toText_.clear();
    ccText_.clear();
    to_.deleteAll();
    cc_.deleteAll();
}

CVXLString CVXLMessageSummary::getDisplayAddress() const
{
    if (boxType_ == kReceived)
        return fromAddress_;
    const int comma = toText_.findChar(',');
    return comma < 0 ? toText_ : toText_.substr(0, static_cast<std::uint32_t>(comma));
}

void CVXLMessageSummary::setAlertStatus(const char* text)
{
    const CVXLString status(text ? text : "");
    if (status == "none")
        alertStatus_ = kAlertNone;
    else if (status == "audible")
        alertStatus_ = kAlertAudible;
    else if (status == "visible")
        alertStatus_ = kAlertVisible;
    else
        alertStatus_ = kAlertNotGiven;
}

void CVXLMessageSummary::setFromAddress(const CVXLString& address)
{
    fromAddress_ = address;
    fromName_.clear();
}

void CVXLMessageSummary::setHasText(std::int32_t textMemoCount, const CVXLString& textSummary)
{
    if (textMemoCount != 0)
        hasText_ = textMemoCount;
    else
        hasText_ = textSummary.length() ? 1 : 0;
}

void CVXLMessageSummary::setChargeText(const CVXLString& text)
{
    chargeText_ = text;
    hasChargeText_ = 1;
}
