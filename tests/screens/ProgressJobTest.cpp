#include "tests/screens/ScreenJobFixture.h"

#include "engine/screens/VXLProgressJob.h"
#include "tests/support/ScreenText.h"

namespace {

constexpr const char* kCurrent = "int.progress_current";
constexpr const char* kTotal = "int.progress_total";

class ProgressJobTest : public ScreenJobFixture {
public:
    CVXLProgressJob* progress() { return dynamic_cast<CVXLProgressJob*>(parent.currentChild()); }
};

// Started without keys it counts seconds, widening the range fourfold each
// time the count reaches a quarter of it.
TEST_F(ProgressJobTest, PollingCountsSecondsOnAGrowingRange)
{
    CVXLUiJob* job = pool->acquire(42);
    auto* bar = dynamic_cast<CVXLProgressJob*>(job);
    ASSERT_NE(bar, nullptr);
    job->startUnder(&parent);
    run();
    ASSERT_TRUE(bar->isPolling());
    EXPECT_EQ(kinds(), "NEW_LAYOUT");
    struct Row {
        std::int64_t second;
        std::int64_t position;
        std::int64_t range;
    };
    const Row rows[] = {
        {0, 0, 1000},
        {1, 1, 1000},
        {2, 2, 1000},
        {249, 249, 1000},
        {250, 250, 4000},
        {999, 999, 4000},
        {1000, 1000, 16000},
        {1001, 1001, 16000},
    };
    std::int64_t second = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.second);
        for (; second < row.second; ++second) {
            // Not a moment early.
            after(CVXLProgressJob::kPollingMs - 1);
            after(1);
        }
        EXPECT_EQ(bar->layout().position(), row.position);
        EXPECT_EQ(bar->layout().range(), row.range);
    }
    // Each second sends the screen again.
    EXPECT_EQ(requests.size(), 1u + 1001u);
    job->stop();
    run();
    pool->release(job);
}

TEST_F(ProgressJobTest, FollowsTheKeysAndFinishesAtTheTotal)
{
    struct Case {
        const char* name;
        const char* total;
        const char* last;
        std::int64_t position;
        std::int64_t percentage;
        bool autoFinish;
        bool ends;
    };
    const Case cases[] = {
        {"reaches the total", "5", "5", 5, 100, true, true},
        // A current value past the total ends it too, rather than polling on.
        {"overshoots", "5", "7", 7, 140, true, true},
        {"waits at the total", "5", "5", 5, 100, false, false},
        {"beyond 32 bits", "1099511627776", "549755813888", 549755813888, 50, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parent.signals.clear();
        setNumber(kCurrent, "0");
        setNumber(kTotal, "0");
        parent.showProgress(2, kCurrent, kTotal, c.autoFinish);
        run();
        CVXLProgressJob* bar = progress();
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(bar->isWaiting());
        EXPECT_EQ(bar->layout().state(), 2u);
        EXPECT_EQ(screenText(const_cast<CVXLLayoutProgressBar&>(bar->layout())),
            expectedScreen(kLayoutProgressBar, 2));
        // No total yet: it keeps waiting.
        after(CVXLProgressJob::kWaitingMs);
        after(CVXLProgressJob::kWaitingMs);
        EXPECT_TRUE(bar->isWaiting());

        setNumber(kTotal, c.total);
        setNumber(kCurrent, "1");
        after(CVXLProgressJob::kWaitingMs);
        ASSERT_TRUE(bar->isRunning());
        EXPECT_EQ(bar->layout().position(), 1);
        setNumber(kCurrent, c.last);
        after(CVXLProgressJob::kRunningMs);
        EXPECT_EQ(bar->layout().position(), c.position);
        EXPECT_EQ(bar->layout().third(), c.percentage);
        if (c.ends) {
            EXPECT_EQ(parent.signals, std::vector<std::int32_t> {18});
            EXPECT_EQ(parent.currentChild(), nullptr);
            CVXLString total;
            client->settings().getPersistentString(kTotal, &total);
            EXPECT_STREQ(total.c_str(), "0");
            continue;
        }
        EXPECT_TRUE(parent.signals.empty());
        EXPECT_EQ(parent.currentChild(), bar);
        // The user leaves: Cancel reaches the parent and the bar ends.
        ASSERT_TRUE(submitByLabel(*bar->getLayout(), "Cancel"));
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {20});
        EXPECT_EQ(parent.currentChild(), nullptr);
    }
}

} // namespace
