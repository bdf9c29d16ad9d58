#include "engine/screens/VXLDestListRefreshJob.h"
#include "engine/screens/VXLDestinationChooserJob.h"

#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Answers the VRAX job's password prompt as a user who cancels it.
class CancellingPrompt : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        ++prompts;
        event->setResult(kResultFailed);
        finishEvent(event);
    }
    int prompts = 0;
};

// A phone with no destination list yet ("vrax.ver_id" empty) whose VRAX job
// talks to tests/peers/vrax_server.py on 127.0.0.1. The user interface is
// played by the test: every layout the engine releases is let go of.
class DestinationRegistrationTest : public ScreenJobFixture {
public:
    void SetUp() override
    {
        ScreenJobFixture::SetUp();
        CVXLString version;
        client->settings().getPersistentString(kPersVraxVerId, &version);
        ASSERT_EQ(version.length(), 0u);
    }
    void TearDown() override
    {
        end();
        if (server_ > 0)
            testStopProcess(server_, 2000);
        ScreenJobFixture::TearDown();
    }

    void serve(const std::string& script)
    {
        log_ = engine.root().hostPath("vrax-server.log");
        std::uint16_t port = 0;
        server_ = testStartPythonPeer("vrax_server.py", {script, log_, "--announce"}, log_ + ".out", &port);
        ASSERT_GT(server_, 0);
        client->settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
    }
    std::string serverLog() const
    {
        std::ifstream in(log_);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    CVXLUiJob* start(int type)
    {
        job = pool->acquire(type);
        if (!job)
            return nullptr;
        parent.signals.clear();
        shownChildren.clear();
        job->startUnder(&parent);
        return job;
    }
    void end()
    {
        if (!job)
            return;
        job->stop();
        follow([] { return false; }, 50);
        pool->release(job);
        job = nullptr;
    }
    // Ticks on the real clock (the sockets waited on between ticks) until
    // `done` or realMs have passed, taking the screen requests as the user
    // interface would; notes each child screen type as it comes up.
    bool follow(const std::function<bool()>& done, int realMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
        while (std::chrono::steady_clock::now() < deadline) {
            auto before = std::chrono::steady_clock::now();
            engine.tick();
            while (CVXLUIRequest* request = engine.popUIRequest()) {
                CVXLLayout* layout = request->layout();
                if (request->kind() == kUIRequestReleaseLayout && job)
                    letGo(layout, *job);
                engine.tick();
            }
            if (job && job->currentChild()) {
                const int type = job->currentChild()->typeId();
                if (shownChildren.empty() || shownChildren.back() != type) {
                    shownChildren.push_back(type);
                    if (CVXLLayout* layout = job->currentChild()->getLayout())
                        childScreens.push_back(screenText(*layout));
                }
            }
            if (done())
                return true;
            CVXLPlatformConnection::waitForSockets(5);
            const auto gone = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - before);
            engine.advance(static_cast<std::uint32_t>(gone.count()) + 1);
        }
        return done();
    }
    bool answered() { return !parent.signals.empty(); }
    bool childShown(int type)
    {
        return job && job->currentChild() && job->currentChild()->typeId() == type
            && job->currentChild()->isLayoutShown();
    }

    CVXLUiJob* job = nullptr;
    std::vector<int> shownChildren;
    std::vector<std::string> childScreens;

private:
    pid_t server_ = -1;
    std::string log_;
};

