#include "engine/client/VXLClient.h"
#include "engine/core/base/VXLObjectWatch.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemElement.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLAudioElement.h"
#include "engine/screens/VXLChoiceElement.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLFieldElement.h"
#include "engine/screens/VXLLayoutContactChooser.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "engine/screens/VXLUiJobPool.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ScreenOwnerJob.h"

#include <gtest/gtest.h>

#include <memory>
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
        {"", true},
        {"abcde", true},
        {"abcdef", false},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", true},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9x", false},
        {"\xE2\x82\xAC\xF0\x9F\x98\x80"
         "abc",
            true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CVXLUserInputTextElement input(0, 5);
        input.setServices(engine.client()->getUiJobPool()->services());
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
    CVXLElement* const elements[] = {&input, &edit, &contacts};
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
        {CVXLAudioElement().elementType(), 1},
        {CVXLFieldElement().elementType(), 3},
        {CVXLContactListElement().elementType(), 5},
        {CVXLMediaListElement().elementType(), 7},
        {CVXLEditTextElement().elementType(), 9},
        {CVXLMenuItemElement().elementType(), 9},
        {CVXLDisplayTextElement().elementType(), 15},
        {CVXLRangedElement().elementType(), 16},
        {CVXLUserInputTextElement().elementType(), 17},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.type, c.expected);
    CVXLMenuItemElement entry;
    entry.setText("Blog");
    entry.toggleChecked();
    EXPECT_STREQ(entry.text().c_str(), "Blog");
    EXPECT_TRUE(entry.isChecked());
}

