#include "engine/transport/mms/VXLWspPduDecoder.h"

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMboxViewConfPdu.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/mms/VXLWspReader.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using mmstest::Bytes;

bool decodeBytes(const Bytes& bytes, CVXLMmsPdu& pdu)
{
    CVXLWspPduDecoder decoder;
    return decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), pdu);
}

struct FieldCase {
    const char* what;
    Bytes bytes;
    std::int32_t code;
    const char* value;
    const char* token; // parameter "0", or null for none
    const char* charset; // parameter "1", or null for none
};

const FieldCase kFieldCases[] = {
    {"message type", {0x8C, 0x82, 0x98, 'T', '1', 0x00, 0x8D, 0x92}, kMmsFieldMessageType, "3", nullptr,
        nullptr},
    {"transaction id", {0x8C, 0x82, 0x98, 'T', '1', 0x00, 0x8D, 0x92}, kMmsFieldTransactionId, "T1", nullptr,
        nullptr},
    {"version 1.2", {0x8C, 0x82, 0x98, 'T', '1', 0x00, 0x8D, 0x92}, kMmsFieldMmsVersion, "1.2", nullptr,
        nullptr},
    {"version major only", {0x8D, 0x9F}, kMmsFieldMmsVersion, "1", nullptr, nullptr},
    {"long date", {0x85, 0x04, 0x3B, 0x9A, 0xCA, 0x00}, kMmsFieldDate, "1000000000", nullptr, nullptr},
    {"short date", {0x85, 0x85}, kMmsFieldDate, "5", nullptr, nullptr},
    {"subject utf-8", {0x96, 0x04, 0xEA, 'H', 'i', 0x00}, kMmsFieldSubject, "Hi", nullptr, "utf-8"},
    {"subject unlisted charset", {0x96, 0x06, 0x02, 0x08, 0xD3, 'H', 'i', 0x00}, kMmsFieldSubject, "Hi",
        nullptr, "#2259"},
    {"subject quoted text", {0x96, 0x7F, 0xC2, 0xA1, 0x00}, kMmsFieldSubject, "\xC2\xA1", nullptr, nullptr},
    {"from insert address", {0x89, 0x01, 0x81}, kMmsFieldFrom, "", "3", nullptr},
    {"from with charset", {0x89, 0x06, 0x80, 0x04, 0xEA, 'a', 'b', 0x00}, kMmsFieldFrom, "ab", "2", "utf-8"},
    {"expiry relative", {0x88, 0x05, 0x81, 0x03, 0x01, 0x51, 0x80}, kMmsFieldExpiry, "86400", "1", nullptr},
    {"expiry relative short", {0x88, 0x02, 0x81, 0x80}, kMmsFieldExpiry, "0", "1", nullptr},
    {"read report yes", {0x90, 0x80}, kMmsFieldReadReport, "0", nullptr, nullptr},
    {"read report no", {0x90, 0x81}, kMmsFieldReadReport, "1", nullptr, nullptr},
    {"read report unknown value", {0x90, 0x85}, kMmsFieldReadReport, "-1", nullptr, nullptr},
    {"eight-byte date", {0x85, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, kMmsFieldDate,
        "18446744073709551615", nullptr, nullptr},
    {"mbox totals without value", {0xAA, 0x01, 0x80}, kMmsFieldMboxTotals, "", "4", nullptr},
    {"element descriptor", {0xB2, 0x03, 'e', '1', 0x00}, kMmsFieldElementDescriptor, "e1", nullptr, nullptr},
    {"message class text", {0x8A, 'a', 'u', 't', 'o', 0x00}, kMmsFieldMessageClass, "auto", nullptr, nullptr},
    {"stored is yes/no", {0xA7, 0x81}, kMmsFieldStored, "1", nullptr, nullptr},
    {"attributes are field codes", {0xA8, 0x96}, kMmsFieldAttributes, "22", nullptr, nullptr},
    {"mbox totals", {0xAA, 0x02, 0x80, 0x85}, kMmsFieldMboxTotals, "5", "4", nullptr},
    // An unknown field, an application header and a value that does not read
    // as its kind are skipped; the fields around them stay.
    {"after unknown field", {0xFF, 0x01, 0x00, 0x8C, 0x80}, kMmsFieldMessageType, "1", nullptr, nullptr},
    {"after application header", {'X', '-', 'A', 0x00, 'v', 0x00, 0x8C, 0x80}, kMmsFieldMessageType, "1",
        nullptr, nullptr},
    {"after malformed enumerated", {0x90, 0x01, 0x80, 0x8C, 0x80}, kMmsFieldMessageType, "1", nullptr,
        nullptr},
};

TEST(WspPduDecoder, FieldValues)
{
    for (const FieldCase& c : kFieldCases) {
        CVXLMmsPdu pdu;
        ASSERT_TRUE(decodeBytes(c.bytes, pdu)) << c.what;
        EXPECT_EQ(pdu.field(c.code), c.value) << c.what;
        const CVXLString* token = pdu.fieldParameter(c.code, kMmsParamToken);
        const CVXLString* charset = pdu.fieldParameter(c.code, kMmsParamCharset);
        EXPECT_EQ(token ? token->c_str() : "(none)", std::string(c.token ? c.token : "(none)")) << c.what;
        EXPECT_EQ(charset ? charset->c_str() : "(none)", std::string(c.charset ? c.charset : "(none)"))
            << c.what;
    }
}

TEST(WspPduDecoder, SkippedValuesLeaveNoField)
{
    CVXLMmsPdu pdu;
    ASSERT_TRUE(decodeBytes({0x90, 0x01, 0x80, 0xFF, 0x81, 0x8C, 0x80}, pdu));
    EXPECT_EQ(pdu.headerCount(), 1u);
}

TEST(WspPduDecoder, MboxDeleteConfIndexedValues)
{
    const Bytes bytes = {0x8C, 0x92, 0x92, 0x02, 0x80, 0xE2, 0x93, 0x04, 0x80, 'n', 'o', 0x00};
    CVXLMmsPdu pdu;
    ASSERT_TRUE(decodeBytes(bytes, pdu));
    EXPECT_EQ(pdu.field(kMmsFieldResponseStatus), "16");
    EXPECT_EQ(pdu.field(kMmsFieldResponseText), "no");
}

// Each indexed value may wrap another only once; a sender nesting them deep
// must not drive the decoder down one call per level.
TEST(WspPduDecoder, MboxDeleteConfDeeplyNestedValueDoesNotRecurse)
{
    constexpr std::uint32_t kLevels = 400000;
    auto uintvar = [](std::uint32_t v) {
        Bytes out;
        out.insert(out.begin(), static_cast<std::uint8_t>(v & 0x7F));
        while (v >>= 7)
            out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
        return out;
    };
    std::vector<std::uint32_t> sizes(kLevels + 1);
    sizes[0] = 3; // "no" and its NUL
    for (std::uint32_t k = 1; k <= kLevels; ++k)
        sizes[k] = 1 + static_cast<std::uint32_t>(uintvar(1 + sizes[k - 1]).size()) + 1 + sizes[k - 1];
    Bytes bytes = {0x8C, 0x92, 0x93};
    bytes.reserve(bytes.size() + sizes[kLevels]);
    for (std::uint32_t k = kLevels; k >= 1; --k) {
        bytes.push_back(CVXLWspReader::kLengthQuote);
        const Bytes length = uintvar(1 + sizes[k - 1]);
        bytes.insert(bytes.end(), length.begin(), length.end());
        bytes.push_back(0x80);
    }
    bytes.insert(bytes.end(), {'n', 'o', 0x00});
    CVXLMmsPdu pdu;
    decodeBytes(bytes, pdu);
    EXPECT_EQ(pdu.field(kMmsFieldMessageType), "20");
}

TEST(WspPduDecoder, FailsCleanly)
{
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"nothing", {}},
        {"value cut", {0x85, 0x04, 0x3B, 0x9A}},
        {"text without its NUL", {0x98, 'T', '1'}},
        {"part count beyond the bytes", {0x84, 0xA3, 0x10, 0x01}},
        {"part data beyond the bytes", {0x84, 0xA3, 0x01, 0x01, 0x10, 0x83, 'x'}},
        {"part headers beyond the bytes", {0x84, 0xA3, 0x01, 0x08, 0x00, 0x83}},
        {"content type beyond its headers", {0x84, 0xA3, 0x01, 0x01, 0x00, 0x05, 0x83, 0x81}},
    };
    for (const Case& c : cases) {
        CVXLMmsPdu pdu;
        CVXLWspPduDecoder decoder;
        EXPECT_FALSE(decoder.decode(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size()), pdu))
            << c.what;
        EXPECT_STRNE(decoder.errorText(), "") << c.what;
        EXPECT_LE(decoder.errorPosition(), c.bytes.size()) << c.what;
    }
}

