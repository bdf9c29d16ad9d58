#include "engine/core/xml/VXLXmlWriter.h"
#include "tests/support/TestProcess.h"
#include "tests/support/XmlTraceReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string output(const CVXLXmlWriter& w)
{
    const CVXLByteBuffer& b = w.output();
    return std::string(reinterpret_cast<const char*>(b.data()), b.length());
}

TEST(VXLXmlWriter, LayoutOfElementsAttributesAndText)
{
    struct Case {
        const char* what;
        void (*build)(CVXLXmlWriter&);
        const char* xml;
    };
    const Case cases[] = {
        {"empty child with an attribute inside r",
            [](CVXLXmlWriter& w) {
                w.startElement("r");
                w.startElement("a");
                w.attribute("k", "x");
                w.endElement();
                w.endElement();
            },
            "<r>\n <a k=\"x\"/>\n</r>\n"},
        {"text only: one line, closing tag not indented",
            [](CVXLXmlWriter& w) {
                w.startElement("r");
                w.startElement("t");
                w.text("hi");
                w.endElement();
                w.endElement();
            },
            "<r>\n <t>hi</t>\n</r>\n"},
        {"text after a child element",
            [](CVXLXmlWriter& w) {
                w.startElement("r");
                w.startElement("c");
                w.endElement();
                w.text("tail");
                w.endElement();
            },
            "<r>\n <c/>\ntail</r>\n"},
        {"the five special characters, in order",
            [](CVXLXmlWriter& w) {
                w.startElement("e");
                w.attribute("v", "a\"b&c'd<e>f");
                w.text("<&>");
                w.endElement();
            },
            "<e v=\"a&quot;b&amp;c&apos;d&lt;e&gt;f\">&lt;&amp;&gt;</e>\n"},
        {"control bytes are dropped; tab, line feed and carriage return kept",
            [](CVXLXmlWriter& w) {
                w.startElement("e");
                w.attribute("v",
                    "a\x01\x1f"
                    "b");
                w.text("x\x08\ty\n\rz\x0b");
                w.endElement();
            },
            "<e v=\"ab\">x\ty\n\rz</e>\n"},
        {"end with nothing open does nothing",
            [](CVXLXmlWriter& w) {
                w.endElement();
                w.startElement("a");
                w.endElement();
                w.endElement();
            },
            "<a/>\n"},
        {"attribute after content and text with nothing open are ignored",
            [](CVXLXmlWriter& w) {
                w.text("loose");
                w.startElement("a");
                w.text("t");
                w.attribute("late", "1");
                w.startElement("b");
                w.endElement();
                w.attribute("late", "2");
                w.endElement();
            },
            "<a>t <b/>\n</a>\n"},
        {"three levels of indentation",
            [](CVXLXmlWriter& w) {
                w.startElement("a");
                w.startElement("b");
                w.startElement("c");
                w.startElement("d");
                w.endElement();
                w.endElement();
                w.endElement();
                w.endElement();
            },
            "<a>\n <b>\n  <c>\n   <d/>\n  </c>\n </b>\n</a>\n"},
    };
    for (const Case& c : cases) {
        CVXLXmlWriter w;
        c.build(w);
        EXPECT_EQ(output(w), c.xml) << c.what;
        EXPECT_EQ(w.depth(), 0u) << c.what;
    }
}

TEST(VXLXmlWriter, ResetStartsANewDocument)
{
    CVXLXmlWriter w;
    w.startElement("a");
    w.startElement("b");
    w.reset();
    EXPECT_EQ(w.depth(), 0u);
    EXPECT_EQ(output(w), "");
    w.startElement("c");
    w.endElement();
    EXPECT_EQ(output(w), "<c/>\n");
}

// A request-shaped document: xmllint accepts it, and our reader gives back
// every element, attribute and text that went in.
TEST(VXLXmlWriter, OutputIsWellFormedAndRoundTripsThroughTheReader)
{
    const char* awkward = "Tom & \"Jerry\" <'s> \xC3\xA9\x01 ]]> end";
    CVXLXmlWriter w;
    w.startElement("VRAX");
    w.attribute("ver", "2");
    w.startElement("context");
    w.text("abc");
    w.endElement();
    w.startElement("request");
    w.attribute("name", awkward);
    w.attribute("quote", "'\"");
    w.startElement("attr");
    w.attribute("name", "caption");
    w.text(awkward);
    w.endElement();
    w.startElement("empty");
    w.endElement();
    w.endElement();
    w.endElement();
    const std::string xml = output(w);

    char path[] = "/tmp/tessel-xml-writer-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << xml;
    const std::string command = std::string("xmllint --noout ") + path + " 2>&1";
    const TestCommandResult lint = testRunCommand(command);
    std::remove(path);
    EXPECT_EQ(lint.status, 0) << lint.output << xml;

    const std::string expected
        = "start VRAX\nattr ver=2\ntext \\x0a \nstart context\ntext abc\nend context\n"
          "start request\nattr name=Tom & \"Jerry\" <'s> \\xc3\\xa9 ]]> end\nattr quote='\"\n"
          "text \\x0a  \nstart attr\nattr name=caption\ntext Tom & \"Jerry\" <'s> \\xc3\\xa9 ]]> end\n"
          "end attr\nstart empty\nend empty\nend request\nend VRAX\n";
    XmlTraceReader reader;
    EXPECT_EQ(reader.parse(xml), expected) << xml;
}

} // namespace
