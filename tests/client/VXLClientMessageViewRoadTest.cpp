// Reading a message headless on the whole engine: a message made by
// tests/peers/mms_message.py with Python's email package is served by
// tests/peers/mms_relay.py on 127.0.0.1, pushed to the engine's push port
// or handed to the inbound manager, received,
// opened from the thread list by the shipped program and read slide by
// slide by the real message view job; what it sends is read at the relay by
// tshark, what it deletes from the device root by tests/peers/msgstore.py.
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLInfoMessageTable.h"
#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLMessageListJob.h"
#include "engine/screens/VXLMessageViewJob.h"
#include "engine/screens/VXLSlideMediaItem.h"
#include "engine/screens/VXLSmilRegion.h"
#include "engine/screens/VXLThreadListJob.h"
#include "platform/push/PushRouter.h"
#include "tests/client/MessageListRoadRig.h"
#include "tests/support/ExternalTool.h"
#include "tests/transport/MmsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kOwnNumber = "+15550002222";
// The destination list refresh, which the program runs as its registration check.
constexpr int kRegistrationCheckJob = 6;

// The message screens' real jobs: the thread list and its messages, the
// five message views, error, information, progress and spinner.
const std::vector<int> kRealJobs = {7, 11, 26, 30, 31, 32, 33, 34, 35, 42, 43};

// A message of the kind written by tests/peers/mms_message.py into a file of
// the device root's folder; its path, "" when the script failed.
std::string messageFile(
    TempDeviceRoot& root, const std::string& kind, const std::string& name, const std::string& extra = "")
{
    const std::string path = root.hostPath(name);
    const TestCommandResult made
        = testRunCommand(testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/mms_message.py' " + kind + " '"
            + path + "' " + extra + " 2>&1");
    return made.status == 0 ? path : std::string();
}

std::string contactsText(const CVXLContactListElement& contacts)
{
    std::string out;
    for (std::uint32_t i = 0; i < contacts.count(); ++i)
        out += std::string(out.empty() ? "" : ", ") + std::to_string(contacts.at(i)->kind()) + ":"
            + contacts.at(i)->address().c_str();
    return out;
}

// The rig with the relay serving the given message bodies, the phone
// registered and its own number set.
struct ViewRig : MessageListRoadRig {
    bool startWith(const std::vector<std::pair<std::string, std::string>>& bodies)
    {
        for (const auto& [id, file] : bodies) {
            if (file.empty())
                return false;
            relayArguments.insert(relayArguments.end(), {"--body", id, file});
        }
        if (!start(kRealJobs))
            return false;
        client->settings().setPersistentString(kPersVraxId, "D42");
        client->settings().setPersistentString(kPersVraxRegComplete, "1");
        client->settings().setConfigString(kCfgUserIdentity, kOwnNumber);
        return true;
    }
    // From the thread list into the only thread, and View on its message
    // with the given sender; the view job, or null.
    CVXLMessageViewJob* openFromThread(const char* thread)
    {
        startActivity(88);
        auto* threads = dynamic_cast<CVXLThreadListJob*>(currentJob());
        if (!threads)
            return nullptr;
        for (std::int32_t i = 0; i < threads->layout().list().length(); ++i) {
            CVXLElement* item = threads->layout().list().itemAt(threads->layout().list().first() + i);
            auto* row = dynamic_cast<CVXLMessageListItem*>(item);
            if (row && row->id() == thread)
                threads->layout().setCurrentElement(item);
        }
        if (!press("Continue"))
            return nullptr;
        auto* messages = dynamic_cast<CVXLMessageListJob*>(currentJob());
        if (!messages || !press("View"))
            return nullptr;
        // The program's registration check (a scripted job) passes.
        for (int guard = 0; guard < 3 && currentJob() && currentJob()->typeId() == kRegistrationCheckJob;
             ++guard) {
            pool->script.push_back({10, {}});
            if (!pool->answer(client->getProducer().uiJobs()))
                return nullptr;
            run();
        }
        return dynamic_cast<CVXLMessageViewJob*>(currentJob());
    }
    // Dismisses the notice on top with Continue; its message, "" when none.
    std::string dismissNotice()
    {
        CVXLLayoutInformation* notice = top() ? top()->asInformation() : nullptr;
        if (!notice)
            return "";
        const std::string text = notice->message().c_str();
        press("Continue");
        return text;
    }
    // The scripted jobs of the program answer with `code` until the job is
    // current again.
    bool answerProgramUntil(CVXLUiJob* job, std::int32_t code, const std::function<void()>& onEach = {})
    {
        for (int guard = 0; guard < 6 && currentJob() != job; ++guard) {
            if (onEach)
                onEach();
            pool->script.push_back({code, {}});
            if (!pool->answer(client->getProducer().uiJobs()))
                return false;
            run();
        }
        return currentJob() == job;
    }
    std::vector<std::string> urls() const
    {
        std::vector<std::string> out;
        for (const Request& r : requests)
            if (r.kind == kUIRequestProcessUrl)
                out.push_back(r.url);
        return out;
    }
};

