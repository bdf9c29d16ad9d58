// A configuration scenario's settings go to tests/peers/vrax_server.py.
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/screens/VXLComposeJob.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "tests/screens/ComposeFixture.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ComposeConfigTest : public ComposeFixture {
public:
    void TearDown() override
    {
        if (server > 0)
            testStopProcess(server, 2000);
        ComposeFixture::TearDown();
    }

    bool startServer(const char* script)
    {
        log = engine.root().hostPath((std::string("vrax-") + script + ".log").c_str());
        std::uint16_t port = 0;
        server = testStartPythonPeer("vrax_server.py", {script, log, "--announce"}, log + ".out", &port);
        if (server <= 0)
            return false;
        client->settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
        client->settings().setPersistentString(kPersVraxId, "D42");
        client->settings().setPersistentString(kPersVraxRegComplete, "1");
        client->settings().setPersistentString(kPersDatacommActive, "1");
        return true;
    }

    // Ticks as the host thread does against a real peer, taking the screen
    // requests, until `done` or realMs have passed.
    bool follow(const std::function<bool()>& done, int realMs)
    {
        using Clock = std::chrono::steady_clock;
        const auto begin = Clock::now();
        auto last = begin;
        while (!done()) {
            engine.tick();
            // The head request stays queued until the next tick.
            if (CVXLUIRequest* request = engine.popUIRequest())
                requests.push_back({request->kind(), request->layout()});
            if (Clock::now() - begin > std::chrono::milliseconds(realMs))
                return false;
            CVXLPlatformConnection::waitForSockets(
                std::max<std::uint32_t>(1, std::min(5u, client->getWaitTime())));
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
            engine.advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
        return true;
    }

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

    std::string log;
    pid_t server = -1;
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
        ASSERT_TRUE(startServer(c.script));
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

        const auto received = testFileLines(log);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_NE(received[0].find("request=mm-msg-xfer"), std::string::npos) << received[0];
        const std::string kept = log + ".1.xml";
        EXPECT_EQ(testRunCommand("xmllint --noout '" + kept + "' 2>&1").status, 0);
        std::ifstream in(kept);
        std::ostringstream text;
        text << in.rdbuf();
        for (const char* part : {"blog-setup", "ck-blog", "fid=\"blog\"", "My Blog"})
            EXPECT_NE(text.str().find(part), std::string::npos) << part << "\n" << text.str();
        testStopProcess(server, 2000);
        server = -1;
    }
}

} // namespace
