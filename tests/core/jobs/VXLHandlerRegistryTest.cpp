#include "engine/core/jobs/VXLHandlerRegistry.h"
#include "engine/core/jobs/VXLChangeCounter.h"
#include "engine/core/jobs/VXLCounterTable.h"

#include <gtest/gtest.h>

namespace {

// Counts its releases; the registry deletes it when release says so.
struct Tracked : CVXLReleasable {
    int* releases;
    bool deleteOnRelease;
    Tracked(int* counter, bool deleteMe)
        : releases(counter)
        , deleteOnRelease(deleteMe)
    {
    }
    bool release() override
    {
        ++*releases;
        return deleteOnRelease;
    }
};

TEST(VXLHandlerRegistry, OneObjectPerKeyTripleReleasedWhenReplacedOrCleared)
{
    int releases = 0;
    Tracked kept(&releases, false);
    auto* first = new Tracked(&releases, true);
    auto* second = new Tracked(&releases, true);
    {
        CVXLHandlerRegistry registry;
        EXPECT_EQ(registry.find(1, 2, 3), nullptr);
        registry.set(first, 1, 2, 3);
        registry.set(&kept, 1, 2, 4);
        registry.set(first, 1, 2, 3); // same object: left alone
        EXPECT_EQ(releases, 0);
        EXPECT_EQ(registry.count(), 2u);

        registry.set(second, 1, 2, 3); // replaces and releases the first, once
        EXPECT_EQ(releases, 1);
        int index = -1;
        auto* entry = registry.find(1, 2, 3, &index);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->object, second);
        EXPECT_EQ(index, 0);
        EXPECT_EQ(registry.find(1, 2, 4, &index)->object, &kept);
        EXPECT_EQ(index, 1);
        EXPECT_EQ(registry.find(2, 1, 3), nullptr);

        registry.clear();
        EXPECT_EQ(releases, 3);
        EXPECT_EQ(registry.count(), 0u);
        registry.set(&kept, 9, 9, 9);
    } // the destructor clears
    EXPECT_EQ(releases, 4);
}

TEST(VXLCounterTable, AddReturnsThePreviousValueAndIndexesAreChecked)
{
    CVXLCounterTable table;
    CVXLCounterTable other;
    for (int i = 0; i < CVXLCounterTable::kCounterCount; ++i)
        EXPECT_EQ(table.get(i), 0);
    EXPECT_EQ(table.add(12, 5), 0);
    EXPECT_EQ(table.add(12, -2), 5);
    EXPECT_EQ(table.get(12), 3);
    table.set(17, 41);
    EXPECT_EQ(table.get(17), 41);
    EXPECT_EQ(other.get(12), 0) << "each engine has its own counters";

    for (int bad : {-1, 18, 1000}) {
        table.set(bad, 7);
        EXPECT_EQ(table.add(bad, 1), 0);
        EXPECT_EQ(table.get(bad), 0);
    }
    table.set(0, 0x7FFFFFFF);
    EXPECT_EQ(table.add(0, 1), 0x7FFFFFFF);
    EXPECT_EQ(table.get(0), static_cast<std::int32_t>(0x80000000u));
}

TEST(VXLChangeCounter, ChangedUntilCommitted)
{
    CVXLChangeCounter counter(4);
    EXPECT_FALSE(counter.changed());
    counter.increase();
    EXPECT_TRUE(counter.changed());
    counter.commit();
    EXPECT_FALSE(counter.changed());
    EXPECT_EQ(counter.seenCount(), 5);
}

} // namespace
