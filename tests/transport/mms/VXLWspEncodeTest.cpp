#include "engine/transport/mms/VXLWspEncode.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLWspEncodeTransaction.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "tests/transport/CodecJobFixture.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using codecjobs::CodecJobTest;
using codecjobs::RecordingListener;
using mmstest::Bytes;

Bytes bytesOf(const CVXLByteBuffer& buffer)
{
    return Bytes(buffer.data(), buffer.data() + buffer.length());
}

class WspEncodeTest : public CodecJobTest {
protected:
    // The sample send request with every part's data moved to a file of its
    // own, behind a few bytes of something else so that the data start is
    // not 0.
    CVXLPduRef sendRequestOnFiles(std::size_t imageSize)
    {
        CVXLPduRef pdu(mmstest::sendRequest(2, imageSize));
        auto* body = static_cast<CVXLMultipartBody*>(pdu->body().get());
        for (std::uint32_t i = 0; i < body->partCount(); ++i) {
            CVXLMimeEntity* part = body->partAt(i).get();
            const CVXLByteBuffer& data = part->bodyBuffer();
            const std::string prefix(i * 7, 'x');
            const std::string name = "part" + std::to_string(i) + ".bin";
            const std::string path = writeFile(name,
                prefix + std::string(reinterpret_cast<const char*>(data.data()), data.length()) + "trailer");
            part->setFileName(CVXLString(path.c_str()));
            part->setDataStart(static_cast<std::uint32_t>(prefix.size()));
            part->setDataSize(data.length());
            part->setBodyBuffer(CVXLByteBuffer());
        }
        return pdu;
    }
};

TEST_F(WspEncodeTest, SendRequestWithFilePartsEncodesAsTheCoreDoesInMemory)
{
    // Images larger than one read chunk take several steps each.
    const std::size_t imageSize = 2 * CVXLWspEncode::kReadChunkBytes + 1000;
    CVXLPduRef inMemory(mmstest::sendRequest(2, imageSize));
    CVXLByteBuffer expected;
    ASSERT_TRUE(CVXLWspPduEncoder::encode(*inMemory.get(), expected));

    RecordingListener listener;
    CVXLWspEncodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    transaction.setPdu(sendRequestOnFiles(imageSize));
    run(transaction, listener);
    EXPECT_EQ(listener.results[0], kResultSucceeded);
    ASSERT_FALSE(transaction.output().isEmpty());
    EXPECT_EQ(bytesOf(transaction.output()->bodyBuffer()), bytesOf(expected));
    EXPECT_EQ(transaction.output()->contentType(), "application/vnd.wap.mms-message");
}

TEST_F(WspEncodeTest, PduWithoutBodyAndPartsHeldInMemory)
{
    for (bool withBody : {false, true}) {
        CVXLPduRef pdu(mmstest::sendRequest(1, 500));
        if (!withBody)
            pdu->setBody(CVXLEntityRef());
        CVXLByteBuffer expected;
        ASSERT_TRUE(CVXLWspPduEncoder::encode(*pdu.get(), expected));
        RecordingListener listener;
        CVXLWspEncodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        transaction.setPdu(pdu);
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], kResultSucceeded) << withBody;
        ASSERT_FALSE(transaction.output().isEmpty());
        EXPECT_EQ(bytesOf(transaction.output()->bodyBuffer()), bytesOf(expected)) << withBody;
    }
}

TEST_F(WspEncodeTest, FailuresReachTheListener)
{
    struct Case {
        const char* what;
        std::function<void(CVXLMmsPdu&)> spoil;
        std::int32_t result;
    };
    const auto firstPart
        = [](CVXLMmsPdu& pdu) { return static_cast<CVXLMultipartBody*>(pdu.body().get())->partAt(0).get(); };
    const Case cases[] = {
        {"part file missing",
            [&](CVXLMmsPdu& pdu) { firstPart(pdu)->setFileName("\\My Documents\\gone.bin"); },
            static_cast<std::int32_t>(kPlatformOpenFailed)},
        // The part header already announced the size: a short file must not
        // give a PDU whose lengths lie.
        {"part file shorter than its size",
            [&](CVXLMmsPdu& pdu) { firstPart(pdu)->setDataSize(firstPart(pdu)->dataSize() + 100); },
            kResultTransactionFailed},
        {"part without a file", [&](CVXLMmsPdu& pdu) { firstPart(pdu)->setFileName(""); },
            kResultTransactionFailed},
        {"part without a content type",
            [&](CVXLMmsPdu& pdu) {
                CVXLEntityRef bare(new CVXLMimeEntity);
                static_cast<CVXLMultipartBody*>(pdu.body().get())->appendPart(bare);
            },
            kResultTransactionFailed},
        {"body without parts", [&](CVXLMmsPdu& pdu) { pdu.setBody(CVXLEntityRef(new CVXLMultipartBody)); },
            kResultTransactionFailed},
        {"header value without an encoding", [&](CVXLMmsPdu& pdu) { pdu.setHeader(kMmsFieldDate, "soon"); },
            kResultTransactionFailed},
        // Refused by the encoder: the task processor reports the failure.
        {"content type text/plain",
            [&](CVXLMmsPdu& pdu) {
                CVXLHeaderMap mime;
                mime.add("Content-Type", "text/plain");
                pdu.CVXLMimeEntity::setHeaders(mime);
            },
            kResultTransactionFailed},
    };
    for (const Case& c : cases) {
        CVXLPduRef pdu = sendRequestOnFiles(300);
        c.spoil(*pdu.get());
        RecordingListener listener;
        CVXLWspEncodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
        transaction.setPdu(pdu);
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], c.result) << c.what;
        EXPECT_TRUE(transaction.output().isEmpty()) << c.what;
    }
}

TEST_F(WspEncodeTest, CancelDuringTheCopyReportsCancelled)
{
    RecordingListener listener;
    CVXLWspEncodeTransaction transaction {CVXLTransactionListenerRef(&listener)};
    transaction.setPdu(sendRequestOnFiles(6 * CVXLWspEncode::kReadChunkBytes));
    startOnly(transaction);
    // A few chunks into the first image.
    for (int i = 0; i < 4; ++i)
        driver.step();
    ASSERT_TRUE(listener.results.empty());
    EXPECT_EQ(store->openStreams(), 1u);
    transaction.cancel();
    driver.runUntilIdle();
    EXPECT_EQ(listener.results, std::vector<std::int32_t> {kResultCancelled});
    EXPECT_TRUE(transaction.output().isEmpty());
    EXPECT_FALSE(encoder.isBusy());
}

} // namespace
