// A configuration scenario's settings go to tests/peers/vrax_server.py.
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLComposeJob.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "tests/screens/ComposeFixture.h"
#include "tests/screens/VraxServerFixture.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <string>
#include <vector>

namespace {

class ComposeConfigTest : public VraxServerRig<ComposeFixture> {
public:
    CVXLLayout* top() const
    {
        std::vector<CVXLLayout*> shown;
        for (const Request& r : requests) {
            if (r.kind == kUIRequestNewLayout)
                shown.push_back(r.layout);
            else if (r.kind == kUIRequestReleaseLayout)
                std::erase(shown, r.layout);
        }
        return shown.empty() ? nullptr : shown.back();
    }
    std::string notice() const
    {
        CVXLLayoutInformation* info = top() ? top()->asInformation() : nullptr;
        return info ? info->message().c_str() : "";
    }
};

// The settings are sent as the scenario's form; the service's answer
// decides the notice. A refusal leads back to the composer.
TEST_F(ComposeConfigTest, TheServiceConfiguresTheDestinationOrRefuses)
{
    TESSEL_REQUIRE_TOOL(testToolXmllint());
    const struct {
        const char* script;
        const char* notice;
        std::vector<const char*> keys;
        std::vector<std::int32_t> results;
    } cases[] = {
        {"done", "Your destination is configured.", {"Continue"}, {10}},
        {"error266", "Your destination configuration failed.", {"Continue", "Back"}, {8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        serve(c.script);
        client->settings().setPersistentString(kPersDatacommActive, "1");
        parent.signals.clear();
        requests.clear();
        auto* job = dynamic_cast<CVXLComposeJob*>(pool->acquire(CVXLComposeJob::kTypeId));
        ASSERT_NE(job, nullptr);
        job->setProperty(CVXLComposeJob::kPropertyScenario, CVXLVariant(CVXLString("blog-setup")));
        job->startUnder(&parent);
        run();
        ASSERT_EQ(top(), &job->layout());
        EXPECT_EQ(screenText(job->layout()),
            "Blog Setup | unplaced Continue, -unplaced Modify, unplaced Update, unplaced Cancel, hard Back, "
            "hard Exit");
        ASSERT_TRUE(submitByLabel(job->layout(), "Continue"));
        ASSERT_TRUE(follow([&] { return !notice().empty(); }, 10000));
        EXPECT_EQ(notice(), c.notice);
        for (const char* key : c.keys) {
            ASSERT_NE(top(), nullptr);
            ASSERT_TRUE(submitByLabel(*top(), key)) << key << " on " << screenText(*top());
            run();
        }
        EXPECT_EQ(parent.signals, c.results);
        EXPECT_EQ(job->runState(), kHandlerFinished);
        EXPECT_TRUE(client->hasNoActivity());
        job->onLayoutReleased(&job->layout());
        pool->release(job);

        EXPECT_EQ(received(), std::vector<std::string> {"request=mm-msg-xfer"});
        EXPECT_EQ(testRunCommand("xmllint --noout '" + log + ".1.xml' 2>&1").status, 0);
        const std::string sent = document(1);
        for (const char* part : {"blog-setup", "ck-blog", "fid=\"blog\"", "My Blog"})
            EXPECT_NE(sent.find(part), std::string::npos) << part << "\n" << sent;
        stopServer();
    }
}

} // namespace
