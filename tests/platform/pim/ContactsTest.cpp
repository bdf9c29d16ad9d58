#include "platform/kernel/TextCodec.h"
#include "platform/pim/ContactChooser.h"
#include "platform/pim/ContactStore.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ScreenDriver.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessel::pim {
namespace {

using Lines = std::vector<std::string>;

const char* const kContacts = R"(# Hand-written contacts
oid = 101
file-as = Smith, Anna
name = Anna Smith
email1 = Anna.Smith@Example.COM
mobile = +1 (425) 555-0100

oid = 102
file-as = Berg, Bo
name = Bo Berg
email2 = bo@berg.test
email3 = bo@work.test
mobile = 206.555.0199

oid = 103
file-as = No Way
name = Nobody
)";

TEST(ContactStore, AnAddressFindsItsContactByTheLastTenDigitsThenByEmailIgnoringCase)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt", kContacts);
    ContactStore store;
    ASSERT_TRUE(store.logon());
    struct Case {
        const char* address;
        std::uint32_t oid; // 0: no match
    };
    const Case cases[] = {
        {"4255550100", 101},
        {"(425) 555-0100", 101},
        {"14255550100", 101},
        {"+1-425-555-0100", 101},
        {"004414255550100", 101},
        {"2065550199", 102},
        {"425555010", 0},
        {"4255550101", 0},
        {"anna.smith@example.com", 101},
        {"ANNA.SMITH@EXAMPLE.COM", 101},
        {"  anna.smith@example.com ", 101},
        {"bo@work.test", 102},
        {"Bo@Berg.Test", 102},
        {"anna@example.com", 0},
        {"4255550100@example.com", 0},
        {"", 0},
        {"no digits", 0},
    };
    for (const Case& c : cases) {
        const Contact* found = store.findMatching(c.address);
        EXPECT_EQ(found ? found->oid : 0u, c.oid) << "\"" << c.address << "\"";
    }
    EXPECT_EQ(store.findMatching("4255550100")->fileAs, "Smith, Anna");
}

TEST(ContactStore, TheFileIsReadAsAPersonWroteItAndWhatDoesNotParseIsSkippedAndLogged)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt",
        "name = Orphan\n"
        "oid = 7\n"
        "name = Seven\n"
        "nickname = S\n"
        "just text\n"
        "oid = 7\n"
        "name = Seven again\n"
        "oid = x12\n"
        "name = Bad id\n"
        "oid = 8\r\n"
        "  name  =  Eight # not a comment  \r\n"
        "  # a comment\n");
    ContactStore store;
    ASSERT_TRUE(store.logon());
    std::vector<Contact> items;
    EXPECT_FALSE(store.defaultFolder(3, &items));
    ASSERT_TRUE(store.defaultFolder(kFolderContacts, &items));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(store.item(1)->name, "Seven");
    EXPECT_EQ(store.item(2)->name, "Eight # not a comment");
    EXPECT_EQ(store.item(3), nullptr);
    EXPECT_EQ(store.item(0), nullptr);
    EXPECT_EQ(store.itemFromOid(8), store.item(2));
    EXPECT_EQ(root.readFile("log/pim.log"),
        "contacts.txt line 1: \"name\" before the first oid\n"
        "contacts.txt line 4: unknown key \"nickname\"\n"
        "contacts.txt line 5: not \"key = value\"\n"
        "contacts.txt line 6: object id \"7\" is not a new positive number; contact skipped\n"
        "contacts.txt line 8: object id \"x12\" is not a new positive number; contact skipped\n");

    root.writeFile("contacts.txt", "");
    ASSERT_TRUE(store.logon());
    EXPECT_EQ(store.count(), 0u);
}

constexpr std::uint32_t kChoose = 100;
constexpr std::uint32_t kChooseAnna = 101;

