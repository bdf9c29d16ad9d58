#include "engine/service/VRAXRequest.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>

namespace {

enum class Body { Empty, Identity, Validate };

class ProbeRequest : public CVRAXRequest {
public:
    ProbeRequest(CVRAXEnvironment& environment, Body body)
        : CVRAXRequest(environment)
        , body_(body)
    {
    }
    void writeBody() override
    {
        startElement("probe");
        if (body_ != Body::Empty)
            writeIdentity(body_ == Body::Validate);
        endElement();
    }

private:
    Body body_;
};

struct Case {
    const char* what;
    Body body;
    const char* id; // null: the key is absent
    const char* context;
    const char* timeLastReply; // null: the key is absent
    const char* fixture;
};

const Case kCases[] = {
    {"empty context and no last reply time", Body::Empty, nullptr, "", nullptr, "empty-request.xml"},
    {"no stored id: user and password", Body::Identity, nullptr, "", nullptr, "userid-request.xml"},
    {"an empty stored id is no id", Body::Identity, "", "", nullptr, "userid-request.xml"},
    {"stored id, escaped context", Body::Identity, "D42", "a&b<c", "1799999000", "deviceid-request.xml"},
    {"validate with an id sends no password", Body::Validate, "D42", "", nullptr, "validate-id-request.xml"},
    {"validate without an id sends it", Body::Validate, nullptr, "", nullptr, "validate-noid-request.xml"},
};

TEST(VRAXRequestTest, DocumentsEqualTheTypedFixturesAndAreWellFormed)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        FakeVraxEnvironment env;
        env.phone = "+15550100";
        env.email = "a@b.example";
        env.lang = "en";
        env.model = "T1";
        env.now = 1800000000;
        env.store.set(kPersVraxPassword, "p\"w'd");
        env.store.set(kPersVraxVerId, "v9");
        env.store.set(kPersVraxDataLang, "en");
        if (c.id)
            env.store.set(kPersVraxId, c.id);
        if (*c.context)
            env.store.set(kPersVraxContext, c.context);
        if (c.timeLastReply)
            env.store.set(kPersVraxTimeLastRsp, c.timeLastReply);

        ProbeRequest request(env, c.body);
        request.setSequence(7);
        const std::string document = toStd(request.buildDocument());
        const std::string expected = serviceFixture(c.fixture);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(document, expected);
        EXPECT_TRUE(xmllintAccepts(document));
    }
}

TEST(VRAXRequestTest, AWriterIsReusedWithoutCarryingTheLastDocument)
{
    FakeVraxEnvironment env;
    env.now = 1800000000;
    ProbeRequest request(env, Body::Empty);
    request.setSequence(7);
    const std::string first = toStd(request.buildDocument());
    request.reset();
    const std::string second = toStd(request.buildDocument());
    EXPECT_EQ(first, second);
    EXPECT_EQ(second, serviceFixture("empty-request.xml"));
}

TEST(VRAXRequestTest, AttrLimitIsSelfClosedWithItsThreeAttributesInOrder)
{
    FakeVraxEnvironment env;
    struct Limit : CVRAXRequest {
        using CVRAXRequest::CVRAXRequest;
        void writeBody() override
        {
            writeAttrLimit("THUMB", "w", "120");
            writeDestList();
        }
    } request(env);
    const std::string document = toStd(request.buildDocument());
    EXPECT_NE(document.find("\n<attr name=\"THUMB\" max_name=\"w\" max_value=\"120\"/>\n"
                            "<destlist def=\"VRAX_6_0_DEFAULTS\"/>\n</VRAX>"),
        std::string::npos)
        << document;
}

} // namespace
