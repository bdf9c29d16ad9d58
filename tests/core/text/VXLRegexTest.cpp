#include "engine/core/text/VXLRegex.h"
#include "engine/core/text/VXLRegexCompiler.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The three address patterns the URI parser uses.
const char* const kAddressPattern = "^(([^:/?#]+):)?(//([^/?#]*))?([^?#]*)(\\?([^#]*))?(#(.*))?";
const char* const kAuthorityPattern = "^((.+)@)?(.+)$";
const char* const kHostPattern
    = "^((\\[.+\\])|((0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])\\."
      "(0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])\\."
      "(0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])\\."
      "(0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5]))|([^:]+))(:([0-9]*))?$";

struct OracleCase {
    const char* pattern;
    std::vector<std::string> subjects;
};

// Patterns within the engine's syntax, each searched in every subject; the
// expected outcome and groups come from Python's re (tests/peers/regex_oracle.py).
const std::vector<OracleCase>& oracleCases()
{
    static const std::vector<OracleCase> cases = {
        {"^([^:]+):[ \t]*([^\r\n]+)\r?\n$",
            {"Content-Type: text/plain\r\n", "X:y\n", "nocolon\r\n", "A:\r\n", "A: b\r\nc"}},
        {"[^\r](\n)", {"a\nb", "\r\n", "\n", "ab\r\nc\nd"}},
        {"\r\n[ \t]+", {"a\r\n b\r\n\tc", "a\r\nb"}},
        {"ab*", {"abbbc", "ac", "xyz", "babb"}},
        {"ab?", {"ac", "abbb", "b"}},
        {"ab+c", {"abbbc", "ac", "xabcabbc"}},
        {"a|b|c", {"xxc", "xbx", "zzz"}},
        {"a|", {"bab", ""}},
        {"(a|ab)(c|bcd)(d*)", {"abcd", "abcdd", "acd"}},
        {"(ab)*c", {"ababc", "abac", "c", "xabababcx"}},
        {"(ab)+c", {"ababc", "c", "abc"}},
        {"(ab)?c", {"ababc", "c", "xbc"}},
        {"(a(b(c)))?d", {"abcd", "d", "abd"}},
        {"x(y|)z", {"xz", "xyz", "xyyz"}},
        {"()a", {"ba"}},
        {"(a|b)*abb", {"aababb", "abab", "abbabb"}},
        {"(a*b)+", {"aabab", "ccc", "b"}},
        {"((a)|b)+", {"ab", "ba"}},
        {"(a|(b))+", {"ba", "ab"}},
        {"([0-9]+)\\.([0-9]+)", {"v10.25x", "1.", ".5", "1.2.3"}},
        {"x*y*z", {"xxyz", "z", "xxy", "axyzz"}},
        {"a+b+c", {"aabbc", "abc", "ac", "xaabbbcc"}},
        {"(foo|foobar)baz", {"foobarbaz", "foobaz", "fooba"}},
        {"h(e|a)llo world", {"say hallo world!", "hello world", "hullo world"}},
        {"(.*)=(.*)", {"key=value=x", "novalue", "="}},
        {".*b", {"aaab", "b", "a"}},
        {"b*", {"abc", ""}},
        {"a.c", {"abc", "a\nc", "ac"}},
        {"^$", {"", "a"}},
        {"$", {"", "abc"}},
        {"^abc$", {"abc", "abcd", "xabc"}},
        {"^a|b$", {"ab", "ca", "bc"}},
        {"[a-c]+", {"xxabcabz", "ddd"}},
        {"[^a-c]+", {"abcxyz", "abc"}},
        {"[]a]+", {"x]a]]b", "b"}},
        {"[^]a]+", {"]]xyz", "]a"}},
        {"[a-]+", {"xa-a-b"}},
        {"[-a]+", {"b--a"}},
        {"[a\\]+", {"x\\a\\"}},
        {"[ -~]+",
            {"\x01"
             "ab\x80"
             "c~"}},
        {"[\xe0-\xff]+", {"ab\xe9\xe0z"}},
        {"\xc3\xa9+", {"caf\xc3\xa9\xa9!", "cafe"}},
        {"\\.\\*\\[\\\\", {"x.*[\\y", ".*["}},
        {"a\\|b", {"a|b", "ab"}},
        {"\\n", {"n", "\n"}},
        {"a{2}", {"a{2}", "aa"}},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", {"xabcdefghij", "abcdefghi"}},
        {"a?a?a?aaa", {"aaa", "aaaaa", "aa"}},
        {"(x+x+)+y", {"xxxxy", "xxxx"}},
        {"(a|b|c|d)*(cd|d)", {"abcd", "dddd"}},
        {kAddressPattern,
            {"http://u@host:80/p/q?x=1&y#frag", "HTTP://Example.COM", "rel/path?x#y", "//auth/only",
                "mailto:a@b.c", "#frag", "", "?q", "a:b:c", "http://[::1]:8080/"}},
        {kAuthorityPattern, {"u@h:443", "h", "a@b@c", "@h", "u@", ""}},
        {kHostPattern,
            {"10.1.2.3", "256.1.1.1", "[::1]:8080", "Host.Example:", "001.002.003.004", "1.2.3", "h:80",
                "255.255.255.255:0", "1.2.3.4:x", ":80"}},
    };
    return cases;
}

