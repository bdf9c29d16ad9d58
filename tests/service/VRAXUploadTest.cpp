#include "engine/media/VXLMediaItem.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/SquidProxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

bool has(const std::string& line, const std::string& part)
{
    return line.find(part) != std::string::npos;
}

// The upload's requester, which is also the source of its bytes: each read
// is answered with the next bytes, at most `give` of them when set, and with
// 3 once `endAt` bytes were given.
struct UploadSource {
    explicit UploadSource(VraxJobRig& rig)
        : rig(rig)
    {
        job.handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event == &upload)
                answer = event->result();
            if (event->effectiveCode() != kEventOnlineUploadData)
                return self.finishEvent(event);
            auto* ask = static_cast<CVXLUploadDataRequest*>(event);
            asks.push_back(ask->size);
            ask->buffer.clear();
            if (failWith != 0) {
                ask->setResult(failWith);
                return self.finishEvent(ask);
            }
            std::size_t n = std::min<std::size_t>(ask->size + extra, endAt - given);
            if (give != 0)
                n = std::min<std::size_t>(n, give);
            ask->buffer.append(data.data() + given, n);
            given += n;
            ask->setResult(n == 0 ? kResultDataComplete : kResultSucceeded);
            self.finishEvent(ask);
        };
        rig.driver.attach(&job);
        rig.driver.runUntilIdle();
    }

    std::int32_t run(CVXLMediaItem& item, std::int32_t size)
    {
        upload.item = &item;
        upload.size = size;
        upload.transferKind = CVXLOnlineUploadRequest::kKindUpload;
        answer = VraxJobRig::kNoAnswer;
        job.post(&rig.job, &upload);
        rig.pump([&] { return answer != VraxJobRig::kNoAnswer; });
        return answer;
    }

    std::string sha256() const { return rig.sha256(data); }

    VraxJobRig& rig;
    TraceJob job {"upload source"};
    CVXLOnlineUploadRequest upload {43};
    std::string data;
    std::size_t endAt = 0;
    std::size_t given = 0;
    std::size_t give = 0;
    std::size_t extra = 0;
    std::int32_t failWith = 0;
    std::int32_t answer = VraxJobRig::kNoAnswer;
    std::vector<std::int32_t> asks;
};

TEST(VRAXUpload, TheItemsBytesAreTheSecondPartPulledInReadsOfAtMost51200)
{
    struct Case {
        const char* name;
        const char* mimeType;
        const char* limitKey;
        const char* limit;
        std::size_t size;
        std::size_t give;
    } cases[] = {
        {"image in three reads", "image/jpeg", "vrax.max_image_upload_size", "200000", 120000, 0},
        {"video at its limit", "video/3gpp", "vrax.max_video_upload_size", "51201", 51201, 0},
        {"audio from a source giving little pieces", "audio/amr", "vrax.max_audio_upload_size", "9000", 9000,
            1000},
        {"one byte", "image/png", "vrax.max_image_upload_size", "1", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VraxJobRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve("upload-ack"));
        rig.environment.store.set(c.limitKey, c.limit);
        UploadSource source(rig);
        source.data = VraxJobRig::uploadBytes(c.size);
        source.endAt = c.size;
        source.give = c.give;
        CVXLMediaItem item;
        rig.environment.mimeTypes[&item] = c.mimeType;
        EXPECT_EQ(kResultSucceeded, source.run(item, static_cast<std::int32_t>(c.size)));
        EXPECT_STREQ("U77", item.uid().c_str());
        EXPECT_EQ(c.size, source.given);
        for (std::int32_t ask : source.asks)
            EXPECT_LE(ask, static_cast<std::int32_t>(CVRAXJob::kUploadReadMax));
        const auto lines = rig.log();
        ASSERT_EQ(1u, lines.size());
        EXPECT_TRUE(has(lines[0], "request=media-xfer")) << lines[0];
        EXPECT_TRUE(has(lines[0], " attachment=" + std::to_string(c.size) + " sha256=" + source.sha256()))
            << lines[0];
    }
}

