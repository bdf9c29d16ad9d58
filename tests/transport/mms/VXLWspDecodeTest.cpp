#include "engine/transport/mms/VXLWspDecode.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/mms/VXLSendRequestPdu.h"
#include "engine/transport/mms/VXLWspDecodeTransaction.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "tests/transport/CodecJobFixture.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using codecjobs::CodecJobTest;
using codecjobs::RecordingListener;
using mmstest::Bytes;

std::string asText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Everything a decode gives, in one comparable text: the fields with their
// parameters, then each part's headers, file range and data.
std::string describe(const CVXLMmsPdu& pdu)
{
    std::string out;
    for (std::uint32_t i = 0; i < pdu.headerCount(); ++i) {
        const CVXLString name = pdu.headerName(static_cast<int>(i));
        for (std::uint32_t n = 0; n < pdu.valueCount(name); ++n) {
            out += std::string(name.c_str()) + "=" + pdu.headerValue(name, static_cast<int>(n)).c_str();
            for (std::uint32_t k = 0; k < pdu.parameterCount(name, static_cast<int>(n)); ++k) {
                const CVXLString parameter
                    = pdu.parameterName(name, static_cast<int>(n), static_cast<int>(k));
                const CVXLString* value = pdu.parameter(name, parameter, static_cast<int>(n));
                out += std::string(";") + parameter.c_str() + "=" + (value ? value->c_str() : "");
            }
            out += "\n";
        }
    }
    const CVXLMimeEntity* body = pdu.body().get();
    if (!body || body->kind() != CVXLMimeEntity::kMultipart)
        return out + "no multipart body\n";
    out += std::string("body ") + body->contentType().c_str() + "\n";
    const auto* multipart = static_cast<const CVXLMultipartBody*>(body);
    for (std::uint32_t i = 0; i < multipart->partCount(); ++i) {
        const CVXLMimeEntity* part = multipart->partAt(i).get();
        const CVXLByteBuffer& data = part->bodyBuffer();
        out += std::string("part ") + part->contentType().c_str() + " id=" + part->contentId().c_str()
            + " file=" + part->fileName().c_str() + " start=" + std::to_string(part->dataStart())
            + " size=" + std::to_string(part->dataSize())
            + " data=" + std::string(reinterpret_cast<const char*>(data.data()), data.length()) + "\n";
    }
    return out;
}

class WspDecodeTest : public CodecJobTest {
protected:
    // A decode transaction whose input message's body names a file range.
    static void setFileInput(CVXLWspDecodeTransaction& transaction, const std::string& path,
        std::uint32_t start = 0, std::uint32_t size = 0)
    {
        auto* input = new CVXLMimeEntity;
        CVXLEntityRef ref(input);
        input->setFileName(CVXLString(path.c_str()));
        input->setDataStart(start);
        input->setDataSize(size);
        transaction.message().setBody(ref);
    }

    static std::string coreDecode(const Bytes& bytes, const std::string& path, std::uint32_t offset = 0)
    {
        CVXLMmsPdu pdu;
        CVXLWspPduDecoder decoder;
        if (!decoder.decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), pdu,
                CVXLString(path.c_str()), offset))
            return "core decode failed";
        return describe(pdu);
    }
};

TEST_F(WspDecodeTest, SamplePdusFromFilesDecodeAsTheCoreDoes)
{
    struct Case {
        const char* file;
        std::int32_t kind;
    };
    const Case cases[] = {
        {"retrieve_conf.mms", kMmsRetrieveConf},
        {"notification_ind.mms", kMmsNotificationInd},
        {"send_conf.mms", kMmsSendConf},
        {"mbox_view_conf.mms", kMmsMboxViewConf},
    };
    for (const Case& c : cases) {
        Bytes bytes;
        ASSERT_TRUE(mmstest::readSample(c.file, bytes));
        const std::string path = writeFile(c.file, asText(bytes));
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        setFileInput(transaction, path);
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], kResultSucceeded) << c.file;
        const CVXLPduRef decoded = transaction.getPdu();
        ASSERT_FALSE(decoded.isEmpty());
        EXPECT_EQ(describe(*decoded.get()), coreDecode(bytes, path)) << c.file;
        EXPECT_EQ(decoded->field(kMmsFieldMessageType), CVXLString(c.kind)) << c.file;
    }
}

