#include "engine/screens/VXLLayoutMenuList.h"

#include "engine/client/VXLClient.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ScreenOwnerJob.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the actions its layout hands it.
class MenuOwner : public CVXLUiJob {
public:
    int typeId() const override { return 5; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// The texts come from a real engine's text table.
class MenuListLayoutTest : public ::testing::Test {
public:
    void SetUp() override { ASSERT_TRUE(engine.create()); }

    EngineDriver engine;
};

// Per state: the screen, the keys a user may press (the rest refused), and
// whether a selection toggles the entry's check box (state 2, the check
// list) before it is submitted.
TEST_F(MenuListLayoutTest, EachStateOffersItsKeysAndOnlyTheCheckListTogglesEntries)
{
    struct Case {
        std::uint32_t state;
        std::vector<std::uint32_t> taken;
        std::vector<std::uint32_t> refused;
        bool checkList;
    };
    const Case cases[] = {
        {0, {0xA0080, 0xA0065, 0xA0066}, {0xA0069, 0xA0067}, false},
        {1, {0xA0080, 0xA0065, 0xA0066, 0xA0069}, {0xA0067}, false},
        {2, {0xA0080, 0xA0065, 0xA0066, 0xA0069, 0xA0067}, {}, true},
        {3, {0xA0080, 0xA0065, 0xA0066}, {0xA0069, 0xA0067}, false},
        {4, {0xA0080, 0xA0065, 0xA0066}, {0xA0069, 0xA0067}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        CVXLLayoutMenuList menu(c.state);
        MenuOwner owner;
        owner.setPool(engine.client()->getUiJobPool());
        menu.setOwner(&owner);
        CVXLMenuItemElement first;
        CVXLEditTextElement second;
        first.setText("Prints");
        second.setText("Share");
        ASSERT_TRUE(menu.addItem(&first));
        ASSERT_TRUE(menu.addItem(&second));

        EXPECT_EQ(screenText(menu), expectedScreen(kLayoutMenuList, c.state));
        for (std::uint32_t id : c.taken)
            EXPECT_EQ(menu.submitAction(id), 1) << std::hex << id;
        for (std::uint32_t id : c.refused)
            EXPECT_EQ(menu.submitAction(id), 0) << std::hex << id;
        EXPECT_EQ(owner.actions, c.taken);

        // The window's check-box toggle, as it reads the entries back.
        if (c.checkList)
            second.toggleChecked();
        EXPECT_FALSE(first.isChecked());
        EXPECT_EQ(second.isChecked(), c.checkList);
        EXPECT_EQ(std::string(static_cast<CVXLEditTextElement*>(menu.itemAt(1))->getText().c_str()), "Share");
        menu.removeAll();
    }
}

TEST_F(MenuListLayoutTest, TheFirstEntryBecomesCurrentAndTheTitleTextWinsOverTheId)
{
    CVXLLayoutMenuList menu;
    ScreenOwnerJob owner;
    owner.wireTo(engine.client());
    owner.own(menu);
    EXPECT_EQ(std::string(menu.getTitle().c_str()), "") << "title id 795, no text";
    EXPECT_EQ(menu.titleId(), CVXLLayoutMenuList::kEmptyTitleId);
    menu.setTitleId(656);
    EXPECT_EQ(std::string(menu.getTitle().c_str()), "Select");
    menu.setTitleText("Destinations");
    EXPECT_EQ(std::string(menu.getTitle().c_str()), "Destinations");

    auto* a = new CVXLMenuItemElement;
    auto* b = new CVXLMenuItemElement;
    ASSERT_TRUE(menu.addItem(a));
    ASSERT_TRUE(menu.addItem(b));
    EXPECT_EQ(menu.currentElement(), a);
    EXPECT_EQ(b->elementOwner(), &menu);
    EXPECT_EQ(menu.getItemCount(), 2u);
    EXPECT_EQ(menu.itemAt(2), nullptr);

    menu.setMenuId(15);
    EXPECT_EQ(menu.getHandlerKey(), 15);
    menu.setImageLink("http://tessel.example/i/menu.png", "image/png");
    ASSERT_TRUE(menu.picture());
    EXPECT_EQ(std::string(menu.picture().get()->getMimeType().c_str()), "image/png");
    menu.setImageLink("", "");
    EXPECT_FALSE(menu.picture());

    // clear deletes the entries (ASan sees a double or missed delete).
    menu.setImageLink("http://tessel.example/i/menu.png", "image/png");
    menu.clear();
    EXPECT_EQ(menu.getItemCount(), 0u);
    EXPECT_EQ(menu.currentElement(), nullptr);
    EXPECT_FALSE(menu.picture());
    EXPECT_EQ(menu.asMenuList(), &menu);
}

} // namespace
