#include "engine/core/base/VXLList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Item : CVXLObject {
    explicit Item(int id = 0)
        : id(id)
    {
    }
    int id;
};

std::vector<int> forward(const CVXLList& list)
{
    std::vector<int> out;
    for (CVXLListIterator it = list.begin(); it != list.end(); it.advance())
        out.push_back(static_cast<Item*>(it.deref())->id);
    return out;
}

std::vector<int> backward(const CVXLList& list)
{
    std::vector<int> out;
    CVXLListIterator it = list.end();
    for (it.last(); !it.atEnd(); it.retreat())
        out.push_back(static_cast<Item*>(it.current())->id);
    return out;
}

TEST(VXLList, RemovalKeepsHeadTailAndCountRight)
{
    Item a(1), b(2), c(3), d(4);
    struct Case {
        Item* removed;
        int result;
        std::vector<int> after;
    };
    const Case cases[] = {
        {&a, 1, {2, 3, 1}}, // the node nearer the head of a twice-held object
        {&b, 1, {1, 3, 1}},
        {&c, 1, {1, 2, 1}},
        {&d, 0, {1, 2, 3, 1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.removed->id);
        CVXLList list;
        for (Item* item : {&a, &b, &c, &a})
            ASSERT_EQ(list.append(item), 1);
        EXPECT_EQ(list.remove(k.removed), k.result);
        EXPECT_EQ(forward(list), k.after);
        std::vector<int> reversed(k.after.rbegin(), k.after.rend());
        EXPECT_EQ(backward(list), reversed);
        EXPECT_EQ(list.count(), k.after.size());
    }

    CVXLList list;
    list.append(&a);
    EXPECT_EQ(list.remove(&a), 1);
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.tail(), nullptr);
    EXPECT_EQ(list.count(), 0u);
    list.append(&b);
    EXPECT_EQ(forward(list), std::vector<int> {2});
}

TEST(VXLList, RemovingAtAnIteratorMovesItOn)
{
    Item a(1), b(2), c(3);
    CVXLList list;
    for (Item* item : {&a, &b, &c})
        list.append(item);

    // Drop every item while walking: the iterator never stands on a freed node.
    CVXLListIterator it = list.begin();
    it.advance();
    EXPECT_EQ(list.remove(it), 1);
    EXPECT_EQ(it.current(), &c);
    EXPECT_EQ(forward(list), (std::vector<int> {1, 3}));

    it.first();
    while (!it.atEnd())
        EXPECT_EQ(list.remove(it), 1);
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.remove(it), 0);
}

TEST(VXLList, RemovingAtAnIteratorTakesTheFirstNodeOfItsObject)
{
    Item a(1), b(2);
    CVXLList list;
    for (Item* item : {&a, &b, &a})
        list.append(item);
    CVXLListIterator it = list.begin();
    it.last();
    EXPECT_EQ(list.remove(it), 1); // the head node goes; the iterator's stays
    EXPECT_EQ(it.current(), &a);
    EXPECT_EQ(forward(list), (std::vector<int> {2, 1}));
}

TEST(VXLList, IteratorStepsStopAtTheEnds)
{
    Item a(1), b(2);
    CVXLList list;
    list.append(&a);
    list.append(&b);
    CVXLListIterator it = list.begin();
    EXPECT_EQ(it.next(), list.tail());
    EXPECT_EQ(it.next(), nullptr);
    EXPECT_TRUE(it.equals(list.end()));
    EXPECT_EQ(it.next(), nullptr); // stays at the end
    EXPECT_EQ(it.current(), nullptr);
    it.first();
    EXPECT_EQ(it.previous(), nullptr);

    CVXLList empty;
    CVXLListIterator e = empty.begin();
    EXPECT_TRUE(e.atEnd());
    e.last();
    EXPECT_TRUE(e.atEnd());
    EXPECT_FALSE(e != empty.end());
    EXPECT_TRUE(e != list.end()); // other list
}

TEST(VXLList, ClearKeepsTheObjects)
{
    Item a(1);
    CVXLList list;
    list.append(&a);
    list.append(&a);
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_TRUE(list.begin().atEnd());
    EXPECT_EQ(a.id, 1);
}

} // namespace