TEST_F(WspDecodeTest, RetrievedMessageBecomesItsTypedPdu)
{
    Bytes bytes;
    ASSERT_TRUE(mmstest::readSample("retrieve_conf.mms", bytes));
    const std::string path = writeFile("temp_mms.raw", asText(bytes));
    RecordingListener listener;
    CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setFileInput(transaction, path);
    run(transaction, listener);
    ASSERT_EQ(listener.results[0], kResultSucceeded);

    CVXLPduRef typed(new CVXLReceivedPdu(kMmsRetrieveConf, transaction.getPdu()));
    EXPECT_EQ(typed->pduKind(), kMmsRetrieveConf);
    EXPECT_EQ(typed->transactionId(), "R0001");
    EXPECT_EQ(typed->subject(), "Retrieved subject");
    EXPECT_EQ(typed->fromAddress(), "+15550001111");
    const auto* body = static_cast<const CVXLMultipartBody*>(typed->body().get());
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->partCount(), 2u);
    EXPECT_EQ(body->partAt(1)->fileName(), CVXLString(path.c_str()));
    EXPECT_EQ(asText(Bytes(bytes.begin() + body->partAt(1)->dataStart(),
                  bytes.begin() + body->partAt(1)->dataStart() + body->partAt(1)->dataSize())),
        std::string(reinterpret_cast<const char*>(body->partAt(1)->bodyBuffer().data()),
            body->partAt(1)->bodyBuffer().length()));
}

// The view confirmation's parts are descriptors lying in the received file;
// each is decoded from its file range as an MMbox descriptor.
TEST_F(WspDecodeTest, MboxDescriptorDecodedFromItsRangeOfTheFile)
{
    Bytes bytes;
    ASSERT_TRUE(mmstest::readSample("mbox_view_conf.mms", bytes));
    const std::string path = writeFile("temp_mmboxmsg.raw", asText(bytes));
    RecordingListener viewListener;
    CVXLWspDecodeTransaction view {CVXLTransactionListenerRef(&viewListener)};
    setFileInput(view, path);
    run(view, viewListener);
    ASSERT_EQ(viewListener.results[0], kResultSucceeded);
    const auto* body = static_cast<const CVXLMultipartBody*>(view.getPdu()->body().get());
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(body->partCount(), 2u);

    for (std::uint32_t i = 0; i < body->partCount(); ++i) {
        const CVXLEntityRef part = body->partAt(i);
        ASSERT_GT(part->dataStart(), 0u);
        RecordingListener listener;
        CVXLWspDecodeTransaction descriptor {
            CVXLTransactionListenerRef(&listener), kWspDecodeMboxDescTransactionType};
        EXPECT_EQ(descriptor.typeName(), "WSPDECODEMMBOXDESCTRANSACTION");
        descriptor.message().setBody(part);
        run(descriptor, listener);
        EXPECT_EQ(listener.results[0], kResultSucceeded) << i;
        const CVXLPduRef decoded = descriptor.getPdu();
        EXPECT_EQ(decoded->field(kMmsFieldMessageType), "21") << i;
        const Bytes range(
            bytes.begin() + part->dataStart(), bytes.begin() + part->dataStart() + part->dataSize());
        EXPECT_EQ(describe(*decoded.get()), coreDecode(range, path, part->dataStart())) << i;
        CVXLPduRef typed(new CVXLReceivedPdu(kMmsMboxDescr, decoded));
        EXPECT_EQ(typed->pduKind(), kMmsMboxDescr) << i;
        EXPECT_NE(typed->field(kMmsFieldMessageId), "") << i;
    }
}

// Encoded bytes of a send request with images of the given size.
Bytes encodedMessage(CVXLMmsPdu* built)
{
    CVXLPduRef source(built);
    CVXLByteBuffer encoded;
    EXPECT_TRUE(CVXLWspPduEncoder::encode(*source.get(), encoded));
    return Bytes(encoded.data(), encoded.data() + encoded.length());
}

// A part decoded from a file window by window carries what the decoder core
// gives from memory, except that data passing its window stay in the file:
// each part is "mem" or "file" in the order of the parts.
std::string compareWithCore(
    const CVXLMmsPdu& windowed, const Bytes& bytes, const std::string& path, std::uint32_t offset = 0)
{
    CVXLMmsPdu core;
    CVXLWspPduDecoder decoder;
    if (!decoder.decode(bytes.data() + offset, static_cast<std::uint32_t>(bytes.size()) - offset, core,
            CVXLString(path.c_str()), offset))
        return "core decode failed";
    const auto* a = static_cast<const CVXLMultipartBody*>(windowed.body().get());
    const auto* b = static_cast<const CVXLMultipartBody*>(core.body().get());
    if (!a || !b || a->partCount() != b->partCount())
        return "part counts differ";
    std::string places;
    for (std::uint32_t i = 0; i < a->partCount(); ++i) {
        const CVXLMimeEntity& got = *a->partAt(i).get();
        const CVXLMimeEntity& want = *b->partAt(i).get();
        if (got.contentType() != want.contentType() || got.contentId() != want.contentId()
            || got.fileName() != want.fileName() || got.dataStart() != want.dataStart()
            || got.dataSize() != want.dataSize())
            return "part " + std::to_string(i) + " differs";
        if (got.bodyLength() == 0) {
            places += "file ";
            continue;
        }
        if (got.bodyLength() != want.bodyLength()
            || std::memcmp(got.bodyData(), want.bodyData(), want.bodyLength()) != 0)
            return "part " + std::to_string(i) + " data differ";
        // A copy of its own, not a range of a window.
        if (got.bodySource().length() != 0)
            return "part " + std::to_string(i) + " holds a window";
        places += "mem ";
    }
    std::string fields = describe(windowed), coreFields = describe(core);
    fields.resize(fields.find("body "));
    coreFields.resize(coreFields.find("body "));
    if (fields != coreFields)
        return "fields differ";
    return places;
}

