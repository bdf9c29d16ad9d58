#include "engine/core/base/VXLByteStream.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/records/OutboundQueueRequests.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLFolderEntry.h"
#include "engine/screens/VXLFolderListJob.h"
#include "engine/screens/VXLLayoutFolderList.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLLayoutList.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLMenuChoiceJob.h"
#include "engine/screens/VXLScenarioSupportJob.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/screens/VXLUploadScenarioJob.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Takes the answers of the requests it posts.
class Requester : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->kind() == kEventReply)
            results.push_back(event->result());
        finishEvent(event);
    }
    std::vector<std::int32_t> results;
};

std::string sourceFile(const std::string& relative)
{
    std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The menu jobs from the engine's own pool under a parent job, on the
// scenarios of tests/screens/data/vxlcfg.xml, with pictures in the phone's
// folder and on the memory card, and data traffic off.
class MenuJobsTest : public ScreenJobFixture {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.root().writeFile(
            "Application Data/Tessel/vxlcfg.xml", sourceFile("tests/screens/data/vxlcfg.xml")));
        ASSERT_TRUE(engine.root().writeFile("My Media/My Pictures/Beach.jpg", std::string(500, 'p')));
        ASSERT_TRUE(engine.root().writeFile("Storage Card/DCIM/Dog.jpg", std::string(500, 'd')));
        ScreenJobFixture::SetUp();
        client->settings().setPersistentString(kPersDatacommActive, "0");
        client->startChild(&requester);
        run();
    }
    void TearDown() override
    {
        if (job) {
            job->stop();
            run();
            pool->release(job);
        }
        requester.stop();
        ScreenJobFixture::TearDown();
    }

    CVXLUiJob* start(int type, const std::vector<std::pair<const char*, CVXLVariant>>& properties)
    {
        job = pool->acquire(type);
        if (!job)
            return nullptr;
        for (const auto& [name, value] : properties)
            job->setProperty(name, value);
        requests.clear();
        parent.signals.clear();
        job->startUnder(&parent);
        run();
        return job;
    }
    // The shown layout's title and entries: "Title: A, B, C".
    static std::string menuText(CVXLLayoutMenuList& menu)
    {
        std::string out = std::string(menu.getTitle().c_str()) + ":";
        for (std::uint32_t i = 0; i < menu.getItemCount(); ++i)
            out += std::string(i ? ", " : " ")
                + static_cast<CVXLEditTextElement*>(menu.itemAt(i))->getText().c_str();
        return out;
    }
    static std::string folderText(CVXLLayoutFolderList& folders)
    {
        std::string out = std::string(folders.getTitle().c_str()) + ":";
        const CVXLListModel& list = folders.list();
        for (std::int32_t at = list.first(); at < list.first() + list.length(); ++at) {
            const CVXLFolderEntry* entry = folders.entryAt(at);
            if (!entry)
                continue;
            out += std::string(at != list.first() ? ", " : " ") + entry->text().c_str();
            if (entry->showsCount())
                out += " " + std::to_string(entry->total()) + "/" + std::to_string(entry->unread());
        }
        return out;
    }
    // Makes the entry with the text current and presses the key.
    bool pick(CVXLLayout& layout, const std::string& text, const char* key)
    {
        if (CVXLLayoutMenuList* menu = layout.asMenuList()) {
            for (std::uint32_t i = 0; i < menu->getItemCount(); ++i)
                if (text == static_cast<CVXLEditTextElement*>(menu->itemAt(i))->getText().c_str())
                    menu->setCurrentElement(menu->itemAt(i));
        } else if (auto* folders = dynamic_cast<CVXLLayoutFolderList*>(&layout)) {
            for (std::int32_t at = 0; at < folders->list().first() + folders->list().length(); ++at)
                if (folders->entryAt(at) && text == folders->entryAt(at)->text().c_str())
                    folders->setCurrentElement(folders->entryAt(at));
        }
        const bool taken = submitByLabel(layout, key);
        run();
        return taken;
    }
    // A message left in the outbound queue (data traffic is off).
    bool queueMessage(const char* recipient)
    {
        screens.push_back(std::make_unique<CScenarioLayout>());
        screens.back()->setId("__vxl_sendto_recipients");
        submits.push_back(std::make_unique<COutboundSubmitRequest>(1));
        COutboundSubmitRequest& submit = *submits.back();
        submit.setHeapAllocated(false);
        submit.screen = screens.back().get();
        submit.recipients.insertAt(recipient, 0);
        const std::size_t before = requester.results.size();
        requester.post(&client->getOutboundQueueManager(), &submit);
        run();
        return requester.results.size() > before && requester.results.back() == 0;
    }
    // Premium folders as the premium inbox reads them from its file, once it
    // has matched its empty file with the store: named groups without
    // messages.
    bool setPremiumFolders(const std::vector<std::string>& names)
    {
        CPremiumInboxManager& premium = client->getPremiumInboxManager();
        for (int i = 0; i < 100 && !premium.isLoaded(); ++i)
            after(CPremiumInboxManager::kRetryMs);
        if (!premium.isLoaded())
            return false;
        CVXLByteStream out;
        out.writeByte(CPremiumInboxManager::kFormat);
        out.writeUInt32(static_cast<std::uint32_t>(names.size()));
        for (std::size_t i = 0; i < names.size(); ++i) {
            out.writeString(("group" + std::to_string(i)).c_str());
            out.writeUInt32(1000);
            out.writeUInt32(static_cast<std::uint32_t>(i));
            out.writeUInt32(0);
            out.writeString(names[i].c_str());
            out.writeString("");
        }
        out.writeUInt32(0);
        return premium.parse(out);
    }

    Requester requester;
    CVXLUiJob* job = nullptr;
    std::vector<std::unique_ptr<CScenarioLayout>> screens;
    std::vector<std::unique_ptr<COutboundSubmitRequest>> submits;
};

