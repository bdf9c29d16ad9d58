// The single-screen and hand-over jobs from the pool of a started engine,
// under a parent that records what they tell the program: their screens and
// results, and what they leave in the engine's managers and state files.
#include "engine/access/MediaAccessManager.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/records/FailedMessageReport.h"
#include "engine/screens/VXLAlertChoiceJob.h"
#include "engine/screens/VXLCaptureTypeJob.h"
#include "engine/screens/VXLChoiceElement.h"
#include "engine/screens/VXLContactChooserJob.h"
#include "engine/screens/VXLDestAlbumJob.h"
#include "engine/screens/VXLFailureJob.h"
#include "engine/screens/VXLFieldElement.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLPasswordJob.h"
#include "engine/screens/VXLProgressBarJob.h"
#include "engine/screens/VXLScreenJob17.h"
#include "engine/screens/VXLStorageLocationJob.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "engine/service/VRAXListReplyParser.h"
#include "engine/service/VRAXPromptEvent.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/service/FakeVraxEnvironment.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

CVXLByteBuffer bytes(const std::string& text)
{
    CVXLByteBuffer out;
    out.append(text.data(), static_cast<std::uint32_t>(text.size()));
    return out;
}

// The service's list-choice alert as the service protocol job hands it over.
struct Alert {
    explicit Alert(const std::string& document)
    {
        parser.parse(bytes(document));
        event.list = &parser;
    }
    FakeVraxEnvironment environment;
    CVRAXListReplyParser parser {environment};
    CVRAXPromptEvent event {kEventVraxChoicePrompt, kReplyVraxChoicePrompt};
};

constexpr const char* kTwoChoices
    = "<VRAX><list-choice-alert msg=\"Pick an album\" time=\"0\"><list>"
      "<li id=\"a1\">Home</li><li id=\"a2\">Work</li></list></list-choice-alert>";

class HandOverJobTest : public ScreenJobFixture {
public:
    CVXLUiJob* job(int type)
    {
        CVXLUiJob* j = pool->acquire(type);
        EXPECT_NE(j, nullptr) << type;
        return j;
    }
    // Starts the job under the parent with the properties given.
    void start(CVXLUiJob& j, const std::vector<std::pair<const char*, CVXLVariant>>& properties = {})
    {
        for (const auto& [name, value] : properties)
            j.setProperty(name, value);
        j.startUnder(&parent);
        run();
    }
    bool press(CVXLLayout& layout, const char* label)
    {
        const bool taken = submitByLabel(layout, label);
        run();
        return taken;
    }
    // The notice or error a job shows over its own screen.
    CVXLLayout* childScreen(CVXLUiJob& j)
    {
        return j.currentChild() ? j.currentChild()->getLayout() : nullptr;
    }
    // Ends the job as the program does when it goes on.
    void finish(CVXLUiJob& j)
    {
        confirmReleases(j);
        j.stop();
        run();
        pool->release(&j);
    }
    std::uint16_t phoneStore() { return client->getMediaStoreManager().storeIdAt(0); }
};