std::string ours(CVXLRegex& regex, const std::string& subject)
{
    if (!regex.exec(subject.c_str()))
        return "-";
    std::ostringstream line;
    for (int g = 0; g <= CVXLRegex::kMaxGroups; ++g)
        line << (g ? " " : "") << regex.groupStart(g) << ' ' << regex.groupLength(g);
    return line.str();
}

TEST(VXLRegex, AgreesWithPythonRe)
{
    const std::string interpreter = testPython();
    const std::string input = ::testing::TempDir() + "regex_oracle_" + std::to_string(::getpid()) + ".txt";
    {
        std::ofstream out(input);
        for (const OracleCase& c : oracleCases()) {
            for (const std::string& s : c.subjects) {
                out << testHex(c.pattern) << ' ' << testHex(s) << '\n';
            }
        }
    }
    const std::string command
        = interpreter + " " + TESSEL_SOURCE_DIR "/tests/peers/regex_oracle.py < '" + input + "'";
    const TestCommandResult run = testRunCommand(command);
    ASSERT_EQ(run.status, 0) << "the oracle failed: " << command;
    const std::string& output = run.output;
    std::remove(input.c_str());

    std::istringstream lines(output);
    for (const OracleCase& c : oracleCases()) {
        CVXLRegex regex;
        ASSERT_EQ(regex.compile(c.pattern), 1) << c.pattern;
        for (const std::string& s : c.subjects) {
            std::string expected;
            ASSERT_TRUE(std::getline(lines, expected)) << "oracle output ends early";
            // Python lists only the pattern's groups; ours lists all ten.
            std::string got = ours(regex, s);
            if (expected != "-") {
                std::istringstream count(expected);
                int fields = 0;
                for (std::string f; count >> f;)
                    ++fields;
                std::istringstream all(got);
                std::string trimmed;
                for (int i = 0; i < fields; ++i) {
                    std::string f;
                    all >> f;
                    trimmed += (i ? " " : "") + f;
                }
                got = trimmed;
            }
            EXPECT_EQ(got, expected) << "pattern \"" << c.pattern << "\" subject \"" << s << "\"";
        }
    }
}

TEST(VXLRegex, GroupsOfTheLastSearch)
{
    CVXLRegex header = CVXLRegex::fromPattern("^([^:]+):[ \t]*([^\r\n]+)\r?\n$");
    const CVXLString line = "Content-Type: text/plain\r\n";
    ASSERT_EQ(header.matches(line), 1);
    EXPECT_EQ(header.group(1, line), "Content-Type");
    EXPECT_EQ(header.group(2, line), "text/plain");
    EXPECT_EQ(header.group(3, line), "") << "a group the pattern lacks";
    EXPECT_EQ(header.groupStart(11), 0);
    EXPECT_EQ(header.groupLength(-1), 0);

    CVXLRegex copy(header);
    EXPECT_TRUE(copy.program().sharesWith(header.program()));
    EXPECT_EQ(copy.group(2, line), "text/plain") << "a copy keeps the groups it was copied with";

    ASSERT_EQ(header.exec("X-A: 1\r\n"), 1);
    EXPECT_EQ(header.groupLength(1), 3);
    EXPECT_EQ(header.exec("bad line"), 0);
    EXPECT_EQ(header.groupLength(0), 0) << "a failed search leaves no groups behind";
    EXPECT_EQ(header.groupLength(1), 0);

    CVXLRegex end = CVXLRegex::fromPattern("$");
    ASSERT_EQ(end.exec(""), 1);
    EXPECT_EQ(end.groupStart(0), 0);
    EXPECT_EQ(end.groupLength(0), 0);
}

