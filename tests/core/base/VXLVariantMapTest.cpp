#include "engine/core/base/VXLVariantMap.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLVariantMap, StoresCopiesAndReadsAbsentNamesAsIntegerZero)
{
    CVXLVariantMap map;
    CVXLVariant value("abc");
    EXPECT_TRUE(map.set("text", value));
    value = 5;
    EXPECT_EQ(map.get("text").kind(), CVXLVariant::kText);
    EXPECT_EQ(map.get("text").toString(), "abc");

    const CVXLVariant absent = map.get("missing");
    EXPECT_EQ(absent.kind(), CVXLVariant::kInteger);
    EXPECT_EQ(absent.toInt(), 0);

    EXPECT_TRUE(map.set("text", CVXLVariant(7))); // replaces and deletes the old value
    EXPECT_EQ(map.get("text").toInt(), 7);
    EXPECT_EQ(map.count(), 1u);
    EXPECT_TRUE(map.set("empty", CVXLVariant()));
    EXPECT_EQ(map.get("empty").kind(), CVXLVariant::kEmpty);

    CVXLStringMap& base = map;
    EXPECT_EQ(base.find("missing"), nullptr);
    map.clear();
    EXPECT_EQ(map.count(), 0u);
    map.set("left", CVXLVariant("for the destructor"));
}

} // namespace
