#include "engine/media/VXLOnlineMediaSinkAdapterJob.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLUploadOutcomeRecorder.h"
#include "engine/transfer/VXLByteBufferSource.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Plays the service protocol job: takes the upload, asks the sink for
// 51,200 bytes at a time until it is given an empty buffer, then answers the
// upload with the scripted result and status. It can instead answer before
// asking for anything, or stop asking after some asks.
class ScriptedProtocolJob : public CVXLEventHandler {
public:
    static constexpr std::int32_t kAskDone = 40;
    static constexpr std::int32_t kAskSize = 51200;

    const char* name() const override { return "scripted protocol job"; }
    void onEvent(CVXLEvent* event) override
    {
        switch (event->effectiveCode()) {
        case kEventOnlineUpload:
            upload = static_cast<CVXLOnlineUploadRequest*>(event);
            sizes.push_back(upload->size);
            repeatPermitted.push_back(upload->repeatPermitted);
            phases.push_back(adapter->phase());
            if (answerAtOnce)
                return answer();
            return ask();
        case kAskDone: {
            const std::int32_t result = event->result();
            const CVXLByteBuffer buffer = ask_.buffer;
            finishEvent(event);
            phases.push_back(adapter->phase());
            answers.push_back(result);
            chunks.push_back(buffer.length());
            if (buffer.length())
                received.append(reinterpret_cast<const char*>(buffer.data()), buffer.length());
            if (buffer.length() == 0 || static_cast<int>(answers.size()) == stopAfter)
                return answer();
            return ask();
        }
        default:
            finishEvent(event);
        }
    }

    CVXLOnlineMediaSinkAdapterJob* adapter = nullptr;
    bool answerAtOnce = false;
    int stopAfter = 0;
    std::int32_t finalResult = 0;
    std::int32_t finalStatus = 0;
    CVXLOnlineUploadRequest* upload = nullptr;
    std::vector<std::int32_t> sizes;
    std::vector<bool> repeatPermitted;
    std::vector<std::int32_t> phases;
    std::vector<std::int32_t> answers;
    std::vector<std::uint32_t> chunks;
    std::string received;

private:
    void ask()
    {
        ask_.size = kAskSize;
        ask_.buffer = CVXLByteBuffer();
        post(adapter, &ask_);
    }
    void answer()
    {
        CVXLOnlineUploadRequest* request = upload;
        upload = nullptr;
        request->statusValue = finalStatus;
        request->setResult(finalResult, CVXLString("told"));
        finishEvent(request);
    }

    CVXLUploadDataRequest ask_ {kAskDone};
};

class OutcomeLog : public CVXLUploadOutcomeRecorder {
public:
    void recordUploadOutcome(bool refused, std::int32_t lastStatus, bool repeat) override
    {
        outcomes.push_back({refused, lastStatus, repeat});
    }
    struct Outcome {
        bool refused;
        std::int32_t status;
        bool repeat;
        bool operator==(const Outcome&) const = default;
    };
    std::vector<Outcome> outcomes;
};

struct UploadFixture {
    JobTreeDriver driver;
    TraceJob owner {"owner"};
    CVXLByteBufferSource source;
    CVXLOnlineMediaSinkAdapterJob adapter;
    ScriptedProtocolJob protocol;
    OutcomeLog log;
    CVXLMediaItem item;
    CVXLEvent run {kEventXferRun, kEventXferRunDone};

    explicit UploadFixture(const std::string& bytes)
    {
        for (CVXLEventHandler* job :
            {static_cast<CVXLEventHandler*>(&owner), static_cast<CVXLEventHandler*>(&source),
                static_cast<CVXLEventHandler*>(&adapter), static_cast<CVXLEventHandler*>(&protocol)})
            driver.attach(job);
        CVXLByteBuffer buffer;
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        source.setBuffer(buffer);
        source.setDestination(&adapter);
        adapter.setProtocolJob(&protocol);
        adapter.setRecorder(&log);
        adapter.setUpload(&item, CVXLOnlineUploadRequest::kKindShare, CVXLString("album-7"));
        protocol.adapter = &adapter;
    }

    std::int32_t runUpload()
    {
        owner.post(&source, &run);
        driver.runUntilIdle(100000);
        return owner.results.empty() ? -1 : owner.results.back();
    }
};

