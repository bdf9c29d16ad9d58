#include "engine/transport/mms/VXLMmsFieldTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One value as a caller adds it: a string, text bytes or a number.
struct Added {
    enum class How { kString, kText, kNumber, kNegative } how;
    std::int32_t code;
    std::string text;
    std::uint64_t number;
    std::string reads; // what value() answers
};

bool add(CVXLMmsFieldTable& table, const Added& value)
{
    switch (value.how) {
    case Added::How::kString:
        return table.add(value.code, CVXLString(value.text.c_str()));
    case Added::How::kText:
        return table.addText(value.code, value.text.data(), static_cast<std::uint32_t>(value.text.size()));
    case Added::How::kNumber:
        return table.addNumber(value.code, value.number);
    case Added::How::kNegative:
        return table.addNumber(value.code, value.number, true);
    }
    return false;
}

// Every value of every code, in code order then value order.
std::vector<std::string> contents(const CVXLMmsFieldTable& table)
{
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < table.codeCount(); ++i) {
        const std::int32_t code = table.codeAt(i);
        for (std::uint32_t n = 0; n < table.valueCount(code); ++n)
            out.push_back(std::to_string(code) + "=" + table.value(code, static_cast<int>(n)).c_str());
    }
    return out;
}

const std::string kLongText(300, 'L'); // more than the pool's first block

const Added kValues[] = {
    {Added::How::kText, 24, "T-1", 0, "T-1"},
    {Added::How::kNumber, 12, "", 3, "3"},
    {Added::How::kText, 23, "+15550001111/TYPE=PLMN", 0, "+15550001111/TYPE=PLMN"},
    {Added::How::kString, 13, "1.2", 0, "1.2"},
    {Added::How::kNumber, 5, "", 1000000000, "1000000000"},
    {Added::How::kText, 23, "+15550002222/TYPE=PLMN", 0, "+15550002222/TYPE=PLMN"},
    {Added::How::kNegative, 16, "", 1, "-1"},
    {Added::How::kNegative, 17, "", 0, "0"},
    {Added::How::kNumber, 14, "", 255, "255"},
    {Added::How::kNumber, 15, "", 256, "256"},
    {Added::How::kNumber, 8, "", 18446744073709551615ull, "18446744073709551615"},
    {Added::How::kText, 22, kLongText, 0, kLongText},
    {Added::How::kText, 3, "", 0, ""},
    {Added::How::kText, 23, "+15550003333/TYPE=PLMN", 0, "+15550003333/TYPE=PLMN"},
};

std::vector<std::string> expectedContents(std::size_t repeats)
{
    // Codes keep the order of their first value.
    std::vector<std::int32_t> codes;
    for (const Added& v : kValues) {
        if (std::find(codes.begin(), codes.end(), v.code) == codes.end())
            codes.push_back(v.code);
    }
    std::vector<std::string> out;
    for (std::int32_t code : codes) {
        for (std::size_t r = 0; r < repeats; ++r) {
            for (const Added& v : kValues) {
                if (v.code == code)
                    out.push_back(std::to_string(code) + "=" + v.reads);
            }
        }
    }
    return out;
}

CVXLMmsFieldTable filled(std::size_t repeats)
{
    CVXLMmsFieldTable table;
    for (std::size_t r = 0; r < repeats; ++r) {
        for (const Added& v : kValues)
            EXPECT_TRUE(add(table, v));
    }
    return table;
}

// Texts kept as bytes and numbers kept as numbers read as the strings they
// stand for, however the table is grown, copied or read.
TEST(MmsFieldTable, ValuesReadAsAddedWhateverTheirForm)
{
    for (const std::size_t repeats : {std::size_t {1}, std::size_t {5}}) {
        SCOPED_TRACE(std::to_string(repeats) + " rounds");
        const std::vector<std::string> expected = expectedContents(repeats);

        CVXLMmsFieldTable table = filled(repeats);
        EXPECT_EQ(table.valueCount(23), 3 * repeats);
        EXPECT_EQ(table.valueCount(99), 0u);
        EXPECT_EQ(table.value(23, static_cast<int>(3 * repeats)), "");

        // Copies made before and after the first read.
        CVXLMmsFieldTable unread(table);
        EXPECT_EQ(contents(table), expected);
        EXPECT_EQ(contents(table), expected) << "a second read";
        CVXLMmsFieldTable read(table);
        CVXLMmsFieldTable assigned;
        assigned = unread;
        EXPECT_EQ(contents(unread), expected);
        EXPECT_EQ(contents(read), expected);
        EXPECT_EQ(contents(assigned), expected);

        // Values added to a copy stay its own; earlier values keep their text.
        ASSERT_TRUE(assigned.addText(24, "extra", 5));
        EXPECT_EQ(assigned.valueCount(24), repeats + 1);
        EXPECT_EQ(unread.valueCount(24), repeats);
        EXPECT_EQ(assigned.value(24, 0), "T-1");
        EXPECT_EQ(assigned.value(24, static_cast<int>(repeats)), "extra");

        table.clear();
        EXPECT_EQ(table.codeCount(), 0u);
        EXPECT_EQ(table.valueCount(24), 0u);
        EXPECT_EQ(contents(unread), expected);
    }
}

