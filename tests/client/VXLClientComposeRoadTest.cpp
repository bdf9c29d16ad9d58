// The main road of a picture message, headless: the "Send To Contacts" menu
// entry runs the shipped program on the real Producer; the flows before the
// composer are scripted stand-ins (the contact chooser fills the recipients,
// the capture flow selects the phone's picture); the composer is the
// engine's own, and the message goes through the outbound queue and its
// sender to tests/peers/vrax_server.py.
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaCollection.h"
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
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScreenText.h"
#include "tests/support/ScriptedUiJobs.h"
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

constexpr std::int32_t kReply = 77;
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
        pool = new ScriptedUiJobPool(client);
        pool->realTypes = {7, 10, 11, 42, 43};
        client->setUiJobPool(pool);
        if (!driver.startUp())
            return false;
        CVXLClientSettings& settings = client->settings();
        settings.setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
        settings.setPersistentString(kPersVraxId, "D42");
        settings.setPersistentString(kPersVraxRegComplete, "1");
        settings.store().set("vrax.max_image_upload_size", "100000");
        // Sent messages leave the queue at once.
        settings.setConfigString(kCfgOption53, "1");
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

    std::int32_t ask(CVXLEventHandler* to, CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(to, &request);
        for (int i = 0; i < 50 && requester.results.size() == before; ++i) {
            driver.advance(10);
            run();
        }
        return requester.results.size() > before ? requester.results.back() : -999;
    }

    // What the capture flow leaves: the phone's picture, selected.
    bool selectPhonePicture()
    {
        CMediaAccessManager& media = client->getMediaAccessManager();
        CMediaLocationRequest open(kReply);
        open.setStoreIndex(1);
        if (ask(&media, open) != 0)
            return false;
        CMediaAccessQuery query(kReply);
        query.bind(0, 1);
        query.setPayload(0);
        const std::int32_t fetched = ask(&media, query);
        if (fetched != 0 && fetched != kResultLastPage)
            return false;
        const CMediaCollection* list = media.currentCollection();
        const CMediaCollectionEntry* entry = list ? list->at(0) : nullptr;
        if (!entry || !entry->item)
            return false;
        media.toggleSelection(*entry->item);
        return media.countSelected() == 1;
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

    TempDeviceRoot root;
    EngineDriver driver {&root};
    CVXLClient* client = nullptr;
    ScriptedUiJobPool* pool = nullptr;
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

    // The flows before the composer: the destination list refresh, the
    // contact chooser (two recipients filled, Continue), the storage
    // location and the capture flow, which leaves the picture selected.
    for (int guard = 0; guard < 10; ++guard) {
        CVXLUiJob* job = rig.currentJob();
        ASSERT_NE(job, nullptr);
        if (job->typeId() == CVXLComposeJob::kTypeId)
            break;
        if (job->typeId() == 4) {
            client.getGlobalContacts().clear();
            for (const char* address : {"+15550111", "pat@example.com"})
                client.getGlobalContacts().addNew()->set(1, address, "");
        }
        if (job->typeId() == 17) {
            ASSERT_TRUE(rig.selectPhonePicture());
        }
        rig.pool->script.push_back({10, {}});
        ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
        rig.run();
    }
    EXPECT_EQ(rig.pool->shownTypes(), (std::vector<int> {6, 4, 1, 17, 10, 43}));

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
    EXPECT_EQ(rig.pool->shownTypes(), (std::vector<int> {6, 4, 1, 17, 10, 43, 43, 11}));
    CVXLLayoutInformation* notice = rig.top() ? rig.top()->asInformation() : nullptr;
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(std::string(notice->message().c_str()), "Your message is being sent.");

    // The queue as stored (its reader takes only format 6): one entry with
    // the recipients and the subject, its item file naming the picture. The
    // service is still held, so the entry is there.
    const std::string folder
        = rig.driver.storeFile("state.oq").substr(0, rig.driver.storeFile("state.oq").rfind('/'));
    int status = -1;
    const std::string read = msgstore({"queue-read", folder}, &status);
    ASSERT_EQ(status, 0) << read;
    for (const char* part : {"\"count\": 1", "\"recipients\": [\"+15550111\", \"pat@example.com\"]",
             "[\"subj\", 4, [\"Beach day\"]]", "\"parts\": [[[65539, \"\", \"Beach.jpg\"]"})
        EXPECT_TRUE(has(read, part)) << part << "\n" << read;
    EXPECT_EQ(client.getOutboundQueueManager().count(), 1u);

    // Ok: the program returns to the menu.
    ASSERT_TRUE(rig.press("Continue"));
    EXPECT_TRUE(client.getProducer().isIdle());
    bool toMenu = false;
    for (const auto& r : rig.requests)
        toMenu = toMenu || r.kind == kUIRequestReturnToMenu;
    EXPECT_TRUE(toMenu);
    // Only the stand-ins' screens are left (they never take theirs down).
    EXPECT_EQ(rig.top() ? rig.top()->layoutType() : kLayoutList, kLayoutList) << screenText(*rig.top());
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