TEST(WspPduDecoder, BodyForms)
{
    {
        // Part headers that end in a shift delimiter without its page.
        CVXLMmsPdu pdu;
        ASSERT_TRUE(decodeBytes({0x84, 0xA3, 0x01, 0x02, 0x01, 0x83, 0x7F, 'x'}, pdu));
        const auto& body = static_cast<const CVXLMultipartBody&>(*pdu.body().get());
        ASSERT_EQ(body.partCount(), 1u);
        EXPECT_EQ(body.partAt(0)->dataSize(), 1u);
    }
    {
        // Content-Type with nothing after it: no body.
        CVXLMmsPdu pdu;
        ASSERT_TRUE(decodeBytes({0x8C, 0x84, 0x84, 0xB3}, pdu));
        EXPECT_TRUE(pdu.body().isEmpty());
    }
    {
        // A single-part body is one entity holding the rest of the bytes.
        CVXLMmsPdu pdu;
        ASSERT_TRUE(decodeBytes({0x8C, 0x84, 0x84, 0x83, 'h', 'e', 'y'}, pdu));
        ASSERT_FALSE(pdu.body().isEmpty());
        EXPECT_EQ(pdu.body()->kind(), CVXLMimeEntity::kPlain);
        EXPECT_EQ(pdu.body()->contentType(), "text/plain");
        EXPECT_EQ(pdu.body()->dataSize(), 3u);
        EXPECT_EQ(pdu.body()->bodyBuffer().length(), 3u);
    }
    {
        // A part header with a content ID (quote dropped, brackets kept), an
        // unknown well-known header, a shift sequence and a text header.
        const Bytes bytes = {0x84, 0xA3, 0x01, 0x11, 0x02, 0x83, 0xC0, 0x22, '<', 'a', '>', 0x00, 0xF5, 0x81,
            0x7F, 0x02, 'X', '-', 'Y', 0x00, 'z', 0x00, 'h', 'i'};
        CVXLMmsPdu pdu;
        CVXLWspPduDecoder decoder;
        ASSERT_TRUE(
            decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), pdu, "in.mms", 1000));
        const auto& body = static_cast<const CVXLMultipartBody&>(*pdu.body().get());
        ASSERT_EQ(body.partCount(), 1u);
        const CVXLEntityRef part = body.partAt(0);
        EXPECT_EQ(part->contentType(), "text/plain");
        EXPECT_EQ(part->contentId(), "<a>");
        EXPECT_EQ(part->header("X-Y"), "z");
        EXPECT_EQ(part->fileName(), "in.mms");
        EXPECT_EQ(part->dataStart(), 1000u + 22u);
        EXPECT_EQ(part->dataSize(), 2u);
    }
}

