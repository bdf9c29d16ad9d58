#include "engine/core/base/VXLObjectWatch.h"
#include "engine/core/base/VXLObject.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Part : CVXLObject { };

struct Whole : CVXLObject {
    Part inner;
};

// Every way an object goes (deleted, destroyed inside its owner, on the
// stack, on another thread) takes it out of every watch that holds it, and
// only it.
TEST(VXLObjectWatch, ForgetsEachObjectAsItIsDestroyed)
{
    CVXLObjectWatch watch;
    CVXLObjectWatch other;
    auto* heap = new Part;
    auto* whole = new Whole;
    auto* remote = new Part;
    Part kept;
    {
        Part local;
        watch.add(&local);
        EXPECT_TRUE(watch.contains(&local));
    }
    for (const CVXLObject* object :
        {static_cast<const CVXLObject*>(heap), static_cast<const CVXLObject*>(&whole->inner),
            static_cast<const CVXLObject*>(remote), static_cast<const CVXLObject*>(&kept)})
        watch.add(object);
    watch.add(heap);
    other.add(heap);
    EXPECT_EQ(watch.count(), 4u) << "the destroyed local is gone, the repeated add kept once";

    delete heap;
    delete whole;
    std::thread([remote] { delete remote; }).join();

    EXPECT_EQ(watch.count(), 1u);
    EXPECT_TRUE(watch.contains(&kept));
    EXPECT_EQ(other.count(), 0u);

    // An object made after the watch forgot an address is not taken for the
    // one that had it.
    auto* newcomer = new Part;
    EXPECT_FALSE(watch.contains(newcomer));
    delete newcomer;

    watch.clear();
    EXPECT_FALSE(watch.contains(&kept));
    EXPECT_FALSE(watch.contains(nullptr));
}

} // namespace
