// The media modify job (UI job 27) over the real Media Access Manager and
// inbound message manager of a started engine, on a stored message with a
// picture, a DRM picture, a video, a text and a save-locked picture: the
// layout state by "mpp_op", the media request's rendition by the filter and
// its kind by the state, the media it then shows, and the summary it keeps.
#include "engine/access/MediaAccessManager.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLInformationJob.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLMediaModifyJob.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kMessageId = "i1700000001_0";

class MediaModifyJobTest : public ScreenJobFixture {
public:
    void SetUp() override
    {
        ScreenJobFixture::SetUp();
        const std::vector<std::string> segments = {
            segment({{"X-QV-From-Address", "5550001"}}, "summary"),
            segment({{"Content-Type", "application/vnd.wap.multipart.related"}}),
            segment({{"X-QV-Total-Media-Parts", "5"}}),
            segment({{"Subject", "parts"}}),
            segment({{"Content-Type", "image/jpeg"}, {"Content-Location", "p0"}}, "jpeg bytes"),
            segment({{"Content-Type", "image/gif"}, {"Content-Location", "p1"},
                        {"X-QV-DRM-Content-Type", "image/gif"}},
                "gif bytes"),
            segment({{"Content-Type", "video/3gpp"}, {"Content-Location", "p2"}}, "3gp bytes"),
            segment({{"Content-Type", "text/plain"}, {"Content-Location", "t3"}}, "hello"),
            segment({{"Content-Type", "image/png"}, {"Content-Location", "p4"}, {"X-QV-Save-Lock", "true"}},
                "png bytes"),
        };
        const std::string folder = hostFolderOf(*client->getMessageStore());
        ASSERT_EQ(
            writeStoredMessage(engine.root().hostPath("seed.json"), folder + "/" + kMessageId, segments), "");
        summary.setMessageId(kMessageId);
        summary.setTotalMediaParts(5);
        summary.setSubject("parts");
    }

    // The names of the media the job loaded, in index order.
    static std::string shown(CVXLMediaModifyJob& job)
    {
        std::string out;
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(job.total()); ++i) {
            CVXLElement* element = job.layout().elementAt(i);
            CVXLMediaItem* item = element ? element->asMediaItem() : nullptr;
            out += std::string(out.empty() ? "" : " ") + (item ? item->name().c_str() : "-");
        }
        return out;
    }

    CVXLMessageSummary summary;
};

// "mpp_op" absent, 0, 1, 2 (and any other) give the layout states 8, 10, 9,
// 8; the filter's bits give the renditions 2 (both), 0 (images), 1 (videos)
// and 0 (none); the request kind is 1 in state 10 and 3 otherwise, and the
// manager leaves out the parts that kind locks.
TEST_F(MediaModifyJobTest, TheOperationAndTheFilterShapeTheMediaRequest)
{
    struct Case {
        const char* operation;
        const char* filter;
        std::uint32_t state;
        std::int32_t rendition;
        std::int32_t kind;
        const char* media;
    };
    const Case cases[] = {
        {nullptr, "3", 8, 2, 3, "p0 p2"},
        {"0", "1", 10, 0, 1, "p0 p1"},
        {"1", "2", 9, 1, 3, "p2"},
        {"2", "3", 8, 2, 3, "p0 p2"},
        {"0", "3", 10, 2, 1, "p0 p1 p2"},
        {"5", "0", 8, 0, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.operation ? c.operation : "absent") + " filter " + c.filter);
        client->settings().setConfigString(kCfgInitialMediaFilterValue, c.filter);
        parent.signals.clear();
        CVXLMediaModifyJob job;
        if (c.operation)
            job.setProperty(CVXLMediaModifyJob::kPropertyOperation, CVXLVariant(std::atoi(c.operation)));
        job.setProperty(
            CVXLMediaModifyJob::kPropertySummary, CVXLVariant(static_cast<const void*>(&summary)));
        job.startUnder(&parent);
        run();
        EXPECT_EQ(job.layout().state(), c.state);
        EXPECT_EQ(job.summary(), &summary);
        EXPECT_EQ(job.mediaRequest().messageId(), kMessageId);
        EXPECT_EQ(job.mediaRequest().getOwner(), c.rendition);
        EXPECT_EQ(job.mediaRequest().getPayload(), c.kind);
        EXPECT_EQ(job.layout().cacheMax(), 48u);
        if (*c.media) {
            EXPECT_TRUE(job.isBrowsing());
            EXPECT_EQ(shown(job), c.media);
        } else {
            auto* notice = dynamic_cast<CVXLInformationJob*>(job.currentChild());
            ASSERT_NE(notice, nullptr);
            EXPECT_EQ(notice->layout().message(), "The selected album is empty.");
        }
        job.stop();
        run();
        EXPECT_EQ(job.runState(), kHandlerFinished);
    }
}

