#include "engine/client/menu/GlobalMenuList.h"

#include "engine/client/VXLClient.h"
#include "engine/client/menu/GlobalMenuCoolSiteEntry.h"
#include "engine/client/menu/GlobalMenuFavoriteEntry.h"
#include "engine/client/menu/GlobalMenuMessageEntry.h"
#include "engine/client/menu/GlobalMenuValueEntry.h"
#include "engine/client/menu/VXLMenuLink.h"
#include "engine/client/program/Producer.h"
#include "engine/core/base/VXLList.h"
#include "tests/support/EngineDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the activities posted to it instead of running them.
class RecordingProducer : public CProducer {
public:
    RecordingProducer()
        : CProducer(nullptr)
    {
    }
    void receive(CVXLEvent* event) override
    {
        codes.push_back(event->effectiveCode());
        heap.push_back(event->heapAllocated());
        if (auto* message = dynamic_cast<CMenuMessageEvent*>(event))
            texts.push_back(std::string(message->subject().c_str()) + "|" + message->body().c_str());
        else if (auto* favorite = dynamic_cast<CMenuFavoriteEvent*>(event))
            texts.push_back(std::to_string(favorite->position()) + "|" + favorite->text().c_str() + "|"
                + std::to_string(favorite->storageLocation()));
        else if (auto* text = dynamic_cast<CMenuTextEvent*>(event))
            texts.push_back(text->text().c_str());
        else if (auto* media = dynamic_cast<CMediaAccessEvent*>(event))
            texts.push_back(std::to_string(media->value()));
        else
            texts.push_back("");
        // Kept busy while the test says so, as a Producer still running it.
        if (keepBusy) {
            event->setStatus(kEventInProgress);
            kept.push_back(event);
        } else if (event->heapAllocated()) {
            delete event;
        }
    }
    // Before the list (which owns the member events) goes.
    void releaseKept()
    {
        for (CVXLEvent* event : kept) {
            if (event->heapAllocated())
                delete event;
            else
                event->setStatus(kEventDone);
        }
        kept.clear();
    }

    std::vector<std::int32_t> codes;
    std::vector<bool> heap;
    std::vector<std::string> texts;
    std::vector<CVXLEvent*> kept;
    bool keepBusy = false;
};

// The Client as the list sees it, recording the capture location.
class RecordingClient : public CGlobalMenuList::Services {
public:
    void queueLinkRequest(int) override { }
    void queueReturnToMenu(std::int32_t) override { }
    void setCaptureLocation(std::uint16_t location) override { captureLocation = location; }
    void clearFavorite(int) override { }
    CVXLList& selectedObjects() override { return selected; }

    std::uint16_t captureLocation = 0;
    CVXLList selected;
};

class GlobalMenuListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(driver.create()); }
    void TearDown() override { producer.releaseKept(); }
    CVXLClient& client() { return *driver.client(); }

    EngineDriver driver;
    RecordingProducer producer;
    RecordingClient menuClient;
    CGlobalMenuList list {&producer, &menuClient};
};

