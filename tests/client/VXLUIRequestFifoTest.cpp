#include "engine/client/VXLUIRequestFifo.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int32_t> contents(const CVXLUIRequestFifo& fifo)
{
    std::vector<std::int32_t> codes;
    for (int i = 0; i < fifo.count(); ++i)
        codes.push_back(fifo.at(i));
    return codes;
}

TEST(VXLUIRequestFifo, SeventeenthCodeDropsTheOldest)
{
    CVXLUIRequestFifo fifo;
    for (std::int32_t code = 1; code <= 17; ++code)
        fifo.push(code);
    ASSERT_EQ(fifo.count(), CVXLUIRequestFifo::kMaxPendingCodes);
    std::vector<std::int32_t> expected;
    for (std::int32_t code = 2; code <= 17; ++code)
        expected.push_back(code);
    EXPECT_EQ(contents(fifo), expected);
    EXPECT_EQ(fifo.pop(), 2);
    EXPECT_EQ(fifo.count(), 15);
}

TEST(VXLUIRequestFifo, RemoveTakesEveryOccurrenceAndKeepsTheOrder)
{
    CVXLUIRequestFifo fifo;
    for (std::int32_t code : {2, 5, 2, 7, 2})
        fifo.push(code);
    fifo.remove(2);
    EXPECT_EQ(contents(fifo), (std::vector<std::int32_t> {5, 7}));
    fifo.remove(9);
    EXPECT_EQ(contents(fifo), (std::vector<std::int32_t> {5, 7}));
}

TEST(VXLUIRequestFifo, PopTakesTheOldestAndAnswersZeroWhenEmpty)
{
    CVXLUIRequestFifo fifo;
    EXPECT_EQ(fifo.pop(), 0);
    fifo.push(3);
    fifo.push(4);
    EXPECT_EQ(fifo.pop(), 3);
    EXPECT_EQ(fifo.pop(), 4);
    EXPECT_EQ(fifo.pop(), 0);
    EXPECT_EQ(fifo.count(), 0);
    EXPECT_EQ(fifo.at(0), 0);
}

} // namespace