// Content-Type is a mandatory field of a retrieve-conf and a view-conf: the
// decoded PDU keeps it as field 4, so that the typed PDU finds it present.
TEST(WspPduDecoder, ContentTypeIsKeptAsAField)
{
    struct Case {
        const char* file;
        std::int32_t kind;
        const char* contentType; // field 4; "" when the PDU has none
        bool complete; // hasRequiredHeaders of the typed PDU
    };
    const Case cases[] = {
        {"retrieve_conf.mms", kMmsRetrieveConf, "application/vnd.wap.multipart.related", true},
        {"mbox_view_conf.mms", kMmsMboxViewConf, "application/vnd.wap.multipart.mixed", true},
        {"notification_ind.mms", kMmsNotificationInd, "", true},
        // The sample lacks the mandatory X-Mms-MM-State; Content-Type is optional.
        {"mbox_descr.mms", kMmsMboxDescr, "", false},
    };
    for (const Case& c : cases) {
        Bytes bytes;
        ASSERT_TRUE(mmstest::readSample(c.file, bytes));
        CVXLPduRef decoded(new CVXLMmsPdu);
        ASSERT_TRUE(decodeBytes(bytes, *decoded.get())) << c.file;
        EXPECT_EQ(decoded->field(kMmsFieldContentType), c.contentType) << c.file;
        CVXLPduRef typed(c.kind == kMmsMboxViewConf
                ? static_cast<CVXLMmsPdu*>(new CVXLMboxViewConfPdu(*decoded.get()))
                : new CVXLReceivedPdu(c.kind, decoded));
        EXPECT_EQ(typed->hasRequiredHeaders(), c.complete) << c.file;
    }
    // Also when nothing follows the Content-Type, and for a single body.
    for (const Bytes& bytes : {Bytes {0x8C, 0x84, 0x84, 0xB3}, Bytes {0x8C, 0x84, 0x84, 0x83, 'h', 'i'}}) {
        CVXLMmsPdu pdu;
        ASSERT_TRUE(decodeBytes(bytes, pdu));
        EXPECT_NE(pdu.field(kMmsFieldContentType), "");
        CVXLByteBuffer again;
        if (!pdu.body().isEmpty()) {
            ASSERT_TRUE(CVXLWspPduEncoder::encode(pdu, again));
            EXPECT_EQ(Bytes(again.data(), again.data() + again.length()), bytes);
        }
    }
}

