#include "engine/screens/VXLUiJobPool.h"

#include "engine/screens/VXLUiJob.h"

#include <gtest/gtest.h>

namespace {

// Under AddressSanitizer this also shows that fresh jobs are freed and pooled
// ones are not.
TEST(UiJobPoolTest, EachTypeGivesItsPooledJobThenAFreshOne)
{
    CVXLUiJobPool pool;
    for (int type = CVXLUiJob::kMinTypeId; type <= CVXLUiJob::kMaxTypeId; ++type) {
        SCOPED_TRACE(type);
        CVXLUiJob* pooled = pool.acquire(type);
        ASSERT_NE(pooled, nullptr);
        EXPECT_TRUE(pooled->isPooled());
        EXPECT_EQ(pooled->typeId(), type);
        CVXLUiJob* fresh = pool.acquire(type);
        ASSERT_NE(fresh, nullptr);
        EXPECT_NE(fresh, pooled);
        EXPECT_FALSE(fresh->isPooled());
        EXPECT_EQ(fresh->typeId(), type);
        // The summary getter alone has a display name of its own.
        EXPECT_STREQ(fresh->name(), type == 29 ? "MessageSummaryGetter" : "n/a");
        pool.release(fresh);
        pool.release(pooled);
        EXPECT_EQ(pool.acquire(type), pooled);
        pool.release(pooled);
    }
}

TEST(UiJobPoolTest, NoJobOutsideTheTypesOrAfterDestroyAll)
{
    CVXLUiJobPool pool;
    EXPECT_EQ(pool.acquire(0), nullptr);
    EXPECT_EQ(pool.acquire(47), nullptr);
    EXPECT_EQ(pool.acquire(-1), nullptr);
    pool.destroyAll();
    EXPECT_EQ(pool.acquire(7), nullptr);
    pool.destroyAll();
}

// A job type of the test's own that counts its live instances.
class LiveCountedJob : public CVXLUiJob {
public:
    explicit LiveCountedJob(int& live)
        : live_(live)
    {
        ++live_;
    }
    ~LiveCountedJob() override { --live_; }
    int typeId() const override { return 2; }
    CVXLUiJob* newInstance() const override { return new LiveCountedJob(live_); }

private:
    int& live_;
};

// A fresh job still out when the pool goes (a screen left on the program's
// stack at its end) is the pool's to delete, like its preallocated ones; one
// given back after that is not touched again.
TEST(UiJobPoolTest, FreshJobsStillOutGoWithThePool)
{
    for (bool byDestroyAll : {true, false}) {
        SCOPED_TRACE(byDestroyAll);
        int live = 0;
        {
            CVXLUiJobPool pool(false);
            ASSERT_TRUE(pool.add(new LiveCountedJob(live)));
            CVXLUiJob* pooled = pool.acquire(2);
            CVXLUiJob* first = pool.acquire(2);
            CVXLUiJob* second = pool.acquire(2);
            ASSERT_TRUE(pooled && first && second);
            EXPECT_TRUE(pooled->isPooled());
            EXPECT_FALSE(first->isPooled());
            EXPECT_EQ(live, 3);
            pool.release(first);
            EXPECT_EQ(live, 2);
            if (byDestroyAll) {
                pool.destroyAll();
                EXPECT_EQ(live, 0);
                pool.release(second);
                pool.release(pooled);
            }
        }
        EXPECT_EQ(live, 0);
    }
}

} // namespace
