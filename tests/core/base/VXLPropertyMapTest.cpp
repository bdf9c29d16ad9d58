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

} // namespace