// A text the screen shortens keeps whole characters: "é" is two bytes, "€"
// three, the smiley four; a stray continuation byte stays with what it follows.
TEST_F(ElementTest, TextIsCutBetweenCharacters)
{
    struct Case {
        const char* text;
        std::int32_t maximum;
        const char* cut;
    };
    const Case cases[] = {
        {"abcdef", 3, "abc"},
        {"abc", 3, "abc"},
        {"abc", 0, ""},
        {"abc", -1, "abc"},
        {"a\xC3\xA9"
         "b",
            2, "a\xC3\xA9"},
        {"\xE2\x82\xAC\xE2\x82\xAC", 1, "\xE2\x82\xAC"},
        {"x\xF0\x9F\x98\x80y", 2, "x\xF0\x9F\x98\x80"},
        {"\x80\x80"
         "ab",
            1,
            "\x80\x80"
            "a"},
        {"", 4, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CVXLUserInputTextElement input(0, c.maximum);
        const CVXLString cut = input.cutToMaximum(c.text);
        EXPECT_EQ(std::string(cut.c_str()), c.cut);
        if (c.maximum >= 0) {
            EXPECT_LE(CVXLUserInputTextElement::characterCount(cut), static_cast<std::uint32_t>(c.maximum));
            EXPECT_EQ(input.setText(cut), 1) << "a cut text is always taken";
        }
    }
}

// Each cast gives the element only when its type code is the cast's; the user
// interface unwraps a field slot and casts the value inside.
TEST_F(ElementTest, CastsAnswerOnlyForTheirOwnType)
{
    CVXLAlbum album;
    CVXLAudioElement audio;
    CVXLFieldElement field;
    CVXLContactListElement contacts;
    CVXLMediaItemElement record;
    CVXLMediaListElement mediaList;
    CVXLMediaItem mediaItem;
    CVXLMessageSummary summary;
    CVXLDisplayTextElement display;
    CVXLUserInputTextElement input;
    CVXLChoiceElement choice;
    CVXLMenuItemElement menuItem;
    CVXLRangedElement ranged;
    CVXLElement* const elements[] = {&album, &audio, &field, &contacts, &record, &mediaList, &mediaItem,
        &summary, &display, &input, &choice, &menuItem, &ranged};
    for (CVXLElement* element : elements) {
        SCOPED_TRACE(element->elementType());
        const std::uint32_t type = element->elementType();
        const struct {
            std::uint32_t code;
            const void* cast;
        } casts[] = {
            {0, element->asType0()},
            {1, element->asAudio()},
            {3, element->asReference()},
            {5, element->asContactList()},
            {6, element->asType6()},
            {7, element->asMediaList()},
            {8, element->asMediaItem()},
            {11, element->asMessageSummary()},
            {15, element->asDisplayText()},
            {17, element->asUserInputText()},
        };
        for (const auto& cast : casts)
            EXPECT_EQ(cast.cast, cast.code == type ? static_cast<const void*>(element) : nullptr)
                << cast.code;
    }

    auto* value = new CVXLUserInputTextElement(0, 5);
    field.setValue(value);
    CVXLElement& slot = field;
    ASSERT_NE(slot.asReference(), nullptr);
    EXPECT_EQ(slot.asReference()->value()->asUserInputText(), value);
    EXPECT_EQ(slot.asReference()->value()->asContactList(), nullptr);
}

// A slot reads its label and kind from the scenario field it was built from,
// and owns its value element, except a contact list (the global one).
TEST_F(ElementTest, FieldSlotReadsItsScenarioFieldAndOwnsItsValue)
{
    CScenarioLayout scenario;
    const struct {
        const char* type;
        const char* caption;
    } fields[] = {{"subj", "Subject"}, {"addrList", "To"}};
    for (const auto& f : fields) {
        auto* field = new CScenarioField;
        field->fieldDescription().setType(f.type);
        field->fieldDescription().setCaption(f.caption);
        ASSERT_TRUE(scenario.addField(field));
    }
    const struct {
        const CScenarioLayout* layout;
        std::int32_t index;
        const char* label;
        std::int32_t kind;
    } cases[] = {
        {&scenario, 0, "Subject", kFieldSubject},
        {&scenario, 1, "To", kFieldAddressList},
        {&scenario, 2, "", kFieldOther},
        {&scenario, -1, "", kFieldOther},
        {nullptr, 0, "", kFieldOther},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        CVXLFieldElement slot;
        slot.setField(c.layout, c.index);
        EXPECT_EQ(std::string(slot.fieldLabel().c_str()), c.label);
        EXPECT_EQ(slot.fieldKind(), c.kind);
        EXPECT_EQ(slot.field() != nullptr, c.kind != kFieldOther);
    }

    CVXLContactListElement& global = engine.client()->getGlobalContacts();
    global.addNew();
    CVXLObjectWatch alive;
    auto* first = new CVXLUserInputTextElement(0, 10);
    auto* second = new CVXLDisplayTextElement;
    alive.add(first);
    alive.add(second);
    {
        CVXLFieldElement slot;
        slot.setValue(first);
        slot.setValue(first);
        EXPECT_TRUE(alive.contains(first)) << "setting the same value again keeps it";
        slot.setValue(second);
        EXPECT_FALSE(alive.contains(first));
        slot.setValue(&global);
        EXPECT_FALSE(alive.contains(second));
        slot.setValue(nullptr);
        slot.setValue(&global);
    }
    EXPECT_EQ(global.count(), 1u) << "the global list outlives every slot that showed it";
}

// The audio element holds a recording until the layout takes it; a change of
// recording counts until committed.
TEST_F(ElementTest, AudioElementHoldsItsRecordingUntilTaken)
{
    CVXLObjectWatch alive;
    auto* first = new CVXLDisplayTextElement;
    auto* second = new CVXLDisplayTextElement;
    alive.add(first);
    alive.add(second);
    CVXLObject* taken = nullptr;
    {
        CVXLAudioElement audio(0, 1);
        EXPECT_FALSE(audio.isModified());
        EXPECT_EQ(audio.setAudio(first), 1);
        EXPECT_TRUE(audio.isModified());
        audio.commit();
        EXPECT_FALSE(audio.isModified());
        EXPECT_EQ(audio.setAudio(second), 1);
        EXPECT_FALSE(alive.contains(first)) << "a replaced recording is deleted";
        EXPECT_TRUE(audio.isModified());
        taken = audio.takeAudio();
        EXPECT_EQ(audio.audio(), nullptr);
        EXPECT_EQ(audio.setAudio(new CVXLDisplayTextElement), 1);
    }
    EXPECT_EQ(taken, second);
    EXPECT_TRUE(alive.contains(second)) << "a taken recording is the taker's";
    delete taken;
}

// The contact chooser claims the global list when prepared and lets go of it
// when it goes, so the list never names a freed layout.
TEST_F(ElementTest, ContactChooserClaimsTheGlobalListWhilePrepared)
{
    CVXLContactListElement& global = engine.client()->getGlobalContacts();
    EXPECT_EQ(global.elementOwner(), nullptr);
    ScreenOwnerJob owner;
    owner.wireTo(engine.client());
    auto chooser = std::make_unique<CVXLLayoutContactChooser>();
    owner.own(*chooser);
    EXPECT_TRUE(chooser->prepare());
    EXPECT_EQ(global.elementOwner(), chooser.get());
    CVXLLayoutContactChooser second;
    owner.own(second);
    EXPECT_TRUE(second.prepare());
    chooser.reset();
    EXPECT_EQ(global.elementOwner(), &second) << "only the owner lets go";
}

} // namespace
