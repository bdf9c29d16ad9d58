#include "engine/transport/mms/VXLWspPduEncoder.h"

#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using mmstest::Bytes;

Bytes encodeOne(CVXLMmsPdu& pdu)
{
    CVXLByteBuffer out;
    if (!CVXLWspPduEncoder::encodeHeaders(pdu, out))
        return {};
    return Bytes(out.data(), out.data() + out.length());
}

// One header field on an otherwise empty PDU, and the bytes it becomes.
struct ValueCase {
    const char* what;
    std::int32_t code;
    const char* value;
    const char* parameter; // token or charset, by the field's kind
    Bytes expected; // empty: the encoding fails
};

const ValueCase kValueCases[] = {
    // Dates and sizes are Long-integers at any value.
    {"small date", kMmsFieldDate, "5", nullptr, {0x85, 0x01, 0x05}},
    {"date 300", kMmsFieldDate, "300", nullptr, {0x85, 0x02, 0x01, 0x2C}},
    {"date 2^24", kMmsFieldDate, "16777216", nullptr, {0x85, 0x04, 0x01, 0x00, 0x00, 0x00}},
    {"small message size", kMmsFieldMessageSize, "100", nullptr, {0x8E, 0x01, 0x64}},
    {"message count stays Integer-value", kMmsFieldMessageCount, "3", nullptr, {0xAD, 0x83}},
    {"date with letters", kMmsFieldDate, "12a", nullptr, {}},
    {"negative date", kMmsFieldDate, "-5", nullptr, {}},
    {"message type", kMmsFieldMessageType, "1", nullptr, {0x8C, 0x80}},
    {"version text", kMmsFieldMmsVersion, "1.2", nullptr, {0x8D, 0x92}},
    {"version number", kMmsFieldMmsVersion, "0", nullptr, {0x8D, 0x92}},
    {"version number outside the table", kMmsFieldMmsVersion, "3", nullptr, {}},
    {"subject utf-8", kMmsFieldSubject, "Hi", "utf-8", {0x96, 0x04, 0xEA, 'H', 'i', 0x00}},
    {"subject plain", kMmsFieldSubject, "Hi", nullptr, {0x96, 'H', 'i', 0x00}},
    // A registered number the table lacks travels as "#N" and goes back as N.
    {"subject unlisted charset", kMmsFieldSubject, "Hi", "#2259",
        {0x96, 0x06, 0x02, 0x08, 0xD3, 'H', 'i', 0x00}},
    {"subject charset beyond 127", kMmsFieldSubject, "Hi", "big5",
        {0x96, 0x06, 0x02, 0x07, 0xEA, 'H', 'i', 0x00}},
    // A charset with no number is left out rather than written as 0xFF.
    {"subject unknown charset", kMmsFieldSubject, "Hi", "klingon", {0x96, 'H', 'i', 0x00}},
    {"from insert address", kMmsFieldFrom, "", "3", {0x89, 0x01, 0x81}},
    {"from address", kMmsFieldFrom, "ab", "2", {0x89, 0x04, 0x80, 'a', 'b', 0x00}},
    {"from unknown token", kMmsFieldFrom, "ab", "9", {}},
    // A relative expiry of 0 keeps its value; relative times are Long-integers
    // at any value, as absolute ones.
    {"expiry relative 0", kMmsFieldExpiry, "0", "1", {0x88, 0x03, 0x81, 0x01, 0x00}},
    {"expiry relative 60", kMmsFieldExpiry, "60", "1", {0x88, 0x03, 0x81, 0x01, 0x3C}},
    {"delivery time relative 1", kMmsFieldDeliveryTime, "1", "1", {0x87, 0x03, 0x81, 0x01, 0x01}},
    {"deadline relative 100", kMmsFieldReplyChargingDeadline, "100", "1", {0x9D, 0x03, 0x81, 0x01, 0x64}},
    {"mbox totals stay Integer-value", kMmsFieldMboxTotals, "5", "4", {0xAA, 0x02, 0x80, 0x85}},
    {"expiry relative day", kMmsFieldExpiry, "86400", "1", {0x88, 0x05, 0x81, 0x03, 0x01, 0x51, 0x80}},
    {"expiry absolute small", kMmsFieldExpiry, "5", "0", {0x88, 0x03, 0x80, 0x01, 0x05}},
    // Text-string quote 0x7F before a first byte of 0x80 or above.
    {"text 0x80", kMmsFieldTransactionId, "\x80x", nullptr, {0x98, 0x7F, 0x80, 'x', 0x00}},
    {"text 0x81", kMmsFieldTransactionId, "\x81x", nullptr, {0x98, 0x7F, 0x81, 'x', 0x00}},
    {"text ascii", kMmsFieldTransactionId, "T1", nullptr, {0x98, 'T', '1', 0x00}},
    {"attributes", kMmsFieldAttributes, "22", nullptr, {0xA8, 0x96}},
    {"attributes unknown field", kMmsFieldAttributes, "99", nullptr, {}},
    {"stored is yes/no", kMmsFieldStored, "0", nullptr, {0xA7, 0x80}},
    {"enumerated text", kMmsFieldMessageClass, "auto-ish", nullptr,
        {0x8A, 'a', 'u', 't', 'o', '-', 'i', 's', 'h', 0x00}},
    {"content field", kMmsFieldContent, "x", nullptr, {}},
};

