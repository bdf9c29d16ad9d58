#include "engine/transport/mms/VXLMMSSmsProcessor.h"

#include "engine/transport/mms/VXLMmsSmsTransaction.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "tests/transport/CodecJobFixture.h"
#include "tests/transport/MmsSamplePdus.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using codecjobs::RecordingListener;
using mmstest::Bytes;

// A delivery report and a read report as a relay pushes them.
const Bytes kDeliveryInd = {0x8C, 0x86, 0x8D, 0x92, 0x8B, 'm', '1', 0x00, 0x97, '+', '1', 0x00, 0x85, 0x04,
    0x65, 0x53, 0xF1, 0x00, 0x95, 0x81};
const Bytes kReadOrigInd = {0x8C, 0x88, 0x8D, 0x92, 0x8B, 'm', '1', 0x00, 0x97, '+', '1', 0x00, 0x89, 0x04,
    0x80, '+', '2', 0x00, 0x85, 0x04, 0x65, 0x53, 0xF1, 0x00, 0x9B, 0x80};

class MMSSmsProcessorTest : public codecjobs::CodecJobTest {
protected:
    void SetUp() override
    {
        CodecJobTest::SetUp();
        tasks.registerProcessor(&pushed);
    }

    void TearDown() override
    {
        EXPECT_FALSE(pushed.isBusy());
        CodecJobTest::TearDown();
    }

    // The pushed bytes as the body of the transaction's input message.
    static void setPushed(CVXLMmsSmsTransaction& transaction, const Bytes& bytes)
    {
        auto* body = new CVXLMimeEntity;
        CVXLEntityRef ref(body);
        CVXLByteBuffer buffer;
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        body->setBodyBuffer(buffer);
        transaction.message().setBody(ref);
    }

    CVXLMMSSmsProcessor pushed;
};

TEST_F(MMSSmsProcessorTest, PushedPdusBecomeTheirTypedPdu)
{
    const auto sample = [](const char* file) { return mmstest::sampleBytes(file); };
    struct Case {
        const char* what;
        Bytes bytes;
        std::int32_t result;
        std::int32_t kind; // kMmsUntyped: the result PDU stays empty
        bool complete; // hasRequiredHeaders of the typed PDU
    };
    const Case cases[] = {
        {"notification", sample("notification_ind.mms"), kResultSucceeded, kMmsNotificationInd, true},
        // Typed although it lacks most mandatory fields; the messaging code
        // decides what to do with it.
        {"short notification", sample("example_notification_ind.mms"), kResultSucceeded, kMmsNotificationInd,
            false},
        {"delivery report", kDeliveryInd, kResultSucceeded, kMmsDeliveryInd, true},
        {"read report", kReadOrigInd, kResultSucceeded, kMmsReadOrigInd, true},
        {"send confirmation", sample("send_conf.mms"), kResultTransactionFailed, kMmsUntyped, false},
        {"retrieve confirmation", sample("retrieve_conf.mms"), kResultTransactionFailed, kMmsUntyped, false},
        {"view confirmation", sample("mbox_view_conf.mms"), kResultTransactionFailed, kMmsUntyped, false},
        {"not a PDU", {0x1F, 0x1F, 0x1F}, kResultTransactionFailed, kMmsUntyped, false},
        {"no bytes", {}, kResultTransactionFailed, kMmsUntyped, false},
    };
    for (const Case& c : cases) {
        RecordingListener listener;
        CVXLMmsSmsTransaction transaction {CVXLTransactionListenerRef(&listener)};
        EXPECT_EQ(transaction.typeName(), "MMSSMSTRANSACTION");
        if (!c.bytes.empty())
            setPushed(transaction, c.bytes);
        run(transaction, listener);
        EXPECT_EQ(listener.results[0], c.result) << c.what;
        const CVXLPduRef result = transaction.getPdu();
        if (c.kind == kMmsUntyped) {
            EXPECT_TRUE(result.isEmpty()) << c.what;
            continue;
        }
        ASSERT_FALSE(result.isEmpty()) << c.what;
        EXPECT_EQ(result->pduKind(), c.kind) << c.what;
        EXPECT_EQ(result->hasRequiredHeaders(), c.complete) << c.what;
    }
}

TEST_F(MMSSmsProcessorTest, NotificationFieldsReachTheTypedPdu)
{
    RecordingListener listener;
    CVXLMmsSmsTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setPushed(transaction, mmstest::sampleBytes("notification_ind.mms"));
    run(transaction, listener);
    ASSERT_EQ(listener.results[0], kResultSucceeded);
    const CVXLPduRef notification = transaction.getPdu();
    ASSERT_FALSE(notification.isEmpty());
    EXPECT_NE(notification->contentLocation(), "");
    EXPECT_NE(notification->transactionId(), "");
    EXPECT_NE(notification->expiry(), "");
    EXPECT_EQ(notification->field(kMmsFieldMessageType), "3");
}

TEST_F(MMSSmsProcessorTest, RefusedDecodeFails)
{
    CVXLTaskProcessor nobody; // no processor registered: every submission is refused
    pushed.setTaskProcessor(&nobody);
    RecordingListener listener;
    CVXLMmsSmsTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setPushed(transaction, kDeliveryInd);
    run(transaction, listener);
    EXPECT_EQ(listener.results[0], kResultTransactionFailed);
    EXPECT_TRUE(transaction.getPdu().isEmpty());
}

TEST_F(MMSSmsProcessorTest, CancelReportsCancelledOnce)
{
    CVXLPduRef big(mmstest::sendRequest(1, 6 * CVXLWspDecode::kReadWindowBytes));
    CVXLByteBuffer encoded;
    ASSERT_TRUE(CVXLWspPduEncoder::encode(*big.get(), encoded));
    const std::string path
        = writeFile("push.raw", std::string(reinterpret_cast<const char*>(encoded.data()), encoded.length()));

    struct Case {
        const char* what;
        int decodeTicks; // dispatch ticks the decode gets before the cancel
    };
    // 0: the decode is still queued and hears 24 at once; 1: the decoder is
    // reading the file.
    for (const Case& c : {Case {"decode queued", 0}, Case {"decode reading", 1}}) {
        RecordingListener listener;
        CVXLMmsSmsTransaction transaction {CVXLTransactionListenerRef(&listener)};
        auto* input = new CVXLMimeEntity;
        CVXLEntityRef ref(input);
        input->setFileName(CVXLString(path.c_str()));
        transaction.message().setBody(ref);
        startOnly(transaction); // its start step submits the decode
        EXPECT_EQ(tasks.queuedCount(), 1u) << c.what;
        if (c.decodeTicks) {
            driver.advance(driver.nextTimeout());
            driver.step();
            driver.step();
            EXPECT_TRUE(decoder.isBusy()) << c.what;
        }
        transaction.cancel();
        for (int tick = 0; tick < 4; ++tick)
            driver.runToNextTimer();
        EXPECT_EQ(listener.results, std::vector<std::int32_t> {kResultCancelled}) << c.what;
        EXPECT_TRUE(transaction.getPdu().isEmpty()) << c.what;
        EXPECT_EQ(tasks.queuedCount(), 0u) << c.what;
        EXPECT_FALSE(decoder.isBusy()) << c.what;
    }
    // The next pushed PDU is decoded as usual.
    RecordingListener listener;
    CVXLMmsSmsTransaction transaction {CVXLTransactionListenerRef(&listener)};
    setPushed(transaction, kDeliveryInd);
    run(transaction, listener);
    EXPECT_EQ(listener.results[0], kResultSucceeded);
}

} // namespace
