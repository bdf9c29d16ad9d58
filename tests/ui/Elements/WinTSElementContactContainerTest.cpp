#include "ui/Elements/WinTSElementContactContainer.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/Notification.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tessel;
using Recipients = std::vector<std::pair<std::int32_t, std::u16string>>;

constexpr std::int32_t kTyped = CWinTSElementContactContainer::kKindTyped;

const char* const kContacts = "oid = 101\n"
                              "file-as = Smith, Anna\n"
                              "name = Anna Smith\n"
                              "email1 = Anna.Smith@Example.COM\n"
                              "mobile = +1 (425) 555-0100\n";

// A contact container over its own contact list, in a dialog.
struct Container {
    explicit Container(std::int32_t maximum = CVXLContactListElement::kMaximumEntries)
    {
        contacts.setRange(1, maximum);
        host.createModeless(u"Compose");
        element = std::make_unique<CWinTSElementContactContainer>(WinTSElementLink {
            kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, nullptr});
        element->Create(&host, &contacts, ui::Rect {0, 30, 240, 200}, 0xE00, 0x50000000);
        element->SetFocused(true);
    }
    ~Container()
    {
        element.reset();
        host.destroy();
    }
    // Types the text into the edit box and ends it with the character.
    bool type(const std::u16string& text, char16_t end)
    {
        element->edit().windowProc(ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(text.c_str()));
        return end == u'\r' ? element->OnKey(ui::kVkReturn) : element->OnChar(end);
    }
    std::vector<std::u16string> rows()
    {
        std::vector<std::u16string> texts;
        for (int i = 0; i < element->list().itemCount(); ++i)
            texts.push_back(element->list().itemText(i));
        return texts;
    }

    CVXLContactListElement contacts;
    ui::Dialog host;
    std::unique_ptr<CWinTSElementContactContainer> element;
};

std::u16string notice()
{
    ui::Notification* shown = ui::Notification::current();
    if (!shown)
        return u"";
    std::vector<std::u16string> lines;
    shown->describe(&lines);
    std::u16string text;
    for (const std::u16string& line : lines)
        text += line + u"|";
    ui::Notification::dismiss();
    return text;
}

TEST(WinTSElementContactContainer, ATypedAddressIsNormalisedAndCheckedBeforeItIsAdded)
{
    TempDeviceRoot root;
    struct Case {
        const char16_t* typed;
        char16_t end;
        const char16_t* added; // null: refused
        const char16_t* left; // the edit box afterwards
    };
    const Case cases[] = {
        {u"(425) 555-0100", u',', u"4255550100", u""},
        {u"+1 (425) 555-0199", u';', u"4255550199", u""},
        {u"555.0100", u' ', u"5550100", u""},
        {u"Bo@Berg.Test", u'\r', u"bo@berg.test", u""},
        {u"Anna <anna.smith@example.com>", u'\r', u"anna.smith@example.com", u""},
        {u"anna@example", u',', nullptr, u"anna@example"},
        {u"anna.smith@example", u',', nullptr, u"anna.smith@example"},
        {u"@example.com", u',', nullptr, u"@example.com"},
        {u"a@b@c.com", u',', nullptr, u"a@b@c.com"},
        {u"nobody", u',', nullptr, u"nobody"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kernel::wideToUtf8(c.typed));
        Container box;
        EXPECT_TRUE(box.type(c.typed, c.end)) << "the separator is taken";
        const Recipients added = c.added ? Recipients {{kTyped, c.added}} : Recipients {};
        EXPECT_EQ(box.element->recipients(), added);
        EXPECT_EQ(box.element->edit().text(), c.left);
        const std::u16string shown = notice();
        EXPECT_EQ(shown.find(u"Does not appear to be valid.") != std::u16string::npos, c.added == nullptr)
            << kernel::wideToUtf8(shown);
    }
}

TEST(WinTSElementContactContainer, DuplicatesAfterNormalisingAreListedOnce)
{
    TempDeviceRoot root;
    Container box;
    EXPECT_TRUE(box.type(u"bo@berg.test", u','));
    EXPECT_TRUE(box.type(u"BO@BERG.TEST", u','));
    EXPECT_TRUE(box.type(u"425 555 0100", u','));
    EXPECT_TRUE(box.type(u"1-425-555-0100", u','));
    EXPECT_EQ(box.element->recipients(), (Recipients {{kTyped, u"bo@berg.test"}, {kTyped, u"4255550100"}}));
    EXPECT_EQ(box.rows(), (std::vector<std::u16string> {u"4255550100", u"bo@berg.test"})) << "newest first";
    EXPECT_EQ(box.element->edit().text(), u"1-425-555-0100") << "a duplicate stays where it was typed";
    EXPECT_EQ(notice(), u"") << "a duplicate is refused without a notice";
}