TEST_F(WspDecodeTest, AFileRangeIsDecodedWindowByWindow)
{
    const std::uint32_t window = CVXLWspDecode::kReadWindowBytes;
    Bytes manyTo;
    {
        CVXLMmsPdu* pdu = mmstest::sendRequest(1, 2000);
        // Header fields three windows long: the first window grows.
        for (int i = 0; i < 6000; ++i)
            static_cast<CVXLSendRequestPdu*>(pdu)->addTo(("+1555" + std::to_string(1000000 + i)).c_str());
        manyTo = encodedMessage(pdu);
    }
    struct Case {
        const char* what;
        Bytes bytes;
        std::uint32_t offset; // where the PDU starts in the file
        const char* places;
    };
    const Case cases[] = {
        {"images larger than a window", encodedMessage(mmstest::sendRequest(2, 3 * window)), 0,
            "mem file file mem "},
        {"images that fit", encodedMessage(mmstest::sendRequest(4, 20000)), 0, "mem mem mem mem mem mem "},
        {"a range inside a file", encodedMessage(mmstest::sendRequest(2, 3 * window)), 777,
            "mem file file mem "},
        {"header fields longer than a window", manyTo, 0, "mem mem mem "},
    };
    for (const Case& c : cases) {
        ASSERT_GT(c.bytes.size(), window) << c.what;
        Bytes file(c.offset, 'x');
        file.insert(file.end(), c.bytes.begin(), c.bytes.end());
        // The bytes after the range are never read.
        const std::string path = writeFile("big.raw", asText(file) + "junk after the PDU");
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        setFileInput(transaction, path, c.offset, static_cast<std::uint32_t>(c.bytes.size()));
        run(transaction, listener);
        ASSERT_EQ(listener.results[0], kResultSucceeded) << c.what;
        EXPECT_EQ(compareWithCore(*transaction.getPdu().get(), file, path, c.offset), c.places) << c.what;
    }
}

// An image entry about one window long: it is read from a window of its
// own, which ends inside its data, right after them or inside the next
// entry's lengths or headers; only an entry longer than the window leaves
// its data in the file.
TEST_F(WspDecodeTest, WindowEdgesFallAnywhereNearAnEntry)
{
    const std::uint32_t window = CVXLWspDecode::kReadWindowBytes;
    const Bytes probe = encodedMessage(mmstest::sendRequest(1, 40000));
    CVXLMmsPdu core;
    CVXLWspPduDecoder decoder;
    ASSERT_TRUE(decoder.decode(probe.data(), static_cast<std::uint32_t>(probe.size()), core));
    const auto* parts = static_cast<const CVXLMultipartBody*>(core.body().get());
    const std::uint32_t entryStart = parts->partAt(0)->dataStart() + parts->partAt(0)->dataSize();
    const std::uint32_t entryHead = parts->partAt(1)->dataStart() - entryStart;
    for (std::uint32_t entry = window - 40; entry <= window + 8; ++entry) {
        const Bytes bytes = encodedMessage(mmstest::sendRequest(1, entry - entryHead));
        const std::string path = writeFile("edge.raw", asText(bytes));
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        setFileInput(transaction, path, 0, static_cast<std::uint32_t>(bytes.size()));
        run(transaction, listener);
        ASSERT_EQ(listener.results[0], kResultSucceeded) << entry;
        EXPECT_EQ(compareWithCore(*transaction.getPdu().get(), bytes, path),
            entry <= window ? "mem mem mem " : "mem file mem ")
            << entry;
    }
}

