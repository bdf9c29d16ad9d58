// The engine-side list screens: what each offers per state and per selected
// record (typed from the product's command tables and rules), the window of
// summary records the message list owns, and the storage locations the plain
// list builds from a media store manager.
#include "engine/client/VXLClient.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/VXLMessageListItem.h"
#include "engine/screens/VXLLayoutList.h"
#include "engine/screens/VXLLayoutMessageList.h"
#include "engine/screens/VXLLayoutMessageSummary.h"
#include "engine/screens/VXLLayoutThreadList.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/FolderMediaSource.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScreenOwnerJob.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Owner : public CVXLUiJob {
public:
    int typeId() const override { return 21; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// The texts and configuration come from a real engine.
class ListLayoutsTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.create());
        owner.wireTo(engine.client());
    }

    EngineDriver engine;
    // Owns the layouts made outside a job.
    ScreenOwnerJob owner;
};

// The offered actions that the layout would take, by label.
std::string allowed(CVXLLayout& layout)
{
    std::string out;
    for (layout.firstAction(); layout.hasNextAction();) {
        const std::uint32_t id = layout.nextAction();
        if (!layout.canSubmitAction(id))
            continue;
        out += std::string(out.empty() ? "" : ", ") + layout.getActionLabel(id).c_str();
    }
    return out;
}