TEST(WinTSElementContactContainer, ATypedMarkupIsShownLiterallyInTheNotice)
{
    TempDeviceRoot root;
    Container box;
    box.type(u"<b>x", u',');
    EXPECT_EQ(notice(), u"** Tessel **|The entered address|<b>x|Does not appear to be valid.|");
    EXPECT_NE(root.readFile("log/notify.log").find("&lt;b&gt;x"), std::string::npos)
        << root.readFile("log/notify.log");
}

// The option menu's entries as the layout window reads them, "----" for a separator.
std::vector<std::u16string> menuTexts(const CWinTSElementContactContainer& element)
{
    std::vector<std::u16string> texts;
    for (int n = 0; n < element.GetMenuItemCount(); ++n) {
        std::uint32_t flags = 0;
        std::uint32_t command = 0;
        std::u16string text;
        EXPECT_TRUE(element.GetMenuItem(n, &flags, &command, &text));
        texts.push_back(flags == CWinTSElementContactContainer::kMenuFlagsSeparator ? u"----" : text);
    }
    return texts;
}

TEST(WinTSElementContactContainer, WithItsMaximumReachedTheBoxIsClosedAndNoRecentEntryOffered)
{
    TempDeviceRoot root;
    registryWrite(u"Recent", u"SLOT0", u"a@example.com");
    Container box(1);
    ASSERT_EQ(box.element->maximum(), 1);
    EXPECT_EQ(
        menuTexts(*box.element), (std::vector<std::u16string> {u"Contacts", u"----", u"a@example.com"}));
    std::uint32_t flags = 0;
    std::uint32_t command = 0;
    std::u16string text;
    ASSERT_TRUE(box.element->GetMenuItem(2, &flags, &command, &text));
    EXPECT_EQ(flags, CWinTSElement::kMenuFlagsByPosition);
    EXPECT_EQ(command, CWinTSElementContactContainer::kFirstRecent);

    box.element->ExecuteMenuItem(command);
    EXPECT_EQ(box.element->recipients(), (Recipients {{kTyped, u"a@example.com"}}));
    EXPECT_FALSE(box.element->edit().enabled());
    EXPECT_EQ(menuTexts(*box.element), (std::vector<std::u16string> {u"Remove"}))
        << "neither Contacts nor the recent entries";
    box.element->ExecuteMenuItem(CWinTSElementContactContainer::kFirstRecent);
    EXPECT_TRUE(box.type(u"4255550100", u','));
    EXPECT_EQ(box.element->recipients().size(), 1u);

    // Removing the recipient opens the box again.
    box.element->OnKey(ui::kVkUp);
    box.element->ExecuteMenuItem(CWinTSElementContactContainer::kCommandRemove);
    EXPECT_TRUE(box.element->recipients().empty());
    EXPECT_TRUE(box.element->edit().enabled());
}

TEST(WinTSElementContactContainer, DownFromTheLastRowGoesIntoTheEditBox)
{
    TempDeviceRoot root;
    Container box;
    box.type(u"4255550100", u',');
    box.type(u"4255550199", u',');
    ui::ListView& list = box.element->list();
    ui::Edit& edit = box.element->edit();
    ASSERT_EQ(ui::focusWindow(), edit.handle());
    EXPECT_FALSE(box.element->OnKey(ui::kVkDown)) << "Down from the edit box is the layout's";
    EXPECT_TRUE(box.element->OnKey(ui::kVkUp));
    EXPECT_EQ(ui::focusWindow(), list.handle());
    EXPECT_EQ(list.selected(), 1) << "Up from the edit box selects the last row";
    EXPECT_TRUE(box.element->OnKey(ui::kVkUp));
    EXPECT_EQ(list.selected(), 0);
    EXPECT_FALSE(box.element->OnKey(ui::kVkUp)) << "nothing above the first row";
    EXPECT_TRUE(box.element->OnKey(ui::kVkDown));
    EXPECT_EQ(list.selected(), 1);
    EXPECT_TRUE(box.element->OnKey(ui::kVkDown));
    EXPECT_EQ(ui::focusWindow(), edit.handle());
    EXPECT_EQ(list.selected(), -1);
    EXPECT_FALSE(box.element->OnKey(ui::kVkDown));

    // The list itself hands its edge to the element.
    box.element->OnKey(ui::kVkUp);
    ASSERT_EQ(list.selected(), 1);
    EXPECT_EQ(list.windowProc(ui::kWmKeyDown, ui::kVkDown, 0), 0);
    EXPECT_EQ(ui::focusWindow(), edit.handle());
    EXPECT_EQ(list.selected(), -1);
}