// One row per start: the job and what it is given, the screen it shows, the
// entry picked with its key, and the result with the values handed to the
// program.
TEST_F(MenuJobsTest, EachMenuShowsItsEntriesAndGivesThePicksResult)
{
    using Props = std::vector<std::pair<const char*, CVXLVariant>>;
    struct Case {
        const char* name;
        std::function<void(MenuJobsTest&)> before;
        int type;
        Props properties;
        const char* screen;
        const char* entry;
        const char* key;
        std::vector<std::int32_t> results;
        Props handed;
    };
    auto cardPresent = [](bool present) {
        return [present](MenuJobsTest& t) {
            t.client->settings().setConfigNumber(kCfgMemCardPresent, present ? 1 : 0);
        };
    };
    auto coolSite = [](MenuJobsTest& t) {
        t.client->settings().addCoolSite(
            "gallery", "My Gallery", "http://cool.example/g.png", "image/png", "", "");
    };
    auto nothing = [](MenuJobsTest&) {};
    const Case cases[] = {
        {"print", nothing, 20, {{"menu_type_id", 0}}, "Print: Home Delivery, Retail Pickup", "Retail Pickup",
            "Select", {38}, {{"choice_int", 0}}},
        {"uploads", nothing, 20, {{"menu_type_id", 1}}, "Uploads: My Uploads, My Albums", "My Uploads",
            "Select", {41}, {{"choice_int", 0}}},
        {"launcher titled by its cool site", coolSite, 20, {{"menu_type_id", 2}, {"scenario", "gallery"}},
            "My Gallery: Edit Setup, Upload, Launch Browser, Cancel", "Cancel", "Select", {64}, {}},
        {"launcher, two entries", nothing, 20, {{"menu_type_id", 3}, {"scenario", "nowhere"}},
            "Destination Launcher: Edit Setup, Upload", "Upload", "Select", {62}, {}},
        {"built-in Back", nothing, 20, {{"menu_type_id", 1}}, "Uploads: My Uploads, My Albums", "My Albums",
            "Back", {8}, {}},
        {"text only, card present", cardPresent(true), 19, {{"supports_txtonly", 1}},
            ": Text Only, My Media, Storage Card", "Text Only", "Select", {52},
            {{"choice_int", 0}, {"choice_string", "__vxl_text_sendto_recipients"}}},
        {"no card, no text only", cardPresent(false), 19, {{"supports_txtonly", 0}}, ": My Media", "My Media",
            "Select", {49}, {}},
        {"media menu Exit", cardPresent(false), 19, {{"supports_txtonly", 2}}, ": My Media", "My Media",
            "Exit", {9}, {}},
        {"launcher with nothing", nothing, 46, {{"bUploads", 0}}, "Upload Destination: Add Cool Site",
            "Add Cool Site", "Select", {65}, {}},
        {"launcher upload", coolSite, 46, {{"bUploads", 1}},
            "Upload Destination: Upload, My Gallery, Add Cool Site", "Upload", "Select", {62}, {}},
        {"cool site loads its scenario", coolSite, 46, {{"bUploads", 1}},
            "Upload Destination: Upload, My Gallery, Add Cool Site", "My Gallery", "Select", {66},
            {{"szScenario", "gallery"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client->settings().removeAllCoolSites();
        c.before(*this);
        run();
        ASSERT_NE(start(c.type, c.properties), nullptr);
        CVXLLayoutMenuList* menu = job->getLayout()->asMenuList();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(kinds(), "NEW_LAYOUT");
        EXPECT_EQ(menuText(*menu), c.screen);
        EXPECT_TRUE(pick(*menu, c.entry, c.key));
        EXPECT_EQ(parent.signals, c.results);
        for (const auto& [name, value] : c.handed)
            EXPECT_EQ(std::string(job->property(name).toString().c_str()), value.toString().c_str()) << name;
        EXPECT_FALSE(job->isLayoutShown());
        confirmReleases(*job);
        job->stop();
        run();
        pool->release(job);
        job = nullptr;
    }
}

TEST_F(MenuJobsTest, ACoolSitesScenarioGoesToTheProgramFilledAndAMissingOneEndsThroughItsError)
{
    client->settings().addCoolSite("gallery", "My Gallery", "", "", "", "");
    client->settings().addCoolSite("gone", "Gone", "", "", "", "");
    ASSERT_NE(start(46, {{"bUploads", 0}}), nullptr);
    auto* menu = job->getLayout()->asMenuList();
    ASSERT_TRUE(pick(*menu, "My Gallery", "Select"));
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {66});
    // The spinner runs over the list in the user interface, which ends the
    // list only once the spinner has ended: the spinner goes first, or the
    // user interface waits on the list while the engine waits on it.
    std::string screens;
    for (const Request& r : requests)
        screens += std::string(screens.empty() ? "" : ", ") + kUIRequestKindNames[r.kind] + " "
            + std::to_string(r.layout ? r.layout->layoutType() : 0);
    EXPECT_EQ(screens, "NEW_LAYOUT 10, NEW_LAYOUT 17, RELEASE_LAYOUT 17, RELEASE_LAYOUT 10");
    auto* scenario = static_cast<const CScenarioLayout*>(job->property("pScenario").reference());
    ASSERT_NE(scenario, nullptr);
    EXPECT_EQ(std::string(scenario->id().c_str()), "gallery");
    EXPECT_EQ(std::string(scenario->cookie().c_str()), "ck-gallery");
    EXPECT_GT(scenario->fieldCount(), 0u);

    // The program resumes the job: the list again, then a scenario the file
    // lacks shows its error, whose Ok ends with Back.
    parent.signals.clear();
    requests.clear();
    auto* resume = new CVXLSimpleEvent(CVXLUploadScenarioJob::kSignalGoOn);
    resume->setHeapAllocated(true);
    parent.post(job, resume);
    run();
    EXPECT_EQ(kinds(), "NEW_LAYOUT");
    ASSERT_TRUE(pick(*menu, "Gone", "Select"));
    CVXLUiJob* error = job->currentChild();
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->typeId(), CVXLUiJob::kErrorJobType);
    EXPECT_TRUE(parent.signals.empty());
    ASSERT_TRUE(submitByLabel(*error->getLayout(), "Back"));
    run();
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {8});
    EXPECT_FALSE(job->isLayoutShown());
}