TEST(WspPduEncoder, ValueEncodings)
{
    for (const ValueCase& c : kValueCases) {
        CVXLMmsPdu pdu;
        const CVXLString value = c.value;
        if (c.parameter)
            pdu.setHeader(c.code, value,
                mmsFieldKind(CVXLString(c.code), true) == kMmsKindEncodedString ? kMmsParamCharset
                                                                                : kMmsParamToken,
                c.parameter);
        else
            pdu.setHeader(c.code, value);
        EXPECT_EQ(encodeOne(pdu), c.expected) << c.what;
    }
}

TEST(WspPduEncoder, LongEncodedStringUsesUintvarLength)
{
    CVXLMmsPdu pdu;
    pdu.setHeader(kMmsFieldSubject, std::string(29, 'a').c_str(), kMmsParamCharset, "utf-8");
    const Bytes bytes = encodeOne(pdu);
    ASSERT_GE(bytes.size(), 4u);
    // 31 bytes follow: the charset, 29 letters, the NUL.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes {0x96, 0x1F, 0x1F, 0xEA}));
}

TEST(WspPduEncoder, EmptyHeaderListFails)
{
    CVXLMmsPdu pdu;
    CVXLByteBuffer out;
    EXPECT_FALSE(CVXLWspPduEncoder::encode(pdu, out));
}

TEST(WspPduEncoder, BodyHeaderAndParts)
{
    CVXLPduRef ref(mmstest::sendRequest());
    CVXLByteBuffer out;
    ASSERT_TRUE(CVXLWspPduEncoder::encodeBodyHeader(*ref->body().get(), out));
    // Content-Type in general form with type and start, then three parts.
    const Bytes expected = {0x84, 0x1B, 0xB3, 0x89, 'a', 'p', 'p', 'l', 'i', 'c', 'a', 't', 'i', 'o', 'n',
        '/', 's', 'm', 'i', 'l', 0x00, 0x8A, '<', 's', 'm', 'i', 'l', '>', 0x00, 0x03};
    EXPECT_EQ(Bytes(out.data(), out.data() + out.length()), expected);

    CVXLEntityRef video = mmstest::makePart("video/mpeg", nullptr, nullptr, "xyz");
    CVXLEntityRef jpeg = mmstest::makePart("image/jpeg", "<a>", "a.jpg", "xyz");
    CVXLByteBuffer part;
    ASSERT_TRUE(CVXLWspPduEncoder::encodePartHeader(*video.get(), 3, part));
    EXPECT_EQ(Bytes(part.data(), part.data() + part.length()),
        (Bytes {0x0B, 0x03, 'v', 'i', 'd', 'e', 'o', '/', 'm', 'p', 'e', 'g', 0x00}));
    part.clear();
    ASSERT_TRUE(CVXLWspPduEncoder::encodePartHeader(*jpeg.get(), 3, part));
    EXPECT_EQ(Bytes(part.data(), part.data() + part.length()),
        (Bytes {0x0E, 0x03, 0x9E, 0xC0, 0x22, '<', 'a', '>', 0x00, 0x8E, 'a', '.', 'j', 'p', 'g', 0x00}));

    CVXLMultipartBody empty;
    out.clear();
    EXPECT_FALSE(CVXLWspPduEncoder::encodeBodyHeader(empty, out));
}