// A PDU's headers, recipients, parts, content types and parameters as tshark
// reads the same bytes (its lines given); parts holding MMS PDUs decode as
// tshark's do.
void expectReadAsTsharkDoes(
    const Bytes& bytes, const std::vector<std::string>& oracle, const std::string& name)
{
    CVXLMmsPdu pdu;
    CVXLWspPduDecoder decoder;
    ASSERT_TRUE(decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), pdu)) << name;
    std::vector<std::string> ours = mmstest::describeForTshark(pdu);
    if (const CVXLMimeEntity* body = pdu.body().get(); body && body->kind() == CVXLMimeEntity::kMultipart) {
        const auto& multipart = static_cast<const CVXLMultipartBody&>(*body);
        for (std::uint32_t i = 0; i < multipart.partCount(); ++i) {
            const CVXLEntityRef part = multipart.partAt(i);
            if (part->contentType() != "application/vnd.wap.mms-message")
                continue;
            CVXLMmsPdu inner;
            CVXLWspPduDecoder innerDecoder;
            ASSERT_TRUE(innerDecoder.decode(part->bodyBuffer().data(), part->bodyBuffer().length(), inner))
                << name;
            for (const std::string& line : mmstest::describeForTshark(inner)) {
                if (line.rfind("header ", 0) == 0)
                    ours.push_back("part " + std::to_string(i + 1) + " " + line);
            }
        }
    }
    EXPECT_EQ(mmstest::sortedNormalised(ours), mmstest::sortedNormalised(oracle)) << name;
}

// Each PDU against tshark's reading of it, tshark run once for all of them.
void expectAllReadAsTsharkDoes(const std::vector<Bytes>& pdus, const std::vector<std::string>& names)
{
    const std::vector<std::vector<std::string>> oracle = mmstest::runOracleAll(pdus);
    for (std::size_t i = 0; i < pdus.size(); ++i)
        expectReadAsTsharkDoes(pdus[i], oracle[i], names[i]);
}

TEST(WspPduDecoder, SamplesMatchTshark)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    std::vector<Bytes> pdus;
    std::vector<std::string> names;
    for (const char* name : mmstest::kSamples) {
        pdus.emplace_back();
        ASSERT_TRUE(mmstest::readSample(name, pdus.back()));
        names.push_back(name);
    }
    expectAllReadAsTsharkDoes(pdus, names);
}