// A card chosen after it went away shows its notice; the list comes back
// without it, and the card coming back (UI request 5) brings its entry back.
TEST_F(MenuJobsTest, ACardStoreChosenWithoutTheCardShowsItsNotice)
{
    client->settings().setConfigNumber(kCfgMemCardPresent, 1);
    ASSERT_NE(start(19, {{"supports_txtonly", 0}}), nullptr);
    auto* menu = job->getLayout()->asMenuList();
    EXPECT_EQ(menuText(*menu), ": My Media, Storage Card");
    client->settings().setConfigNumber(kCfgMemCardPresent, 0);
    run();
    EXPECT_EQ(menuText(*menu), ": My Media") << "the card's notice rebuilds the menu";
    client->settings().setConfigNumber(kCfgMemCardPresent, 1);
    run();
    EXPECT_EQ(menuText(*menu), ": My Media, Storage Card");

    // The card goes without a notice reaching the job.
    client->settings().setConfigNumber(kCfgMemCardPresent, 0);
    client->removeUIRequestCode(kUIRequestMemoryCardChanged);
    ASSERT_TRUE(pick(*menu, "Storage Card", "Select"));
    CVXLUiJob* notice = job->currentChild();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->typeId(), CVXLUiJob::kInformationJobType);
    ASSERT_NE(notice->getLayout()->asInformation(), nullptr);
    EXPECT_EQ(std::string(notice->getLayout()->asInformation()->message().c_str()),
        "No media card is present. Insert a media card.");
    ASSERT_TRUE(submitByLabel(*notice->getLayout(), "Continue"));
    run();
    EXPECT_TRUE(parent.signals.empty());
    EXPECT_EQ(menuText(*menu), ": My Media");
    EXPECT_TRUE(job->isLayoutShown());
    ASSERT_TRUE(pick(*menu, "My Media", "Select"));
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {49});
    const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    EXPECT_EQ(job->property("choice_int").toInt(), stores->storeIdAt(0));
}

