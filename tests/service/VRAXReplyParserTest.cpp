#include "engine/service/VRAXReplyParser.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/service/VRAXListReplyParser.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace {

std::string pairsOf(const CVRAXReplyParser& parser, std::initializer_list<const char*> names)
{
    std::string out;
    for (const char* name : names)
        out += std::string(name) + "=" + parser.header(name).c_str() + ";";
    return out;
}

TEST(VRAXReplyParserTest, RepliesAreClassifiedAndTheirSettingsApplied)
{
    struct Case {
        const char* what;
        const char* reply;
        std::int32_t result;
        const char* context; // "vrax.context" afterwards ("-" absent)
        const char* url; // "vrax.url" afterwards ("-" absent)
        const char* pairs; // pairs a, b and the empty name
    };
    const Case cases[] = {
        {"context alone", "<VRAX><context>k1</context></VRAX>", 1, "k1", "-", "a=;b=;=;"},
        {"pairs", "<VRAX><x><attr name=\"a\">1</attr><attr name=\"b\">two</attr></x></VRAX>", 1, "-", "-",
            "a=1;b=two;=;"},
        {"attr without a name takes the previous one",
            "<VRAX><x><attr name=\"a\">1</attr><attr>2</attr></x></VRAX>", 1, "-", "-", "a=2;b=;=;"},
        {"attr without a name and none before", "<VRAX><x><attr>2</attr></x></VRAX>", 1, "-", "-",
            "a=;b=;=2;"},
        {"accepted uri-replace", "<VRAX><uri-replace>http://svc.example:8080/vrax</uri-replace></VRAX>", 1,
            "-", "http://svc.example:8080/vrax", "a=;b=;=;"},
        {"numeric host accepted", "<VRAX><uri-replace>http://127.0.0.1/v</uri-replace></VRAX>", 1, "-",
            "http://127.0.0.1/v", "a=;b=;=;"},
        {"relative uri-replace refused", "<VRAX><uri-replace>/elsewhere</uri-replace></VRAX>", 1, "-", "-",
            "a=;b=;=;"},
        {"other scheme refused", "<VRAX><uri-replace>ftp://svc.example/</uri-replace></VRAX>", 1, "-", "-",
            "a=;b=;=;"},
        {"no host refused", "<VRAX><uri-replace>http:///path</uri-replace></VRAX>", 1, "-", "-", "a=;b=;=;"},
        {"error stops at its start tag",
            "<VRAX><error code=\"266\"><attr name=\"a\">1</attr></error><context>k9</context></VRAX>", 3, "-",
            "-", "a=;b=;=;"},
        {"pairs before an error are kept", "<VRAX><attr name=\"a\">1</attr><error/></VRAX>", 3, "-", "-",
            "a=1;b=;=;"},
        {"alert stops at its start tag", "<VRAX><list-choice-alert msg=\"m\"><context>k9</context>", 2, "-",
            "-", "a=;b=;=;"},
        {"document cut short", "<VRAX><context>k1</context><x>", 0, "k1", "-", "a=;b=;=;"},
        {"malformed document", "<VRAX><a></b></VRAX>", 0, "-", "-", "a=;b=;=;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        FakeVraxEnvironment env;
        env.now = 1800000123;
        CVRAXReplyParser parser(env);
        EXPECT_EQ(parser.parse(bytesOf(c.reply)), c.result);
        EXPECT_EQ(env.store.has(kPersVraxContext) ? env.get(kPersVraxContext) : "-", c.context);
        EXPECT_EQ(env.store.has(kPersVraxUrl) ? env.get(kPersVraxUrl) : "-", c.url);
        EXPECT_EQ(pairsOf(parser, {"a", "b", ""}), c.pairs);
        // Stamped whatever the reply was.
        EXPECT_EQ(env.get(kPersVraxTimeLastRsp), "1800000123");
        if (std::string(c.what).find("refused") != std::string::npos) {
            CVXLLog::flush();
            EXPECT_NE(root.readFile("log/engine.log").find("uri-replace"), std::string::npos);
        }
    }
}

TEST(VRAXReplyParserTest, PairsStayAcrossRepliesUntilReset)
{
    FakeVraxEnvironment env;
    CVRAXReplyParser parser(env);
    parser.parse(bytesOf("<VRAX><attr name=\"a\">1</attr></VRAX>"));
    EXPECT_EQ(parser.parse(bytesOf("<VRAX><attr name=\"b\">2</attr></VRAX>")), 1);
    EXPECT_EQ(pairsOf(parser, {"a", "b"}), "a=1;b=2;");
    parser.reset();
    EXPECT_EQ(parser.parse(bytesOf("<VRAX/>")), 1);
    EXPECT_EQ(pairsOf(parser, {"a", "b"}), "a=;b=;");
}

TEST(VRAXReplyParserTest, AReaderThatReadsErrorsItselfReadsOn)
{
    struct ErrorReader : CVRAXReplyParser {
        using CVRAXReplyParser::CVRAXReplyParser;
        bool isError(const CVXLString&) const override { return false; }
    };
    FakeVraxEnvironment env;
    ErrorReader parser(env);
    EXPECT_EQ(parser.parse(bytesOf("<VRAX><error><attr name=\"a\">1</attr></error></VRAX>")), 1);
    EXPECT_EQ(pairsOf(parser, {"a"}), "a=1;");
}

std::string itemsOf(const CVRAXListReplyParser& parser)
{
    std::string out;
    for (CVXLListIterator it = parser.items(); !it.atEnd(); it.advance()) {
        const auto* item = static_cast<const CVRAXListItem*>(it.current());
        out += std::string(item->id.c_str()) + "|" + item->text.c_str() + "|" + std::to_string(item->status)
            + "|" + std::to_string(item->isDefault) + ";";
    }
    return out;
}

TEST(VRAXReplyParserTest, ListChoicesAreRead)
{
    struct Case {
        const char* what;
        const char* reply;
        std::int32_t result;
        const char* items;
        std::int32_t offset;
        std::int32_t count;
        const char* message;
        std::uint16_t timeout;
    };
    const Case cases[] = {
        {"alert with two choices",
            "<VRAX><list-choice-alert msg=\"Pick an album\" time=\"30\"><list offset=\"4\" count=\"2\">"
            "<li id=\"a1\" status=\"0\" default=\"true\">Holiday</li><li id=\"a2\" status=\"1\">Work</li>"
            "</list></list-choice-alert><after/>",
            1, "a1|Holiday|0|1;a2|Work|1|0;", 4, 2, "Pick an album", 30},
        {"default values",
            "<VRAX><list><li default=\"isSelected\">x</li><li default=\"1\">y</li>"
            "<li default=\"TRUE\">z</li></list></VRAX>",
            1, "|x|0|1;|y|0|0;|z|0|0;", 0, 0, "", 0},
        {"numbers that are not numbers",
            "<VRAX><list-choice-alert time=\"soon\"><list offset=\"x\" count=\"-\">"
            "<li status=\"ok\">x</li></list></list-choice-alert>",
            1, "|x|0|0;", 0, 0, "", 0},
        {"list outside an alert ends at the root",
            "<VRAX><list count=\"1\"><li id=\"9\">n</li></list></VRAX>", 1, "9|n|0|0;", 0, 1, "", 0},
        {"error still stops it", "<VRAX><error><list><li>n</li></list></error></VRAX>", 3, "", 0, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeVraxEnvironment env;
        CVRAXListReplyParser parser(env);
        EXPECT_EQ(parser.parse(bytesOf(c.reply)), c.result);
        EXPECT_EQ(itemsOf(parser), c.items);
        EXPECT_EQ(parser.listOffset(), c.offset);
        EXPECT_EQ(parser.listCount(), c.count);
        EXPECT_EQ(std::string(parser.message().c_str()), c.message);
        EXPECT_EQ(parser.timeout(), c.timeout);
        parser.reset();
        EXPECT_EQ(parser.itemCount(), 0u);
    }
}

} // namespace