TEST(VRAXUpload, SizeLimitsByMediaTypeRefuseBeforeAnyConnection)
{
    struct Case {
        const char* mimeType;
        const char* limit;
        std::int32_t size;
        std::int32_t result;
    } cases[] = {
        {"image/jpeg", "1000", 1001, kResultUploadTooLarge},
        {"image/jpeg", nullptr, 1, kResultUploadTooLarge},
        {"text/plain", "5000", 1, kResultUploadTooLarge},
        {"imagex", "5000", 10, kResultSucceeded},
        {"text/plain", nullptr, 0, kResultSucceeded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mimeType) + " " + std::to_string(c.size));
        VraxJobRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve("upload-ack"));
        if (c.limit)
            rig.environment.store.set("vrax.max_image_upload_size", c.limit);
        UploadSource source(rig);
        source.data = VraxJobRig::uploadBytes(static_cast<std::size_t>(c.size));
        source.endAt = source.data.size();
        CVXLMediaItem item;
        rig.environment.mimeTypes[&item] = c.mimeType;
        EXPECT_EQ(c.result, source.run(item, c.size));
        const auto lines = rig.log();
        if (c.result == kResultUploadTooLarge) {
            EXPECT_TRUE(lines.empty());
            EXPECT_TRUE(source.asks.empty());
            continue;
        }
        ASSERT_EQ(1u, lines.size());
        EXPECT_TRUE(has(lines[0], " attachment=" + std::to_string(c.size) + " ")) << lines[0];
        if (c.size == 0) {
            EXPECT_TRUE(source.asks.empty());
        }
    }
}

TEST(VRAXUpload, AnItemWithAnOnlineIdIsLookedUpFirstAndAnUnknownOneSendsNoBytes)
{
    struct Case {
        const char* script;
        std::size_t sent;
    } cases[] = {
        {"lookup-found,upload-ack", 7000},
        {"lookup-none,upload-ack", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        VraxJobRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve(c.script));
        rig.environment.store.set("vrax.max_image_upload_size", "10000");
        UploadSource source(rig);
        source.data = VraxJobRig::uploadBytes(7000);
        source.endAt = 7000;
        CVXLMediaItem item;
        item.setUid("U1");
        rig.environment.mimeTypes[&item] = "image/jpeg";
        EXPECT_EQ(kResultSucceeded, source.run(item, 7000));
        EXPECT_EQ(c.sent, source.given);
        EXPECT_EQ(c.sent, static_cast<std::size_t>(source.upload.size));
        const auto lines = rig.log();
        ASSERT_EQ(2u, lines.size());
        EXPECT_TRUE(has(lines[0], "request=media-list")) << lines[0];
        EXPECT_TRUE(has(lines[1], "request=media-xfer")) << lines[1];
        EXPECT_TRUE(has(lines[1], " attachment=" + std::to_string(c.sent) + " ")) << lines[1];
    }
}

// A source that ends early, fails or gives more than it was asked for fails
// the upload, and the connection is closed rather than left owing bytes.
TEST(VRAXUpload, ASourceThatBreaksItsCountFailsTheUploadAndClosesTheExchange)
{
    struct Case {
        const char* name;
        std::size_t endAt;
        std::size_t extra;
        std::int32_t failWith;
        std::int32_t result;
    } cases[] = {
        {"ends early", 60000, 0, 0, kResultFailed},
        {"aborted", 120000, 0, kResultFailed, kResultFailed},
        {"gives too much", 120001, 1, 0, kResultFailed},
        {"fails with its own code", 120000, 0, kResultCancelled, kResultCancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VraxJobRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve("upload-ack"));
        rig.environment.store.set("vrax.max_image_upload_size", "200000");
        UploadSource source(rig);
        source.data = VraxJobRig::uploadBytes(120001);
        source.endAt = c.endAt;
        source.extra = c.extra;
        source.failWith = c.failWith;
        CVXLMediaItem item;
        rig.environment.mimeTypes[&item] = "image/jpeg";
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(c.result, source.run(item, 120000));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        EXPECT_TRUE(rig.job.isIn(&CVRAXJob::Idle));
        // The server read a body cut short by the closed connection.
        ASSERT_TRUE(rig.pump([&] { return !rig.log().empty(); }, 5000));
        EXPECT_TRUE(has(rig.log()[0], "bad body")) << rig.log()[0];
    }
}

TEST(VRAXUpload, ThroughTheProxyTheServerGetsTheSourcesBytes)
{
    TESSEL_REQUIRE_TOOL(testToolSquid());
    SquidProxy squid;
    ASSERT_TRUE(squid.start()) << squid.error();
    VraxJobRig rig;
    rig.registered();
    ASSERT_TRUE(rig.serve("upload-ack"));
    rig.environment.items[kCfgProxyUri] = squid.proxyUri();
    rig.environment.store.set("vrax.max_video_upload_size", "300000");
    UploadSource source(rig);
    source.data = VraxJobRig::uploadBytes(250000);
    source.endAt = source.data.size();
    CVXLMediaItem item;
    rig.environment.mimeTypes[&item] = "video/mp4";
    EXPECT_EQ(kResultSucceeded, source.run(item, 250000));
    EXPECT_EQ(*std::max_element(source.asks.begin(), source.asks.end()),
        static_cast<std::int32_t>(CVRAXJob::kUploadReadMax));
    const auto lines = rig.log();
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(has(lines[0], " attachment=250000 sha256=" + source.sha256())) << lines[0];
}

} // namespace
