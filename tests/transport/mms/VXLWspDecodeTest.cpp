#include "engine/transport/mms/VXLWspDecode.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "engine/transport/mms/VXLWspDecodeTransaction.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "tests/transport/CodecJobFixture.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

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
        { "retrieve_conf.mms", kMmsRetrieveConf },
        { "notification_ind.mms", kMmsNotificationInd },
        { "send_conf.mms", kMmsSendConf },
        { "mbox_view_conf.mms", kMmsMboxViewConf },
    };
    for (const Case& c : cases) {
        Bytes bytes;
        ASSERT_TRUE(mmstest::readSample(c.file, bytes));
        const std::string path = writeFile(c.file, asText(bytes));
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
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
    CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
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
    CVXLWspDecodeTransaction view { CVXLTransactionListenerRef(&viewListener) };
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
        CVXLWspDecodeTransaction descriptor { CVXLTransactionListenerRef(&listener),
            kWspDecodeMboxDescTransactionType };
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

TEST_F(WspDecodeTest, LargeInputIsReadInWindows)
{
    CVXLPduRef source(mmstest::sendRequest(2, 3 * CVXLWspDecode::kReadWindowBytes));
    CVXLByteBuffer encoded;
    ASSERT_TRUE(CVXLWspPduEncoder::encode(*source.get(), encoded));
    const Bytes bytes(encoded.data(), encoded.data() + encoded.length());
    ASSERT_GT(bytes.size(), 6 * CVXLWspDecode::kReadWindowBytes);
    // With a data size the bytes after the range are not read.
    const std::string path = writeFile("big.raw", asText(bytes) + "junk after the PDU");
    for (std::uint32_t size : { static_cast<std::uint32_t>(bytes.size()), 0u }) {
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
        setFileInput(transaction, size ? path : writeFile("exact.raw", asText(bytes)), 0, size);
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], kResultSucceeded) << size;
        const std::string expected = coreDecode(bytes, size ? path : "\\My Documents\\exact.raw");
        EXPECT_EQ(describe(*transaction.getPdu().get()), expected) << size;
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
    CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
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
        { "missing file", "absent.raw", "", false, static_cast<std::int32_t>(kPlatformOpenFailed) },
        { "empty file", "empty.raw", "", true, kResultTransactionFailed },
        { "cut off inside the first part", "cut.raw", asText(Bytes(sample.begin(), sample.begin() + 200)),
            true, kResultTransactionFailed },
        { "not a PDU", "text.raw", "\x1F\x1F\x1F\x1F", true, kResultTransactionFailed },
        { "no input", nullptr, "", false, kResultNotFound },
    };
    for (const Case& c : cases) {
        RecordingListener listener;
        CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
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
    CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
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
    CVXLWspDecodeTransaction transaction { CVXLTransactionListenerRef(&listener) };
    setFileInput(transaction,
        writeFile("big.raw", std::string(reinterpret_cast<const char*>(encoded.data()), encoded.length())));
    startOnly(transaction);
    for (int i = 0; i < 3; ++i)
        driver.step();
    ASSERT_TRUE(listener.results.empty());
    EXPECT_EQ(store->openStreams(), 1u);
    transaction.cancel();
    driver.runUntilIdle();
    EXPECT_EQ(listener.results, std::vector<std::int32_t> { kResultCancelled });
    EXPECT_FALSE(decoder.isBusy());
}

} // namespace