std::string patterned(std::size_t n)
{
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 31) >> 3);
    return bytes;
}

} // namespace

TEST(VXLOnlineMediaSinkAdapterJob, AnUploadHandsOverExactlyTheSourceBytes)
{
    const std::string bytes = patterned(130000);
    UploadFixture f(bytes);
    EXPECT_EQ(f.runUpload(), 0);
    EXPECT_TRUE(f.protocol.received == bytes);
    EXPECT_EQ(f.protocol.sizes, std::vector<std::int32_t> {130000});
    EXPECT_EQ(f.protocol.repeatPermitted, std::vector<bool> {false});
    EXPECT_EQ(f.protocol.chunks, (std::vector<std::uint32_t> {51200, 51200, 27600, 0}));
    EXPECT_EQ(f.protocol.answers, (std::vector<std::int32_t> {0, 0, 0, 3}));
    // Begun when the request arrives, data waiting after each chunk, ended
    // with the empty answer; idle once the upload is answered.
    EXPECT_EQ(f.protocol.phases, (std::vector<std::int32_t> {1, 2, 2, 2, 4}));
    EXPECT_EQ(f.adapter.phase(), CVXLOnlineMediaSinkAdapterJob::kIdle);
    EXPECT_EQ(f.adapter.uploadRequest().item, &f.item);
    EXPECT_EQ(f.adapter.uploadRequest().transferKind, CVXLOnlineUploadRequest::kKindShare);
    EXPECT_EQ(f.adapter.uploadRequest().parentId, "album-7");
    EXPECT_FALSE(f.adapter.completedWithoutData());
}

TEST(VXLOnlineMediaSinkAdapterJob, TheJobsAnswerEndsTheTransferAndIsRecorded)
{
    struct Case {
        const char* what;
        bool answerAtOnce;
        int stopAfter;
        std::int32_t result, status;
        std::int32_t transferResult;
        bool withoutData;
        OutcomeLog::Outcome outcome;
    };
    const Case cases[] = {
        {"complete", false, 0, 0, 200, 0, false, {false, 200, false}},
        {"answered before any data: completed without data", true, 0, 0, 0, 1000, true, {false, 0, false}},
        {"refused by the service", true, 0, 52, 273, 52, false, {true, 273, false}},
        {"52 with another status is no refusal", false, 1, 52, 500, 52, false, {false, 500, false}},
        {"not repeated after a list choice", true, 0, 58, 0, 58, false, {false, 0, true}},
        {"failed after the data", false, 0, 1000, 0, 1000, false, {false, 0, false}},
    };
    for (const Case& c : cases) {
        UploadFixture f(patterned(120000));
        f.protocol.answerAtOnce = c.answerAtOnce;
        f.protocol.stopAfter = c.stopAfter;
        f.protocol.finalResult = c.result;
        f.protocol.finalStatus = c.status;
        EXPECT_EQ(f.runUpload(), c.transferResult) << c.what;
        EXPECT_EQ(f.adapter.completedWithoutData(), c.withoutData) << c.what;
        ASSERT_EQ(f.log.outcomes.size(), 1u) << c.what;
        EXPECT_TRUE(f.log.outcomes[0] == c.outcome) << c.what;
        EXPECT_EQ(f.adapter.phase(), CVXLOnlineMediaSinkAdapterJob::kIdle) << c.what;
    }
}

TEST(VXLOnlineMediaSinkAdapterJob, AnAbortedSourceAnswersTheJobWith1000)
{
    UploadFixture f(patterned(300000));
    f.protocol.finalResult = 24;
    // The source is stopped after the first chunk went out.
    f.owner.post(&f.source, &f.run);
    for (int i = 0; i < 1000 && f.protocol.received.empty(); ++i)
        f.driver.step();
    ASSERT_FALSE(f.protocol.received.empty());
    f.source.stop();
    f.driver.runUntilIdle(100000);
    ASSERT_FALSE(f.protocol.answers.empty());
    EXPECT_EQ(f.protocol.answers.back(), 1000);
    EXPECT_EQ(f.protocol.chunks.back(), 0u);
    EXPECT_EQ(f.adapter.phase(), CVXLOnlineMediaSinkAdapterJob::kIdle);
}