// A screen whose soft keys open the chooser; its title shows the answer.
class ChooserHost : public ui::Dialog {
protected:
    void onCreate() override
    {
        auto bar = std::make_shared<ui::Menu>();
        bar->add(kChoose, u"Contacts").add(kChooseAnna, u"Anna");
        setMenuBar(bar);
    }
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override
    {
        if (id != kChoose && id != kChooseAnna)
            return Dialog::onCommand(id, code);
        ChooseContactRequest request;
        request.flags = id == kChoose ? 0x18 : 20;
        request.oid = id == kChoose ? 0 : 101;
        request.requiredProperties = {kPropEmail1, kPropEmail2, kPropEmail3, kPropMobile};
        const std::uint32_t result = chooseContact(this, &request);
        char answer[256];
        std::snprintf(answer, sizeof answer, "%08x %u [%s] %08x [%s]", result, request.chosenOid,
            request.name.c_str(), request.chosenProperty, request.value.c_str());
        setText(kernel::utf8ToWide(answer));
        return 0;
    }
};

TEST(ContactChooser, KeysChooseAContactAndOneOfItsAddressesOrCancel)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt", kContacts);
    DialogScreen<ChooserHost> screen(u"Compose");
    ui::ScreenDriver driver(screen.thread.threadId());
    ui::setFrontEndPresent(true);

    driver.softKey(0);
    EXPECT_EQ(driver.snapshot(),
        (Lines {"== Compose == (disabled)", "softkeys: [Contacts] [Anna]",
            "== Contacts ==", "  > * Smith, Anna", "    Berg, Bo"}))
        << "a contact without an address is not offered";
    driver.key(ui::kVkDown);
    driver.key(ui::kVkReturn);
    EXPECT_EQ(driver.snapshot(),
        (Lines {"== Compose == (disabled)", "softkeys: [Contacts] [Anna]", "== Berg, Bo ==",
            "  > * E-mail 2: bo@berg.test", "    E-mail 3: bo@work.test", "    Mobile: 206.555.0199"}));
    driver.key(ui::kVkDown);
    driver.key(ui::kVkDown);
    driver.key(ui::kVkReturn);
    EXPECT_EQ(driver.snapshot().front(), "== 00000000 102 [Bo Berg] 0096001f [206.555.0199] ==");

    // With an object id only that contact's addresses are offered.
    driver.softKey(1);
    EXPECT_EQ(driver.snapshot().at(2), "== Smith, Anna ==");
    driver.key(ui::kVkReturn);
    EXPECT_EQ(driver.snapshot().front(), "== 00000000 101 [] 0090001f [Anna.Smith@Example.COM] ==");

    // Back (Escape) cancels at either list.
    driver.softKey(0);
    driver.key(ui::kVkEscape);
    EXPECT_EQ(driver.snapshot().front(), "== 80004004 0 [] 00000000 [] ==");
    driver.softKey(0);
    driver.key(ui::kVkReturn);
    driver.key(ui::kVkEscape);
    EXPECT_EQ(driver.snapshot().front(), "== 80004004 0 [] 00000000 [] ==");
    ui::setFrontEndPresent(false);
}

TEST(ContactChooser, AnObjectIdOfNoContactWithAnAddressFindsNothingAndShowsNothing)
{
    TempDeviceRoot root;
    root.writeFile("contacts.txt", kContacts);
    for (std::uint32_t oid : {103u, 999u}) {
        ChooseContactRequest request;
        request.flags = 20;
        request.oid = oid;
        request.requiredProperties = {kPropEmail1, kPropEmail2, kPropEmail3, kPropMobile};
        EXPECT_EQ(chooseContact(nullptr, &request), kPimNotFound) << oid;
        EXPECT_EQ(request.value, "");
    }
    EXPECT_EQ(root.readFile("log/picker.log"), "");

    // Without anyone to choose, the list is cancelled.
    ChooseContactRequest request;
    request.requiredProperties = {kPropMobile};
    EXPECT_EQ(chooseContact(nullptr, &request), kPimCancelled);
    EXPECT_EQ(root.readFile("log/picker.log"), "Contacts: cancelled, no one to choose\n");
}

} // namespace
} // namespace tessel::pim