TEST(WspPduEncoder, TypedConstructorsSetTheLeadingFields)
{
    CVXLPduRef numeric(new CVXLSendRequestPdu(kMmsSendReq, "17"));
    EXPECT_EQ(numeric->headerName(0), "12");
    EXPECT_EQ(numeric->headerName(1), "24");
    EXPECT_EQ(numeric->headerName(2), "13");
    EXPECT_EQ(numeric->transactionId(), "QV-MMS-17");
    CVXLPduRef letters(new CVXLSendRequestPdu(kMmsSendReq, "abc17"));
    EXPECT_EQ(letters->transactionId(), "abc17");
    CVXLPduRef none(new CVXLSendRequestPdu(kMmsSendReq, ""));
    EXPECT_EQ(none->fieldCount(kMmsFieldTransactionId), 0u);
}

struct OracleCase {
    const char* name;
    std::vector<std::string> expected;
};

const OracleCase kOracleCases[] = {
    {"send_req",
        {"header X-Mms-Message-Type: 0x80", "header X-Mms-Transaction-ID: QV-MMS-17",
            "header X-Mms-MMS-Version: 1.2", "header Date: 1700000000", "header From: <insert address>",
            "header To: +15552223333/TYPE=PLMN", "header To: alice@example.com",
            "header Subject: Greetings from Bern", "header X-Mms-Message-Class: 0x80",
            "header X-Mms-Expiry: 0", "header X-Mms-Delivery-Report: 0x81", "header X-Mms-Read-Report: 0x80",
            "header X-Mms-Priority: 0x81", "content-type: application/vnd.wap.multipart.related",
            "param type: application/smil", "param start: <smil>", "part 1 content-type: application/smil",
            "part 1 content-id: \"<smil>\"", "part 1 content-location: smil.xml", "part 1 data: 71 945d5a4f",
            "part 2 content-type: image/jpeg", "part 2 param name: photo1.jpg",
            "part 2 content-id: \"<img1>\"", "part 2 content-location: photo1.jpg",
            "part 2 data: 300 2d88d112", "part 3 content-type: text/plain", "part 3 param charset: UTF-8",
            "part 3 content-id: \"<text>\"", "part 3 content-location: text.txt", "part 3 data: 9 6d7e3a80",
            "malformed: no"}},
    {"notifyresp_ind",
        {"header X-Mms-Message-Type: 0x83", "header X-Mms-Transaction-ID: N0001",
            "header X-Mms-MMS-Version: 1.2", "header Status: 0x81", "header X-Mms-Report-Allowed: 0x81",
            "malformed: no"}},
    {"acknowledge_ind",
        {"header X-Mms-Message-Type: 0x85", "header X-Mms-Transaction-ID: \xC3\xA9t\xC3\xA9-1",
            "header X-Mms-MMS-Version: 1.1", "header X-Mms-Report-Allowed: 0x80", "malformed: no"}},
    {"mbox_view_req",
        {"header X-Mms-Message-Type: 0x8d", "header X-Mms-Transaction-ID: MMS-user",
            "header X-Mms-MMS-Version: 1.2",
            "header X-Mms-MM-Flags: raw "
            "a4:1a:80:63:6f:6d:2e:65:78:61:6d:70:6c:65:2e:66:6f:6c:64:65:72:3d:2f:53:65:6e:74:00",
            "header X-Mms-Attributes: raw 129", "header X-Mms-Attributes: raw 130",
            "header X-Mms-Attributes: raw 133", "header X-Mms-Attributes: raw 137",
            "header X-Mms-Attributes: raw 150", "header X-Mms-Start: raw 129",
            "header X-Mms-Limit: raw b3:01:c8", "header X-Mms-Totals: raw 128", "malformed: no"}},
    {"mbox_delete_req",
        {"header X-Mms-Message-Type: 0x91", "header X-Mms-Transaction-ID: MMS-user",
            "header X-Mms-MMS-Version: 1.2",
            "header X-Mms-Content-Location: http://127.0.0.1:8080/mms?id=abc",
            "header X-Mms-Content-Location: http://127.0.0.1:8080/mms?id=def", "malformed: no"}},
    {"forward_req",
        {"header X-Mms-Message-Type: 0x89", "header X-Mms-Transaction-ID: QV-MMS-42",
            "header X-Mms-MMS-Version: 1.2", "header Date: 5", "header To: bob@example.com",
            "header From: +15550001111/TYPE=PLMN", "header X-Mms-Expiry: 1800000000",
            "header X-Mms-Delivery-Time: 3600", "header X-Mms-Delivery-Report: 0x80",
            "header X-Mms-Content-Location: http://127.0.0.1:8080/mms?id=xyz", "malformed: no"}},
    {"notification_ind",
        {"header X-Mms-Message-Type: 0x82", "header X-Mms-Transaction-ID: T1",
            "header X-Mms-MMS-Version: 1.2", "header X-Mms-Message-Class: 0x81",
            "header X-Mms-Message-Size: 100", "header X-Mms-Expiry: 86400", "header Subject: \xC2\xA1Hola!",
            "header X-Mms-Content-Location: http://127.0.0.1:8080/mms?id=abc", "malformed: no"}},
};