// Continue hands the focused picture over as the selection (10); a job
// given no message summary shows an error and ends with Exit, asking the
// manager for nothing.
TEST_F(MediaModifyJobTest, ContinueHandsTheFocusedPictureOverAndNoSummaryEndsTheFlow)
{
    CMediaAccessManager& mam = client->getMediaAccessManager();
    {
        CVXLMediaModifyJob job;
        job.setProperty(CVXLMediaModifyJob::kPropertyOperation, CVXLVariant(0));
        job.setProperty(
            CVXLMediaModifyJob::kPropertySummary, CVXLVariant(static_cast<const void*>(&summary)));
        job.startUnder(&parent);
        run();
        ASSERT_TRUE(job.isBrowsing());
        CVXLElement* first = job.layout().elementAt(0);
        ASSERT_NE(first, nullptr);
        job.layout().setCurrentElement(first);
        ASSERT_TRUE(submitByLabel(job.layout(), "Continue"));
        run();
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {10}));
        ASSERT_NE(first->asMediaItem(), nullptr);
        EXPECT_TRUE(mam.isSelected(*first->asMediaItem()));
        EXPECT_EQ(mam.countSelected(), 1u);
        job.stop();
        run();
    }
    parent.signals.clear();
    CVXLMediaModifyJob job;
    job.startUnder(&parent);
    run();
    EXPECT_EQ(job.summary(), nullptr);
    ASSERT_NE(job.currentChild(), nullptr);
    EXPECT_EQ(job.currentChild()->typeId(), 7);
    ASSERT_TRUE(submitByLabel(*job.currentChild()->getLayout(), "Back"));
    run();
    EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {9}));
    EXPECT_FALSE(job.mediaRequest().isBusy());
    job.stop();
    run();
}

// Every state of the job answered as the phone's user interface answers a
// type-7 layout: Continue, offered in each, hands the focused picture over
// (10) and the flow ends.
TEST_F(MediaModifyJobTest, EveryStateAnsweredWithContinueEnds)
{
    const std::uint32_t kContinue = layoutEventId(kLayoutMediaBrowser, kLayoutActionContinue);
    for (int operation : {0, 1, 2}) {
        SCOPED_TRACE(operation);
        parent.signals.clear();
        auto* job = dynamic_cast<CVXLMediaModifyJob*>(pool->acquire(CVXLMediaModifyJob::kTypeId));
        ASSERT_NE(job, nullptr);
        job->setProperty(CVXLMediaModifyJob::kPropertyOperation, CVXLVariant(operation));
        job->setProperty(
            CVXLMediaModifyJob::kPropertySummary, CVXLVariant(static_cast<const void*>(&summary)));
        job->startUnder(&parent);
        run();
        ASSERT_TRUE(job->isBrowsing());
        ASSERT_TRUE(job->layout().canSubmitAction(kContinue));
        EXPECT_EQ(job->layout().submitAction(kContinue), 1);
        run();
        EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {10}));
        job->stop();
        run();
        EXPECT_EQ(job->runState(), kHandlerFinished);
        confirmReleases(*job);
        client->getMediaAccessManager().clearAllSelections();
        pool->release(job);
    }
}

} // namespace
