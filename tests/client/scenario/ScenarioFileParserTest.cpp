#include "engine/client/scenario/ScenarioFileParser.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "tests/client/ScenarioTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Feeds a document straight to the parser, as the file reader would.
class Feed : public CVXLXmlReader {
public:
    explicit Feed(CScenarioFileParser& parser)
        : parser_(parser)
    {
    }
    void onElement(const CVXLString& name, bool start) override { parser_.element(name, start); }
    void onAttribute(const CVXLString& name, const CVXLString& value) override
    {
        parser_.attribute(name, value);
    }
    void onText(const CVXLString& text) override { parser_.text(text); }

    void run(const std::string& xml)
    {
        reset();
        feed(xml.data(), static_cast<std::uint32_t>(xml.size()));
        finish();
    }

private:
    CScenarioFileParser& parser_;
};

struct Outcome {
    bool failed;
    std::string model;
};

Outcome destinations(const char* category, const std::string& destList)
{
    CScenarioFileParser parser;
    Feed feed(parser);
    parser.beginDestinations(category);
    feed.run("<vxlcfg><destList>" + destList + "</destList></vxlcfg>");
    const Outcome outcome {parser.failed(), dumpEntries(parser.entries())};
    parser.end();
    return outcome;
}

Outcome scenario(const std::string& body, const char* attributes = "id=\"s\"")
{
    CScenarioFileParser parser;
    Feed feed(parser);
    CScenarioLayout layout;
    parser.beginScenario("s", &layout);
    feed.run(std::string("<scenarios><scenario ") + attributes + ">" + body + "</scenario></scenarios>");
    const Outcome outcome {parser.failed(), dumpLayout(layout)};
    parser.end();
    return outcome;
}