// tshark reads every kind of PDU the encoder writes field by field as it was
// built, with no malformed flag; our decoder reads the same bytes as tshark.
TEST(WspPduEncoder, TsharkReadsWhatWasEncoded)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    std::vector<Bytes> encoded;
    for (const mmstest::SamplePdu& sample : mmstest::kEncodedSamples) {
        CVXLPduRef pdu(sample.build());
        CVXLByteBuffer out;
        ASSERT_TRUE(CVXLWspPduEncoder::encode(*pdu.get(), out)) << sample.name;
        encoded.emplace_back(out.data(), out.data() + out.length());
    }
    const std::vector<std::vector<std::string>> oracle = mmstest::runOracleAll(encoded);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const mmstest::SamplePdu& sample = mmstest::kEncodedSamples[i];
        const Bytes& bytes = encoded[i];
        const std::vector<std::string>& seen = oracle[i];
        const OracleCase* expected = nullptr;
        for (const OracleCase& c : kOracleCases) {
            if (std::string(c.name) == sample.name)
                expected = &c;
        }
        ASSERT_NE(expected, nullptr) << sample.name;
        EXPECT_EQ(seen, expected->expected) << sample.name;

        CVXLMmsPdu decoded;
        CVXLWspPduDecoder decoder;
        ASSERT_TRUE(decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), decoded))
            << sample.name;
        EXPECT_EQ(
            mmstest::sortedNormalised(mmstest::describeForTshark(decoded)), mmstest::sortedNormalised(seen))
            << sample.name;
    }
}

struct RelativeTimeCase {
    std::int32_t code;
    const char* value;
    const char* expected;
};

const RelativeTimeCase kRelativeTimeCases[] = {
    {kMmsFieldExpiry, "60", "header X-Mms-Expiry: 60"},
    {kMmsFieldExpiry, "127", "header X-Mms-Expiry: 127"},
    {kMmsFieldDeliveryTime, "1", "header X-Mms-Delivery-Time: 1"},
    {kMmsFieldReplyChargingDeadline, "100", "header X-Mms-Reply-Charging-Deadline: 100"},
};

// A relative time under 128 s reaches tshark with its value, not as 0 s.
TEST(WspPduEncoder, TsharkReadsShortRelativeTimes)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    std::vector<Bytes> encoded;
    for (const RelativeTimeCase& c : kRelativeTimeCases) {
        CVXLPduRef pdu(new CVXLSendRequestPdu(kMmsSendReq, "9"));
        pdu->addTo("bob@example.com");
        pdu->setHeader(c.code, c.value, kMmsParamToken, "1");
        CVXLByteBuffer out;
        ASSERT_TRUE(CVXLWspPduEncoder::encodeHeaders(*pdu.get(), out)) << c.expected;
        encoded.emplace_back(out.data(), out.data() + out.length());
    }
    const std::vector<std::vector<std::string>> oracle = mmstest::runOracleAll(encoded);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const RelativeTimeCase& c = kRelativeTimeCases[i];
        const std::vector<std::string>& seen = oracle[i];
        EXPECT_NE(std::find(seen.begin(), seen.end(), c.expected), seen.end())
            << ::testing::PrintToString(seen);
        EXPECT_NE(std::find(seen.begin(), seen.end(), "malformed: no"), seen.end()) << c.expected;
    }
}

// Decoding what the encoder wrote and encoding it again gives the same bytes.
TEST(WspPduEncoder, RoundTripIsStable)
{
    for (const mmstest::SamplePdu& sample : mmstest::kEncodedSamples) {
        CVXLPduRef pdu(sample.build());
        CVXLByteBuffer first, second;
        ASSERT_TRUE(CVXLWspPduEncoder::encode(*pdu.get(), first)) << sample.name;
        CVXLMmsPdu decoded;
        CVXLWspPduDecoder decoder;
        ASSERT_TRUE(decoder.decode(first.data(), first.length(), decoded)) << sample.name;
        ASSERT_TRUE(CVXLWspPduEncoder::encode(decoded, second)) << sample.name;
        EXPECT_EQ(Bytes(first.data(), first.data() + first.length()),
            Bytes(second.data(), second.data() + second.length()))
            << sample.name;
    }
}

} // namespace
