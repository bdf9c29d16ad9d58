#include "engine/core/base/VXLString.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

static void PrintTo(const CVXLString& s, std::ostream* os)
{
    *os << '"' << std::string(s.c_str(), s.length()) << '"';
}

namespace {

std::string text(const CVXLString& s)
{
    return std::string(s.c_str(), s.length());
}

CVXLString withBytes(const std::string& bytes)
{
    CVXLString s;
    s.appendBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return s;
}

struct CountingString : CVXLString {
    using CVXLString::CVXLString;
    using CVXLString::operator=;
    void onChanged() override { ++changes; }
    int changes = 0;
};

TEST(VXLString, EmptyStringsShareOneBlock)
{
    CVXLString a, b(""), c(static_cast<const char*>(nullptr)), d(a);
    for (const CVXLString* s : {&a, &b, &c, &d}) {
        EXPECT_EQ(s->length(), 0u);
        EXPECT_STREQ(s->c_str(), "");
        EXPECT_TRUE(s->buffer().sharesWith(a.buffer()));
    }
    CVXLString filled("x");
    filled.clear();
    EXPECT_TRUE(filled.buffer().sharesWith(a.buffer()));

    auto* heap = new CVXLString("abc");
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(*heap, "abc");
    delete heap;
}

TEST(VXLString, SharedEmptyTextIsFreedAfterTheLastStringAndRecreated)
{
    if (CVXLString::liveCount() != 0)
        GTEST_SKIP() << "other strings are alive in this process";
    EXPECT_FALSE(CVXLString::hasSharedEmptyText());
    {
        CVXLString a;
        CVXLString b("kept");
        EXPECT_TRUE(CVXLString::hasSharedEmptyText());
        EXPECT_EQ(CVXLString::liveCount(), 2u);
    }
    EXPECT_EQ(CVXLString::liveCount(), 0u);
    EXPECT_FALSE(CVXLString::hasSharedEmptyText());

    // A buffer still holding the empty block keeps it past the text's end.
    CVXLByteBuffer holder;
    {
        CVXLString a;
        holder = a.buffer();
    }
    EXPECT_FALSE(CVXLString::hasSharedEmptyText());
    ASSERT_EQ(holder.length(), 1u);
    EXPECT_EQ(*holder.data(), 0);

    CVXLString again, other;
    EXPECT_TRUE(CVXLString::hasSharedEmptyText());
    EXPECT_TRUE(again.buffer().sharesWith(other.buffer()));
    EXPECT_FALSE(again.buffer().sharesWith(holder));
    EXPECT_STREQ(again.c_str(), "");
}

TEST(VXLString, ChangesNeverShowInACopy)
{
    struct Case {
        const char* name;
        std::function<void(CVXLString&)> change;
        const char* expected;
    } cases[] = {
        {"append", [](CVXLString& s) { s.append(CVXLString("!")); }, "hello!"},
        {"+= C string", [](CVXLString& s) { s += "!?"; }, "hello!?"},
        {"+= byte", [](CVXLString& s) { s += '!'; }, "hello!"},
        {"appendBytes", [](CVXLString& s) { s.appendBytes("!!!", 2); }, "hello!!"},
        {"insert", [](CVXLString& s) { s.insert(0, ">"); }, ">hello"},
        {"remove", [](CVXLString& s) { s.remove(1, 3); }, "ho"},
        {"changeCase", [](CVXLString& s) { s.changeCase(true); }, "HELLO"},
        {"toBase64", [](CVXLString& s) { s.toBase64(); }, "aGVsbG8="},
        {"setInt", [](CVXLString& s) { s.setInt(-7); }, "-7"},
        {"setUnsigned", [](CVXLString& s) { s.setUnsigned(7); }, "7"},
        {"appendNumber", [](CVXLString& s) { s.appendNumber(10, 16, false); }, "helloA"},
        {"assign C string", [](CVXLString& s) { s = "bye"; }, "bye"},
        {"assign bytes", [](CVXLString& s) { s.assign("bye!", 3); }, "bye"},
        {"assign no bytes", [](CVXLString& s) { s.assign("", 0); }, ""},
        {"clear", [](CVXLString& s) { s.clear(); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CVXLString original("hello");
        CVXLString copy(original);
        CVXLString assigned;
        assigned = original;
        ASSERT_TRUE(copy.buffer().sharesWith(original.buffer()));
        c.change(copy);
        EXPECT_EQ(text(copy), c.expected);
        EXPECT_EQ(text(original), "hello");
        EXPECT_EQ(text(assigned), "hello");
    }
}

TEST(VXLString, OnChangedFollowsEveryChangeOfTheText)
{
    struct Case {
        const char* name;
        std::function<void(CountingString&)> change;
        int changes;
    } cases[] = {
        {"assign string", [](CountingString& s) { s = CVXLString("x"); }, 1},
        {"assign C string", [](CountingString& s) { s = "x"; }, 1},
        // An emptied text is a change too (a parsed address must re-parse).
        {"assign empty C string", [](CountingString& s) { s = ""; }, 1},
        {"assign null", [](CountingString& s) { s = static_cast<const char*>(nullptr); }, 1},
        {"assign bytes", [](CountingString& s) { s.assign("xy", 2); }, 1},
        {"assign no bytes", [](CountingString& s) { s.assign("", 0); }, 1},
        {"append", [](CountingString& s) { s.append(CVXLString("x")); }, 1},
        {"append null", [](CountingString& s) { s.appendCString(nullptr); }, 0},
        {"append NUL byte", [](CountingString& s) { s.appendChar(0); }, 0},
        {"appendBytes null", [](CountingString& s) { s.appendBytes(nullptr, 3); }, 0},
        {"insert", [](CountingString& s) { s.insert(1, "x"); }, 1},
        {"insert empty", [](CountingString& s) { s.insert(1, ""); }, 0},
        {"remove", [](CountingString& s) { s.remove(0, 1); }, 1},
        {"remove nothing", [](CountingString& s) { s.remove(0, 0); }, 0},
        {"toLower", [](CountingString& s) { s.toLower(); }, 1},
        {"clear", [](CountingString& s) { s.clear(); }, 1},
        {"setInt", [](CountingString& s) { s.setInt(3); }, 1},
        {"toBase64", [](CountingString& s) { s.toBase64(); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountingString s("abc");
        c.change(s);
        EXPECT_EQ(s.changes, c.changes);
    }
}

TEST(VXLString, IntegersFormatInTheirRadix)
{
    struct Case {
        int value, radix;
        const char* expected;
    } cases[] = {
        {-255, 16, "FF"},
        {-255, 10, "-255"},
        {35, 36, "Z"},
        {36, 36, "10"},
        {0, 10, "0"},
        {0, 16, "0"},
        {255, 2, "11111111"},
        {INT_MAX, 10, "2147483647"},
        {INT_MIN, 10, "-2147483648"},
        {INT_MIN, 16, "80000000"},
        {-1, 2, "1"},
        {5, 1, ""},
        {5, 37, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " radix " << c.radix);
        EXPECT_EQ(text(CVXLString(c.value, c.radix)), c.expected);
    }
    EXPECT_EQ(text(CVXLString(42)), "42");

    CVXLString s("x");
    s.setInt(INT_MIN);
    EXPECT_EQ(text(s), "-2147483648");
    s.setInt(-12);
    EXPECT_EQ(text(s), "-12");
    s.setUnsigned(0xFFFFFFFFu);
    EXPECT_EQ(text(s), "4294967295");
    s.setUnsigned(0);
    EXPECT_EQ(text(s), "0");
    s.appendNumber(255, 16, true); // the sign goes only with radix 10
    EXPECT_EQ(text(s), "0FF");
    s.appendNumber(3, 10, true);
    EXPECT_EQ(text(s), "0FF-3");
    s.appendNumber(0xFFFFFFFFu, 2, false);
    EXPECT_EQ(text(s), "0FF-3" + std::string(32, '1'));
}

TEST(VXLString, ToIntParsesDecimalAndHexadecimal)
{
    struct Case {
        const char* text;
        int radix;
        int expected;
    } cases[] = {
        {"1F", 16, 31},
        {"1G", 16, 16},
        {"ff", 16, 255},
        {"FFFFFFFF", 16, -1},
        {"100000000", 16, 0}, // wraps at 32 bits
        {"-1", 16, 1}, // '-' counts as digit 0
        {"", 16, 0},
        {"  -12x", 10, -12},
        {"+7", 10, 7},
        {"x", 10, 0},
        {"", 10, 0},
        {"2147483647", 10, INT_MAX},
        {"99999999999", 10, INT_MAX},
        {"-99999999999", 10, INT_MIN},
        {"12", 8, 0},
        {"12", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" radix " << c.radix);
        EXPECT_EQ(CVXLString(c.text).toInt(c.radix), c.expected);
    }
    EXPECT_EQ(CVXLString("42").toInt(), 42);
}

TEST(VXLString, IsNumericAcceptsDigitsAndMinus)
{
    struct Case {
        const char* text;
        bool numeric;
    } cases[] = {
        {"", true}, {"0123", true}, {"-5", true}, {"5-", true}, {"1.5", false}, {" 1", false}, {"+1", false}};
    for (const auto& c : cases)
        EXPECT_EQ(CVXLString(c.text).isNumeric(), c.numeric) << c.text;
}

TEST(VXLString, FindAndFindChar)
{
    struct Case {
        const char* text;
        const char* pattern;
        int start;
        int expected;
    } cases[] = {
        {"abc", "", 0, -1},
        {"", "a", 0, -1},
        {"", "", 0, -1},
        {"abc", "c", 3, -1},
        {"abc", "c", 2, 2},
        {"abc", "a", -1, -1},
        {"abcabc", "bc", 0, 1},
        {"abcabc", "bc", 2, 4},
        {"abcabc", "abc", 1, 3},
        {"abc", "abcd", 0, -1},
        {"abc", "bcd", 1, -1},
        {"aab", "ab", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " / " << c.pattern << " from " << c.start);
        EXPECT_EQ(CVXLString(c.text).find(c.pattern, c.start), c.expected);
    }

    struct CharCase {
        const char* text;
        char c;
        int start;
        int expected;
    } chars[] = {
        {"a.b.c", '.', 0, 1},
        {"a.b.c", '.', 2, 3},
        {"a.b.c", '.', 4, -1},
        {"a.b.c", '.', 99, -1},
        {"a.b.c", '.', -1, -1},
        {"abc", 'x', 0, -1},
        {"", 'a', 0, -1},
    };
    for (const auto& c : chars) {
        SCOPED_TRACE(testing::Message() << c.text << " / " << c.c << " from " << c.start);
        EXPECT_EQ(CVXLString(c.text).findChar(c.c, c.start), c.expected);
    }
}

TEST(VXLString, CompareOrdersSignedBytesAndFoldsAsciiCase)
{
    struct Case {
        std::string a, b;
        bool caseSensitive;
        int expected;
    } cases[] = {
        {"abc", "ABD", false, -1},
        {"abc", "ABC", false, 0},
        {"abc", "ABC", true, 1},
        {"ab", "abc", true, -1},
        {"abc", "ab", true, 1},
        {"", "", true, 0},
        {"", "a", true, -1},
        {"a\x80", "ab", true, -1}, // 0x80 is negative as a signed byte
        {"\xe4", "A", false, -1}, // only ASCII letters fold
        {"[", "a", false, 1}, // 'a' folds to 'A', which is below '['
        // A NUL ends the comparison, as it ends ==.
        {std::string("ab\0c", 4), "ab", true, 0},
        {std::string("ab\0c", 4), std::string("ab\0d", 4), false, 0},
        {std::string("ab\0", 3), "ab", true, 0},
        {std::string("a\0c", 3), "ab", true, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " vs " << c.b << (c.caseSensitive ? " exact" : " folded"));
        EXPECT_EQ(withBytes(c.a).compare(withBytes(c.b), c.caseSensitive), c.expected);
        EXPECT_EQ(withBytes(c.b).compare(withBytes(c.a), c.caseSensitive), -c.expected);
        if (c.caseSensitive) {
            EXPECT_EQ(withBytes(c.a) == withBytes(c.b), c.expected == 0);
        }
    }
}

TEST(VXLString, OperatorsCompareAndConcatenate)
{
    const CVXLString abc("abc");
    const char* none = nullptr;
    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE("abc" == abc);
    EXPECT_TRUE(abc == CVXLString("abc"));
    EXPECT_TRUE(abc != "abd");
    EXPECT_TRUE("ab" != abc);
    EXPECT_TRUE(abc != CVXLString("ABC"));
    EXPECT_FALSE(abc == none);
    EXPECT_FALSE(none == abc);
    EXPECT_TRUE(CVXLString() == "");
    EXPECT_FALSE(CVXLString() == none);
    EXPECT_TRUE(CVXLString() != none);
    // Equality stops at the first NUL, as a C string view would.
    EXPECT_TRUE(withBytes(std::string("ab\0x", 4)) == "ab");

    EXPECT_TRUE(CVXLString("ABC") < abc);
    EXPECT_TRUE(abc > "ABC");
    EXPECT_TRUE(abc <= "abc");
    EXPECT_TRUE(abc >= "abc");
    EXPECT_FALSE(abc < "abc");
    EXPECT_TRUE(CVXLString("ab") < abc);

    EXPECT_EQ(text(abc + CVXLString("de")), "abcde");
    EXPECT_EQ(text(abc + "de"), "abcde");
    EXPECT_EQ(text("de" + abc), "deabc");
    EXPECT_EQ(text(abc + none), "abc");
    EXPECT_EQ(text(none + abc), "abc");
    EXPECT_EQ(text(abc), "abc");

    CVXLString s;
    s += "a";
    s += CVXLString("b");
    s += 'c';
    s += '\0';
    s += none;
    EXPECT_EQ(text(s), "abc");
    EXPECT_EQ(s.length(), 3u);
}

TEST(VXLString, AppendBytesCopiesExactlyTheGivenBytes)
{
    const char bytes[] = {'a', 'b', 'c', 'd'}; // no NUL anywhere
    CVXLString s;
    s.appendBytes(bytes, 3);
    EXPECT_EQ(text(s), "abc");
    EXPECT_EQ(s.c_str()[3], 0);
    s.appendBytes(bytes + 3, 1);
    EXPECT_EQ(text(s), "abcd");
    s.appendBytes(bytes, 0);
    EXPECT_EQ(text(s), "abcd");
    EXPECT_EQ(s.buffer().length(), 5u);
}

TEST(VXLString, CaseFoldingTouchesAsciiLettersOnly)
{
    CVXLString s("Hello, World! \xc4\xe4 az[`{");
    s.changeCase(true);
    EXPECT_EQ(text(s), "HELLO, WORLD! \xc4\xe4 AZ[`{");
    s.toLower();
    EXPECT_EQ(text(s), "hello, world! \xc4\xe4 az[`{");
    CVXLString upper("ABC");
    CVXLString copy(upper);
    copy.changeCase(true); // nothing to change: the block stays shared
    EXPECT_TRUE(copy.buffer().sharesWith(upper.buffer()));
}

TEST(VXLString, SubstringsAreCutAtTheEnds)
{
    struct Case {
        std::string text;
        int start;
        std::uint32_t count;
        const char* expected;
    } cases[] = {
        {"abc", 1, 100, "bc"}, {"abc", 0, 3, "abc"}, {"abc", 0, 0, ""}, {"abc", 2, 1, "c"},
        {"abc", 2, 0xFFFFFFFFu, "c"}, {"abc", 3, 1, ""}, {"abc", -1, 2, ""}, {"", 0, 1, ""},
        {std::string("a\0b", 3), 0, 3, "ab"}, // NUL bytes are dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " from " << c.start << " count " << c.count);
        CVXLString sub = withBytes(c.text).substr(c.start, c.count);
        EXPECT_EQ(text(sub), c.expected);
    }
}

TEST(VXLString, SubstrUntilTokenises)
{
    struct Case {
        const char* text;
        char delimiter;
        int start;
        const char* expected;
    } cases[] = {
        {"pers.a.b", '.', 0, "pers"},
        {"pers.a.b", '.', 5, "a"},
        {"pers.a.b", '.', 7, "b"},
        {"pers.a.b", '.', 8, ""},
        {"pers.a.b", '.', 9, ""},
        {"pers.a.b", '.', -1, ""},
        {"pers.a.b", '.', 4, ""},
        {"abc", 'x', 0, "abc"},
        {"", '.', 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " from " << c.start);
        EXPECT_EQ(text(CVXLString(c.text).substrUntil(c.delimiter, c.start)), c.expected);
    }

    const CVXLString key("cfg.12..x.");
    std::vector<std::string> tokens;
    for (int at = 0; at < static_cast<int>(key.length());) {
        CVXLString token = key.substrUntil('.', at);
        tokens.push_back(text(token));
        at += static_cast<int>(token.length()) + 1;
    }
    EXPECT_EQ(tokens, (std::vector<std::string> {"cfg", "12", "", "x"}));
}

TEST(VXLString, InsertRemoveAndReplaced)
{
    struct Edit {
        const char* text;
        int position;
        std::uint32_t count;
        const char* expected;
    } removals[] = {
        {"abc", 1, 10, "a"},
        {"abc", 0, 3, ""},
        {"abc", 0, 0, "abc"},
        {"abc", 3, 5, "abc"},
        {"abc", 4, 1, "abc"},
        {"abc", -1, 1, "abc"},
        {"abc", 1, 1, "ac"},
    };
    for (const auto& c : removals) {
        SCOPED_TRACE(testing::Message() << "remove " << c.position << "+" << c.count << " of " << c.text);
        CVXLString s(c.text);
        s.remove(c.position, c.count);
        EXPECT_EQ(text(s), c.expected);
        EXPECT_EQ(s.c_str()[s.length()], 0);
        EXPECT_EQ(s.buffer().length(), s.length() + 1);
    }

    struct Insert {
        const char* text;
        int position;
        const char* inserted;
        const char* expected;
    } inserts[] = {
        {"ac", 1, "b", "abc"},
        {"abc", 3, "d", "abcd"},
        {"abc", 0, "x", "xabc"},
        {"", 0, "x", "x"},
        {"abc", 4, "x", "abc"},
        {"abc", -1, "x", "abc"},
    };
    for (const auto& c : inserts) {
        SCOPED_TRACE(
            testing::Message() << "insert " << c.inserted << " at " << c.position << " of " << c.text);
        CVXLString s(c.text);
        s.insert(c.position, c.inserted);
        EXPECT_EQ(text(s), c.expected);
    }

    struct Replace {
        int position;
        std::uint32_t count;
        const char* replacement;
        const char* expected;
    } replacements[] = {
        {1, 2, "XY", "aXYde"},
        {1, 0, "XY", "abcde"},
        {3, 100, "!", "abc!"},
        {5, 1, "!", "abcde!"},
        {0, 5, "", ""},
        {6, 1, "!", "abcde"},
    };
    const CVXLString source("abcde");
    for (const auto& c : replacements) {
        SCOPED_TRACE(
            testing::Message() << "replace " << c.position << "+" << c.count << " by " << c.replacement);
        EXPECT_EQ(text(CVXLString::replaced(source, c.position, c.count, c.replacement)), c.expected);
    }
    EXPECT_EQ(text(source), "abcde");
}

TEST(VXLString, OwnTextAsArgument)
{
    CVXLString s("abcd");
    s.append(s);
    EXPECT_EQ(text(s), "abcdabcd");
    s.insert(1, s);
    EXPECT_EQ(text(s), "aabcdabcdbcdabcd");
    s = s.c_str() + 12;
    EXPECT_EQ(text(s), "abcd");
    s.appendCString(s.c_str() + 1);
    EXPECT_EQ(text(s), "abcdbcd");
    s.appendBytes(s.c_str(), 2);
    EXPECT_EQ(text(s), "abcdbcdab");
    CVXLString& self = s;
    s = self;
    EXPECT_EQ(text(s), "abcdbcdab");
    s.assign(s.c_str() + 2, 5);
    EXPECT_EQ(text(s), "cdbcd");
}

// A string assigned again and again writes over its own block while the
// text fits, byte for byte (NULs too), and takes a new one when it does not;
// a block shared with a copy is never written over.
TEST(VXLString, AssignWritesOverItsOwnBlockWhileTheTextFits)
{
    CVXLString s("a longer first text");
    const std::uint8_t* block = s.buffer().data();
    ASSERT_TRUE(s.assign("n\0l", 3));
    EXPECT_EQ(s.buffer().data(), block);
    EXPECT_EQ(s.length(), 3u);
    EXPECT_EQ(std::string(s.c_str(), 4), std::string("n\0l\0", 4));
    ASSERT_TRUE(s.assign("", 0));
    EXPECT_EQ(s.buffer().data(), block);
    EXPECT_EQ(text(s), "");
    EXPECT_EQ(s.length(), 0u);
    ASSERT_TRUE(s.assign("back again", 10));
    EXPECT_EQ(s.buffer().data(), block);
    EXPECT_EQ(text(s), "back again");

    const CVXLString copy(s);
    ASSERT_TRUE(s.assign("mine", 4));
    EXPECT_NE(s.buffer().data(), block);
    EXPECT_EQ(text(copy), "back again");
    EXPECT_EQ(text(s), "mine");

    const std::string longer(200, 'x');
    const std::uint8_t* before = s.buffer().data();
    ASSERT_TRUE(s.assign(longer.data(), static_cast<std::uint32_t>(longer.size())));
    EXPECT_NE(s.buffer().data(), before);
    EXPECT_EQ(text(s), longer);
}

TEST(VXLString, CharAtStaysInsideTheText)
{
    const CVXLString s("ab");
    ASSERT_NE(s.charAt(1), nullptr);
    EXPECT_EQ(*s.charAt(1), 'b');
    ASSERT_NE(s.charAt(2), nullptr);
    EXPECT_EQ(*s.charAt(2), 0);
    EXPECT_EQ(s.charAt(3), nullptr);
    EXPECT_EQ(s.charAt(-1), nullptr);
}

TEST(VXLString, Base64)
{
    struct Case {
        std::string in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"foobar", "Zm9vYmFy"},
        {"fooba", "Zm9vYmE="},
        {std::string("\xff\xfe\x00", 3), "//4A"},
        {"user:secret", "dXNlcjpzZWNyZXQ="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        CVXLString s = withBytes(c.in);
        s.toBase64();
        EXPECT_EQ(text(s), c.out);

        CVXLByteBuffer out;
        out.appendCString("Basic ");
        ASSERT_TRUE(vxlBase64Encode(c.in.data(), static_cast<std::uint32_t>(c.in.size()), out));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data()), out.length()),
            std::string("Basic ") + c.out);
    }
    CVXLByteBuffer untouched;
    EXPECT_FALSE(vxlBase64Encode(nullptr, 3, untouched));
    EXPECT_FALSE(vxlBase64Encode("abc", 0xFFFFFFFFu, untouched));
    EXPECT_EQ(untouched.data(), nullptr);
}

} // namespace