// Larger than any range read whole: only the window is ever in memory.
TEST_F(WspDecodeTest, AMessageLargerThanTheMemoryBoundDecodesFromItsFile)
{
    const std::uint32_t imageSize = CVXLWspDecode::kMaxInputBytes + 1000;
    const Bytes bytes = encodedMessage(mmstest::sendRequest(1, imageSize));
    const std::string path = writeFile("huge.raw", asText(bytes));
    RecordingListener listener;
    CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setFileInput(transaction, path, 0, static_cast<std::uint32_t>(bytes.size()));
    run(transaction, listener);
    ASSERT_EQ(listener.results[0], kResultSucceeded);
    EXPECT_EQ(compareWithCore(*transaction.getPdu().get(), bytes, path), "mem file mem ");
}

TEST_F(WspDecodeTest, AFileRangeThatEndsTooSoonFails)
{
    const std::uint32_t window = CVXLWspDecode::kReadWindowBytes;
    const Bytes bytes = encodedMessage(mmstest::sendRequest(2, 3 * window));
    struct Case {
        const char* what;
        std::uint32_t fileBytes; // of the PDU that are in the file
        std::uint32_t size; // the range's stated size
    };
    const auto whole = static_cast<std::uint32_t>(bytes.size());
    const Case cases[] = {
        {"range cut inside the last image", whole, whole - 100},
        {"file cut inside the last image", whole - 100, whole},
        {"file cut inside the header fields", 40, whole},
        {"file cut after the first window", window, whole},
    };
    for (const Case& c : cases) {
        const std::string path
            = writeFile("cut.raw", asText(Bytes(bytes.begin(), bytes.begin() + c.fileBytes)));
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        setFileInput(transaction, path, 0, c.size);
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], kResultTransactionFailed) << c.what;
    }
}

TEST_F(WspDecodeTest, InputHeldInMemory)
{
    Bytes bytes;
    ASSERT_TRUE(mmstest::readSample("notification_ind.mms", bytes));
    auto* input = new CVXLMimeEntity;
    CVXLEntityRef ref(input);
    CVXLByteBuffer buffer;
    buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    input->setBodyBuffer(buffer);
    CVXLMessage pushed;
    pushed.setBody(ref);

    RecordingListener listener;
    CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    transaction.setMessage(pushed);
    run(transaction, listener);
    EXPECT_EQ(listener.results[0], kResultSucceeded);
    EXPECT_EQ(describe(*transaction.getPdu().get()), coreDecode(bytes, ""));
}

TEST_F(WspDecodeTest, InputsThatFailCleanly)
{
    Bytes sample;
    ASSERT_TRUE(mmstest::readSample("retrieve_conf.mms", sample));
    struct Case {
        const char* what;
        const char* file; // null: no input at all
        std::string contents; // written unless `file` is missing
        bool write;
        std::int32_t result;
    };
    const Case cases[] = {
        {"missing file", "absent.raw", "", false, static_cast<std::int32_t>(kPlatformOpenFailed)},
        {"empty file", "empty.raw", "", true, kResultTransactionFailed},
        {"cut off inside the first part", "cut.raw", asText(Bytes(sample.begin(), sample.begin() + 200)),
            true, kResultTransactionFailed},
        {"not a PDU", "text.raw", "\x1F\x1F\x1F\x1F", true, kResultTransactionFailed},
        {"no input", nullptr, "", false, kResultNotFound},
    };
    for (const Case& c : cases) {
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        if (c.file) {
            const std::string path = "\\My Documents\\" + std::string(c.file);
            if (c.write)
                writeFile(c.file, c.contents);
            setFileInput(transaction, path);
        }
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], c.result) << c.what;
    }
    // The decoder takes the next transaction as usual.
    RecordingListener listener;
    CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setFileInput(transaction, writeFile("good.raw", asText(sample)));
    run(transaction, listener);
    EXPECT_EQ(listener.results[0], kResultSucceeded);
}

TEST_F(WspDecodeTest, CancelWhileReadingReportsCancelled)
{
    CVXLPduRef source(mmstest::sendRequest(1, 6 * CVXLWspDecode::kReadWindowBytes));
    CVXLByteBuffer encoded;
    ASSERT_TRUE(CVXLWspPduEncoder::encode(*source.get(), encoded));
    RecordingListener listener;
    CVXLWspDecodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setFileInput(transaction,
        writeFile("big.raw", std::string(reinterpret_cast<const char*>(encoded.data()), encoded.length())));
    startOnly(transaction);
    for (int i = 0; i < 3; ++i)
        driver.step();
    ASSERT_TRUE(listener.results.empty());
    EXPECT_EQ(store->openStreams(), 1u);
    transaction.cancel();
    driver.runUntilIdle();
    EXPECT_EQ(listener.results, std::vector<std::int32_t> {kResultCancelled});
    EXPECT_FALSE(decoder.isBusy());
}

} // namespace