// Destination trees that are written oddly; none may lose, leak or rewrite
// an entry.
TEST(ScenarioFileParser, OddDestinationTrees)
{
    struct Case {
        const char* name;
        const char* category;
        const char* destList;
        const char* entries;
    };
    const Case cases[] = {
        {"a destination inside a collected one is ignored", "",
            "<dest id=\"a\" lev=\"0\"><name>A</name>"
            "<dest id=\"b\" lev=\"0\" medialinkmenu=\"x\"><name>B</name></dest></dest>",
            "dest a: A\n"},
        {"a category nested in a category is ignored", "",
            "<cat id=\"a\" lev=\"0\"><name>A</name><cat id=\"b\" lev=\"0\"><name>B</name></cat></cat>"
            "<dest id=\"c\" lev=\"0\"><name>C</name></dest>",
            "cat a: A\ndest c: C\n"},
        {"an entry without id takes none from the one before", "",
            "<cat id=\"x\" lev=\"0\"/><dest lev=\"0\"><name>N</name></dest>", "cat x: \ndest : N\n"},
        {"an unnamed deeper category does not hide the top level", "",
            "<cat lev=\"1\"/><cat id=\"a\" lev=\"0\"><name>A</name></cat>", "cat a: A\n"},
        {"a shallower destination ends the wanted category", "a",
            "<cat id=\"a\" lev=\"1\"/><dest id=\"d1\" lev=\"2\"/><dest id=\"x\" lev=\"0\"/>"
            "<cat id=\"c\" lev=\"1\"/><dest id=\"d2\" lev=\"2\"/>",
            "dest d1: \n"},
        {"deeper entries are skipped", "a",
            "<cat id=\"a\" lev=\"0\"/><cat id=\"b\" lev=\"1\"/><dest id=\"b1\" lev=\"2\"/><dest id=\"a1\" "
            "lev=\"1\"/>",
            "cat b: \ndest a1: \n"},
        {"a MIME type written before its link is kept", "",
            "<dest mimetypemenu=\"image/png\" medialinkmenu=\"m\" lev=\"0\" id=\"d\"/>",
            "dest d:  [menu m image/png] icons\n"},
        {"a MIME type without a link is dropped", "",
            "<dest id=\"d\" lev=\"0\" mimetypebutton=\"image/png\"/>", "dest d: \n"},
        {"the name of an unknown child does not rename the entry", "",
            "<dest id=\"d\" lev=\"0\"><name>D</name><extra><name>X</name></extra></dest>", "dest d: D\n"},
        {"a category at the largest level has nothing below it", "a",
            "<cat id=\"a\" lev=\"2147483647\"/><dest id=\"d\" lev=\"-2147483648\"/>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = destinations(c.category, c.destList);
        EXPECT_FALSE(outcome.failed);
        EXPECT_EQ(outcome.model, c.entries);
    }
}

TEST(ScenarioFileParser, SoftKeyPartsInAnyOrder)
{
    const Outcome outcome = scenario("<field><layout><name>N</name><label>Cap</label>"
                                     "<rsk><rule>r</rule><action><f>view</f><t>bogus</t></action>"
                                     "<label><f>No</f><t>Yes</t></label></rsk></layout></field>");
    ASSERT_FALSE(outcome.failed);
    EXPECT_NE(outcome.model.find("caption=Cap name=N\n"), std::string::npos) << outcome.model;
    EXPECT_NE(outcome.model.find("rsk t=Yes f=No choice=0 actions=5,8 rule=r\n"), std::string::npos)
        << outcome.model;
}

TEST(ScenarioFileParser, MisplacedOrOddScenarioParts)
{
    struct Case {
        const char* name;
        const char* attributes;
        const char* body;
        bool failed;
        const char* lineFound;
    };
    const Case cases[] = {
        {"a soft-key caption outside a soft key fails the pass", "id=\"s\"",
            "<field><layout><t>x</t></layout></field>", true, nullptr},
        {"a label directly in a field fails the pass", "id=\"s\"", "<field><label>x</label></field>", true,
            nullptr},
        {"a rule inside a soft-key label fails the pass", "id=\"s\"",
            "<field><layout><lsk><label><rule>x</rule></label></lsk></layout></field>", true, nullptr},
        {"text of an unknown child does not replace the error text", "id=\"s\"", "<err>E<note>n</note></err>",
            false, "err=E "},
        {"field parts before any field are dropped", "id=\"s\"",
            "<layout type=\"images\"/><ferr>x</ferr><li>v</li>", false, "wait=0,\n"},
        {"a cookie written before the id counts", "cookie=\"c\" id=\"s\"", "", false, "id=s cookie=c "},
        {"attributes of an unknown child are not the layout's", "id=\"s\"",
            "<field><layout type=\"images\"><x type=\"videos\"/></layout></field>", false, "type=0()"},
        {"another scenario's content is not read", "id=\"other\"", "<err>E</err><field/>", false,
            "id= cookie= err= "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = scenario(c.body, c.attributes);
        EXPECT_EQ(outcome.failed, c.failed);
        if (c.lineFound) {
            EXPECT_NE(outcome.model.find(c.lineFound), std::string::npos) << outcome.model;
        }
    }
}

TEST(ScenarioFileParser, TooDeepANestingFailsThePass)
{
    std::string body;
    for (std::uint32_t i = 0; i < CScenarioFileParser::kMaxDepth; ++i)
        body += "<d>";
    for (std::uint32_t i = 0; i < CScenarioFileParser::kMaxDepth; ++i)
        body += "</d>";
    EXPECT_TRUE(scenario(body).failed);
}

TEST(ScenarioFileParser, ConfigurationTextCountsOnlyInItsOwnElement)
{
    FakeScenarioClient client;
    CScenarioFileParser parser;
    parser.setClient(&client);
    Feed feed(parser);
    parser.beginConfiguration();
    feed.run("<vxlcfg><config rel=\"7\"><attributes>"
             "<attr name=\"MAX_PHOTO_UPLOAD_SIZE\">1<b>2</b></attr><attr>3</attr>"
             "<attr name=\"MAX_AUDIO_UPLOAD_SIZE\">4</attr></attributes>"
             "<url href=\"h\"><i>x</i></url><url>nested<url href=\"n\">y</url></url></config></vxlcfg>");
    EXPECT_FALSE(parser.failed());
    EXPECT_TRUE(parser.stopWanted());
    EXPECT_TRUE(parser.applyConfiguration());
    parser.end();
    const std::map<std::string, std::string> expected
        = {{"vrax.max_image_upload_size", "1"}, {"vrax.max_audio_upload_size", "4"}, {"vrax.ver_id", "7"}};
    EXPECT_EQ(client.settings, expected);
    EXPECT_EQ(client.linkList(), "h = \nn = y\n");
}

} // namespace