// Bytes as tshark prints a raw value: lower-case hex pairs joined by ":".
std::string colonHex(const std::string& bytes)
{
    std::string out;
    char pair[4];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        out += std::string(out.empty() ? "" : ":") + pair;
    }
    return out;
}

std::string infoText(CVXLClient* client, std::uint32_t index)
{
    return CVXLScreenServices::text(client->getUiJobPool()->services(), CVXLInfoMessageTable::textIdOf(index))
        .c_str();
}

TEST(VXLClientMessageViewRoad, AMessageOfTwoSlidesIsReadForwardedSavedAndDeleted)
{
    TESSEL_REQUIRE_TOOL(testToolTshark());
    ViewRig rig;
    const std::string file = messageFile(rig.root, "slides", "slides.eml",
        std::string("--to '") + kOwnNumber + ",+15550004444' --cc '+15550005555'");
    // The relay pushes the notification to the engine's push port.
    tessel::push::PushRouter probe;
    ASSERT_TRUE(probe.open(0));
    const std::uint16_t port = probe.port();
    probe.close();
    rig.root.writeDeviceConf("push.port = " + std::to_string(port) + "\n");
    ASSERT_TRUE(rig.startWith({{"V1", file}}));
    CVXLClient& client = *rig.client;
    ASSERT_EQ(client.getWapPushSource().boundPort(), port);
    // The summary's recipients and picture count come with the preview.
    const TestCommandResult pushed
        = testRunCommand(testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/mms_relay.py' push "
            + std::to_string(port) + " T-V1 --from +15550101 --location '"
            + rig.relay.url(
                "/msg/V1?from=%2B15550101&to=%2B15550002222%3B%2B15550004444%3B%2B15550005555&images=2")
            + "'");
    ASSERT_EQ(pushed.status, 0) << pushed.output;
    ASSERT_TRUE(
        rig.follow([&] { return rig.currentJob() && rig.currentJob()->typeId() == 28 && rig.top(); }, 30000))
        << rig.relay.log();
    EXPECT_EQ(client.getMessageStoreManager().boxCount(0), 1u);
    rig.dismissArrivalNotice();

    CVXLMessageViewJob* view = rig.openFromThread("+15550101");
    ASSERT_NE(view, nullptr) << rig.topText();
    EXPECT_EQ(view->typeId(), 35);
    CVXLLayoutMessageView& layout = view->layout();
    ASSERT_EQ(rig.top(), &layout) << rig.topText();
    ASSERT_NE(layout.summary(), nullptr);
    EXPECT_EQ(layout.layoutType(), 15u);
    EXPECT_EQ(layout.state(), 0u);
    EXPECT_EQ(std::string(layout.getTitle().c_str()), "+15550101");
    EXPECT_EQ(layout.slideCount(), 2);
    EXPECT_EQ(layout.position(), 1);
    EXPECT_EQ(layout.duration(), 5000);
    EXPECT_FALSE(layout.isBusy());
    ASSERT_EQ(layout.elementCount(), 1u);
    ASSERT_TRUE(layout.elementAt(0)->medium());
    EXPECT_STREQ(layout.elementAt(0)->medium().get()->getMimeType().c_str(), "image/jpeg");
    EXPECT_EQ(std::string(layout.slideText().c_str()), "See http://example.com/album?id=7 for more");
    // The link takes the left soft key as "Go"; Reply moves to the menu.
    EXPECT_EQ(rig.topText(),
        "+15550101 | menu Reply, menu Reply All, menu Forward, menu Save Media, menu Assign Media, menu Save "
        "Message, "
        "-menu Print Media, menu Delete, menu Next Slide, menu Previous Slide, left Go, menu View Media, "
        "hard Back, "
        "hard Exit");
    ASSERT_TRUE(rig.press("Go"));
    EXPECT_EQ(rig.urls(), std::vector<std::string> {"http://example.com/album?id=7"});

    // Next, and next again wraps to the first slide.
    ASSERT_TRUE(rig.press("Next Slide"));
    EXPECT_EQ(layout.position(), 2);
    EXPECT_EQ(layout.duration(), 4000);
    ASSERT_EQ(layout.elementCount(), 1u);
    ASSERT_TRUE(layout.elementAt(0)->medium());
    EXPECT_STREQ(layout.elementAt(0)->medium().get()->getMimeType().c_str(), "image/gif");
    EXPECT_FALSE(view->hasLink());
    EXPECT_EQ(rig.topText().find("Go"), std::string::npos);
    ASSERT_TRUE(rig.press("Next Slide"));
    EXPECT_EQ(layout.position(), 1);
    EXPECT_TRUE(view->hasLink());

    // The media view walks the visual slides (both are); Back returns to all.
    ASSERT_TRUE(rig.press("View Media"));
    EXPECT_TRUE(layout.mediaView());
    EXPECT_EQ(layout.slideCount(), 2);
    EXPECT_EQ(layout.position(), 1);
    EXPECT_NE(rig.topText().find("-menu View Media"), std::string::npos) << rig.topText();
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_FALSE(layout.mediaView());
    EXPECT_EQ(rig.currentJob(), view);
    EXPECT_EQ(rig.top(), &layout);
    EXPECT_EQ(layout.position(), 1);

    // Reply All: the sender and every recipient but the own number.
    ASSERT_TRUE(rig.press("Reply All"));
    EXPECT_EQ(contactsText(client.getGlobalContacts()), "2:+15550101, 1:+15550004444, 1:+15550005555");
    ASSERT_TRUE(rig.answerProgramUntil(view, 8)) << rig.topText();
    ASSERT_TRUE(rig.follow([&] { return rig.top() == &layout; }, 10000)) << rig.topText();
    EXPECT_EQ(client.getGlobalContacts().count(), 0u);

    // Forward: the program's contact chooser, the confirmation, the relay.
    const std::size_t received = testLines(rig.relay.log()).size();
    ASSERT_TRUE(rig.press("Forward"));
    ASSERT_TRUE(rig.answerProgramUntil(view, 10, [&] {
        client.getGlobalContacts().clear();
        client.getGlobalContacts().addNew()->set(1, "+15550777", "");
    })) << rig.topText();
    CVXLLayoutInformation* confirm = rig.top() ? rig.top()->asInformation() : nullptr;
    ASSERT_NE(confirm, nullptr) << rig.topText();
    EXPECT_EQ(std::string(confirm->message().c_str()), "Your message is ready to be forwarded to +15550777.");
    ASSERT_TRUE(rig.press("Continue"));
    ASSERT_TRUE(rig.follow([&] { return rig.top() && rig.top()->asInformation(); }, 30000))
        << rig.relay.log();
    EXPECT_EQ(rig.dismissNotice(), infoText(rig.client, 15));
    EXPECT_EQ(rig.top(), &layout);
    std::vector<std::string> lines = testLines(rig.relay.log());
    ASSERT_EQ(lines.size(), received + 1) << rig.relay.log();
    EXPECT_NE(lines.back().find("POST /mms type=89"), std::string::npos) << lines.back();
    const std::string oracle = mmstest::oracleText(rig.relay.savedBody(static_cast<int>(lines.size())));
    EXPECT_NE(oracle.find("+15550777"), std::string::npos) << oracle;
    // The subject goes in the forward's flags: "Fw:" and the message's subject.
    EXPECT_NE(oracle.find(colonHex("mmforward.subject=Fw%3ARelay%20subject")), std::string::npos) << oracle;

    // Save: the relay stores it, and the view stays.
    ASSERT_TRUE(rig.press("Save Message"));
    ASSERT_TRUE(rig.follow([&] { return rig.top() && rig.top()->asInformation(); }, 30000))
        << rig.relay.log() << rig.topText();
    EXPECT_EQ(rig.dismissNotice(), infoText(rig.client, 21));
    lines = testLines(rig.relay.log());
    EXPECT_NE(lines.back().find("POST /mms type=8b"), std::string::npos) << rig.relay.log();
    EXPECT_EQ(rig.top(), &layout);

    // With 22 messages queued a forward stops at the notice.
    for (int i = 0; i < 22; ++i)
        ASSERT_TRUE(rig.queueMessage(("+1555090" + std::to_string(i)).c_str())) << i;
    for (int guard = 0; guard < 30 && rig.currentJob() != view; ++guard) {
        rig.pool->script.push_back({10, {}});
        ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
        rig.run();
    }
    ASSERT_EQ(rig.currentJob(), view);
    ASSERT_TRUE(submitByLabel(layout, "Forward")) << screenText(layout);
    rig.run();
    EXPECT_EQ(rig.dismissNotice(), infoText(rig.client, 20));
    EXPECT_TRUE(view->isViewing());
    EXPECT_EQ(rig.currentJob(), view);

    // Delete: the notice, the message leaves the store, the view ends.
    const std::string before = storedInboxIds(client);
    ASSERT_NE(before, "");
    ASSERT_TRUE(submitByLabel(layout, "Delete"));
    rig.run();
    EXPECT_EQ(rig.dismissNotice(), infoText(rig.client, 12));
    EXPECT_EQ(storedInboxIds(client), "");
    EXPECT_NE(rig.currentJob(), view);

    // The thread went with its only message: back on the thread list, and
    // out; the run ends and its jobs go back.
    ASSERT_NE(dynamic_cast<CVXLThreadListJob*>(rig.currentJob()), nullptr) << rig.topText();
    ASSERT_TRUE(rig.press("Back"));
    EXPECT_TRUE(client.getProducer().isIdle());
}