#ifdef TESSEL_SHARED_MMS_DIR
// Registered only when a shared sample folder sits beside the checkout.
TEST(WspPduDecoder, SharedSamplesMatchTshark)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    std::vector<Bytes> pdus;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TESSEL_SHARED_MMS_DIR)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".mms")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        pdus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        names.push_back(entry.path().string());
    }
    EXPECT_GT(pdus.size(), 0u) << "no .mms files under " TESSEL_SHARED_MMS_DIR;
    expectAllReadAsTsharkDoes(pdus, names);
}
#endif

// The same PDU inside a larger buffer: part positions count from the view.
TEST(WspPduDecoder, PositionsFollowTheView)
{
    Bytes sample;
    ASSERT_TRUE(mmstest::readSample("send_req.mms", sample));
    Bytes padded(37 + sample.size(), 0xEE);
    std::copy(sample.begin(), sample.end(), padded.begin() + 37);
    CVXLMmsPdu atZero, inside;
    CVXLWspPduDecoder a, b;
    ASSERT_TRUE(a.decode(sample.data(), static_cast<std::uint32_t>(sample.size()), atZero, "f", 0));
    ASSERT_TRUE(b.decode(padded.data() + 37, static_cast<std::uint32_t>(sample.size()), inside, "f", 37));
    const auto& one = static_cast<const CVXLMultipartBody&>(*atZero.body().get());
    const auto& two = static_cast<const CVXLMultipartBody&>(*inside.body().get());
    ASSERT_EQ(one.partCount(), 2u);
    for (std::uint32_t i = 0; i < one.partCount(); ++i) {
        const CVXLEntityRef p = one.partAt(i), q = two.partAt(i);
        EXPECT_EQ(q->dataStart(), p->dataStart() + 37);
        ASSERT_LE(p->dataStart() + p->dataSize(), sample.size());
        EXPECT_EQ(Bytes(sample.begin() + p->dataStart(), sample.begin() + p->dataStart() + p->dataSize()),
            Bytes(p->bodyBuffer().data(), p->bodyBuffer().data() + p->bodyBuffer().length()));
    }
}

void checkClean(const Bytes& bytes, const char* what, std::size_t where)
{
    CVXLMmsPdu pdu;
    CVXLWspPduDecoder decoder;
    const bool ok = decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), pdu, "f", 0);
    if (!ok) {
        ASSERT_LE(decoder.errorPosition(), bytes.size()) << what << " at " << where;
        return;
    }
    const CVXLMimeEntity* body = pdu.body().get();
    if (!body || body->kind() != CVXLMimeEntity::kMultipart)
        return;
    const auto& multipart = static_cast<const CVXLMultipartBody&>(*body);
    for (std::uint32_t i = 0; i < multipart.partCount(); ++i) {
        const CVXLEntityRef part = multipart.partAt(i);
        ASSERT_LE(std::uint64_t(part->dataStart()) + part->dataSize(), bytes.size())
            << what << " at " << where;
        ASSERT_EQ(part->bodyBuffer().length(), part->dataSize()) << what << " at " << where;
    }
}

// Every cut point and every single-byte change of every sample decodes or
// fails cleanly (run under ASan as well).
TEST(WspPduDecoder, CutsAndByteChangesDecodeOrFailCleanly)
{
    const std::uint8_t replacements[] = {0x00, 0x01, 0x1E, 0x1F, 0x20, 0x22, 0x7F, 0x80, 0xB3, 0xFF};
    for (const char* name : mmstest::kSamples) {
        Bytes sample;
        ASSERT_TRUE(mmstest::readSample(name, sample));
        for (std::size_t cut = 0; cut <= sample.size(); ++cut)
            checkClean(Bytes(sample.begin(), sample.begin() + static_cast<long>(cut)), name, cut);
        for (std::size_t i = 0; i < sample.size(); ++i) {
            Bytes changed = sample;
            for (std::uint8_t value : replacements) {
                changed[i] = value;
                checkClean(changed, name, i);
            }
            changed[i] = static_cast<std::uint8_t>(sample[i] ^ 0x80);
            checkClean(changed, name, i);
        }
    }
}

} // namespace