TEST_F(GlobalMenuListTest, EachActionPostsItsActivityAndKeepsOrEmptiesTheList)
{
    struct Case {
        std::int32_t action;
        std::int32_t type;
        std::int32_t code; // -1: nothing posted
        bool keeps;
    };
    const Case cases[] = {
        {0, 0, 88, false},
        {1, 0, 86, false},
        {2, 0, 87, false},
        {3, 2, 83, false},
        {4, 2, 85, false},
        {5, 2, 84, false},
        {6, 0, 107, false},
        {7, 0, 108, false},
        {8, 0, 71, false},
        {9, 3, 76, false},
        {10, 3, 78, false},
        {11, 3, 72, false},
        {12, 3, 73, false},
        {13, 0, 74, false},
        {14, 3, 77, false},
        {15, 0, 75, false},
        {16, 0, 94, false},
        {17, 1, 95, false},
        {18, 0, 97, false},
        {19, 0, -1, false},
        {20, 0, -1, false},
        {21, 6, 98, false},
        {22, 2, 89, false},
        {23, 0, -1, false},
        {24, 7, 79, false},
        {25, 0, 93, false},
        {26, 7, 80, false},
        {28, 4, 70, false},
        {29, 0, 103, true},
        {36, 0, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        producer.codes.clear();
        list.clear();
        CGlobalMenuEntry* entry = list.addEntry("caption", c.type, CGlobalMenuEntry::kOriginTable, c.action);
        ASSERT_NE(entry, nullptr);
        list.addEntry("other", 0, CGlobalMenuEntry::kOriginTable, 0);
        EXPECT_EQ(list.runEntry(entry), 1);
        if (c.code < 0) {
            EXPECT_TRUE(producer.codes.empty());
        } else {
            ASSERT_EQ(producer.codes.size(), 1u);
            EXPECT_EQ(producer.codes[0], c.code);
        }
        EXPECT_EQ(list.getEntryCount(), c.keeps ? 2u : 0u);
    }
}

TEST_F(GlobalMenuListTest, EntriesCarryTheirDataIntoTheActivity)
{
    auto* sms = static_cast<CGlobalMenuMessageEntry*>(list.addEntry("SMS", 6, 1, 21));
    sms->setSubject("Hi");
    sms->setBody("See you");
    list.runEntry(sms);
    auto* media = static_cast<CGlobalMenuValueEntry*>(list.addEntry("Delete", 7, 1, 24));
    media->setValue(0x12345);
    list.runEntry(media);
    auto* album = static_cast<CGlobalMenuValueEntry*>(list.addEntry("Album", 4, 1, 28));
    album->setValue(0x12345);
    list.runEntry(album);
    list.runEntry(list.addCoolSiteEntry("Blog", "blog", "", ""));
    // A favorite of storage kind 3 captures into the store named in the upper
    // 16 bits.
    list.runEntry(list.addFavoriteEntry("Fav", 4, 0x00070003, "fav-id"));
    EXPECT_EQ(menuClient.captureLocation, 7);

    const std::vector<std::int32_t> codes = {98, 79, 70, 104, 82};
    EXPECT_EQ(producer.codes, codes);
    const std::vector<std::string> texts = {"Hi|See you", "9029", "74565||0", "blog", "4|fav-id|458755"};
    EXPECT_EQ(producer.texts, texts);
}

TEST_F(GlobalMenuListTest, ABusyMemberEventGivesWayToAFreshOne)
{
    producer.keepBusy = true;
    list.runEntry(list.addEntry("Send", 1, 1, 17));
    list.runEntry(list.addEntry("Send", 1, 1, 17));
    list.runEntry(list.addEntry("Albums", 0, 1, 1));
    const std::vector<bool> heap = {false, true, false};
    EXPECT_EQ(producer.heap, heap);
}

// The Client's list of selected objects holds the one chosen file.
TEST_F(GlobalMenuListTest, SelectedMediaReplacesTheSelectionAndSetsTheCaptureLocation)
{
    CGlobalMenuList& menu = client().getGlobalMenuList();
    menu.setSelectedMedia("\\My Documents\\a.jpg", 3);
    menu.setSelectedMedia("\\My Documents\\b.jpg", 1);
    EXPECT_EQ(client().getCaptureLocation(), 1);
    const CVXLList& selected = client().getObjectList();
    ASSERT_EQ(selected.count(), 1u);
    EXPECT_STREQ(static_cast<const CVXLString*>(selected.head()->object)->c_str(), "\\My Documents\\b.jpg");
}

TEST_F(GlobalMenuListTest, DeletingAFavoriteKeepsTheListAndReturnsToTheMenu)
{
    client().settings().setFavorite(2, "a", "A", 5);
    client().settings().setFavorite(7, "b", "B", 0x00040004);
    CGlobalMenuList& menu = client().buildGlobalMenu(13);
    ASSERT_EQ(menu.getEntryCount(), 2u);
    auto* first = static_cast<CGlobalMenuFavoriteEntry*>(menu.entryAt(0));
    auto* second = static_cast<CGlobalMenuFavoriteEntry*>(menu.entryAt(1));
    EXPECT_EQ(first->position(), 2);
    EXPECT_STREQ(second->id().c_str(), "b");
    EXPECT_EQ(second->storageLocation(), 0x00040004u);
    EXPECT_EQ(menu.entryAt(2), nullptr);

    first->setDeleteFlag(true);
    menu.runEntry(first);
    EXPECT_EQ(menu.getEntryCount(), 2u);
    CVXLString id;
    client().settings().getFavoriteId(2, &id);
    EXPECT_STREQ(id.c_str(), "");
    ASSERT_TRUE(client().hasUIRequest());
    CVXLUIRequest* request = client().popUIRequest();
    EXPECT_EQ(request->kind(), kUIRequestReturnToMenu);
    EXPECT_EQ(request->menuId(), 13);
    EXPECT_EQ(request->value(), 0);
}

TEST_F(GlobalMenuListTest, BuiltMenusFollowTheTableAndTheStoredLists)
{
    for (int n = 0; n < 7; ++n)
        client().addLink(new CVXLMenuLink(
            ("http://l/" + std::to_string(n)).c_str(), ("link " + std::to_string(n)).c_str()));
    client().settings().addCoolSite("s1", "Site", "", "", "btn.png", "image/png");
    client().settings().addCoolSite("s1", "Site", "", "", "", "");
    client().settings().addCoolSite("s2", "Other", "", "", "", "");

    struct Case {
        std::int32_t menu;
        std::vector<std::string> captions;
        std::vector<std::int32_t> actions;
    };
    const Case cases[] = {
        {0, {"Tessel", "My Albums", "Print", "link 0", "link 1", "link 2", "link 3", "link 4"},
            {0, 1, 2, 31, 32, 33, 34, 35}},
        {4,
            {"Send To Contacts", "Voice Send To Contacts", "Print", "Post To Service", "Upload",
                "Review/Send Media"},
            {9, 10, 11, 12, 14, 15}},
        // Two cool sites of equal caption and id show once.
        {15, {"My Albums", "Tessel", "Tap to Add", "Site", "Other"}, {1, 0, 29, 30, 30}},
        {13, {}, {}},
        {9, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.menu);
        CGlobalMenuList& menu = client().buildGlobalMenu(c.menu);
        std::vector<std::string> captions;
        std::vector<std::int32_t> actions;
        for (std::uint32_t i = 0; i < menu.getEntryCount(); ++i) {
            captions.push_back(menu.entryAt(i)->caption().c_str());
            actions.push_back(menu.entryAt(i)->action());
        }
        EXPECT_EQ(captions, c.captions);
        EXPECT_EQ(actions, c.actions);
        EXPECT_EQ(client().menuId(), c.menu);
    }
}

} // namespace
