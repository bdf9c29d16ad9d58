#include "engine/core/base/VXLPtrArray.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Item : CVXLObject {
    explicit Item(int id = 0)
        : id(id)
    {
    }
    int id;
};

// Ids of the items in slot order; 0 stands for a null slot.
std::vector<int> ids(const CVXLPtrArray& array)
{
    std::vector<int> out;
    for (std::uint32_t i = 0; i < array.count(); ++i) {
        const auto* item = static_cast<const Item*>(array.at(static_cast<int>(i)));
        out.push_back(item ? item->id : 0);
    }
    return out;
}

class VXLPtrArrayItems : public ::testing::Test {
protected:
    VXLPtrArrayItems()
    {
        for (int i = 0; i < 64; ++i)
            items.emplace_back(i + 1);
    }

    void fill(CVXLPtrArray& array, int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(array.insertAt(&items[static_cast<std::size_t>(i)], -1), 1);
    }

    std::vector<int> range(int from, int to)
    {
        std::vector<int> out;
        for (int i = from; i <= to; ++i)
            out.push_back(i);
        return out;
    }

    std::vector<Item> items;
};

TEST_F(VXLPtrArrayItems, StorageGrowsAndShrinksByItsRules)
{
    struct Case {
        const char* what;
        std::function<void(CVXLPtrArray&)> run;
        std::uint32_t capacity;
        std::vector<int> content;
    };
    const Case cases[] = {
        {"new array", [](CVXLPtrArray&) {}, 10, {}},
        {"ten insertions fit", [&](CVXLPtrArray& a) { fill(a, 10); }, 10, range(1, 10)},
        {"the 11th insertion grows by 10", [&](CVXLPtrArray& a) { fill(a, 11); }, 20, range(1, 11)},
        {"the 21st grows again", [&](CVXLPtrArray& a) { fill(a, 21); }, 30, range(1, 21)},
        {"capacity 40, count 20: a removal shrinks to count + 5",
            [&](CVXLPtrArray& a) {
                a.reserve(40);
                fill(a, 20);
                a.removeAt(4);
            },
            25,
            [&] {
                auto v = range(1, 20);
                v.erase(v.begin() + 4);
                return v;
            }()},
        {"capacity 31, count 20: 11 spare slots shrink",
            [&](CVXLPtrArray& a) {
                a.reserve(31);
                fill(a, 20);
                a.removeAt(19);
            },
            25, range(1, 19)},
        {"capacity 30, count 20: 10 spare slots stay",
            [&](CVXLPtrArray& a) {
                a.reserve(30);
                fill(a, 20);
                a.removeAt(0);
            },
            30, range(2, 20)},
        {"setAt 7 on an empty array", [&](CVXLPtrArray& a) { a.setAt(&items[7], 7); }, 8,
            {0, 0, 0, 0, 0, 0, 0, 8}},
        {"setAt inside the count keeps the storage",
            [&](CVXLPtrArray& a) {
                fill(a, 3);
                a.setAt(&items[9], 1);
            },
            10, {1, 10, 3}},
        {"reserve below the capacity shrinks it",
            [&](CVXLPtrArray& a) {
                fill(a, 3);
                a.reserve(5);
            },
            5, {1, 2, 3}},
        {"reserve at or below the count does nothing",
            [&](CVXLPtrArray& a) {
                fill(a, 3);
                a.reserve(3);
            },
            10, {1, 2, 3}},
        {"dropFirst moves the rest to the front and fits the storage",
            [&](CVXLPtrArray& a) {
                fill(a, 12);
                EXPECT_TRUE(a.dropFirst(5));
            },
            7, range(6, 12)},
        {"dropFirst 0 only fits the storage",
            [&](CVXLPtrArray& a) {
                fill(a, 4);
                EXPECT_TRUE(a.dropFirst(0));
            },
            4, range(1, 4)},
        {"dropFirst of the count leaves no spare slot",
            [&](CVXLPtrArray& a) {
                fill(a, 4);
                EXPECT_TRUE(a.dropFirst(4));
            },
            0, {}},
        {"dropFirst above the count is refused",
            [&](CVXLPtrArray& a) {
                fill(a, 4);
                EXPECT_FALSE(a.dropFirst(5));
            },
            10, range(1, 4)},
        {"clear frees the storage",
            [&](CVXLPtrArray& a) {
                fill(a, 4);
                a.clear();
            },
            0, {}},
        {"insertion after clear grows from nothing",
            [&](CVXLPtrArray& a) {
                a.clear();
                fill(a, 1);
            },
            10, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLPtrArray array;
        c.run(array);
        EXPECT_EQ(array.capacity(), c.capacity);
        EXPECT_EQ(ids(array), c.content);
    }
}

TEST_F(VXLPtrArrayItems, InsertAndRemoveAtBothEndsAndInTheMiddle)
{
    struct Case {
        int index;
        std::vector<int> after;
    };
    const Case inserts[] = {
        {0, {9, 1, 2, 3}}, {1, {1, 9, 2, 3}}, {2, {1, 2, 9, 3}}, {3, {1, 2, 3, 9}}, {-1, {1, 2, 3, 9}},
        {8, {1, 2, 3, 9}}, // -1 and count + 5 append
    };
    for (const Case& c : inserts) {
        SCOPED_TRACE(c.index);
        CVXLPtrArray array;
        fill(array, 3);
        EXPECT_EQ(array.insertAt(&items[8], c.index), 1);
        EXPECT_EQ(ids(array), c.after);
    }

    struct Removal {
        int index;
        int result;
        std::vector<int> after;
    };
    const Removal removals[] = {
        {0, 1, {2, 3}},
        {1, 1, {1, 3}},
        {2, 1, {1, 2}},
        {3, 0, {1, 2, 3}},
        {-1, 0, {1, 2, 3}},
    };
    for (const Removal& c : removals) {
        SCOPED_TRACE(c.index);
        CVXLPtrArray array;
        fill(array, 3);
        EXPECT_EQ(array.removeAt(c.index), c.result);
        EXPECT_EQ(ids(array), c.after);
        // The freed slot reads null again, not the moved item.
        EXPECT_EQ(array.at(static_cast<int>(array.count())), nullptr);
    }
}

TEST_F(VXLPtrArrayItems, LookupsAndRemovalByItem)
{
    CVXLPtrArray array;
    EXPECT_EQ(array.lastNonNull(), -1);
    array.setAt(&items[0], 1);
    array.setAt(&items[1], 2);
    array.setAt(&items[0], 3);
    array.setAt(nullptr, 5);
    EXPECT_EQ(ids(array), (std::vector<int> {0, 1, 2, 1, 0, 0}));
    EXPECT_EQ(array.lastNonNull(), 3);
    EXPECT_EQ(array.indexOf(&items[0]), 1);
    EXPECT_EQ(array.indexOf(&items[5]), -1);
    EXPECT_EQ(array.at(-1), nullptr);
    EXPECT_EQ(array.at(6), nullptr);
    EXPECT_FALSE(array.setAt(&items[0], -1));

    EXPECT_EQ(array.remove(&items[0]), 1); // the first of two
    EXPECT_EQ(ids(array), (std::vector<int> {0, 2, 1, 0, 0}));
    EXPECT_EQ(array.remove(&items[5]), 0);
}

TEST(VXLPtrArray, RemoveGoesThroughTheOverridableRemoveAt)
{
    struct Recording : CVXLPtrArray {
        int removeAt(int index) override
        {
            removed.push_back(index);
            return CVXLPtrArray::removeAt(index);
        }
        std::vector<int> removed;
    };
    Item a(1), b(2);
    Recording array;
    array.insertAt(&a, -1);
    array.insertAt(&b, -1);
    EXPECT_EQ(array.remove(&b), 1);
    EXPECT_EQ(array.removed, std::vector<int> {1});
}

TEST(VXLPtrArray, DeleteAllDeletesEachItemOnceAndEmpties)
{
    struct Counted : CVXLObject {
        explicit Counted(int* dtors)
            : dtors(dtors)
        {
        }
        ~Counted() override { ++*dtors; }
        int* dtors;
    };
    int dtors = 0;
    CVXLPtrArray array;
    for (int i = 0; i < 3; ++i)
        array.insertAt(new Counted(&dtors), -1);
    array.setAt(nullptr, 5);
    array.deleteAll();
    EXPECT_EQ(dtors, 3);
    EXPECT_EQ(array.count(), 0u);
    EXPECT_EQ(array.capacity(), 0u);
}

TEST(VXLPtrArray, GrowthPastTheLargestStorageIsRefused)
{
    Item a;
    CVXLPtrArray array;
    EXPECT_FALSE(array.setAt(&a, 0x7FFFFFFF));
    EXPECT_FALSE(array.reserve(CVXLPtrArray::kMaxSlots + 1));
    EXPECT_EQ(array.count(), 0u);
    EXPECT_EQ(array.capacity(), 10u);
}

TEST_F(VXLPtrArrayItems, IteratorWalksBothWaysAndEndsOnEitherSide)
{
    CVXLPtrArray array;
    fill(array, 3);

    std::vector<int> forward;
    for (CVXLPtrArrayIterator it = array.begin(); it != array.end(); it.advance())
        forward.push_back(static_cast<Item*>(it.deref())->id);
    EXPECT_EQ(forward, (std::vector<int> {1, 2, 3}));

    std::vector<int> backward;
    CVXLPtrArrayIterator it = array.begin();
    for (it.last(); !it.atEnd(); it.retreat())
        backward.push_back(static_cast<Item*>(it.current())->id);
    EXPECT_EQ(backward, (std::vector<int> {3, 2, 1}));
    EXPECT_EQ(it.current(), nullptr); // stepped back from index 0

    it.first();
    EXPECT_TRUE(it.equals(array.begin()));
    CVXLPtrArrayIterator past = array.end();
    EXPECT_TRUE(past.atEnd());
    EXPECT_EQ(past.current(), nullptr);

    CVXLPtrArray other;
    fill(other, 3);
    EXPECT_TRUE(array.begin() != other.begin()); // same index, other array

    CVXLPtrArray empty;
    CVXLPtrArrayIterator e = empty.begin();
    e.first();
    EXPECT_TRUE(e.atEnd());
    e.last();
    EXPECT_TRUE(e.atEnd());
    EXPECT_EQ(e.deref(), nullptr);
}

} // namespace
