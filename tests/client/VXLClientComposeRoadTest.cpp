// The main road of a picture message, headless: the "Send To Contacts" menu
// entry runs the shipped program on the real Producer with the engine's own
// UI jobs: the registration check, the contact chooser (the recipients typed
// into the global container, Continue), the capture location and the hand-over
// of the captured picture, the composer; the message goes through the
// outbound queue and its sender to tests/peers/vrax_server.py.
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaCollection.h"
#include "engine/client/KORVClientServices.h"
#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLComposeJob.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "tests/client/ProgramJobLog.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kPhonePicture = "My Documents/My Pictures/Beach.jpg";

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string sourceFile(const std::string& relative)
{
    std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The composer's fields as the window shows them: "caption=value" each.
std::string fieldsText(CVXLLayoutMessageComposer& layout)
{
    std::string out;
    for (std::uint32_t i = 0; i < layout.fieldCount(); ++i) {
        CVXLFieldElement* slot = layout.getField(i);
        out += std::string(out.empty() ? "" : " | ") + slot->fieldLabel().c_str() + "=";
        CVXLElement* value = slot->value();
        if (!value)
            continue;
        if (CVXLContactListElement* contacts = value->asContactList()) {
            for (std::uint32_t n = 0; n < contacts->count(); ++n)
                out += std::string(n ? ", " : "") + contacts->at(n)->address().c_str();
        } else if (CVXLMediaListElement* list = value->asMediaList()) {
            out += std::to_string(list->count()) + " item(s)";
        } else if (CVXLUserInputTextElement* input = value->asUserInputText()) {
            out += std::string("[") + input->text().c_str() + "]";
        } else if (CVXLDisplayTextElement* text = value->asDisplayText()) {
            out += text->text().c_str();
        }
    }
    return out;
}

struct RoadRig {
    struct Request {
        std::uint32_t kind;
        CVXLLayout* layout;
        std::string url;
        std::int32_t value;
    };

    RoadRig()
    {
        picture.resize(7000);
        for (std::size_t i = 0; i < picture.size(); ++i)
            picture[i] = static_cast<char>((i * 29 + i / 11) & 0xFF);
        root.writeFile(kPhonePicture, picture);
        root.writeFile("Application Data/Tessel/vxlcfg.xml", sourceFile("tests/screens/data/vxlcfg.xml"));
    }
    ~RoadRig()
    {
        if (server > 0)
            testStopProcess(server, 2000);
        if (driver.client()) {
            requester.stop();
            run();
        }
    }

    bool start(const char* script)
    {
        log = root.hostPath("vrax-server.log");
        gate = log + ".gate";
        std::uint16_t port = 0;
        server = testStartPythonPeer(
            "vrax_server.py", {script, log, "--announce", "--gate", gate}, log + ".out", &port);
        if (server <= 0 || !driver.create())
            return false;
        client = driver.client();
        services.setClient(client);
        jobs.watched = {"storage_location", "scenario", "gc_op", "has_contact_flag"};
        jobs.attach(client->getProducer());
        if (!driver.startUp())
            return false;
        CVXLClientSettings& settings = client->settings();
        settings.setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
        settings.setPersistentString(kPersVraxId, "D42");
        settings.setPersistentString(kPersVraxRegComplete, "1");
        // A registered phone: the registration check passes at once.
        settings.setPersistentString(kPersVraxVerId, "7");
        settings.store().set("vrax.max_image_upload_size", "100000");
        // Sent messages leave the queue at once.
        settings.setConfigString(kCfgOption53, "1");
        // What the camera left: the picture, captured into the phone's store.
        client->setCaptureLocation(client->getMediaStoreManager().storeIdAt(0));
        client->getObjectList().append(new CVXLString("\\My Documents\\My Pictures\\Beach.jpg"));
        client->setMenuId(4);
        client->startChild(&requester);
        run();
        return true;
    }

    // Ticks until idle, taking every screen request as the user interface.
    void run()
    {
        for (int i = 0; i < 100000; ++i) {
            const std::int32_t result = driver.tick();
            if (CVXLUIRequest* r = driver.popUIRequest()) {
                requests.push_back({r->kind(), r->layout(), r->url().c_str(), r->value()});
                continue;
            }
            if (result != CVXLClient::kTickWorkLeft && client->getWaitTime() != 0)
                break;
        }
    }
    // For the real peer: as run, and the clock follows real time.
    bool follow(const std::function<bool()>& done, int realMs)
    {
        using Clock = std::chrono::steady_clock;
        const auto begin = Clock::now();
        auto last = begin;
        while (!done()) {
            driver.tick();
            // The head request stays queued until the next tick.
            if (CVXLUIRequest* r = driver.popUIRequest())
                requests.push_back({r->kind(), r->layout(), r->url().c_str(), r->value()});
            if (Clock::now() - begin > std::chrono::milliseconds(realMs))
                return false;
            CVXLPlatformConnection::waitForSockets(
                std::max<std::uint32_t>(1, std::min(5u, client->getWaitTime())));
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
            driver.advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
        return true;
    }

    // The last screen shown and not taken down.
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
    bool press(const char* label)
    {
        CVXLLayout* layout = top();
        const bool taken = layout && submitByLabel(*layout, label);
        run();
        return taken;
    }
    CVXLUiJob* currentJob() { return client->getProducer().uiJobs().current(); }
    // The layout types of the screens shown, in order.
    std::vector<std::uint32_t> shownLayouts() const
    {
        std::vector<std::uint32_t> types;
        for (const Request& r : requests) {
            if (r.kind == kUIRequestNewLayout)
                types.push_back(r.layout->layoutType());
        }
        return types;
    }

    // The Client's own built-ins, with the jobs they start noted; declared
    // before the engine, whose machines point at them.
    CKORVClientServices services;
    CKORVBuiltins builtins {&services};
    ProgramJobLog jobs {builtins};
    TempDeviceRoot root;
    EngineDriver driver {&root};
    CVXLClient* client = nullptr;
    TraceJob requester {"capture flow"};
    std::vector<Request> requests;
    std::string picture;
    std::string log;
    // The service reads no request before this file is made.
    std::string gate;
    pid_t server = -1;
};

TEST(VXLClientComposeRoad, FromTheMenuEntryToTheRelay)
{
    TESSEL_REQUIRE_TOOL(testToolXmllint());
    RoadRig rig;
    ASSERT_TRUE(rig.start("upload-ack,queued-uri"));
    CVXLClient& client = *rig.client;

    // The main menu's "Send To Contacts" entry: activity 76.
    CGlobalMenuList& menu = client.buildGlobalMenu(4);
    CGlobalMenuEntry* entry = nullptr;
    for (std::uint32_t i = 0; i < menu.getEntryCount() && !entry; ++i) {
        if (std::string(menu.entryAt(i)->caption().c_str()) == "Send To Contacts")
            entry = menu.entryAt(i);
    }
    ASSERT_NE(entry, nullptr);
    menu.runEntry(entry);
    rig.run();

    // The flows before the composer: the registration check passes, the
    // contact chooser shows the global recipients (two typed in, Continue),
    // the capture location opens and the captured picture is handed over
    // (selected); only the chooser has a screen.
    for (int step = 0; step < 4 && rig.currentJob() && rig.currentJob()->typeId() != CVXLComposeJob::kTypeId;
         ++step) {
        CVXLLayout* chooser = rig.top();
        ASSERT_NE(chooser, nullptr);
        ASSERT_EQ(chooser->layoutType(), kLayoutContactChooser) << screenText(*chooser);
        EXPECT_EQ(screenText(*chooser), expectedScreen(kLayoutContactChooser, 0));
        client.getGlobalContacts().clear();
        for (const char* address : {"+15550111", "pat@example.com"})
            client.getGlobalContacts().addNew()->set(1, address, "");
        ASSERT_TRUE(rig.press("Continue"));
    }
    EXPECT_EQ(rig.jobs.types(), (std::vector<int> {6, 4, 1, 17, 10}));
    ASSERT_EQ(rig.jobs.started.size(), 5u);
    const std::string phone = std::to_string(client.getMediaStoreManager().getStoreLocation(0));
    EXPECT_EQ(rig.jobs.started[2].properties["storage_location"], phone);
    EXPECT_EQ(rig.jobs.started[4].properties["scenario"], "__vxl_sendto_recipients");
    EXPECT_EQ(rig.jobs.started[4].properties["gc_op"], "0");
    EXPECT_EQ(client.getMediaAccessManager().countSelected(), 1u);
    // The composer's spinner while it reads its scenario, then the composer.
    EXPECT_EQ(rig.shownLayouts(),
        (std::vector<std::uint32_t> {kLayoutContactChooser, kLayoutProgressSpinner, kLayoutMessageComposer}));

    // The composer, as the window reads it.
    auto* composer = dynamic_cast<CVXLComposeJob*>(rig.currentJob());
    ASSERT_NE(composer, nullptr);
    ASSERT_EQ(rig.top(), &composer->layout());
    CVXLLayoutMessageComposer& layout = composer->layout();
    EXPECT_EQ(screenText(layout),
        "Send To Contacts | unplaced Continue, unplaced Modify, unplaced Update, unplaced Cancel, hard Back, "
        "hard Exit");
    EXPECT_EQ(fieldsText(layout), "To:=+15550111, pat@example.com | Pictures=1 item(s) | Subject=[]");

    // The subject typed (the window submits Update as the focus leaves it),
    // then Continue.
    layout.setCurrentElement(layout.getField(2));
    EXPECT_EQ(screenText(layout),
        "Send To Contacts | unplaced Continue, -unplaced Modify, unplaced Update, unplaced Cancel, hard "
        "Back, hard Exit");
    ASSERT_EQ(layout.getField(2)->value()->asUserInputText()->setText("Beach day"), 1);
    ASSERT_TRUE(rig.press("Update"));
    ASSERT_TRUE(rig.press("Continue"));
    // The spinner while the queue took the message, then the notice.
    EXPECT_EQ(rig.shownLayouts(),
        (std::vector<std::uint32_t> {kLayoutContactChooser, kLayoutProgressSpinner, kLayoutMessageComposer,
            kLayoutProgressSpinner, kLayoutInformation}));
    CVXLLayoutInformation* notice = rig.top() ? rig.top()->asInformation() : nullptr;
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(std::string(notice->message().c_str()), "Your message is being sent.");

    // The queue as stored (its reader takes only format 6): one entry with
    // the recipients and the subject, its item file naming the picture by the
    // path it was captured to in the phone's store. The service is still
    // held, so the entry is there.
    const std::string folder
        = rig.driver.storeFile("state.oq").substr(0, rig.driver.storeFile("state.oq").rfind('/'));
    int status = -1;
    const std::string read = msgstore({"queue-read", folder}, &status);
    ASSERT_EQ(status, 0) << read;
    for (const char* part : {"\"count\": 1", "\"recipients\": [\"+15550111\", \"pat@example.com\"]",
             "[\"subj\", 4, [\"Beach day\"]]",
             "\"parts\": [[[65539, \"\", \"\\\\My Documents\\\\My Pictures\\\\Beach.jpg\"]"})
        EXPECT_TRUE(has(read, part)) << part << "\n" << read;
    EXPECT_EQ(client.getOutboundQueueManager().count(), 1u);

    // Ok: the program returns to the menu.
    ASSERT_TRUE(rig.press("Continue"));
    EXPECT_TRUE(client.getProducer().isIdle());
    bool toMenu = false;
    for (const auto& r : rig.requests)
        toMenu = toMenu || r.kind == kUIRequestReturnToMenu;
    EXPECT_TRUE(toMenu);
    // Every screen of the road is taken down.
    EXPECT_EQ(rig.top(), nullptr) << screenText(*rig.top());
    EXPECT_TRUE(client.hasNoActivity());

    // The service answers: the sender uploads the picture, then sends the
    // message.
    std::ofstream(rig.gate).put('\n');
    EXPECT_TRUE(rig.follow([&] { return client.getOutboundQueueManager().count() == 0; }, 20000));
    const auto received = testFileLines(rig.log);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(has(received[0], "request=media-xfer")) << received[0];
    EXPECT_TRUE(has(received[0], " sha256=" + testSha256OfFile(rig.root.hostPath(kPhonePicture))))
        << received[0];
    EXPECT_TRUE(has(received[1], "request=mm-msg-xfer")) << received[1];
    const std::string kept = rig.log + ".2.xml";
    EXPECT_EQ(testRunCommand("xmllint --noout '" + kept + "' 2>&1").status, 0);
    const std::string document = readHost(kept);
    for (const char* part : {"+15550111", "pat@example.com", "Beach day", "__vxl_sendto_recipients"})
        EXPECT_TRUE(has(document, part)) << part << "\n" << document;
    EXPECT_TRUE(client.hasNoActivity());
}

} // namespace