// The chooser on a phone without a list registers first: a spinner until
// the download names its size, then the progress display, and Back (8) so
// the program starts it again; then the categories of the downloaded file.
TEST_F(DestinationRegistrationTest, TheChooserRegistersFirstAndShowsTheDownloadedCategoriesNextTime)
{
    serve("mgmt-destinations-pauselast");
    ASSERT_NE(start(CVXLDestinationChooserJob::kTypeId), nullptr);
    ASSERT_TRUE(follow([&] { return answered(); }, 15000)) << serverLog();
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {8});
    EXPECT_EQ(shownChildren, (std::vector<int> {43, 42}));
    ASSERT_EQ(childScreens.size(), 2u);
    EXPECT_EQ(childScreens[1], "Configuring Device | hard Cancel, hard Back, hard Exit");
    const std::string log = serverLog();
    EXPECT_NE(log.find("request 1 mgmt-destinations-pauselast "), std::string::npos) << log;
    EXPECT_NE(log.find(" request=mgmt-req "), std::string::npos) << log;

    CVXLString version;
    client->settings().getPersistentString(kPersVraxVerId, &version);
    EXPECT_EQ(std::string(version.c_str()), "9.0");
    end();

    ASSERT_NE(start(CVXLDestinationChooserJob::kTypeId), nullptr);
    auto& menu = static_cast<CVXLDestinationChooserJob*>(job)->layout();
    ASSERT_TRUE(follow([&] { return menu.getItemCount() != 0 && !job->currentChild(); }, 5000));
    EXPECT_EQ(std::string(menu.getTitle().c_str()), "Tap to Add or Remove");
    ASSERT_EQ(menu.getItemCount(), 2u);
    EXPECT_EQ(std::string(static_cast<CVXLMenuItemElement*>(menu.itemAt(0))->text().c_str()), "Photo Sites");
    EXPECT_EQ(std::string(static_cast<CVXLMenuItemElement*>(menu.itemAt(1))->text().c_str()), "Print Shops");
    EXPECT_TRUE(parent.signals.empty());
}

// The refresh job: a service error shows its text with the detail, and the
// error screen's first key asks again; a password prompt the user cancels
// shows the cancel notice; a phone with a list ends at once.
TEST_F(DestinationRegistrationTest, RefreshFailureRetriesAndACancelShowsItsNotice)
{
    serve("error-info7,mgmt-destinations,error-info266");
    ASSERT_NE(start(CVXLDestListRefreshJob::kTypeId), nullptr);
    ASSERT_TRUE(follow([&] { return childShown(CVXLUiJob::kErrorJobType); }, 15000)) << serverLog();
    CVXLLayoutError* error = job->currentChild()->getLayout()->asError();
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(
        std::string(error->messageText().c_str()), "There was an error trying to register your phone. (7)");
    EXPECT_TRUE(parent.signals.empty());

    // Its first key registers again, now with success.
    ASSERT_TRUE(submitByLabel(*error, "Ok"));
    ASSERT_TRUE(follow([&] { return answered(); }, 15000)) << serverLog();
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {10});
    EXPECT_NE(serverLog().find("request 2 mgmt-destinations"), std::string::npos) << serverLog();
    end();

    // With the list, nothing is asked of the server.
    ASSERT_NE(start(CVXLDestListRefreshJob::kTypeId), nullptr);
    ASSERT_TRUE(follow([&] { return answered(); }, 2000));
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {10});
    EXPECT_TRUE(shownChildren.empty());
    end();

    // Undone registration, and a password the user does not give.
    client->settings().setPersistentString(kPersVraxVerId, "");
    CancellingPrompt prompt;
    client->startChild(&prompt);
    client->getVraxJob().setPromptHandler(&prompt);
    ASSERT_NE(start(CVXLDestListRefreshJob::kTypeId), nullptr);
    ASSERT_TRUE(follow([&] { return childShown(CVXLUiJob::kInformationJobType); }, 15000)) << serverLog();
    EXPECT_GE(prompt.prompts, 1);
    CVXLLayoutInformation* notice = job->currentChild()->getLayout()->asInformation();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(std::string(notice->message().c_str()), "You have chosen to cancel registration.");
    ASSERT_TRUE(submitByLabel(*notice, "Continue"));
    ASSERT_TRUE(follow([&] { return answered(); }, 2000));
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {8});
    client->getVraxJob().setPromptHandler(&client->getProducer());
    prompt.stop();
}

} // namespace
