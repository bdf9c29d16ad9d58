#include "engine/screens/VXLLayoutMessageComposer.h"

#include "engine/core/scenario/ScenarioField.h"
#include "engine/screens/VXLAudioElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "tests/screens/ComposeFixture.h"
#include "tests/support/ScreenText.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// Records the actions its layout hands it.
class ComposerOwner : public CVXLUiJob {
public:
    int typeId() const override { return 10; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

class ComposerLayoutTest : public ComposeFixture {
public:
    // Builds the layout from the scenario as the Scenario Manager reads it.
    void build(const char* name)
    {
        ASSERT_TRUE(load(name, scenario)) << name;
        owner.setPool(pool);
        layout.setOwner(&owner);
        layout.build(&scenario);
    }
    std::string value(std::uint32_t field) const { return scenario.fieldAt(field)->values().at(0).c_str(); }
    // The slot of a scenario field made the focused one.
    void focus(std::int32_t field) { layout.setCurrentElement(layout.getField(layout.slotOfField(field))); }

    CScenarioLayout scenario;
    CVXLLayoutMessageComposer layout;
    ComposerOwner owner;
};

TEST_F(ComposerLayoutTest, ATitleFirstTakesNoSlotAndSeventeenVisibleFieldsMakeSixteen)
{
    build("titled");
    EXPECT_EQ(std::string(layout.getTitle().c_str()), "A Title");
    EXPECT_EQ(layout.fieldCount(), 1u);
    EXPECT_EQ(layout.slotOfField(0), -1);
    EXPECT_EQ(layout.slotOfField(1), 0);
    EXPECT_EQ(layout.getField(0)->fieldIndex(), 1);
    EXPECT_EQ(layout.currentFieldSlot(), layout.getField(0)) << "initFocus names field 1";

    CScenarioLayout many;
    ASSERT_TRUE(load("many", many));
    ASSERT_EQ(many.fieldCount(), 17u);
    layout.build(&many);
    EXPECT_EQ(layout.fieldCount(), 16u);
    EXPECT_EQ(layout.slotOfField(15), 15);
    EXPECT_EQ(layout.slotOfField(16), -1);
    EXPECT_EQ(layout.getField(16), nullptr);
}

// Each text field's element by its format bits, editability and modifiers;
// a value longer than the maximum is cut between characters and replaces
// the field's value.
TEST_F(ComposerLayoutTest, TextFieldsTakeTheirInputModeAndAreCutWhole)
{
    build("modes");
    struct Case {
        std::uint32_t field;
        bool input;
        std::uint32_t mode;
        std::uint32_t modifiers;
        const char* text;
    };
    const Case cases[] = {
        {0, true, CVXLLayoutMessageComposer::kInputModeEmail, 0, ""},
        {1, true, CVXLLayoutMessageComposer::kInputModeNumber, 0, ""},
        {2, true, CVXLLayoutMessageComposer::kInputModePhone, 0, ""},
        {3, true, CVXLLayoutMessageComposer::kInputModeUrl, 0, ""},
        {4, true, CVXLLayoutMessageComposer::kInputModeDecimal, 0, ""},
        {5, true, CVXLUserInputTextElement::kSingleLine, 0, ""},
        {6, true, CVXLUserInputTextElement::kShortMessage, 0, ""},
        // E-mail goes before telephone.
        {7, true, CVXLLayoutMessageComposer::kInputModeEmail, 0, ""},
        {8, false, 0, 0, "Fixed"},
        {9, true, CVXLUserInputTextElement::kSingleLine, kModifierPw | kModifierNws, ""},
        {10, true, CVXLUserInputTextElement::kSingleLine, 0, "h\xC3\xA9l"},
        {11, true, CVXLUserInputTextElement::kSingleLine, 0, "no upper limit at all"},
    };
    ASSERT_EQ(layout.fieldCount(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        CVXLElement* element = layout.getField(c.field)->value();
        ASSERT_NE(element, nullptr);
        if (!c.input) {
            ASSERT_NE(element->asDisplayText(), nullptr);
            EXPECT_EQ(std::string(element->asDisplayText()->text().c_str()), c.text);
            continue;
        }
        CVXLUserInputTextElement* input = element->asUserInputText();
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->inputMode(), c.mode);
        EXPECT_EQ(input->modifiers(), c.modifiers);
        EXPECT_EQ(std::string(input->text().c_str()), c.text);
        if (*c.text) {
            EXPECT_EQ(value(c.field), c.text) << "the definition keeps what the screen shows";
        }
    }
}

TEST_F(ComposerLayoutTest, MediaListsTakeTheSelectedMediaOfTheirKinds)
{
    ASSERT_TRUE(selectPhonePicture());
    ASSERT_NE(selectMedia("clip", "video/3gpp"), nullptr);
    ASSERT_NE(selectMedia("song", "audio/amr"), nullptr);
    build("mixed");
    ASSERT_EQ(layout.fieldCount(), 2u);
    CVXLMediaListElement* picturesOnly = layout.getField(0)->value()->asMediaList();
    CVXLMediaListElement* both = layout.getField(1)->value()->asMediaList();
    ASSERT_NE(picturesOnly, nullptr);
    ASSERT_NE(both, nullptr);
    ASSERT_EQ(picturesOnly->count(), 1u) << "a list typed \"images\" takes no videos";
    EXPECT_NE(std::string(picturesOnly->at(0)->id().c_str()), "clip");
    EXPECT_EQ(both->count(), 2u) << "nor sounds";
    EXPECT_EQ(both->maxImages(), 2);
    EXPECT_EQ(both->maxVideos(), 2);
    EXPECT_EQ(layout.mixedList(), both) << "the last list of several kinds";
    EXPECT_TRUE(layout.validate(true));

    layout.setCurrentElement(layout.getField(1));
    EXPECT_EQ(layout.currentFieldKind(), CVXLLayoutMessageComposer::kKindMixedList);
    layout.setCurrentElement(both);
    EXPECT_EQ(layout.currentFieldKind(), CVXLLayoutMessageComposer::kKindMixedList);
    EXPECT_EQ(layout.currentFieldSlot(), layout.getField(1));
}

// Building again frees the first build's elements but never the global
// recipient list (ASan sees a double delete or a leak).
TEST_F(ComposerLayoutTest, BuildingTwiceLeavesTheGlobalContactsAlone)
{
    addRecipients(2);
    build("__vxl_sendto_recipients");
    CVXLContactListElement& contacts = client->getGlobalContacts();
    EXPECT_EQ(layout.getField(0)->value(), &contacts);
    EXPECT_EQ(contacts.maximum(), 10);
    layout.build(&scenario);
    layout.build(&scenario);
    EXPECT_EQ(layout.getField(0)->value(), &contacts);
    EXPECT_EQ(contacts.count(), 2u);
    layout.detachView();
    EXPECT_EQ(layout.fieldCount(), 0u);
    EXPECT_EQ(contacts.count(), 2u);
    EXPECT_EQ(std::string(contacts.at(1)->address().c_str()), "+15550101");
}

// Field values as rules see them (recipients 2, pictures 1, subject "abc",
// text empty, field 4 hidden), and the rules over them.
TEST_F(ComposerLayoutTest, RulesArePostfixOverFieldValues)
{
    addRecipients(2);
    ASSERT_TRUE(selectPhonePicture());
    build("rules");
    ASSERT_EQ(layout.fieldCount(), 4u);
    EXPECT_EQ(layout.fieldValue(0), 2);
    EXPECT_EQ(layout.fieldValue(1), 1);
    EXPECT_EQ(layout.fieldValue(2), 3);
    EXPECT_EQ(layout.fieldValue(3), 0);
    const struct {
        const char* rule;
        bool holds;
    } cases[] = {
        {"", true},
        {"0>1", true},
        {"0<1", false},
        {"0=2", true},
        {"0E2", true},
        {"2G2", true},
        {"2L3", false},
        // Either field above 0.
        {"3>0,2>0+", true},
        {"3>0,1>0*", false},
        {"0>0,3>0,&", false},
        // A field without a slot, and an index past the 16 slots, are false.
        {"4>0", false},
        {"4<9", false},
        {"20<9", false},
        // Runs of operators: each takes the two topmost values.
        {"3>0,0>0,1>0*+", true},
        {"0>0,3>0,3>0+*", false},
        {"0>0,3>0,3>0*+", true},
        // No comparison: nothing is pushed.
        {"5", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(layout.evaluateRule(c.rule), c.holds) << c.rule;
}

// The focused field's labels decide Continue and Modify; Update writes the
// typed text back into the definition.
TEST_F(ComposerLayoutTest, LabelsDecideTheActionsAndUpdateCommitsTheText)
{
    addRecipients(1);
    build("__vxl_sendto_recipients");
    EXPECT_EQ(std::string(layout.getTitle().c_str()), "Send To Contacts");
    // Recipients focused: "change" on a contact list is Modify.
    EXPECT_EQ(layout.labelState(), kFieldStateContinue);
    EXPECT_EQ(layout.errorLabelState(), kFieldStateModify);
    EXPECT_EQ(std::string(layout.labelText().c_str()), "Send");
    EXPECT_EQ(std::string(layout.errorLabelText().c_str()), "Change");
    EXPECT_EQ(screenText(layout),
        "Send To Contacts | unplaced Continue, unplaced Modify, unplaced Update, unplaced Cancel, hard Back, "
        "hard Exit");

    // The subject: no error label, so no Modify.
    focus(3);
    EXPECT_EQ(layout.errorLabelState(), kFieldStateNone);
    EXPECT_EQ(screenText(layout),
        "Send To Contacts | unplaced Continue, -unplaced Modify, unplaced Update, unplaced Cancel, hard "
        "Back, hard Exit");
    CVXLUserInputTextElement* subject = layout.getField(2)->value()->asUserInputText();
    ASSERT_NE(subject, nullptr);
    ASSERT_EQ(subject->setText("Beach"), 1);
    EXPECT_EQ(value(3), "");
    EXPECT_EQ(submitByLabel(layout, "Update"), true);
    EXPECT_EQ(value(3), "Beach");
    EXPECT_FALSE(subject->isModified());
    EXPECT_EQ(submitByLabel(layout, "Help"), false) << "not offered in state 0";

    // Nothing focused: Continue is refused, Cancel never.
    layout.setCurrentElement(nullptr);
    EXPECT_EQ(layout.submitAction(0xC0067), 0);
    EXPECT_EQ(layout.submitAction(0xC0068), 1);
    EXPECT_EQ(owner.actions, (std::vector<std::uint32_t> {0xC0069, 0xC0068}));
}

TEST_F(ComposerLayoutTest, ValidationChecksTheLimitsOfEditableFields)
{
    build("__vxl_sendto_recipients");
    focus(3);
    EXPECT_FALSE(layout.validate(false)) << "no recipient, at least one wanted";
    EXPECT_TRUE(layout.validate(true)) << "media only";
    addRecipients(1);
    EXPECT_TRUE(layout.validate(false));
    addRecipients(10);
    EXPECT_FALSE(layout.validate(false)) << "11 of at most 10";
    client->getGlobalContacts().clear();
    addRecipients(1);
    focus(1);
    EXPECT_FALSE(layout.validate(false)) << "the focused field asks to be modified";
}

TEST_F(ComposerLayoutTest, AnAudioAnnotationIsTakenOnUpdateAndFreedWithTheView)
{
    CScenarioLayout scenario;
    auto* field = new CScenarioField;
    field->fieldDescription().setType("audioAnn");
    field->fieldDescription().setVisible(true);
    field->fieldDescription().setEditable(true);
    field->fieldDescription().setMaxList("1");
    ASSERT_TRUE(scenario.addField(field));
    owner.setPool(pool);
    layout.setOwner(&owner);
    layout.build(&scenario);
    CVXLAudioElement* audio = layout.getField(0)->value()->asAudio();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(layout.fieldValue(0), 0);
    audio->setAudio(new CVXLMediaItem);
    EXPECT_EQ(layout.submitAction(0xC0069), 1);
    EXPECT_NE(layout.audio(), nullptr);
    EXPECT_EQ(layout.fieldValue(0), 1);
    layout.detachView();
    EXPECT_EQ(layout.audio(), nullptr);
}

} // namespace
