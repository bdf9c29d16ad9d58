#include "engine/core/xml/VXLXmlReader.h"

#include "engine/core/base/VXLLog.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/support/XmlTraceReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// The scenario configuration file in the shape the Scenario Manager reads.
const char kScenarioConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- Tessel scenario configuration -->
<vxl>
 <config lang="en" rel="4.2.1">
  <menuUrls>
   <url href="http://example.com/help?a=1&amp;b=2">Help &amp; tips</url>
   <url href='http://example.com/fun'>Fun sites</url>
  </menuUrls>
  <attributes>
   <attr name="MAX_PHOTO_UPLOAD_SIZE">512000</attr>
   <attr name="MAX_VIDEO_UPLOAD_SIZE">1048576</attr>
  </attributes>
 </config>
 <destList>
  <cat id="c1" lev="0"><name>Photo sites</name><descr>Share your pictures</descr></cat>
  <dest id="d1" lev="1" medialinkmenu="http://example.com/i.png" mimetypemenu="image/png"><name>Album &#x2764;</name></dest>
  <dest lev="0" id="d2"><name>Blog</name><descr>Post to &quot;my blog&quot;</descr></dest>
 </destList>
 <scenarios>
  <scenario id="post" cookie="ck" destinationurl="http://example.com/post" initFocus="1" haspri="Y" type="config">
   <err>Please fill in every field.</err>
   <field fid="title" outgoing="Y">
    <layout edit="Y" vis="y" min="0,1" max="40,2" type="1,2" con="1" mod="2" fnt="0">
     <name>Title</name>
     <label>Title:</label>
    </layout>
    <ferr>A title is needed.</ferr>
    <lsk><label><t>Send</t><f>Back</f></label><action><t>submit</t><f>cancel</f></action><rule>title</rule></lsk>
    <rsk><label><t>Menu</t></label><action><f>back</f></action></rsk>
    <data><li>one</li><li>two &lt;2&gt;</li></data>
    <helpUrl>http://example.com/help</helpUrl>
   </field>
   <scenCfg cfg="Y" lt="scen" link="setup"><![CDATA[config <text>]]></scenCfg>
   <wait action="send">Sending...</wait>
  </scenario>
 </scenarios>
</vxl>
)";

// A service reply in the shape the VRAX reply parser reads.
const char kServiceReply[] = "<?xml version='1.0'?>\r\n<VRAX ver=\"2\"><context>abc123</context>"
                             "<attr name=\"user\">J&#246;rg</attr><list count='2' offset='0'>"
                             "<li id='1' default='1'>First</li><li id='2'>Second</li></list></VRAX>\r\n";

struct Document {
    const char* what;
    std::string bytes;
};

// Well-formed: our events must equal expat's.
const std::vector<Document> kWellFormed = {
    {"attribute in single quotes and an entity", "<a x='1'>t&amp;u</a>"},
    {"empty-element tag", "<r><b/></r>"},
    {"text after a child is not reported", "<r>before<c>in</c>after</r>"},
    {"declaration and a comment holding >", "<?xml version=\"1.0\"?>\n<!-- a > b -->\n<root/>"},
    {"nested elements", "<root><item>x</item><item>y</item></root>"},
    {"five named entities", "<e v=\"&lt;&gt;&amp;&quot;&apos;\">&lt;b&gt; &quot;q&quot; &apos;s&apos;</e>"},
    {"numeric references", "<n a=\"&#233;&#xE9;\">&#65;&#x42;&#x20AC;&#x1F600;&#169;&#10;</n>"},
    {"decoded < is not markup", "<a>&lt;b&gt;x&lt;/b&gt;</a>"},
    {"CDATA is text", "<c>a<![CDATA[<not a tag> & ]] ]>]]>b</c>"},
    {"CDATA ending in brackets", "<c><![CDATA[]]]]></c>"},
    {"comment does not split text", "<a>x<!-- c -->y<b/>z</a>"},
    {"processing instruction in content", "<a>x<?pi data ? > ?>y</a>"},
    {"both quote styles holding the other quote", "<a d=\"it's\" s='say \"hi\"' e=\"\"/>"},
    {"whitespace around = and in end tag", "<a  x = \"1\"\n\ty='2' ></a >"},
    {"document type", "<!DOCTYPE config>\n<config>c</config>"},
    {"document type with internal subset", "<!DOCTYPE c [ <!ELEMENT c (#PCDATA)> <!-- ']' --> ]><c>x</c>"},
    {"byte-order mark", "\xEF\xBB\xBF<a>bom</a>"},
    {"UTF-8 names and text", "<caf\xC3\xA9 \xC3\xB1=\"\xC3\xBC\">\xE6\x97\xA5\xE6\x9C\xAC</caf\xC3\xA9>"},
    {"line feed and tab in text", "<a>line1\n\tline2</a>"},
    {"> and single ] in text", "<a>1 > 0 ]> a]b]]c</a>"},
    {"name characters", "<a-b.c_d:e f1-2=\"x\" _z='y'/>"},
    {"comments and white space after the root", "<a/>\n<!-- end -->\n<?done?>\n"},
    {"pretty-printed white space is text before a child", "<a>\n  <b>1</b>\n  <c/>\n</a>\n"},
    {"empty comment", "<a><!----></a>"},
    {"scenario configuration", kScenarioConfig},
    {"service reply", kServiceReply},
};

