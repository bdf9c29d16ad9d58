#include "engine/core/base/VXLVariant.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

using K = CVXLVariant::Kind;

CVXLVariant empty()
{
    return CVXLVariant();
}
CVXLVariant integer(int v)
{
    return CVXLVariant(v);
}
CVXLVariant text(const char* t)
{
    return CVXLVariant(t);
}

std::string str(const CVXLVariant& v)
{
    return v.toString().c_str();
}

// A reference inside a real object, so pointer steps stay meaningful.
std::uint32_t table[8];
CVXLVariant ref(int slot)
{
    return CVXLVariant(static_cast<const void*>(&table[slot]));
}

TEST(VXLVariant, Conversions)
{
    struct Case {
        const char* what;
        CVXLVariant value;
        K kind;
        const char* asText;
        int asInt;
        int numeric;
        bool isTrue;
    };
    const Case cases[] = {
        {"default", empty(), K::kEmpty, "", 0, 0, false},
        {"integer 0", integer(0), K::kInteger, "0", 0, 0, false},
        {"integer -42", integer(-42), K::kInteger, "-42", -42, -42, true},
        {"text 0 is true", text("0"), K::kText, "0", 0, 0, true},
        {"empty text is false", text(""), K::kText, "", 0, 0, false},
        {"text with leading space converts", text("  12x"), K::kText, "  12x", 12, 0, true},
        {"numeric text", text("-17"), K::kText, "-17", -17, -17, true},
        {"text abc", text("abc"), K::kText, "abc", 0, 0, true},
        {"text from a CVXLString", CVXLVariant(CVXLString("x9")), K::kText, "x9", 0, 0, true},
        {"null reference", CVXLVariant(static_cast<const void*>(nullptr)), K::kReference, "0", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.kind(), c.kind);
        EXPECT_EQ(str(c.value), c.asText);
        EXPECT_EQ(c.value.toInt(), c.asInt);
        EXPECT_EQ(c.value.numericValue(), c.numeric);
        EXPECT_EQ(c.value.isTrue(), c.isTrue);
        EXPECT_EQ(c.value.isFalse(), !c.isTrue);
    }
}

TEST(VXLVariant, ReferencesKeepTheirFullWidth)
{
    const CVXLVariant r = ref(2);
    EXPECT_EQ(r.reference(), &table[2]);
    EXPECT_EQ(str(r), std::to_string(reinterpret_cast<std::uintptr_t>(&table[2])));
    EXPECT_EQ(
        r.toInt(), static_cast<int>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&table[2]))));
    EXPECT_TRUE(r.isTrue());

    // A non-null address whose low 32 bits are zero is still true and still
    // differs from 0.
    const CVXLVariant high(reinterpret_cast<const void*>(std::uintptr_t {1} << 40));
    EXPECT_TRUE(high.isTrue());
    EXPECT_TRUE(high != integer(0));
    EXPECT_TRUE(high > integer(0));
    // Nor with the integer on the left, where the comparison follows the integer.
    const CVXLVariant low32Zero(reinterpret_cast<const void*>(std::uintptr_t {1} << 32));
    EXPECT_FALSE(integer(0) == low32Zero);
    EXPECT_TRUE(integer(0) != low32Zero);
    EXPECT_TRUE(integer(0) < low32Zero);
    EXPECT_TRUE(integer(-1) < r);
    EXPECT_TRUE(integer(0) == CVXLVariant(static_cast<const void*>(nullptr)));
    EXPECT_EQ(integer(1).reference(), nullptr);
}

TEST(VXLVariant, Arithmetic)
{
    struct Case {
        const char* what;
        CVXLVariant result;
        K kind;
        const char* expected;
    };
    const Case cases[] = {
        {"text 12 + integer 3 concatenates", text("12") + integer(3), K::kText, "123"},
        {"integer 3 + text 12 adds", integer(3) + text("12"), K::kInteger, "15"},
        {"empty + integer 5 is text", empty() + integer(5), K::kText, "5"},
        {"empty + empty is empty text", empty() + empty(), K::kText, ""},
        {"text + empty", text("a") + empty(), K::kText, "a"},
        {"integer + empty adds 0", integer(4) + empty(), K::kInteger, "4"},
        {"integer + text abc adds 0", integer(4) + text("abc"), K::kInteger, "4"},
        {"reference + text is empty", ref(0) + text("1"), K::kEmpty, ""},
        {"reference + empty is empty", ref(0) + empty(), K::kEmpty, ""},
        {"INT_MAX + 1 wraps", integer(INT_MAX) + integer(1), K::kInteger, "-2147483648"},
        {"text abc - integer 1", text("abc") - integer(1), K::kInteger, "-1"},
        {"text 10 - text 4", text("10") - text("4"), K::kInteger, "6"},
        {"empty - integer 3", empty() - integer(3), K::kInteger, "-3"},
        {"INT_MIN - 1 wraps", integer(INT_MIN) - integer(1), K::kInteger, "2147483647"},
        {"text 6 * integer 7", text("6") * integer(7), K::kInteger, "42"},
        {"product wraps", integer(65536) * integer(65536), K::kInteger, "0"},
        {"-7 / 2 truncates toward zero", integer(-7) / integer(2), K::kInteger, "-3"},
        {"-7 % 2 takes the dividend's sign", integer(-7) % integer(2), K::kInteger, "-1"},
        {"7 % -2", integer(7) % integer(-2), K::kInteger, "1"},
        {"division by text 0", integer(9) / text("0"), K::kInteger, "0"},
        {"text / text 0", text("9") / text("0"), K::kInteger, "0"},
        {"remainder by empty", integer(9) % empty(), K::kInteger, "0"},
        {"INT_MIN / -1", integer(INT_MIN) / integer(-1), K::kInteger, "-2147483648"},
        {"INT_MIN % -1", integer(INT_MIN) % integer(-1), K::kInteger, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result.kind(), c.kind);
        EXPECT_EQ(str(c.result), c.expected);
    }
}