TEST(WinTSElementContactContainer, ContactsPickedThroughTheChooserKeepTheirKind)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt", kContacts);
    Container box;
    // The contact, then its property: e-mail first, mobile second.
    ui::scriptPickerAnswer(0);
    ui::scriptPickerAnswer(1);
    box.element->ExecuteMenuItem(CWinTSElementContactContainer::kCommandContacts);
    ui::scriptPickerAnswer(0);
    ui::scriptPickerAnswer(0);
    box.element->ExecuteMenuItem(CWinTSElementContactContainer::kCommandContacts);
    ui::scriptPickerAnswer(-1);
    box.element->ExecuteMenuItem(CWinTSElementContactContainer::kCommandContacts);
    EXPECT_EQ(box.element->recipients(),
        (Recipients {{CWinTSElementContactContainer::kKindPhone, u"4255550100"},
            {CWinTSElementContactContainer::kKindEmail, u"anna.smith@example.com"}}));
    EXPECT_EQ(box.rows(), (std::vector<std::u16string> {u"Smith, Anna", u"Smith, Anna"}));
    EXPECT_TRUE(box.element->isFocused());

    box.element->Store();
    ASSERT_EQ(box.contacts.count(), 2u);
    EXPECT_EQ(box.contacts.at(0)->kind(), CVXLAddressee::kPhone);
    EXPECT_STREQ(box.contacts.at(0)->address().c_str(), "4255550100");
    EXPECT_STREQ(box.contacts.at(0)->displayName().c_str(), "Smith, Anna");
    EXPECT_EQ(box.contacts.at(1)->kind(), CVXLAddressee::kEmail);
}

TEST(WinTSElementContactContainer, RefreshListsEachAddressOnceAndStoreLosesNone)
{
    TempDeviceRoot root;
    Container box;
    box.element->edit().windowProc(ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(u"typed@example.com"));
    box.contacts.addNew()->set(CVXLAddressee::kOther, "(425) 555-0100", "");
    box.contacts.addNew()->set(CVXLAddressee::kOther, "425.555.0100", "");
    box.contacts.addNew()->set(CVXLAddressee::kOther, "Typed@Example.com", "");
    for (int i = 0; i < 31; ++i)
        box.contacts.addNew()->set(CVXLAddressee::kPhone, ("20655501" + std::to_string(10 + i)).c_str(), "");
    box.element->Refresh(&box.contacts);
    EXPECT_EQ(box.element->list().itemCount(), CWinTSElementContactContainer::kMaxSlots);
    EXPECT_EQ(
        box.element->recipients().front(), (std::pair<std::int32_t, std::u16string> {kTyped, u"4255550100"}));
    for (const auto& [kind, address] : box.element->recipients())
        EXPECT_NE(address, u"typed@example.com") << "the text in the edit box is no row";

    box.element->Store();
    std::vector<std::string> stored;
    for (std::uint32_t i = 0; i < box.contacts.count(); ++i)
        stored.push_back(box.contacts.at(i)->address().c_str());
    ASSERT_EQ(stored.size(), 33u) << "30 rows, the typed text, and the two that found no row";
    EXPECT_EQ(stored[0], "4255550100");
    EXPECT_EQ(stored[30], "typed@example.com");
    EXPECT_EQ(stored[31], "2065550139");
    EXPECT_EQ(stored[32], "2065550140");
}

TEST(WinTSElementContactContainer, ItsRecipientsGoToTheRecentListNewestFirst)
{
    TempDeviceRoot root;
    {
        Container box;
        box.type(u"4255550100", u',');
        box.type(u"bo@berg.test", u',');
        box.element->edit().windowProc(ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(u"206 555 0199"));
    }
    const TestCommandResult run
        = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/registry_reader.py '"
            + root.hostPath("registry/HKEY_CURRENT_USER.reg") + "' 'Software\\Halvard\\Tessel\\Recent' 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string key = "Software\\Halvard\\Tessel\\Recent\t";
    std::vector<std::string> expected {
        key + "SLOT0\ttext\t2065550199", key + "SLOT1\ttext\tbo@berg.test", key + "SLOT2\ttext\t4255550100"};
    for (int i = 3; i < 10; ++i)
        expected.push_back(key + "SLOT" + std::to_string(i) + "\ttext\t");
    EXPECT_EQ(testLines(run.output), expected);
}

} // namespace
