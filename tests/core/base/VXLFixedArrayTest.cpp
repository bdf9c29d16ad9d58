#include "engine/core/base/VXLFixedArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Record {
    std::uint32_t a;
    std::uint32_t b;
};

std::vector<std::uint8_t> bytes(const CVXLFixedArray& array)
{
    return std::vector<std::uint8_t>(array.data(), array.data() + array.length());
}

CVXLFixedArray filled(int n)
{
    CVXLFixedArray array(8, 4);
    for (int i = 0; i < n; ++i) {
        const Record r {0x11111111u * static_cast<std::uint32_t>(i + 1), 0xFFFFFFFFu};
        EXPECT_TRUE(array.append(&r));
    }
    return array;
}

TEST(VXLFixedArray, ElementsLieBackToBack)
{
    CVXLFixedArray array = filled(3);
    EXPECT_EQ(array.count(), 3u);
    EXPECT_EQ(array.length(), 24u);
    for (int i = 0; i < 3; ++i) {
        const auto* r = static_cast<const Record*>(array.at(i));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->a, 0x11111111u * static_cast<std::uint32_t>(i + 1));
    }
    EXPECT_EQ(array.at(3), nullptr);
    EXPECT_EQ(array.at(-1), nullptr);
}

TEST(VXLFixedArray, WritesFillsAndRemovals)
{
    struct Case {
        const char* what;
        bool (*run)(CVXLFixedArray&);
        bool result;
        std::uint32_t count;
        int zeroFrom; // bytes [zeroFrom, zeroTo) read zero, no other byte does
        int zeroTo;
    };
    const Case cases[] = {
        {"fillAt 2 with 0 zeroes bytes 16-23", [](CVXLFixedArray& a) { return a.fillAt(2, 0); }, true, 4, 16,
            24},
        {"fillAt past the end grows, the gap reads zero", [](CVXLFixedArray& a) { return a.fillAt(5, 0); },
            true, 6, 32, 48},
        {"set past the end grows, the gap reads zero",
            [](CVXLFixedArray& a) {
                const Record zero {0, 0};
                return a.set(6, &zero);
            },
            true, 7, 32, 56},
        {"an index whose offset would wrap is refused",
            [](CVXLFixedArray& a) { return a.fillAt(0x7FFFFFFF, 0); }, false, 4, 0, 0},
        {"a negative index is refused", [](CVXLFixedArray& a) { return a.fillAt(-1, 0); }, false, 4, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLFixedArray array = filled(4);
        EXPECT_EQ(c.run(array), c.result);
        EXPECT_EQ(array.count(), c.count);
        const auto b = bytes(array);
        for (int i = 0; i < static_cast<int>(b.size()); ++i) {
            const bool zero = i >= c.zeroFrom && i < c.zeroTo;
            if (zero)
                EXPECT_EQ(b[static_cast<std::size_t>(i)], 0) << "byte " << i;
            else
                EXPECT_NE(b[static_cast<std::size_t>(i)], 0) << "byte " << i;
        }
    }
}

TEST(VXLFixedArray, RemoveAtKeepsTheOrderAndIgnoresMissingElements)
{
    struct Case {
        int index;
        std::vector<std::uint32_t> after;
    };
    const Case cases[] = {
        {0, {2, 3}},
        {1, {1, 3}},
        {2, {1, 2}},
        {3, {1, 2, 3}},
        {-1, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CVXLFixedArray array = filled(3);
        array.removeAt(c.index);
        std::vector<std::uint32_t> ids;
        for (std::uint32_t i = 0; i < array.count(); ++i)
            ids.push_back(static_cast<const Record*>(array.at(static_cast<int>(i)))->a / 0x11111111u);
        EXPECT_EQ(ids, c.after);
    }
}

TEST(VXLFixedArray, SetOverwritesInPlaceAndZeroSizeHoldsNothing)
{
    CVXLFixedArray array = filled(2);
    const Record r {42, 43};
    EXPECT_TRUE(array.set(1, &r));
    EXPECT_EQ(array.count(), 2u);
    EXPECT_EQ(std::memcmp(array.at(1), &r, sizeof r), 0);

    CVXLFixedArray none(0, 10);
    EXPECT_FALSE(none.append(&r));
    EXPECT_EQ(none.count(), 0u);
    EXPECT_EQ(none.at(0), nullptr);

    CVXLFixedArray huge(0x10000, 0x10000); // reservation beyond the largest buffer
    EXPECT_EQ(huge.capacity(), 0u);
    EXPECT_EQ(huge.count(), 0u);
}

} // namespace