// The regions of a presentation as "id:top", in map order.
std::string regionsText(const CVXLSmilPresentation& presentation)
{
    std::string out;
    for (std::uint32_t i = 0; i < presentation.regions().count(); ++i) {
        const auto* region
            = static_cast<const CVXLSmilRegion*>(presentation.regions().valueAt(static_cast<int>(i)));
        out += std::string(out.empty() ? "" : " ") + region->id.c_str() + ":" + std::to_string(region->top);
    }
    return out;
}

TEST(VXLClientMessageViewRoad, AMessageWithoutSmilIsOneSlideAndBrokenOnesShowTheirErrors)
{
    ViewRig rig;
    ASSERT_TRUE(rig.startWith({{"N1", messageFile(rig.root, "no-smil", "no-smil.eml")},
        {"E1", messageFile(rig.root, "empty", "empty.eml")},
        {"S1", messageFile(rig.root, "no-slides", "no-slides.eml")},
        {"M1", messageFile(rig.root, "missing", "missing.eml")},
        {"B1", messageFile(rig.root, "empty-slide", "empty-slide.eml")}}));
    struct Case {
        const char* id;
        const char* sender;
        std::int32_t error; // 0: the view shows
        std::function<void(CVXLMessageViewJob&)> check;
        // The key that leaves the view or its error: Exit ends the run.
        const char* leave = "Back";
    };
    // E1 has no parts: the store's open fails with 76, the open asked again
    // of the inbound manager fetches the message and finds none, and the
    // view shows 63.
    const Case cases[] = {
        {"N1", "+15550101", 0,
            [&](CVXLMessageViewJob& view) {
                CVXLLayoutMessageView& layout = view.layout();
                EXPECT_EQ(regionsText(view.presentation()), "0:0 1:50");
                EXPECT_EQ(layout.slideCount(), 1);
                EXPECT_EQ(layout.position(), 1);
                ASSERT_EQ(layout.elementCount(), 2u);
                ASSERT_TRUE(layout.elementAt(0)->medium() && layout.elementAt(1)->medium());
                EXPECT_STREQ(layout.elementAt(0)->medium().get()->getMimeType().c_str(), "image/jpeg");
                EXPECT_STREQ(layout.elementAt(1)->medium().get()->getMimeType().c_str(), "image/gif");
                EXPECT_EQ(std::string(layout.slideText().c_str()), "Two pictures");
                EXPECT_NE(rig.topText().find("-menu Next Slide, -menu Previous Slide"), std::string::npos)
                    << rig.topText();
            }},
        {"E1", "+15550202", 63, {}},
        {"S1", "+15550303", 62, {}},
        // The slide's only picture names a part the message does not have.
        {"M1", "+15550404", 63, {}},
        // A slide with nothing to read is shown as it is.
        {"B1", "+15550505", 0,
            [&](CVXLMessageViewJob& view) {
                CVXLLayoutMessageView& layout = view.layout();
                EXPECT_EQ(layout.slideCount(), 2);
                EXPECT_EQ(layout.position(), 1);
                EXPECT_EQ(layout.duration(), 2000);
                EXPECT_EQ(layout.elementCount(), 0u);
                ASSERT_TRUE(rig.press("Next Slide"));
                EXPECT_EQ(layout.position(), 2);
                ASSERT_EQ(layout.elementCount(), 1u);
                ASSERT_TRUE(rig.press("Next Slide"));
                EXPECT_EQ(layout.position(), 1);
                EXPECT_EQ(layout.elementCount(), 0u);
            },
            "Exit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(rig.receive(c.id, std::string("%2B") + (c.sender + 1))) << rig.relay.log();
        CVXLMessageViewJob* view = rig.openFromThread(c.sender);
        ASSERT_NE(view, nullptr) << rig.topText();
        // An open the store cannot answer goes again to the relay.
        ASSERT_TRUE(
            rig.follow([&] { return view->isViewing() || (rig.top() && rig.top()->asError()); }, 30000))
            << rig.topText();
        if (c.error == 0) {
            ASSERT_EQ(rig.top(), &view->layout()) << rig.topText();
            c.check(*view);
            ASSERT_TRUE(rig.press(c.leave));
        } else {
            CVXLLayout* top = rig.top();
            ASSERT_NE(top, nullptr);
            ASSERT_NE(top->asError(), nullptr) << rig.topText();
            EXPECT_EQ(top->asError()->errorCode(), static_cast<std::uint32_t>(c.error));
            EXPECT_EQ(rig.currentJob()->typeId(), 35);
            ASSERT_TRUE(rig.press(c.leave)) << rig.topText();
        }
        if (std::string(c.leave) == "Exit") {
            EXPECT_TRUE(rig.client->getProducer().isIdle()) << rig.topText();
            continue;
        }
        // Back in the thread's messages, then out to the thread list and out.
        ASSERT_NE(dynamic_cast<CVXLMessageListJob*>(rig.currentJob()), nullptr) << rig.topText();
        ASSERT_TRUE(rig.press("Back"));
        ASSERT_TRUE(rig.press("Back"));
        EXPECT_TRUE(rig.client->getProducer().isIdle());
    }
}

// A charged message is stored as its preview until the user accepts the
// charge: the view shows the charge first (mode 23); Continue opens it, the
// store has only the preview (76), and the open goes again through the
// inbound manager, which fetches the whole message under a progress bar.
// Its parts have neither a Content-Id nor a Content-Location, so each medium
// of its one slide reads the part it was made from. Back on the charge
// leaves the message at the relay.
TEST(VXLClientMessageViewRoad, AChargedMessageShowsItsChargeAndIsFetchedWhenAccepted)
{
    ViewRig rig;
    ASSERT_TRUE(rig.startWith(
        {{"C1", messageFile(rig.root, "bare", "c1.eml")}, {"C2", messageFile(rig.root, "bare", "c2.eml")}}));
    rig.dismissArrivals = false;
    struct Case {
        const char* id;
        const char* sender;
        const char* answer;
    };
    const Case cases[] = {
        {"C1", "+15550101", "Continue"},
        {"C2", "+15550202", "Back"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ASSERT_TRUE(rig.receive(c.id, std::string("%2B") + (c.sender + 1) + "&charge=Costs%201%20dollar"))
            << rig.relay.log();
        // The arrival's summary is read from the preview.
        ASSERT_NE(rig.currentJob(), nullptr);
        EXPECT_EQ(rig.currentJob()->typeId(), 28);
        ASSERT_NE(rig.top(), nullptr);
        EXPECT_EQ(rig.top()->asError(), nullptr) << rig.topText();
        rig.dismissArrivalNotice();

        CVXLMessageViewJob* view = rig.openFromThread(c.sender);
        ASSERT_NE(view, nullptr) << rig.topText();
        CVXLLayoutInformation* notice = rig.top() ? rig.top()->asInformation() : nullptr;
        ASSERT_NE(notice, nullptr) << rig.topText();
        EXPECT_EQ(notice->mode(), CVXLLayoutInformation::kModeConfirmDraft);
        EXPECT_EQ(std::string(notice->message().c_str()), "Costs 1 dollar");
        const std::size_t asked = testLines(rig.relay.log()).size();
        // Only the preview was fetched.
        EXPECT_NE(rig.relay.log().find(std::string("GET /msg/") + c.id), std::string::npos);
        EXPECT_NE(testLines(rig.relay.log()).back().find("&thumbnail=true"), std::string::npos)
            << rig.relay.log();
        ASSERT_TRUE(rig.press(c.answer));

        if (std::string(c.answer) == "Back") {
            ASSERT_NE(dynamic_cast<CVXLMessageListJob*>(rig.currentJob()), nullptr) << rig.topText();
            EXPECT_EQ(testLines(rig.relay.log()).size(), asked) << rig.relay.log();
        } else {
            bool progress = false;
            ASSERT_TRUE(rig.follow(
                [&] {
                    progress = progress || (rig.top() && rig.top()->layoutType() == kLayoutProgressBar);
                    return view->isViewing() || (rig.top() && rig.top()->asError());
                },
                30000))
                << rig.relay.log();
            EXPECT_TRUE(progress);
            ASSERT_TRUE(view->isViewing()) << rig.topText();
            const std::vector<std::string> lines = testLines(rig.relay.log());
            ASSERT_EQ(lines.size(), asked + 1) << rig.relay.log();
            EXPECT_NE(lines.back().find(std::string("GET /msg/") + c.id + "?from="), std::string::npos)
                << lines.back();
            EXPECT_EQ(lines.back().find("thumbnail"), std::string::npos) << lines.back();

            CVXLLayoutMessageView& layout = view->layout();
            ASSERT_EQ(rig.top(), &layout) << rig.topText();
            EXPECT_EQ(regionsText(view->presentation()), "0:0 1:50");
            EXPECT_EQ(layout.slideCount(), 1);
            ASSERT_EQ(layout.elementCount(), 2u);
            ASSERT_TRUE(layout.elementAt(0)->medium() && layout.elementAt(1)->medium());
            EXPECT_STREQ(layout.elementAt(0)->medium().get()->getMimeType().c_str(), "image/jpeg");
            EXPECT_STREQ(layout.elementAt(1)->medium().get()->getMimeType().c_str(), "image/gif");
            EXPECT_EQ(std::string(layout.slideText().c_str()), "Nameless parts");
            ASSERT_TRUE(rig.press("Back"));
        }
        ASSERT_NE(dynamic_cast<CVXLMessageListJob*>(rig.currentJob()), nullptr) << rig.topText();
        ASSERT_TRUE(rig.press("Back"));
        ASSERT_TRUE(rig.press("Back"));
        EXPECT_TRUE(rig.client->getProducer().isIdle());
    }
}

// A premium message is viewed by job 32 from its arrival summary: the
// premium inbox's view (state 8, "Inbox"), whose requests go to the premium
// inbox, which marks the message read in its group on the open.
TEST(VXLClientMessageViewRoad, APremiumMessageIsOpenedThroughThePremiumInbox)
{
    ViewRig rig;
    ASSERT_TRUE(rig.startWith({{"P1", messageFile(rig.root, "slides", "p1.eml")}}));
    rig.dismissArrivals = false;
    CVXLClient& client = *rig.client;
    const std::string premium
        = "&folder=%3Cpremium%20control%3D%22normal%22%20id%3D%22sports%22%20name%3D%22Sports%22"
          "%20priority%3D%225%22%2F%3E";
    ASSERT_TRUE(rig.receive("P1", "%2B15550101" + premium)) << rig.relay.log();
    const CVXLString sports("Sports");
    ASSERT_EQ(client.getPremiumInboxManager().unreadCount(sports), 1u);
    ASSERT_NE(rig.currentJob(), nullptr);
    ASSERT_EQ(rig.currentJob()->typeId(), 28) << rig.topText();
    ASSERT_TRUE(rig.press("View")) << rig.topText();
    for (int guard = 0; guard < 3 && rig.currentJob() && rig.currentJob()->typeId() == kRegistrationCheckJob;
         ++guard) {
        rig.pool->script.push_back({10, {}});
        ASSERT_TRUE(rig.pool->answer(client.getProducer().uiJobs()));
        rig.run();
    }
    auto* view = dynamic_cast<CVXLMessageViewJob*>(rig.currentJob());
    ASSERT_NE(view, nullptr) << rig.topText();
    EXPECT_EQ(view->typeId(), 32);
    ASSERT_TRUE(rig.follow([&] { return view->isViewing() || (rig.top() && rig.top()->asError()); }, 30000));
    ASSERT_TRUE(view->isViewing()) << rig.topText();
    CVXLLayoutMessageView& layout = view->layout();
    EXPECT_EQ(layout.state(), 8u);
    EXPECT_EQ(std::string(layout.getTitle().c_str()), "Inbox");
    EXPECT_EQ(layout.slideCount(), 2);
    ASSERT_EQ(layout.elementCount(), 1u);
    EXPECT_EQ(std::string(layout.slideText().c_str()), "See http://example.com/album?id=7 for more");
    EXPECT_EQ(client.getPremiumInboxManager().unreadCount(sports), 0u);
    ASSERT_TRUE(rig.press("Exit"));
    EXPECT_TRUE(client.getProducer().isIdle());
}

// A save the relay refuses and a delete the store cannot carry out each
// show their error over the view: Back returns to the view, Exit ends the
// run.
TEST(VXLClientMessageViewRoad, AFailedSaveOrDeleteShowsItsErrorOverTheView)
{
    ViewRig rig;
    ASSERT_TRUE(rig.startWith({{"F1", messageFile(rig.root, "no-smil", "f1.eml")}}));
    CVXLClient& client = *rig.client;
    ASSERT_TRUE(rig.receive("F1", "%2B15550101")) << rig.relay.log();
    const std::string stored = storedInboxIds(client);
    ASSERT_FALSE(stored.empty());
    ASSERT_EQ(stored.find(' '), std::string::npos) << stored;
    struct Case {
        const char* command;
        const char* answer;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"Save Message", "Back", 50},
        {"Save Message", "Exit", 50},
        {"Delete", "Back", 1},
        {"Delete", "Exit", 1},
    };
    // The relay answers the save with 503; the message's file is a folder
    // while the delete runs, which the store cannot delete as a file.
    client.settings().setConfigString(kCfgMmscUri, rig.relay.url("/status/503").c_str());
    CVXLString folder;
    ASSERT_TRUE(platformHostPath(client.getMessageStore()->folder(), &folder));
    const std::string file = std::string(folder.c_str()) + "/" + stored;
    const std::string aside = rig.root.hostPath("aside");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.answer);
        CVXLMessageViewJob* view = rig.openFromThread("+15550101");
        ASSERT_NE(view, nullptr) << rig.topText();
        ASSERT_TRUE(rig.follow([&] { return view->isViewing(); }, 30000)) << rig.topText();
        const bool removal = std::string(c.command) == "Delete";
        if (removal) {
            ASSERT_EQ(std::rename(file.c_str(), aside.c_str()), 0);
            ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
        }
        ASSERT_TRUE(rig.press(c.command));
        ASSERT_TRUE(rig.follow([&] { return rig.top() && rig.top()->asError(); }, 30000)) << rig.topText();
        EXPECT_EQ(rig.top()->asError()->errorCode(), c.error);
        EXPECT_EQ(rig.currentJob(), view);
        if (removal) {
            ASSERT_EQ(::rmdir(file.c_str()), 0);
            ASSERT_EQ(std::rename(aside.c_str(), file.c_str()), 0);
        }
        ASSERT_TRUE(rig.press(c.answer));
        if (std::string(c.answer) == "Exit") {
            EXPECT_TRUE(client.getProducer().isIdle()) << rig.topText();
            continue;
        }
        EXPECT_TRUE(view->isViewing());
        EXPECT_EQ(rig.top(), &view->layout()) << rig.topText();
        ASSERT_TRUE(rig.press("Back"));
        ASSERT_TRUE(rig.press("Back"));
        ASSERT_TRUE(rig.press("Back"));
        EXPECT_TRUE(client.getProducer().isIdle());
    }
    // Neither took the message out of the lists.
    EXPECT_EQ(storedInboxIds(client), stored);
}

} // namespace