// Not well-formed: expat refuses them, and so must we.
const std::vector<Document> kMalformed = {
    {"end tag with no open element", "</a><a/>"},
    {"end tag with another name", "<a></b>"},
    {"end tag closes an outer element", "<a><b></a></b>"},
    {"element left open", "<a><b/>"},
    {"empty document", ""},
    {"white space only", " \n "},
    {"< in an attribute value", "<a x=\"<\"/>"},
    {"unquoted value", "<a x=1/>"},
    {"attribute without value", "<a x/>"},
    {"attribute name with an inner space", "<a x y=\"1\"/>"},
    {"no space between attributes", "<a x=\"1\"y=\"2\"/>"},
    {"repeated attribute", "<a x=\"1\" x='2'/>"},
    {"space after <", "< a/>"},
    {"name starting with a digit", "<1a/>"},
    {"]]> in text", "<a>x]]>y</a>"},
    {"control byte in text", std::string("<a>\x01</a>")},
    {"NUL byte in a name", std::string("<a\0/>", 5)},
    {"two root elements", "<a/><b/>"},
    {"text before the root", "text<a/>"},
    {"text after the root", "<a/>junk"},
    {"-- inside a comment", "<a><!-- x -- y --></a>"},
    {"unterminated comment", "<a><!-- x</a>"},
    {"reference to character 0", "<a>&#0;</a>"},
    {"reference to a surrogate", "<a v='&#xD800;'/>"},
    {"reference beyond Unicode", "<a>&#x110000;</a>"},
    {"unterminated CDATA", "<a><![CDATA[x</a>"},
    {"unknown declaration", "<a><!FOO></a>"},
    {"declaration not at the start", "<a/><?xml version=\"1.0\"?>"},
    {"declaration after white space", " <?xml version=\"1.0\"?><a/>"},
    {"space between / and >", "<a x=\"1\" / >"},
    {"CDATA outside the root", "<![CDATA[x]]><a/>"},
    {"truncated end tag", "<a>x</a"},
    {"truncated start tag", "<a x=\"1\""},
    {"document type after the root", "<a/><!DOCTYPE a>"},
    {"< at the end", "<a/><"},
    {"entity outside the root", "&amp;<a/>"},
    {"broken byte-order mark", "\xEF\xBB<a/>"},
};

// expat's traces of the documents, from tests/peers/xml_expat_trace.py.
std::vector<std::string> expatTraces(const std::vector<Document>& documents)
{
    char input[] = "/tmp/tessel-xml-oracle-XXXXXX";
    const int fd = mkstemp(input);
    if (fd < 0)
        return {};
    close(fd);
    {
        std::ofstream out(input);
        for (const Document& d : documents)
            out << testHex(d.bytes) << "\n";
    }
    const std::string command
        = testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/xml_expat_trace.py < " + input;
    std::vector<std::string> traces;
    std::string current;
    for (const std::string& line : testLines(testRunCommand(command).output)) {
        if (line == "----") {
            traces.push_back(current);
            current.clear();
        } else {
            current += line + '\n';
        }
    }
    std::remove(input);
    return traces;
}

bool endsMalformed(const std::string& trace)
{
    const std::string last = "malformed\n";
    return trace.size() >= last.size() && trace.compare(trace.size() - last.size(), last.size(), last) == 0;
}

