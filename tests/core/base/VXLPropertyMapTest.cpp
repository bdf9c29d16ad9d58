#include "engine/core/base/VXLPropertyMap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VXLPropertyMap, StoresCopiesAndReadsAbsentNamesAsEmpty)
{
    CVXLPropertyMap map;
    EXPECT_EQ(map.get("missing"), "");
    EXPECT_TRUE(map.set("a", "1"));
    EXPECT_TRUE(map.set("b", "2"));
    EXPECT_TRUE(map.set("a", "3"));
    EXPECT_EQ(map.get("a"), "3");
    EXPECT_EQ(map.get("A"), "");

    std::string seen;
    for (CVXLIndexIterator it = map.begin(); it != map.end(); it.advance())
        seen += std::string(it.key().c_str()) + "=" + static_cast<CVXLString*>(it.value())->c_str() + ";";
    EXPECT_EQ(seen, "a=3;b=2;");

    map.clear();
    EXPECT_TRUE(map.begin().atEnd());
    map.set("left", "for the destructor");
}

// A value replaced again and again: what was read before stays as it was
// read, and the new text is stored byte for byte.
TEST(VXLPropertyMap, ASetLeavesEarlierReadsAsTheyWere)
{
    CVXLPropertyMap map;
    ASSERT_TRUE(map.set("title", "Beach & dunes, picture 1000"));
    const CVXLString first = map.get("title");
    CVXLString source("Waves");
    ASSERT_TRUE(map.set("title", source));
    source = "changed after the set";
    const CVXLString second = map.get("title");
    CVXLString withNul;
    withNul.appendBytes("a\0b", 3);
    ASSERT_TRUE(map.set("title", withNul));
    ASSERT_TRUE(map.set("title", ""));
    ASSERT_TRUE(map.set("title", "last"));
    EXPECT_EQ(first, "Beach & dunes, picture 1000");
    EXPECT_EQ(second, "Waves");
    EXPECT_EQ(map.get("title"), "last");
    ASSERT_TRUE(map.set("title", withNul));
    EXPECT_EQ(map.get("title").length(), 3u);
    EXPECT_EQ(std::string(map.get("title").c_str(), 3), std::string("a\0b", 3));
}

} // namespace
