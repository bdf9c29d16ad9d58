#include "engine/client/VXLClient.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "tests/support/EngineDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ElementTest : public ::testing::Test {
public:
    void SetUp() override { ASSERT_TRUE(engine.create()); }

    EngineDriver engine;
};

// The maximum counts characters: "é" is two bytes and one character.
TEST_F(ElementTest, TextInputRefusesMoreCharactersThanItsMaximum)
{
    struct Case {
        const char* text;
        bool taken;
    };
    const Case cases[] = {
        { "", true },
        { "abcde", true },
        { "abcdef", false },
        { "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", true },
        { "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9x", false },
        { "\xE2\x82\xAC\xF0\x9F\x98\x80" "abc", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CVXLUserInputTextElement input(0, 5);
        ASSERT_EQ(input.setText("kept"), 1);
        engine.client()->setErrorCode(0);
        EXPECT_EQ(input.setText(c.text), c.taken ? 1 : 0);
        EXPECT_EQ(std::string(input.text().c_str()), c.taken ? c.text : "kept");
        EXPECT_EQ(engine.client()->getErrorCode(), c.taken ? 0 : CVXLUserInputTextElement::kTextTooLong);
    }
}

TEST_F(ElementTest, CommitEndsTheModificationUntilTheNextChange)
{
    CVXLUserInputTextElement input(0, 10);
    CVXLEditTextElement edit;
    CVXLContactListElement contacts;
    CVXLElement* const elements[] = { &input, &edit, &contacts };
    input.setText("a");
    edit.setText("b");
    contacts.addNew();
    for (CVXLElement* element : elements) {
        SCOPED_TRACE(element->elementType());
        EXPECT_TRUE(element->isModified());
        element->commit();
        EXPECT_FALSE(element->isModified());
    }
    input.setText("c");
    edit.setText("d");
    contacts.remove(contacts.at(0));
    for (CVXLElement* element : elements)
        EXPECT_TRUE(element->isModified()) << element->elementType();
}

TEST_F(ElementTest, ContactListOwnsItsEntriesAndCopiesThem)
{
    CVXLContactListElement list;
    EXPECT_EQ(list.minimum(), 1);
    EXPECT_EQ(list.maximum(), 25);
    list.addNew()->set(1, "+15551234", "Ann");
    list.addNew()->set(3, "bob@example.com", "Bob");
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(2), nullptr);
    EXPECT_EQ(list.changeCount(), 2);

    CVXLContactListElement copy;
    copy.addNew();
    copy = list;
    ASSERT_EQ(copy.count(), 2u);
    EXPECT_NE(copy.at(0), list.at(0));
    EXPECT_STREQ(copy.at(1)->address().c_str(), "bob@example.com");
    EXPECT_STREQ(copy.at(1)->displayName().c_str(), "Bob");
    EXPECT_EQ(copy.at(1)->kind(), 3);
    EXPECT_EQ(copy.changeCount(), 2);

    CVXLAddressee stranger;
    EXPECT_FALSE(list.remove(&stranger));
    EXPECT_TRUE(list.remove(list.at(0)));
    EXPECT_EQ(list.count(), 1u);
    list.removeAll();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(copy.count(), 2u);
}

TEST_F(ElementTest, MediaListHoldsItemsItDoesNotOwn)
{
    CVXLMediaItem first;
    CVXLMediaItem second;
    CVXLMediaListElement list;
    EXPECT_TRUE(list.append(&first));
    EXPECT_TRUE(list.append(&second));
    EXPECT_EQ(list.at(1), &second);
    EXPECT_EQ(list.at(2), nullptr);
    EXPECT_TRUE(list.remove(&first));
    EXPECT_FALSE(list.remove(&first));
    EXPECT_EQ(list.count(), 1u);
    EXPECT_EQ(list.at(0), &second);
}

TEST_F(ElementTest, TypeCodes)
{
    struct Case {
        std::uint32_t type;
        std::uint32_t expected;
    };
    const Case cases[] = {
        { CVXLContactListElement().elementType(), 5 },
        { CVXLMediaListElement().elementType(), 7 },
        { CVXLEditTextElement().elementType(), 9 },
        { CVXLMenuItemElement().elementType(), 9 },
        { CVXLDisplayTextElement().elementType(), 15 },
        { CVXLRangedElement().elementType(), 16 },
        { CVXLUserInputTextElement().elementType(), 17 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.type, c.expected);
    CVXLMenuItemElement entry;
    entry.setText("Blog");
    entry.toggleChecked();
    EXPECT_STREQ(entry.text().c_str(), "Blog");
    EXPECT_TRUE(entry.isChecked());
}

} // namespace