TEST(VXLXmlReader, WellFormedDocumentsGiveExpatsEvents)
{
    const std::vector<std::string> expected = expatTraces(kWellFormed);
    ASSERT_EQ(expected.size(), kWellFormed.size()) << "the expat oracle did not run";
    XmlTraceReader reader;
    for (std::size_t i = 0; i < kWellFormed.size(); ++i) {
        EXPECT_FALSE(endsMalformed(expected[i])) << kWellFormed[i].what << "\n" << expected[i];
        EXPECT_EQ(reader.parse(kWellFormed[i].bytes), expected[i]) << kWellFormed[i].what;
    }
}

TEST(VXLXmlReader, MalformedDocumentsAreReportedAsExpatRefusesThem)
{
    const std::vector<std::string> expected = expatTraces(kMalformed);
    ASSERT_EQ(expected.size(), kMalformed.size()) << "the expat oracle did not run";
    XmlTraceReader reader;
    for (std::size_t i = 0; i < kMalformed.size(); ++i) {
        EXPECT_TRUE(endsMalformed(expected[i])) << kMalformed[i].what << ": expat accepts it";
        const std::string ours = reader.parse(kMalformed[i].bytes);
        EXPECT_TRUE(endsMalformed(ours)) << kMalformed[i].what << "\n" << ours;
        EXPECT_TRUE(reader.isMalformed()) << kMalformed[i].what;
        // Reported once, and nothing after it.
        EXPECT_EQ(ours.find("malformed"), ours.size() - 10) << kMalformed[i].what;
    }
}

// Where we are deliberately more lenient than expat, or pass bytes through.
TEST(VXLXmlReader, LenientEntitiesAndRawWhitespace)
{
    struct Case {
        const char* document;
        const char* trace;
    };
    const Case cases[] = {
        {"<a>fish & chips</a>", "start a\ntext fish & chips\nend a\n"},
        {"<a>&nbsp;x&;</a>", "start a\ntext &nbsp;x&;\nend a\n"},
        {"<a v=\"&unknown;&amp\"/>", "start a\nattr v=&unknown;&amp\nend a\n"},
        {"<a>&verylongentityname;</a>", "start a\ntext &verylongentityname;\nend a\n"},
        {"<a>&#xZZ;&#;&#x;</a>", "start a\ntext &#xZZ;&#;&#x;\nend a\n"},
        {"<a>&&lt;</a>", "start a\ntext &<\nend a\n"},
        {"<a>&amp<b/></a>", "start a\ntext &amp\nstart b\nend b\nend a\n"},
        {"<a>x\r\ny</a>", "start a\ntext x\\x0d\\x0ay\nend a\n"},
        {"<a v=\"1\n\t2\"/>", "start a\nattr v=1\\x0a\\x092\nend a\n"},
    };
    XmlTraceReader reader;
    for (const Case& c : cases)
        EXPECT_EQ(reader.parse(c.document), c.trace) << c.document;
}

TEST(VXLXmlReader, EverySplitPointGivesTheSameEvents)
{
    XmlTraceReader reader;
    for (const Document& d : kWellFormed) {
        const std::string whole = reader.parse(d.bytes);
        for (std::size_t at = 0; at <= d.bytes.size(); ++at) {
            reader.reset();
            reader.feed(d.bytes.data(), static_cast<std::uint32_t>(at));
            reader.feed(d.bytes.data() + at, static_cast<std::uint32_t>(d.bytes.size() - at));
            reader.finish();
            ASSERT_EQ(reader.trace, whole) << d.what << " split at " << at;
        }
        reader.reset();
        for (char c : d.bytes)
            reader.feed(c);
        reader.finish();
        EXPECT_EQ(reader.trace, whole) << d.what << " byte by byte";
    }
    for (const Document& d : kMalformed) {
        const std::string whole = reader.parse(d.bytes);
        reader.reset();
        for (char c : d.bytes)
            reader.feed(c);
        reader.finish();
        EXPECT_EQ(reader.trace, whole) << d.what << " byte by byte";
    }
}

struct PathReader : XmlTraceReader {
    std::vector<std::string> seen;
    void onElement(const CVXLString& name, bool start) override
    {
        XmlTraceReader::onElement(name, start);
        seen.push_back(std::string(start ? "+" : "-") + elementPath().c_str() + " " + currentText().c_str());
    }
    void onText(const CVXLString& text) override
    {
        XmlTraceReader::onText(text);
        seen.push_back(std::string("t") + elementPath().c_str() + " " + currentText().c_str());
    }
};