// Every job's start and its results, one row per way through: the screen it
// shows (as the user interface reads it), the keys the user presses, the
// results the program is told and the requests the user interface got.
TEST_F(HandOverJobTest, JobStartsAndResults)
{
    std::unique_ptr<Alert> alert;
    auto newAlert = [&](const char* document) {
        alert = std::make_unique<Alert>(document);
        return CVXLVariant(static_cast<const void*>(&alert->event));
    };
    CVRAXPromptEvent password(kEventVraxPasswordPrompt, kReplyVraxPasswordPrompt);
    auto typePassword = [&](CVXLUiJob& j, const char* text) {
        auto& layout = static_cast<CVXLPasswordJob&>(j).layout();
        ASSERT_GE(layout.slotOfField(1), 0) << layout.fieldCount();
        CVXLFieldElement* pass = layout.getField(static_cast<std::uint32_t>(layout.slotOfField(1)));
        ASSERT_NE(pass, nullptr);
        layout.setCurrentElement(pass);
        ASSERT_EQ(pass->value()->asUserInputText()->setText(text), 1);
    };
    using Props = std::vector<std::pair<const char*, CVXLVariant>>;
    struct Case {
        const char* what;
        int type;
        std::function<Props()> properties;
        const char* screen; // "" for none
        std::function<void(CVXLUiJob&)> act;
        std::vector<std::int32_t> results;
        const char* requests;
        std::function<void(CVXLUiJob&)> check = nullptr;
    };
    const Case cases[] = {
        {"alert without choices or time-out answers at once", 3,
            [&] {
                return Props({{"ia_event", newAlert("<VRAX><list-choice-alert msg=\"m\"/>")}});
            },
            "", nullptr, {10}, "",
            [&](CVXLUiJob&) {
                EXPECT_EQ(alert->event.result(), kResultSucceeded);
                EXPECT_STREQ(alert->event.text.c_str(), "");
            }},
        {"alert: Select the second, Continue", 3,
            [&] {
                return Props({{"ia_event", newAlert(kTwoChoices)}});
            },
            "Tessel Info Alert | hard Select, hard Continue, hard Cancel, hard Back, hard Exit",
            [&](CVXLUiJob& j) {
                auto& layout = static_cast<CVXLAlertChoiceJob&>(j).layout();
                EXPECT_STREQ(layout.titleText().c_str(), "Pick an album");
                ASSERT_EQ(layout.getItemCount(), 2u);
                layout.setSelectedIndex(1);
                ASSERT_TRUE(press(layout, "Select"));
                EXPECT_TRUE(layout.choiceAt(1)->isSelected());
                ASSERT_TRUE(press(layout, "Continue"));
            },
            {10}, "NEW_LAYOUT UPDATED_LAYOUT RELEASE_LAYOUT",
            [&](CVXLUiJob&) {
                EXPECT_EQ(alert->event.result(), kResultSucceeded);
                EXPECT_STREQ(alert->event.text.c_str(), "Work");
            }},
        {"alert: Continue with nothing selected keeps the screen, then Cancel", 3,
            [&] {
                return Props({{"ia_event", newAlert(kTwoChoices)}});
            },
            "Tessel Info Alert | hard Select, hard Continue, hard Cancel, hard Back, hard Exit",
            [&](CVXLUiJob& j) {
                auto& layout = static_cast<CVXLAlertChoiceJob&>(j).layout();
                ASSERT_TRUE(press(layout, "Continue"));
                EXPECT_TRUE(parent.signals.empty());
                ASSERT_TRUE(press(layout, "Cancel"));
            },
            {8}, "NEW_LAYOUT UPDATED_LAYOUT RELEASE_LAYOUT",
            [&](CVXLUiJob&) { EXPECT_EQ(alert->event.result(), kResultFailed); }},
        {"alert with a time-out only is shown; Exit", 3,
            [&] {
                return Props({{"ia_event", newAlert("<VRAX><list-choice-alert msg=\"m\" time=\"5\"/>")}});
            },
            "Tessel Info Alert | -hard Select, hard Continue, hard Cancel, hard Back, hard Exit",
            [&](CVXLUiJob& j) { ASSERT_TRUE(press(*j.getLayout(), "Exit")); }, {9},
            "NEW_LAYOUT RELEASE_LAYOUT",
            [&](CVXLUiJob&) { EXPECT_EQ(alert->event.result(), kResultFailed); }},
        {"contacts known: no screen", 4,
            [] {
                return Props({{"has_contact_flag", CVXLVariant(1)}});
            },
            "", nullptr, {10}, ""},
        {"contacts: flag 0 shows the chooser; Continue", 4,
            [] {
                return Props({{"has_contact_flag", CVXLVariant(0)}});
            },
            "Local Contact Chooser | unplaced Continue, unplaced Back, unplaced Exit",
            [&](CVXLUiJob& j) { ASSERT_TRUE(press(*j.getLayout(), "Continue")); }, {10},
            "NEW_LAYOUT RELEASE_LAYOUT"},
        {"contacts: Back, then resumed the chooser comes back", 4, [] { return Props(); },
            "Local Contact Chooser | unplaced Continue, unplaced Back, unplaced Exit",
            [&](CVXLUiJob& j) {
                ASSERT_TRUE(press(*j.getLayout(), "Back"));
                confirmReleases(j);
                j.postSignal(CVXLHandOverJob::kSignalResume);
                run();
                ASSERT_TRUE(press(*j.getLayout(), "Exit"));
            },
            {8, 9}, "NEW_LAYOUT RELEASE_LAYOUT NEW_LAYOUT RELEASE_LAYOUT"},
        {"storage location of the phone opens", 1,
            [&] {
                return Props({{"storage_location",
                    CVXLVariant(static_cast<int>(client->getMediaStoreManager().getStoreLocation(0)))}});
            },
            "", nullptr, {10}, "",
            [&](CVXLUiJob& j) {
                EXPECT_TRUE(static_cast<CVXLStorageLocationJob&>(j).isOpen());
                EXPECT_NE(client->getMediaAccessManager().currentCollection(), nullptr);
            }},
        {"nothing selected: no upload", 18,
            [] {
                return Props({{"dest_album", CVXLVariant("a1")}});
            },
            "", nullptr, {8}, ""},
        {"password typed: the prompt's text", 40,
            [&] {
                return Props({{"password_event", CVXLVariant(static_cast<const void*>(&password))}});
            },
            "Enter Password | unplaced Continue, hard Back, hard Exit",
            [&](CVXLUiJob& j) {
                typePassword(j, "secret");
                ASSERT_TRUE(press(*j.getLayout(), "Continue"));
            },
            {10}, "NEW_LAYOUT RELEASE_LAYOUT",
            [&](CVXLUiJob&) {
                EXPECT_STREQ(password.text.c_str(), "secret");
                EXPECT_EQ(password.result(), kResultSucceeded);
            }},
        {"password empty: refused with the field's error, then Back", 40,
            [&] {
                return Props({{"password_event", CVXLVariant(static_cast<const void*>(&password))}});
            },
            "Enter Password | unplaced Continue, hard Back, hard Exit",
            [&](CVXLUiJob& j) {
                typePassword(j, "");
                ASSERT_TRUE(press(*j.getLayout(), "Continue"));
                EXPECT_TRUE(parent.signals.empty());
                CVXLLayout* notice = childScreen(j);
                ASSERT_NE(notice, nullptr);
                ASSERT_NE(notice->asInformation(), nullptr);
                EXPECT_STREQ(notice->asInformation()->message().c_str(),
                    "Password for Tessel must be at least 1 character.");
                ASSERT_TRUE(press(*notice, "Continue"));
                EXPECT_TRUE(j.isLayoutShown());
                ASSERT_TRUE(press(*j.getLayout(), "Back"));
            },
            {8}, "NEW_LAYOUT NEW_LAYOUT RELEASE_LAYOUT UPDATED_LAYOUT RELEASE_LAYOUT",
            [&](CVXLUiJob&) {
                EXPECT_STREQ(password.text.c_str(), "");
                EXPECT_EQ(password.result(), kResultCancelled);
            }},
        {"audio: Ok gives 10", 2, [] { return Props(); }, "Assign Audio | hard Ok, hard Back, hard Exit",
            [&](CVXLUiJob& j) { ASSERT_TRUE(press(*j.getLayout(), "Ok")); }, {10},
            "NEW_LAYOUT RELEASE_LAYOUT"},
        {"audio: Back gives 8", 2, [] { return Props(); }, "Assign Audio | hard Ok, hard Back, hard Exit",
            [&](CVXLUiJob& j) { ASSERT_TRUE(press(*j.getLayout(), "Back")); }, {8},
            "NEW_LAYOUT RELEASE_LAYOUT"},
        {"audio: Exit gives 9", 2, [] { return Props(); }, "Assign Audio | hard Ok, hard Back, hard Exit",
            [&](CVXLUiJob& j) { ASSERT_TRUE(press(*j.getLayout(), "Exit")); }, {9},
            "NEW_LAYOUT RELEASE_LAYOUT"},
        {"capture choice: Back gives 8; resumed it shows again; Exit gives 9", 16,
            [] {
                return Props({{"capture_type", CVXLVariant(2)}});
            },
            "Capture Media | unplaced Update, unplaced Next, unplaced Back, unplaced Exit",
            [&](CVXLUiJob& j) {
                EXPECT_EQ(static_cast<CVXLCaptureTypeJob&>(j).captureType(), 2);
                ASSERT_TRUE(press(*j.getLayout(), "Back"));
                confirmReleases(j);
                j.postSignal(CVXLHandOverJob::kSignalResume);
                run();
                ASSERT_TRUE(j.isLayoutShown());
                ASSERT_TRUE(press(*j.getLayout(), "Exit"));
            },
            {8, 9}, "NEW_LAYOUT RELEASE_LAYOUT NEW_LAYOUT RELEASE_LAYOUT"},
        {"capture choice: Next with nothing captured gives 10", 16, [] { return Props(); },
            "Capture Media | unplaced Update, unplaced Next, unplaced Back, unplaced Exit",
            [&](CVXLUiJob& j) { ASSERT_TRUE(press(*j.getLayout(), "Next")); }, {10},
            "NEW_LAYOUT RELEASE_LAYOUT"},
        {"progress bar: its keys change nothing", 44, [] { return Props(); }, "", nullptr, {}, "NEW_LAYOUT",
            [&](CVXLUiJob& j) {
                EXPECT_EQ(j.getLayout()->state(), 2u);
                EXPECT_TRUE(j.isLayoutShown());
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parent.signals.clear();
        requests.clear();
        password.text.clear();
        password.setResult(kResultSucceeded);
        CVXLUiJob* j = job(c.type);
        ASSERT_NE(j, nullptr);
        start(*j, c.properties());
        if (*c.screen) {
            ASSERT_TRUE(j->isLayoutShown());
            EXPECT_EQ(screenText(*j->getLayout()), c.screen);
        } else if (j->getLayout()) {
            EXPECT_FALSE(j->isLayoutShown() && c.type != 44);
        }
        if (c.act)
            c.act(*j);
        EXPECT_EQ(parent.signals, c.results);
        EXPECT_EQ(kinds(), c.requests);
        if (c.check)
            c.check(*j);
        finish(*j);
    }
}

// The capture flow's jobs over the phone's real store: job 1 opens the
// capture location, job 17 (or job 16 on Next) hands the captured files
// over (each selected), job 18 queues the selection for the background
// upload ("state.uq", read by tests/peers/upload_queue_file.py); a file that
// is missing shows the manager's error, which gives 7 in job 17 and the
// capture choice again in job 16 (left with Exit, 9).
TEST_F(HandOverJobTest, CapturedFilesAreHandedOverAndQueuedForUpload)
{
    const std::string jpeg = testJpeg(16, 12, 3, 80, [](unsigned y, unsigned char* row) {
        for (unsigned x = 0; x < 16 * 3; ++x)
            row[x] = static_cast<unsigned char>(x * 5 + y);
    });
    for (const char* name : {"a.jpg", "b.jpg"})
        ASSERT_TRUE(engine.root().writeFile(std::string("My Documents/My Pictures/") + name, jpeg));
    // Nothing leaves the phone.
    client->settings().setPersistentString(kPersDatacommActive, "0");
    client->setCaptureLocation(phoneStore());
    CMediaAccessManager& media = client->getMediaAccessManager();
    const CVXLVariant location(static_cast<int>(client->getMediaStoreManager().getStoreLocation(0)));

    struct Case {
        const char* what;
        int type;
        std::vector<const char*> captured;
        std::vector<std::int32_t> handOver;
        std::uint32_t selected;
    };
    const Case cases[] = {
        {"two files", 17, {"a.jpg", "b.jpg"}, {10}, 2},
        {"none", 17, {}, {10}, 0},
        {"the second is missing", 17, {"a.jpg", "gone.jpg"}, {7}, 1},
        {"two files on Next", 16, {"a.jpg", "b.jpg"}, {10}, 2},
        {"the first is missing on Next", 16, {"gone.jpg", "b.jpg"}, {9}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        while (CVXLList::Node* node = client->getObjectList().head()) {
            CVXLObject* object = node->object;
            client->getObjectList().remove(object);
            delete object;
        }
        for (const char* name : c.captured)
            client->getObjectList().append(
                new CVXLString((std::string("\\My Documents\\My Pictures\\") + name).c_str()));
        media.clearAllSelections();
        parent.signals.clear();
        requests.clear();

        CVXLUiJob* open = job(CVXLStorageLocationJob::kTypeId);
        start(*open, {{"storage_location", location}});
        ASSERT_EQ(parent.signals, std::vector<std::int32_t> {10});
        parent.signals.clear();
        CVXLUiJob* handOver = job(c.type);
        start(*handOver);
        if (c.type == CVXLCaptureTypeJob::kTypeId) {
            ASSERT_TRUE(handOver->isLayoutShown());
            ASSERT_TRUE(press(*handOver->getLayout(), "Next"));
        }
        if (c.handOver.front() != 10) {
            CVXLLayout* error = childScreen(*handOver);
            ASSERT_NE(error, nullptr);
            ASSERT_NE(error->asError(), nullptr);
            EXPECT_TRUE(parent.signals.empty());
            ASSERT_TRUE(press(*error, "Back"));
        }
        if (c.type == CVXLCaptureTypeJob::kTypeId && c.handOver.front() != 10) {
            // The choice again, and the user leaves it.
            EXPECT_TRUE(parent.signals.empty());
            ASSERT_TRUE(handOver->isLayoutShown());
            ASSERT_TRUE(press(*handOver->getLayout(), "Exit"));
        }
        EXPECT_EQ(parent.signals, c.handOver);
        EXPECT_EQ(media.countSelected(), c.selected);
        finish(*handOver);
        if (c.selected == 2) {
            // The selection queued into the album "a1".
            parent.signals.clear();
            CVXLUiJob* upload = job(CVXLDestAlbumJob::kTypeId);
            start(*upload, {{"dest_album", CVXLVariant("a1")}});
            CVXLLayout* notice = childScreen(*upload);
            ASSERT_NE(notice, nullptr);
            ASSERT_NE(notice->asInformation(), nullptr);
            EXPECT_STREQ(notice->asInformation()->message().c_str(), "Your media is queued for uploading.");
            ASSERT_TRUE(press(*notice, "Continue"));
            EXPECT_EQ(parent.signals, std::vector<std::int32_t> {8});
            finish(*upload);
            const TestCommandResult dump = testRunCommand(testPython()
                + " '" TESSEL_SOURCE_DIR "/tests/peers/upload_queue_file.py' --dump '"
                + engine.storeFile("state.uq") + "'");
            ASSERT_EQ(dump.status, 0) << dump.output;
            const std::vector<std::string> lines = testLines(dump.output);
            ASSERT_EQ(lines.size(), 2u) << dump.output;
            for (const std::string& line : lines)
                EXPECT_EQ(line.substr(line.rfind(' ')), " a1") << line;
        }
        // The location is ended as the program lets the job go.
        finish(*open);
        EXPECT_EQ(media.currentCollection(), nullptr);
    }
}

// The failure job over the real outbound queue: two messages whose attempts
// are used up (written so into "state.oq" between two engines on one device
// root); Ok sends both again (their attempts back to 0, as
// tests/peers/msgstore.py reads the file), a message the queue does not know
// stops the walk with the queue's error, and Cancel deletes them when sent
// messages are not kept (configuration item 53).
TEST(HandOverJobFailureTest, FailedMessagesAreSentAgainOrDeleted)
{
    TempDeviceRoot root;
    std::vector<std::string> ids;
    std::string stateFile;
    {
        EngineDriver first(&root);
        ASSERT_TRUE(first.startUp());
        first.client()->settings().setPersistentString(kPersDatacommActive, "0");
        TraceJob asker("composer");
        first.client()->startChild(&asker);
        first.runUntilIdle();
        CScenarioLayout screen;
        screen.setId("__vxl_sendto_recipients");
        for (const char* to : {"+15550101", "+15550102"}) {
            COutboundSubmitRequest submit(1);
            submit.screen = &screen;
            submit.recipients.insertAt(to, 0);
            asker.post(&first.client()->getOutboundQueueManager(), &submit);
            first.runUntilIdle();
            ASSERT_FALSE(submit.isBusy());
            ASSERT_EQ(submit.result(), kResultSucceeded);
        }
        COutboundQueueManager& queue = first.client()->getOutboundQueueManager();
        ASSERT_EQ(queue.count(), 2u);
        for (std::uint32_t i = 0; i < queue.count(); ++i)
            ids.push_back(queue.entryAt(i).summary.messageId.c_str());
        asker.stop();
        first.runUntilIdle();
        ASSERT_TRUE(first.shutDown());
        stateFile = first.storeFile("state.oq");
    }
    {
        const std::string bytes = readHost(stateFile);
        CVXLByteBuffer in;
        in.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        COutboundQueueManager::Loaded loaded;
        ASSERT_TRUE(COutboundQueueManager::parse(in, loaded));
        for (COutboundQueueEntry& e : loaded.entries)
            e.attempts = COutboundQueueManager::kMaxAttempts;
        CVXLByteBuffer out;
        COutboundQueueManager::serialise(loaded.entries.data(),
            static_cast<std::uint32_t>(loaded.entries.size()), loaded.nextItemNumber, loaded.currentIndex,
            out);
        writeHost(stateFile, std::string(reinterpret_cast<const char*>(out.data()), out.length()));
    }
    const std::string folder = stateFile.substr(0, stateFile.rfind('/'));
    auto attempts = [&](int n) {
        int status = -1;
        const std::string read = msgstore({"queue-read", folder}, &status);
        std::size_t count = 0;
        const std::string key = "\"attempts\": " + std::to_string(n);
        for (std::size_t at = read.find(key); at != std::string::npos; at = read.find(key, at + 1))
            ++count;
        return status == 0 ? static_cast<int>(count) : -1;
    };
    ASSERT_EQ(attempts(3), 2);

    EngineDriver engine(&root);
    ASSERT_TRUE(engine.startUp());
    CVXLClient* client = engine.client();
    client->settings().setPersistentString(kPersDatacommActive, "0");
    ParentJob parent;
    parent.setPool(client->getUiJobPool());
    client->startChild(&parent);
    engine.runUntilIdle();
    ASSERT_EQ(client->getOutboundQueueManager().count(), 2u);

    struct Case {
        const char* what;
        std::vector<std::string> ids;
        bool deleteSent;
        const char* key;
        // The key on the queue's error, when one is shown.
        const char* errorKey;
        std::vector<std::int32_t> results;
        int attemptsUsed;
        std::uint32_t left;
    };
    const Case cases[] = {
        {"Back", {ids[0], ids[1]}, false, "Back", nullptr, {8}, 2, 2},
        {"an unknown message stops the walk; its error's Exit", {"o-none", ids[0]}, false, "Ok", "Exit", {9},
            2, 2},
        {"Cancel keeps them when sent messages are kept", {ids[0], ids[1]}, false, "Cancel", nullptr, {8}, 2,
            2},
        {"Ok sends both again", {ids[0], ids[1]}, false, "Ok", nullptr, {10}, 0, 2},
        {"no messages: Ok", {}, false, "Ok", nullptr, {9}, 0, 2},
        {"Cancel deletes both", {ids[0], ids[1]}, true, "Cancel", nullptr, {9}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        client->settings().setConfigString(kCfgOption53, c.deleteSent ? "1" : "0");
        CFailedMessageReport report;
        report.setHeapAllocated(false);
        for (const std::string& id : c.ids)
            report.records.push_back(
                {id.c_str(), "+15550101", "", 0, 3, COutboundQueueManager::kReasonAttemptsUsed});
        parent.signals.clear();
        auto* job = dynamic_cast<CVXLFailureJob*>(client->getUiJobPool()->acquire(CVXLFailureJob::kTypeId));
        ASSERT_NE(job, nullptr);
        job->setProperty("fail_event", CVXLVariant(static_cast<const void*>(&report)));
        job->startUnder(&parent);
        engine.runUntilIdle();
        ASSERT_TRUE(job->isLayoutShown());
        EXPECT_EQ(job->layout().state(), CVXLFailureJob::kLayoutState);
        if (!c.ids.empty()) {
            EXPECT_STREQ(
                job->layout().messageText().c_str(), "Cannot send message due to network issues, Retry now?");
        }
        ASSERT_TRUE(submitByLabel(*job->getLayout(), c.key)) << screenText(*job->getLayout());
        engine.runUntilIdle();
        if (c.errorKey) {
            CVXLLayout* error = job->currentChild() ? job->currentChild()->getLayout() : nullptr;
            ASSERT_NE(error, nullptr);
            ASSERT_NE(error->asError(), nullptr);
            EXPECT_TRUE(parent.signals.empty());
            ASSERT_TRUE(submitByLabel(*error, c.errorKey));
            engine.runUntilIdle();
        }
        EXPECT_EQ(parent.signals, c.results);
        EXPECT_FALSE(job->isLayoutShown());
        EXPECT_EQ(client->getOutboundQueueManager().count(), c.left);
        if (c.left) {
            EXPECT_EQ(attempts(3), c.attemptsUsed);
        }
        job->stop();
        engine.runUntilIdle();
        client->getUiJobPool()->release(job);
    }
    parent.stop();
    engine.runUntilIdle();
}

} // namespace