// Short texts lie in the table itself until a longer one moves them all
// to a block; a copy on either side of the move reads the same.
TEST(MmsFieldTable, TextsReadTheSameBeforeAndAfterTheyOutgrowTheTable)
{
    CVXLMmsFieldTable table;
    ASSERT_TRUE(table.addText(24, "a", 1));
    ASSERT_TRUE(table.addText(24, "bc", 2));
    CVXLMmsFieldTable before(table);
    ASSERT_TRUE(table.addText(22, kLongText.data(), static_cast<std::uint32_t>(kLongText.size())));
    ASSERT_TRUE(table.addText(24, "d", 1));
    ASSERT_TRUE(before.addText(24, "e", 1));
    const CVXLMmsFieldTable after(table);
    EXPECT_EQ(contents(table), (std::vector<std::string> {"24=a", "24=bc", "24=d", "22=" + kLongText}));
    EXPECT_EQ(contents(after), contents(table));
    EXPECT_EQ(contents(before), (std::vector<std::string> {"24=a", "24=bc", "24=e"}));
}

TEST(MmsFieldTable, ParametersStayWithTheirValue)
{
    CVXLMmsFieldTable table;
    ASSERT_TRUE(table.addText(23, "a", 1));
    ASSERT_TRUE(table.setParameter(23, 0, CVXLMmsFieldTable::kToken, "2"));
    ASSERT_TRUE(table.addNumber(8, 86400));
    ASSERT_TRUE(table.setParameter(8, 0, CVXLMmsFieldTable::kToken, "1"));
    ASSERT_TRUE(table.addText(23, "b", 1));
    ASSERT_TRUE(table.setParameter(23, 1, CVXLMmsFieldTable::kCharset, "utf-8"));
    EXPECT_FALSE(table.setParameter(23, 2, CVXLMmsFieldTable::kToken, "x")) << "no third value";
    // Enough values to grow the table's entries more than once.
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(table.addNumber(40, static_cast<std::uint64_t>(i)));

    const CVXLMmsFieldTable copy(table);
    for (const CVXLMmsFieldTable* t : {static_cast<const CVXLMmsFieldTable*>(&table), &copy}) {
        ASSERT_NE(t->parameter(23, 0, CVXLMmsFieldTable::kToken), nullptr);
        EXPECT_EQ(*t->parameter(23, 0, CVXLMmsFieldTable::kToken), "2");
        EXPECT_EQ(t->parameter(23, 0, CVXLMmsFieldTable::kCharset), nullptr);
        ASSERT_NE(t->parameter(23, 1, CVXLMmsFieldTable::kCharset), nullptr);
        EXPECT_EQ(*t->parameter(23, 1, CVXLMmsFieldTable::kCharset), "utf-8");
        ASSERT_NE(t->parameter(8, 0, CVXLMmsFieldTable::kToken), nullptr);
        EXPECT_EQ(*t->parameter(8, 0, CVXLMmsFieldTable::kToken), "1");
        EXPECT_EQ(t->value(8), "86400");
        EXPECT_EQ(t->value(23, 1), "b");
        EXPECT_EQ(t->value(40, 39), "39");
        EXPECT_EQ(t->parameterCount(23, 1), 1u);
    }
}

TEST(MmsFieldTable, RefusesCodesOutsideTheTable)
{
    CVXLMmsFieldTable table;
    EXPECT_FALSE(table.addText(-1, "a", 1));
    EXPECT_FALSE(table.addText(CVXLMmsFieldTable::kMaxCode + 1, "a", 1));
    EXPECT_FALSE(table.addNumber(CVXLMmsFieldTable::kMaxCode + 1, 1));
    EXPECT_EQ(table.codeCount(), 0u);
    ASSERT_TRUE(table.addText(CVXLMmsFieldTable::kMaxCode, "a", 1));
    EXPECT_EQ(table.value(CVXLMmsFieldTable::kMaxCode), "a");
}

TEST(MmsFieldTable, OnlyPlainDecimalNamesOfACodeNameAField)
{
    struct Case {
        const char* name;
        std::int32_t code; // -1: not a field
    };
    const Case cases[] = {
        {"0", 0},
        {"7", 7},
        {"12", 12},
        {"99", 99},
        {"100", 100},
        {"127", 127},
        {"128", -1},
        {"999", -1},
        {"1000", -1},
        {"07", -1},
        {"00", -1},
        {"", -1},
        {"1a", -1},
        {"a1", -1},
        {"-1", -1},
        {" 1", -1},
        {"1/", -1},
        {"1:", -1},
    };
    for (const Case& c : cases) {
        std::int32_t code = -7;
        const bool field = CVXLMmsFieldTable::codeOfName(CVXLString(c.name), code);
        EXPECT_EQ(field, c.code >= 0) << '"' << c.name << '"';
        EXPECT_EQ(code, field ? c.code : -7) << '"' << c.name << '"';
    }
    // A NUL inside the text does not end the name early.
    CVXLString withNul;
    ASSERT_TRUE(withNul.assign("1\0", 2));
    std::int32_t code = -7;
    EXPECT_FALSE(CVXLMmsFieldTable::codeOfName(withNul, code));
}

} // namespace