TEST(VXLXmlReader, ElementPathAndCurrentNameFollowTheOpenElements)
{
    PathReader reader;
    const std::string doc = "<root><item>x</item><b/></root>";
    reader.feed(doc.data(), static_cast<std::uint32_t>(doc.size()));
    EXPECT_TRUE(reader.finish());
    const std::vector<std::string> expected = {
        "+/root root",
        "+/root/item item",
        "t/root/item item",
        "-/root/item item",
        "+/root/b b",
        "-/root/b b",
        "-/root root",
    };
    EXPECT_EQ(reader.seen, expected);

    reader.reset();
    const std::string partial = "<root><item>";
    reader.feed(partial.data(), static_cast<std::uint32_t>(partial.size()));
    EXPECT_STREQ(reader.elementPath().c_str(), "/root/item");
    EXPECT_EQ(reader.depth(), 2u);
    const std::string close = "</item>";
    reader.feed(close.data(), static_cast<std::uint32_t>(close.size()));
    EXPECT_STREQ(reader.elementPath().c_str(), "/root");
    EXPECT_STREQ(reader.currentText().c_str(), "root");
    reader.popAll();
    EXPECT_FALSE(reader.hasOpenElements());
    EXPECT_STREQ(reader.elementPath().c_str(), "");
}

struct StoppingReader : XmlTraceReader {
    std::string stopAt;
    bool resetInstead = false;
    void onElement(const CVXLString& name, bool start) override
    {
        XmlTraceReader::onElement(name, start);
        if (name == stopAt.c_str()) {
            if (resetInstead) {
                stopAt.clear();
                reset();
            } else {
                stop();
            }
        }
    }
};

TEST(VXLXmlReader, ACallbackMayStopOrResetTheReader)
{
    const std::string doc = "<a><b x='1'>t</b><c/></a>";
    StoppingReader reader;
    reader.stopAt = "b";
    const std::uint32_t taken = reader.feed(doc.data(), static_cast<std::uint32_t>(doc.size()));
    EXPECT_EQ(taken, 6u); // up to the space that completes the name b
    EXPECT_EQ(reader.trace, "start a\nstart b\n");
    EXPECT_FALSE(reader.feed('<'));
    EXPECT_TRUE(reader.finish()) << "a reading stopped on purpose is not malformed";
    EXPECT_FALSE(reader.isMalformed());

    // A reset from inside the callback starts a new document at the next byte.
    StoppingReader resetter;
    resetter.stopAt = "b";
    resetter.resetInstead = true;
    const std::string rest = "<b/>";
    resetter.feed(doc.data(), 6);
    EXPECT_EQ(resetter.trace, "");
    resetter.feed(rest.data(), static_cast<std::uint32_t>(rest.size()));
    EXPECT_TRUE(resetter.finish());
    EXPECT_EQ(resetter.trace, "start b\nend b\n");
}

TEST(VXLXmlReader, MalformedInputStopsTheReaderUntilReset)
{
    XmlTraceReader reader;
    const std::string bad = "<a></b><c/>";
    EXPECT_EQ(reader.feed(bad.data(), static_cast<std::uint32_t>(bad.size())), 7u);
    EXPECT_EQ(reader.trace, "start a\nmalformed\n");
    EXPECT_FALSE(reader.feed('x'));
    EXPECT_FALSE(reader.finish());
    EXPECT_EQ(reader.trace, "start a\nmalformed\n");
    EXPECT_EQ(reader.parse("<c/>"), "start c\nend c\n");
}