// Item 41 is a flag ("1", "T" or "t"), not a number: the services, the
// media menu and the storage list all read it the same way.
TEST_F(MenuJobsTest, EveryReaderOfTheCardFlagTakesTheSameValues)
{
    struct Case {
        const char* value;
        bool present;
    };
    const Case cases[] = {
        {"1", true},
        {"T", true},
        {"t", true},
        {"0", false},
        {"2", false},
        {"01", false},
        {"true", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.value + "\"");
        client->settings().setConfigString(kCfgMemCardPresent, c.value);
        run();
        EXPECT_EQ(CVXLScreenServices::memoryCardPresent(pool->services()), c.present);

        ASSERT_NE(start(19, {{"supports_txtonly", 0}}), nullptr);
        auto* menu = job->getLayout()->asMenuList();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menuText(*menu), c.present ? ": My Media, Storage Card" : ": My Media");

        CVXLLayoutList storage;
        storage.setOwner(job);
        storage.reset();
        storage.setOnlineSuppressed(true);
        storage.setState(CVXLLayoutList::kStorageState);
        std::string names;
        for (std::int32_t i = 0; i < storage.list().length(); ++i)
            if (auto* entry = static_cast<CVXLAlbum*>(storage.list().itemAt(i)))
                names += std::string(names.empty() ? "" : ", ") + entry->name().c_str();
        EXPECT_EQ(names, c.present ? "My Media, Storage Card" : "My Media");
        CVXLAlbum card(CVXLString("Storage Card"));
        card.setLocation(0x20004);
        storage.setCurrentElement(&card);
        EXPECT_EQ(storage.canSubmitAction(kLayoutActionContinue), c.present);

        EXPECT_TRUE(pick(*menu, "My Media", "Exit"));
        confirmReleases(*job);
        job->stop();
        run();
        pool->release(job);
        job = nullptr;
    }
}