TEST(VXLVariant, ReferencePlusIntegerStepsByFourBytes)
{
    struct Case {
        int from;
        int steps;
        int to;
    };
    const Case cases[] = {{0, 1, 1}, {0, 3, 3}, {5, -2, 3}, {4, 0, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from * 100 + c.steps);
        const CVXLVariant moved = ref(c.from) + integer(c.steps);
        EXPECT_EQ(moved.kind(), K::kReference);
        EXPECT_EQ(moved.reference(), &table[c.to]);
    }
}

TEST(VXLVariant, ComparisonsFollowTheLeftOperand)
{
    struct Case {
        const char* what;
        CVXLVariant left;
        CVXLVariant right;
        bool eq, lt, gt;
    };
    const Case cases[] = {
        // Numeric: left integer or reference, right integer, reference or numeric text.
        {"integer 7 equals text 007", integer(7), text("007"), true, false, false},
        {"text 007 does not equal integer 7", text("007"), integer(7), false, true, false},
        {"integer 5 < text 10", integer(5), text("10"), false, true, false},
        {"text 5 < integer 10 compares texts", text("5"), integer(10), false, false, true},
        {"integer -1 < integer 0 signed", integer(-1), integer(0), false, true, false},
        {"integer 5 vs empty compares texts", integer(5), empty(), false, false, true},
        {"integer 5 vs empty text is numeric (0)", integer(5), text(""), false, false, true},
        {"integer 12 vs text 9a compares texts", integer(12), text("9a"), false, true, false},
        {"integer 0 vs text - is numeric", integer(0), text("-"), true, false, false},
        {"empty vs empty", empty(), empty(), true, false, false},
        {"empty vs text", empty(), text("a"), false, true, false},
        {"empty vs integer 0 compares texts", empty(), integer(0), false, true, false},
        {"texts compare by signed bytes", text("\xC3"), text("a"), false, true, false},
        {"texts compare with case", text("B"), text("a"), false, true, false},
        {"reference vs the same reference", ref(1), ref(1), true, false, false},
        {"reference vs a later one", ref(1), ref(2), false, true, false},
        {"reference vs integer -1 is unsigned", ref(1), integer(-1), false, true, false},
        {"reference vs text compares texts", ref(1), text("x"), false, true, false},
        {"null reference == integer 0", CVXLVariant(static_cast<const void*>(nullptr)), integer(0), true,
            false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.left == c.right, c.eq);
        EXPECT_EQ(c.left != c.right, !c.eq);
        EXPECT_EQ(c.left < c.right, c.lt);
        EXPECT_EQ(c.left > c.right, c.gt);
        EXPECT_EQ(c.left <= c.right, c.lt || c.eq);
        EXPECT_EQ(c.left >= c.right, c.gt || c.eq);
    }
}

TEST(VXLVariant, CopiesOwnTheirText)
{
    CVXLVariant a("one");
    CVXLVariant b(a);
    a = "two";
    EXPECT_EQ(str(b), "one");
    EXPECT_EQ(str(a), "two");

    b = a;
    a = 5;
    EXPECT_EQ(str(b), "two");
    EXPECT_EQ(a.kind(), K::kInteger);

    CVXLVariant& same = b;
    b = same;
    EXPECT_EQ(str(b), "two");

    b = CVXLString("three");
    EXPECT_EQ(str(b), "three");
    b = empty();
    EXPECT_EQ(b.kind(), K::kEmpty);

    auto* heap = new CVXLVariant("heap");
    *heap = ref(3);
    EXPECT_EQ(heap->reference(), &table[3]);
    delete heap;
}

} // namespace