std::string repeated(const std::string& piece, std::uint32_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (std::uint32_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string nested(std::uint32_t depth)
{
    return repeated("<a>", depth) + repeated("</a>", depth);
}

std::string attributes(std::uint32_t count)
{
    std::string tag = "<a";
    for (std::uint32_t i = 0; i < count; ++i)
        tag += " n" + std::to_string(i) + "=''";
    return tag + "/>";
}

std::string sized(const char* before, std::uint32_t n, const char* after)
{
    return before + std::string(n, 'x') + after;
}

// Without limits, hostile documents grew the reader's storage without end.
TEST(VXLXmlReader, HostileSizesAreRefusedPastTheirLimits)
{
    using R = CVXLXmlReader;
    struct Case {
        const char* what;
        std::function<std::string(std::uint32_t)> document;
        std::uint32_t limit;
        const char* logged;
    };
    const Case cases[] = {
        {"nesting", nested, R::kMaxDepth, "deeper than 256 elements"},
        {"element name", [](std::uint32_t n) { return sized("<", n, "/>"); }, R::kMaxNameLength,
            "name longer"},
        {"attribute name", [](std::uint32_t n) { return sized("<a ", n, "='1'/>"); }, R::kMaxNameLength,
            "attribute name longer"},
        {"attribute value", [](std::uint32_t n) { return sized("<a v='", n, "'/>"); },
            R::kMaxAttributeValueLength, "attribute value longer"},
        {"attributes in a tag", attributes, R::kMaxAttributesPerTag, "more than 256 attributes"},
        {"text", [](std::uint32_t n) { return sized("<a>", n, "</a>"); }, R::kMaxTextLength, "text longer"},
        {"text ending in an entity", [](std::uint32_t n) { return sized("<a>", n - 1, "&amp;</a>"); },
            R::kMaxTextLength, "text longer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        XmlTraceReader reader;
        const std::string atLimit = c.document(c.limit);
        reader.parse(atLimit);
        EXPECT_FALSE(reader.isMalformed()) << "at the limit";

        const std::string over = c.document(c.limit + 1);
        reader.parse(over);
        EXPECT_TRUE(reader.isMalformed()) << "past the limit";
        EXPECT_FALSE(reader.finish());
        if (over.size() < 100000) {
            reader.reset();
            for (char b : over)
                reader.feed(b);
            EXPECT_TRUE(reader.isMalformed()) << "past the limit, byte by byte";
        }
        CVXLLog::flush();
        EXPECT_NE(root.readFile("log/engine.log").find(c.logged), std::string::npos)
            << root.readFile("log/engine.log");
    }
}

#if !defined(TESSEL_ASAN)
// The reader used to drop what the heap refused and call the document fine.
TEST(VXLXmlReaderDeathTest, HeapExhaustionFailsTheDocument)
{
    TempDeviceRoot root;
    const std::string text = sized("<a>", 4u << 20, "</a>");
    EXPECT_EXIT(
        {
            XmlTraceReader reader;
            rlimit cap {};
            getrlimit(RLIMIT_AS, &cap);
            cap.rlim_cur = 0; // every new mapping now fails
            setrlimit(RLIMIT_AS, &cap);
            reader.feed(text.data(), static_cast<std::uint32_t>(text.size()));
            std::_Exit(!reader.finish() && reader.isMalformed() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
#endif

// Callbacks are handed the reader's own storage; one that keeps the strings
// must keep them as they were, whatever the reader reads next.
struct KeepingReader : CVXLXmlReader {
    std::vector<CVXLString> kept;
    void onElement(const CVXLString& name, bool start) override
    {
        kept.push_back(start ? "start" : "end");
        kept.push_back(name);
    }
    void onAttribute(const CVXLString& name, const CVXLString& value) override
    {
        kept.push_back("attr");
        kept.push_back(name);
        kept.push_back(value);
    }
    void onText(const CVXLString& text) override
    {
        kept.push_back("text");
        kept.push_back(text);
    }

    std::string trace() const
    {
        std::string out;
        for (std::size_t i = 0; i < kept.size(); i += 2) {
            const std::string kind = kept[i].c_str();
            out += kind + " " + XmlTraceReader::escaped(kept[i + 1]);
            if (kind == "attr")
                out += "=" + XmlTraceReader::escaped(kept[++i + 1]);
            out += "\n";
        }
        return out;
    }
};

TEST(VXLXmlReader, StringsKeptByACallbackStayAsTheyWere)
{
    const std::string documents[] = {kScenarioConfig, kServiceReply,
        "<r><a x='long value one' y='2'>some text</a><b x='v'>t</b><c>longer text than before</c></r>"};
    for (const std::string& d : documents) {
        XmlTraceReader tracer;
        const std::string expected = tracer.parse(d);
        KeepingReader chunked;
        chunked.feed(d.data(), static_cast<std::uint32_t>(d.size()));
        EXPECT_TRUE(chunked.finish());
        EXPECT_EQ(chunked.trace(), expected);
        KeepingReader bytewise;
        for (char c : d)
            bytewise.feed(c);
        EXPECT_TRUE(bytewise.finish());
        EXPECT_EQ(bytewise.trace(), expected);
    }
}

} // namespace