TEST_F(ListLayoutsTest, EachScreenShowsItsTitleAndKeysByState)
{
    struct Case {
        CVXLLayout* layout;
        std::uint32_t state;
        const char* screen;
    };
    CVXLLayoutThreadList threads;
    CVXLLayoutMessageSummary summary;
    CVXLLayoutMessageList messages;
    CVXLLayoutList list;
    for (CVXLLayout* layout : {static_cast<CVXLLayout*>(&threads), static_cast<CVXLLayout*>(&summary),
             static_cast<CVXLLayout*>(&messages), static_cast<CVXLLayout*>(&list)})
        owner.own(*layout);
    // A stored received message with a picture, sent to two people.
    messages.setMessageCount(1);
    CVXLMessageSummary record;
    record.setBoxType(1);
    record.setImageCount(1);
    record.addTo(1, "+15550101", "");
    record.addTo(1, "+15550102", "");
    messages.setCurrentElement(&record);
    const Case cases[] = {
        {&threads, 0,
            "Messaging | -hard Continue, -unplaced Update, unplaced Compose, -hard Delete, -hard Delete All, "
            "hard Back, hard Exit"},
        {&summary, 0, "Message Summary | left View, right Delete, hard Back, hard Exit"},
        {&summary, 1, "Enhanced Message Summary | left View, right Delete, hard Back, hard Exit"},
        {&summary, 2, "Data Charge  | left Retrieve Summary, hard Back, hard Exit"},
        {&summary, 3, "Premium Content Charge | left Retrieve Summary, hard Back, hard Exit"},
        {&messages, 0,
            "Inbox | right View, left Reply, unplaced Reply All, unplaced Forward, unplaced Save Message, "
            "unplaced Delete, unplaced Update, unplaced Back, unplaced Exit"},
        {&messages, 1,
            "Saved Mail | unplaced View, unplaced Reply, unplaced Reply All, unplaced Forward, unplaced Save "
            "Message, unplaced Delete, unplaced Update, unplaced Back, unplaced Exit"},
        {&messages, 2,
            "Sent Mail | right View, unplaced Forward, unplaced Save Message, unplaced Delete, unplaced "
            "Update, unplaced Back, unplaced Exit"},
        {&messages, 3,
            "Pending Messages | -unplaced Resend, unplaced Delete, unplaced Update, unplaced Back, unplaced "
            "Exit"},
        {&messages, 5,
            "Messages | right View, unplaced View Media, left Reply, unplaced Reply All, unplaced Reply To "
            "Thread, unplaced Forward, -unplaced Resend, unplaced Save Message, unplaced Delete, unplaced "
            "Delete All, unplaced Update, unplaced Back, unplaced Exit"},
        {&list, 0,
            "Online Albums | hard Continue, left Send, unplaced Update, hard Delete, hard Back, hard Exit"},
        {&list, 1, "To Online Albums | hard Continue, unplaced Update, hard Back, hard Exit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        c.layout->setState(c.state);
        EXPECT_EQ(screenText(*c.layout), c.screen);
    }
    // State 4 is titled by the premium inbox, 5 by its thread when it has one.
    messages.setThreadTitle("+15550101");
    EXPECT_EQ(std::string(messages.getTitle().c_str()), "+15550101");
    messages.setState(4);
    engine.client()->getPremiumInboxManager().selectItem(nullptr);
    EXPECT_EQ(messages.getTitle(), engine.client()->getPremiumInboxManager().currentGroupName());
    messages.setState(6);
    EXPECT_EQ(std::string(messages.getTitle().c_str()), "");
}

// What a message list takes, by state, message count and the selected
// record: its box type (1 received, 2 sent, 3 to 5 pending, 5 may be
// resent), media counts, addressees (two or more: Reply All) and lock.
TEST_F(ListLayoutsTest, MessageListOffersWhatTheSelectedRecordAllows)
{
    struct Record {
        std::uint32_t boxType;
        std::int32_t images;
        std::int32_t videos;
        int addressees;
        bool forwardLocked;
        // A queued message's kind: the outbound queue fills sent records
        // with it.
        std::int32_t outboundState = 0;
    };
    struct Case {
        const char* what;
        std::uint32_t state;
        std::uint32_t count;
        bool hasRecord;
        Record record;
        const char* allowed;
    };
    const Case cases[] = {
        {"empty inbox", 0, 0, false, {}, "Reply All, Forward, Back, Exit"},
        {"received text message", 0, 3, true, {1, 0, 0, 1, false},
            "View, Reply, Forward, Save Message, Delete, Update, Back, Exit"},
        {"received picture to two", 0, 3, true, {1, 1, 0, 2, false},
            "View, Reply, Reply All, Forward, Save Message, Delete, Update, Back, Exit"},
        {"forward-locked video", 1, 3, true, {1, 0, 1, 1, true},
            "View, Reply, Save Message, Delete, Update, Back, Exit"},
        {"sent message", 2, 1, true, {2, 1, 0, 3, false},
            "View, Forward, Save Message, Delete, Update, Back, Exit"},
        {"pending, may be resent", 3, 2, true, {5, 1, 0, 1, false}, "Resend, Delete, Update, Back, Exit"},
        {"pending, being sent", 3, 2, true, {3, 1, 0, 1, false}, "Delete, Update, Back, Exit"},
        {"empty pending list", 3, 0, false, {}, "Resend, Back, Exit"},
        {"queued entry that failed", 3, 1, true, {2, 1, 0, 1, false, 5},
            "Resend, Delete, Update, Back, Exit"},
        {"queued entry being sent", 3, 1, true, {2, 1, 0, 1, false, 4}, "Delete, Update, Back, Exit"},
        {"premium message", 4, 1, true, {1, 2, 0, 1, false},
            "View, Forward, Save Message, Delete, Update, Back, Exit"},
        {"thread, received picture", 5, 4, true, {1, 1, 0, 1, false},
            "View, View Media, Reply, Reply To Thread, Forward, Save Message, Delete, Delete All, Update, "
            "Back, Exit"},
        {"thread, queued item", 5, 4, true, {4, 1, 0, 2, false},
            "Reply, Reply To Thread, Delete, Delete All, Update, Back, Exit"},
        {"thread, failed item", 5, 4, true, {5, 0, 0, 2, false},
            "Reply, Reply To Thread, Resend, Delete, Delete All, Update, Back, Exit"},
        {"empty thread", 5, 0, false, {},
            "Reply All, Reply To Thread, Forward, Resend, Delete All, Back, Exit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLLayoutMessageList layout;
        owner.own(layout);
        layout.setState(c.state);
        layout.setMessageCount(c.count);
        CVXLMessageSummary record;
        record.setBoxType(c.record.boxType);
        record.setImageCount(c.record.images);
        record.setVideoCount(c.record.videos);
        for (int i = 0; i < c.record.addressees; ++i)
            record.addTo(1, CVXLString(("+1555010" + std::to_string(i)).c_str()), CVXLString());
        record.setForwardLocked(c.record.forwardLocked);
        record.setOutboundState(c.record.outboundState);
        if (c.hasRecord)
            layout.setCurrentElement(&record);
        EXPECT_EQ(allowed(layout), c.allowed);

        // The owner gets exactly what is allowed.
        Owner taker;
        taker.setPool(engine.client()->getUiJobPool());
        layout.setOwner(&taker);
        std::uint32_t taken = 0;
        for (layout.firstAction(); layout.hasNextAction();) {
            const std::uint32_t id = layout.nextAction();
            taken += static_cast<std::uint32_t>(layout.submitAction(id));
        }
        EXPECT_EQ(taker.actions.size(), taken);
        // The actions of other states and layouts are never taken.
        EXPECT_EQ(layout.submitAction(0xE0067), 0);
    }
}

TEST_F(ListLayoutsTest, ThreadListWithoutThreadsKeepsOnlyComposeBackAndExit)
{
    CVXLLayoutThreadList layout;
    owner.own(layout);
    layout.reset();
    EXPECT_EQ(layout.list().length(), 16);
    EXPECT_EQ(allowed(layout), "Compose, Back, Exit");

    CVXLMessageListItem item;
    item.setId("+15550101");
    EXPECT_FALSE(layout.addItem(&item, 16));
    EXPECT_FALSE(layout.addItem(&item, -1));
    EXPECT_EQ(allowed(layout), "Compose, Back, Exit");
    ASSERT_TRUE(layout.addItem(&item, 3));
    EXPECT_EQ(layout.selectedItem(), &item);
    EXPECT_EQ(allowed(layout), "Continue, Update, Compose, Delete, Delete All, Back, Exit");
    layout.clear();
    EXPECT_EQ(layout.selectedItem(), nullptr);
    EXPECT_EQ(allowed(layout), "Compose, Back, Exit");
}

// A window of 5 from 10 bound to the records a reply filled: the last bound
// record is selected; a marked record moves the selection before it.
TEST_F(ListLayoutsTest, MessageListBindsItsRecordsToTheWindow)
{
    engine.client()->settings().setConfigString(kCfgMessageBrowserWindowSize, "5");
    CVXLLayoutMessageList layout;
    owner.own(layout);
    layout.reset();
    EXPECT_EQ(layout.list().length(), 5);
    layout.list().setWindow(10, 5);
    layout.list().clear();

    CVXLMessageSummary* records = layout.records();
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(layout.records(), records);
    EXPECT_EQ(layout.recordCount(), 5u);
    records[0].setSubject("first");
    records[1].setSubject("second");
    EXPECT_EQ(layout.loadWindow(2), 2);
    EXPECT_EQ(layout.currentElement(), &records[1]);
    EXPECT_TRUE(layout.list().hasItemAt(10));
    EXPECT_TRUE(layout.list().hasItemAt(11));
    EXPECT_FALSE(layout.list().hasItemAt(12));
    EXPECT_EQ(layout.selectedIndex(), -1);
    // A reply that claims more records than the window holds binds five.
    EXPECT_EQ(layout.loadWindow(9), 5);

    EXPECT_EQ(layout.selectFirstMarked(), -1);
    records[1].setMarkedForDeletion(true);
    EXPECT_EQ(layout.selectFirstMarked(), 11);
    EXPECT_EQ(layout.selectBeforeMarked(), 10);

    layout.releaseRecords();
    EXPECT_EQ(layout.currentElement(), nullptr);
    EXPECT_EQ(layout.recordCount(), 0u);
    EXPECT_FALSE(layout.list().hasItemAt(10));
    // A window of no length has no records.
    layout.list().setWindow(0, 0);
    EXPECT_EQ(layout.records(), nullptr);
}

struct SourceOwner : CVXLMediaStoreManager::Owner {
    CVXLPlatformMediaSource* source = nullptr;
    CVXLPlatformMediaSource* mediaSource() override { return source; }
};

// The storage locations of the plain list's state 2 from a started media
// store manager: the phone's stores, "OnLine Albums" after the first of
// them, the card's stores when item 41 says a card is there.
TEST_F(ListLayoutsTest, StorageLocationsListThePhoneOnlineAlbumsAndTheCard)
{
    using Store = FolderMediaSource::Store;
    const Store phone {1, "Phone", 1, true, "\\My Documents\\My Pictures"};
    const Store phone2 {3, "Phone Extra", 1, false, "\\Extra"};
    const Store card {2, "Storage Card", 2, false, "\\Storage Card\\DCIM"};
    const Store cardDefault {2, "Storage Card", 2, true, "\\Storage Card\\DCIM"};
    struct Case {
        const char* what;
        std::vector<Store> stores;
        bool cardPresent;
        bool suppressed;
        // The entries in window order, "*" on the selected one, then the
        // packed locations in built order.
        const char* entries;
        const char* locations;
    };
    const Case cases[] = {
        {"phone and card, no card flag", {phone, card}, false, false, "*Phone, OnLine Albums", "65539 1"},
        {"phone and card, card flag", {phone, card}, true, false, "*Phone, OnLine Albums, Storage Card",
            "65539 1 131076"},
        {"card is the current store", {phone, cardDefault}, true, false,
            "Phone, OnLine Albums, *Storage Card", "65539 1 131076"},
        {"two phone stores", {phone, phone2}, false, false, "*Phone, OnLine Albums, Phone Extra",
            "65539 1 196611"},
        {"online albums suppressed", {phone, card}, true, true, "*Phone, Storage Card", "65539 131076"},
        {"only a card", {card}, true, false, "*Storage Card, OnLine Albums", "131076 1"},
        {"no store", {}, false, false, "*OnLine Albums", "1"},
    };
    CVXLMediaStoreManager* installed = CVXLMediaStoreManager::instance();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FolderMediaSource source(c.stores);
        SourceOwner sourceOwner;
        sourceOwner.source = &source;
        CVXLMediaStoreManager stores;
        stores.setOwner(&sourceOwner);
        JobTreeDriver driver;
        driver.attach(&stores);
        driver.runUntilIdle();
        CVXLMediaStoreManager::setInstance(&stores);
        engine.client()->settings().setConfigNumber(kCfgMemCardPresent, c.cardPresent ? 1 : 0);

        CVXLLayoutList layout;
        owner.own(layout);
        layout.reset();
        layout.setOnlineSuppressed(c.suppressed);
        layout.setState(CVXLLayoutList::kStorageState);
        std::string entries;
        for (std::int32_t i = 0; i < layout.list().length(); ++i) {
            auto* entry = static_cast<CVXLAlbum*>(layout.list().itemAt(i));
            if (!entry)
                continue;
            entries += std::string(entries.empty() ? "" : ", ")
                + (layout.currentElement() == entry ? "*" : "") + entry->name().c_str();
        }
        EXPECT_EQ(entries, c.entries);
        std::string locations;
        CVXLAlbum* entry = nullptr;
        std::uint32_t location = 0;
        for (layout.restartEntries(); layout.nextEntry(&entry, &location);)
            locations += std::string(locations.empty() ? "" : " ") + std::to_string(location);
        EXPECT_EQ(locations, c.locations);
        EXPECT_EQ(layout.builtCount(),
            static_cast<std::uint32_t>(std::count(locations.begin(), locations.end(), ' ') + 1));

        // A refresh builds the same again.
        layout.refresh();
        std::uint32_t again = 0;
        for (layout.restartEntries(); layout.nextEntry(&entry, &location);)
            ++again;
        EXPECT_EQ(again, layout.builtCount());
        stores.stop();
        driver.runUntilIdle();
        CVXLMediaStoreManager::setInstance(installed);
    }
}

TEST_F(ListLayoutsTest, TheListRefusesDeleteOfItsFirstItemAndContinueOnACardWithoutTheCardFlag)
{
    CVXLLayoutList layout;
    owner.own(layout);
    layout.reset();
    CVXLAlbum first(CVXLString("First"));
    CVXLAlbum second(CVXLString("Second"));
    ASSERT_TRUE(layout.addItem(&first, 0));
    ASSERT_TRUE(layout.addItem(&second, 1));
    EXPECT_FALSE(layout.canSubmitAction(CVXLLayoutList::kDelete));
    layout.setCurrentElement(&second);
    EXPECT_TRUE(layout.canSubmitAction(CVXLLayoutList::kDelete));

    // A card entry selected in state 2 after the card went away.
    engine.client()->settings().setConfigNumber(kCfgMemCardPresent, 0);
    CVXLAlbum card(CVXLString("Storage Card"));
    card.setLocation(0x20004);
    layout.setOnlineSuppressed(true);
    layout.setState(CVXLLayoutList::kStorageState);
    layout.setCurrentElement(&card);
    EXPECT_FALSE(layout.canSubmitAction(kLayoutActionContinue));
    engine.client()->settings().setConfigNumber(kCfgMemCardPresent, 1);
    EXPECT_TRUE(layout.canSubmitAction(kLayoutActionContinue));
    card.setLocation(0x10003);
    engine.client()->settings().setConfigNumber(kCfgMemCardPresent, 0);
    EXPECT_TRUE(layout.canSubmitAction(kLayoutActionContinue));
}

} // namespace
