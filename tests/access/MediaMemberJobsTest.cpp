#include "engine/access/AlbumSummaryJob.h"
#include "engine/access/LocalMediaElementJob.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaElementJob.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::int32_t kReply = 5;

// A fetch before an open, or after a close, fails at once: 81 online, 80
// local. Nothing reaches a media manager.
TEST(MediaMemberJobs, AFetchBeforeOpenFails)
{
    struct Case {
        const char* name;
        bool online;
        bool openThenClose;
        std::int32_t result;
    };
    const Case cases[] = {
        { "online, never opened", true, false, kResultOnlineListNotOpened },
        { "online, closed", true, true, kResultOnlineListNotOpened },
        { "local, never opened", false, false, kResultLocalListNotOpened },
        { "local, closed", false, true, kResultLocalListNotOpened },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JobTreeDriver driver;
        TraceJob requester("requester");
        TraceJob media("media manager");
        CMediaElementJob online;
        CLocalMediaElementJob local;
        CMediaMemberJob* job = c.online ? static_cast<CMediaMemberJob*>(&online) : &local;
        job->setMediaManager(&media);
        driver.attach(&media);
        driver.attach(&requester);
        driver.attach(job);
        driver.runUntilIdle();

        CMediaOpenAlbumRequest album(kReply);
        album.setFileName("C1");
        CMediaLocationRequest location(kReply);
        location.setStoreIndex(1);
        if (c.openThenClose) {
            const std::size_t before = requester.results.size();
            CMediaAccessBasicRequest open(1, kReply);
            open.setOrigin(c.online ? static_cast<CMediaAccessRequest*>(&album) : &location);
            requester.post(job, &open);
            driver.runUntilIdle();
            CMediaAccessBasicRequest close(0, kReply);
            requester.post(job, &close);
            driver.runUntilIdle();
            ASSERT_EQ(requester.results.size(), before + 2);
            EXPECT_EQ(requester.results[before], 0);
            EXPECT_EQ(requester.results[before + 1], 0);
        }
        CMediaFetchRequest fetch(kReply);
        fetch.count = 3;
        requester.post(job, &fetch);
        driver.runUntilIdle();
        ASSERT_FALSE(requester.results.empty());
        EXPECT_EQ(requester.results.back(), c.result);
        for (std::int32_t code : media.codes)
            EXPECT_EQ(code, kEventStart) << "a request reached the media manager";
        job->stop();
        driver.runUntilIdle();
    }
}

// Codes a member job does not know are answered at once.
TEST(MediaMemberJobs, UnknownOperationsAreAnswered)
{
    JobTreeDriver driver;
    TraceJob requester("requester");
    CMediaElementJob online;
    CLocalMediaElementJob local;
    CAlbumSummaryJob albums;
    for (CMediaMemberJob* job : { static_cast<CMediaMemberJob*>(&online), static_cast<CMediaMemberJob*>(&local),
             static_cast<CMediaMemberJob*>(&albums) })
        driver.attach(job);
    driver.attach(&requester);
    driver.runUntilIdle();
    for (CMediaMemberJob* job : { static_cast<CMediaMemberJob*>(&online), static_cast<CMediaMemberJob*>(&local),
             static_cast<CMediaMemberJob*>(&albums) }) {
        SCOPED_TRACE(job->name());
        CMediaAccessBasicRequest odd(9, kReply);
        requester.post(job, &odd);
        driver.runUntilIdle();
        ASSERT_FALSE(requester.results.empty());
        EXPECT_EQ(requester.results.back(), kResultFailed);
    }
}

} // namespace
