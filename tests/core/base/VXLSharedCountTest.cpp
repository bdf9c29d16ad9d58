#include "engine/core/base/VXLSharedCount.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(VXLSharedCount, CountsTheOtherUsers)
{
    CVXLSharedCount first;
    EXPECT_EQ(first.useCount(), 0u);
    {
        CVXLSharedCount second(first);
        CVXLSharedCount third(second);
        EXPECT_EQ(first.useCount(), 2u);
        EXPECT_EQ(third.useCount(), 2u);
        EXPECT_TRUE(first.sharesWith(third));
    }
    EXPECT_EQ(first.useCount(), 0u);
}

TEST(VXLSharedCount, TheSurvivorOfTwoIsAloneAndDeletesTheCounter)
{
    // The sanitizer build reports a counter that nobody deletes, or one
    // deleted twice.
    auto original = std::make_unique<CVXLSharedCount>();
    CVXLSharedCount survivor(*original);
    EXPECT_EQ(survivor.useCount(), 1u);
    original.reset();
    EXPECT_EQ(survivor.useCount(), 0u);
}

TEST(VXLSharedCount, DetachLeavesTheOthersOneFewer)
{
    CVXLSharedCount a;
    CVXLSharedCount b(a);
    CVXLSharedCount c(a);
    EXPECT_EQ(c.useCount(), 2u);
    c.detach();
    EXPECT_EQ(c.useCount(), 0u);
    EXPECT_FALSE(c.sharesWith(a));
    EXPECT_EQ(a.useCount(), 1u);
    EXPECT_EQ(b.useCount(), 1u);
    c.detach(); // alone: nothing
    EXPECT_EQ(c.useCount(), 0u);
}

TEST(VXLSharedCount, Assignment)
{
    struct Case {
        const char* what;
        int sharersOfTarget; // other handles on the target's counter before
        bool sameCounter; // the source shares the target's counter
        bool self;
        std::uint32_t targetAfter;
        std::uint32_t oldSharersAfter;
    };
    const Case cases[] = {
        {"alone, to itself", 0, false, true, 0, 0},
        {"shared, to itself", 1, false, true, 1, 1},
        {"to a sharer of the same counter", 1, true, false, 1, 1},
        {"alone, to another counter", 0, false, false, 1, 0},
        {"shared, to another counter", 2, false, false, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLSharedCount target;
        std::vector<std::unique_ptr<CVXLSharedCount>> sharers;
        for (int i = 0; i < c.sharersOfTarget; ++i)
            sharers.push_back(std::make_unique<CVXLSharedCount>(target));
        CVXLSharedCount other;
        const CVXLSharedCount& source = c.self ? target : c.sameCounter ? *sharers.front() : other;

        target = source;
        EXPECT_EQ(target.useCount(), c.targetAfter);
        EXPECT_TRUE(target.sharesWith(source));
        if (!sharers.empty() && !c.self && !c.sameCounter) {
            EXPECT_EQ(sharers.front()->useCount(), c.oldSharersAfter);
        }
    }
}

} // namespace