TEST(VXLRegex, MalformedPatternsNeverMatch)
{
    const char* const bad[] = {
        "(a*)*",
        "*a",
        "+",
        "?a",
        "a**",
        "a*+",
        "a??",
        "a+*",
        "(",
        "(a",
        ")",
        "a)",
        "a|b)",
        "[abc",
        "[",
        "[^",
        "[z-a]",
        "a\\",
        "\\",
        "^*",
        "$+",
        "()*",
        "(|a)+",
        "x(y?)+",
        "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)",
        "((((((((((()))))))))))",
        "a|*",
    };
    for (const char* pattern : bad) {
        CVXLRegex regex;
        EXPECT_EQ(regex.compile(pattern), 0) << pattern;
        EXPECT_FALSE(regex.isCompiled()) << pattern;
        EXPECT_EQ(regex.matches("a"), 0) << pattern;
        EXPECT_EQ(regex.exec("aaaa"), 0) << pattern;
        EXPECT_EQ(regex.group(0, "a"), "") << pattern;
        EXPECT_EQ(vxlRegexMatch(pattern, "(a)"), 0) << pattern;
    }
    CVXLRegex ten;
    EXPECT_EQ(ten.compile("((((((((((a))))))))))"), 1) << "ten groups are allowed";
    EXPECT_EQ(ten.compile(nullptr), 0);
    EXPECT_FALSE(ten.isCompiled()) << "a failed compile clears the earlier program";
    EXPECT_EQ(ten.exec(nullptr), 0);
}

TEST(VXLRegex, ProgramsStayWithinSixteenBitOffsets)
{
    // A long alternation puts the last alternative far from the first.
    std::string alternation;
    for (int i = 0; i < 5000; ++i)
        alternation += "ab|";
    alternation += "xyz";
    CVXLRegex near;
    ASSERT_EQ(near.compile(alternation.c_str()), 1);
    EXPECT_GT(near.program().length(), 40000u);
    EXPECT_EQ(near.exec("--xyz"), 1);
    EXPECT_EQ(near.groupStart(0), 2);

    std::string tooLong = alternation;
    for (int i = 0; i < 4000; ++i)
        tooLong += "|ab";
    CVXLRegex far;
    EXPECT_EQ(far.compile(tooLong.c_str()), 0);
    EXPECT_EQ(far.compile(std::string(70000, 'a').c_str()), 0);
    EXPECT_EQ(far.compile(std::string(60000, 'a').c_str()), 1);
}

TEST(VXLRegex, ReplaceAll)
{
    struct Case {
        const char* pattern;
        const char* replacement;
        const char* subject;
        const char* expected;
    };
    const Case cases[] = {
        {"\r\n[ \t]+", " ", "Subject: a\r\n b\r\n\tc\r\nNext: d", "Subject: a b c\r\nNext: d"},
        {"\r\n[ \t]+", " ", "no folds", "no folds"},
        {"a", "aa", "banana", "baanaanaa"}, // a replacement is not searched again
        {"b+", "", "abbcbd", "acd"}, {"x*", "-", "abc", "abc"}, // an empty match ends the work
        {"b|x*", "-", "bbxcb", "---cb"}, // ... also after earlier replacements
        {"^a", "", "aaa", "aa"}, // '^' stays at the text's start
        {"(", "x", "((", "(("}, // no program: unchanged
    };
    for (const Case& c : cases)
        EXPECT_STREQ(vxlRegexReplaceAll(c.pattern, c.replacement, c.subject).c_str(), c.expected)
            << c.pattern;

    CVXLRegex crlf = CVXLRegex::fromPattern("\r\n");
    EXPECT_STREQ(replaceAll(crlf, "\n", "a\r\nb\r\n").c_str(), "a\nb\n");
}

TEST(VXLRegex, PathologicalSearchesEndWithoutCrashing)
{
    const std::string longText(200000, 'a');
    const std::string shortText(60, 'a');
    std::string pairs;
    for (int i = 0; i < 50000; ++i)
        pairs += "ab";

    struct Case {
        const char* pattern;
        const std::string* subject;
        int expected;
    };
    const Case cases[] = {
        {"a*$", &longText, 1}, // single-byte repetition needs no recursion
        {"(a|b)+$", &pairs, 0}, // too deep: no match rather than a stack overflow
        {"(ab)*$", &pairs, 0},
        {"^(ab)*c", &pairs, 0},
        {"(a|aa)*b", &longText, 0},
        {"((((((((((a))))))))))*$", &longText, 0},
        {"b", &longText, 0},
        {"^([^:]+)+\r?\n$", &longText, 0}, // exponential backtracking: stopped by the budget
        {"(a|a)*b", &shortText, 0},
    };
    for (const Case& c : cases) {
        CVXLRegex regex;
        ASSERT_EQ(regex.compile(c.pattern), 1) << c.pattern;
        EXPECT_EQ(regex.exec(c.subject->c_str()), c.expected) << c.pattern;
    }

    // Within the limit the same loops still match.
    const std::string shortPairs = pairs.substr(0, 200);
    EXPECT_EQ(vxlRegexMatch("^(ab)*$", shortPairs.c_str()), 1);
}

} // namespace