// The folders with the engine's counters, the outbound queue's pending
// messages and the premium inbox's folders; View gives each folder's result.
TEST_F(MenuJobsTest, FoldersShowTheirCountsAndViewGivesEachFoldersResult)
{
    client->settings().setConfigNumber(kCfgFolderListWindowSize, 6);
    client->settings().setPersistentString(kPersInboxTotalCount, "5");
    client->settings().setPersistentString(kPersInboxNewCount, "2");
    ASSERT_TRUE(setPremiumFolders({"Ringtones", "News"}));
    ASSERT_TRUE(queueMessage("+15550101"));

    struct Case {
        std::int32_t mode;
        const char* screen;
        const char* folder;
        std::int32_t result;
    };
    const Case cases[] = {
        {0, "Tessel: Inbox 5/2, Sent Mail, Saved Mail, Pending Messages 1/0, Ringtones 0/0, News 0/0",
            "Inbox", 28},
        {0, "Tessel: Inbox 5/2, Sent Mail, Saved Mail, Pending Messages 1/0, Ringtones 0/0, News 0/0",
            "Pending Messages", 29},
        {1, "Tessel: Inbox 5/2, Sent Mail, Saved Mail, Pending Messages 1/0", "Saved Mail", 31},
        {1, "Tessel: Inbox 5/2, Sent Mail, Saved Mail, Pending Messages 1/0", "Sent Mail", 32},
        {2, "Premium Content: Ringtones 0/0, News 0/0", "News", 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        ASSERT_NE(start(9, {{"what_folders_to_show", c.mode}}), nullptr);
        auto& folders = static_cast<CVXLFolderListJob*>(job)->layout();
        EXPECT_EQ(kinds(), "NEW_LAYOUT");
        EXPECT_EQ(folderText(folders), c.screen);
        EXPECT_TRUE(pick(folders, c.folder, "View"));
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {c.result});
        confirmReleases(*job);
        job->stop();
        run();
        pool->release(job);
        job = nullptr;
    }
    EXPECT_EQ(std::string(client->getPremiumInboxManager().currentGroupName().c_str()), "News");
}

// The window of the configured size is clamped into the rows; Update and
// the outbound queue's change build the rows again; Compose, Back and Exit.
TEST_F(MenuJobsTest, FolderRowsFollowTheQueueAndTheWindowStaysInsideTheRows)
{
    ASSERT_NE(start(9, {{"what_folders_to_show", 1}}), nullptr);
    auto& folders = static_cast<CVXLFolderListJob*>(job)->layout();
    EXPECT_EQ(folderText(folders), "Tessel: Inbox 0/0, Sent Mail, Saved Mail") << "item 14 keeps its 3";

    // A window past the end moves back inside the four rows.
    folders.list().setFirst(3);
    ASSERT_TRUE(submitByLabel(folders, "Update"));
    run();
    EXPECT_EQ(folders.list().first(), 1);
    EXPECT_EQ(folderText(folders), "Tessel: Sent Mail, Saved Mail, Pending Messages 0/0");

    requests.clear();
    ASSERT_TRUE(queueMessage("+15550102"));
    EXPECT_EQ(folderText(folders), "Tessel: Sent Mail, Saved Mail, Pending Messages 1/0");
    ASSERT_FALSE(requests.empty());
    for (const Request& r : requests)
        EXPECT_EQ(r.kind, kUIRequestUpdatedLayout);

    struct Case {
        const char* key;
        std::int32_t result;
    };
    for (const Case& c : {Case {"Compose", 26}, Case {"Back", 8}, Case {"Exit", 9}}) {
        SCOPED_TRACE(c.key);
        parent.signals.clear();
        requests.clear();
        ASSERT_TRUE(submitByLabel(folders, c.key));
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {c.result});
        EXPECT_EQ(kinds(), "RELEASE_LAYOUT");
        // Resumed by the program: the rows again, shown anew.
        requests.clear();
        auto* resume = new CVXLSimpleEvent(CVXLFolderListJob::kSignalGoOn);
        resume->setHeapAllocated(true);
        parent.post(job, resume);
        run();
        EXPECT_EQ(kinds(), "NEW_LAYOUT");
    }
}

} // namespace
