#include "engine/core/base/VXLStringArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> texts(const CVXLStringArray& array)
{
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < array.count(); ++i)
        out.emplace_back(array.at(static_cast<int>(i)).c_str());
    return out;
}

CVXLStringArray make(std::initializer_list<const char*> items)
{
    CVXLStringArray array;
    for (const char* item : items)
        EXPECT_EQ(array.insertAt(item, -1), 1);
    return array;
}

TEST(VXLStringArray, InsertsCopiesAndLooksThemUpByValue)
{
    CVXLString text("b");
    CVXLStringArray array = make({"a", "c"});
    EXPECT_EQ(array.insertAt(text, 1), 1);
    text = "changed";
    EXPECT_EQ(texts(array), (std::vector<std::string> {"a", "b", "c"}));
    EXPECT_EQ(array.indexOf("c"), 2);
    EXPECT_EQ(array.indexOf("C"), -1);
    EXPECT_EQ(array.at(3), "");
    EXPECT_EQ(array.at(-1), "");

    EXPECT_EQ(array.remove("b"), 1);
    EXPECT_EQ(array.remove("b"), 0);
    EXPECT_EQ(array.removeAt(5), 0);
    EXPECT_EQ(texts(array), (std::vector<std::string> {"a", "c"}));
}

TEST(VXLStringArray, NullSlotsReadEmptyAndAreNotRemoved)
{
    CVXLStringArray array = make({"x"});
    // A null slot can only come in through the base class.
    static_cast<CVXLPtrArray&>(array).setAt(nullptr, 2);
    EXPECT_EQ(array.count(), 3u);
    EXPECT_EQ(array.at(1), "");
    EXPECT_EQ(array.indexOf(""), -1); // null slots are skipped, not ""
    EXPECT_EQ(array.removeAt(1), 0);
    EXPECT_EQ(array.count(), 3u);

    CVXLStringArray copy;
    copy = array;
    EXPECT_EQ(copy.indexOf(""), 1); // the copy stores "" for each null slot
    EXPECT_EQ(texts(copy), (std::vector<std::string> {"x", "", ""}));
}

TEST(VXLStringArray, DropFirst)
{
    struct Case {
        std::uint32_t n;
        bool result;
        std::vector<std::string> after;
        std::uint32_t capacity;
    };
    const Case cases[] = {
        {0, true, {"a", "b", "c"}, 3},
        {2, true, {"c"}, 1},
        {3, true, {}, 0}, // the whole array
        {4, false, {"a", "b", "c"}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        CVXLStringArray array = make({"a", "b", "c"});
        EXPECT_EQ(array.dropFirst(c.n), c.result);
        EXPECT_EQ(texts(array), c.after);
        EXPECT_EQ(array.capacity(), c.capacity);
    }
}

TEST(VXLStringArray, AssignmentCopiesEveryStringAndTheCapacity)
{
    CVXLStringArray source;
    source.reserve(25);
    for (const char* item : {"one", "two", "three"})
        source.insertAt(item, -1);

    CVXLStringArray target = make({"old", "older"});
    target = source;
    EXPECT_EQ(texts(target), (std::vector<std::string> {"one", "two", "three"}));
    EXPECT_EQ(target.capacity(), 25u);
    EXPECT_NE(target.CVXLPtrArray::at(0), source.CVXLPtrArray::at(0)); // own heap strings

    source.removeAt(0);
    source.insertAt("new", 0);
    EXPECT_EQ(target.at(0), "one");

    CVXLStringArray& same = target;
    target = same;
    EXPECT_EQ(texts(target), (std::vector<std::string> {"one", "two", "three"}));

    CVXLStringArray copied(source);
    EXPECT_EQ(texts(copied), (std::vector<std::string> {"new", "two", "three"}));
}

TEST(VXLStringArray, ClearAndRemoveThroughTheBaseDeleteTheStrings)
{
    // Leaks would show under the sanitizer build.
    CVXLStringArray array = make({"a", "b", "c", "d"});
    CVXLPtrArray& base = array;
    EXPECT_EQ(base.removeAt(0), 1);
    EXPECT_EQ(base.remove(base.at(0)), 1);
    EXPECT_TRUE(base.dropFirst(1));
    EXPECT_EQ(texts(array), std::vector<std::string> {"d"});
    base.clear();
    EXPECT_EQ(array.count(), 0u);
}

} // namespace
