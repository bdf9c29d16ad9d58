#include "ui/Elements/WinTSElementUserInputText.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/screens/VXLFieldElement.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/TextSnapshot.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/Elements/ElementHost.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

// A text input field of the composer: a field slot with its caption over a
// real user input element, rendered in a host dialog and focused.
struct InputField {
    InputField(const char* caption, std::uint32_t mode, std::int32_t maximum, std::uint32_t modifiers = 0)
    {
        auto* field = new CScenarioField();
        field->fieldDescription().setCaption(caption);
        scenario.addField(field);
        value = new CVXLUserInputTextElement(0, maximum);
        value->setInputMode(mode);
        value->setModifiers(modifiers);
        slot.setField(&scenario, 0);
        slot.setValue(value);
        element = std::make_unique<CWinTSElementUserInputText>(ElementHost::link());
        element->Create(&host, &slot, ui::Rect {0, 0, 220, 200}, 0xE00, 0);
        element->SetFocused(true);
        created = host.heights();
    }
    ~InputField() { element.reset(); }

    void type(const std::u16string& text)
    {
        for (char16_t c : text)
            ui::postMessage(ui::focusWindow(), ui::kWmChar, c, 0);
        ElementHost::pump();
    }
    std::u16string shown() { return element->edit().text(); }

    CScenarioLayout scenario;
    CVXLFieldElement slot;
    CVXLUserInputTextElement* value; // the slot's
    ElementHost host;
    std::unique_ptr<CWinTSElementUserInputText> element;
    std::vector<std::int64_t> created; // the heights it posted when made
};

std::vector<std::string> composeValues(const TempDeviceRoot& root)
{
    const TestCommandResult run = testRunCommand(testPython()
        + " " TESSEL_SOURCE_DIR "/tests/peers/registry_reader.py '"
        + root.hostPath("registry/HKEY_CURRENT_USER.reg") + "' 'Software\\Halvard\\Tessel\\Compose' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return testLines(run.output);
}

TEST(WinTSElementUserInputText, AComposeValuePreFillsTheFieldOfItsNameOnce)
{
    TempDeviceRoot root;
    registryWrite(u"Compose", u"Subject", u"Holiday pictures");
    registryWrite(u"Compose", u"Text", u"See you");
    {
        InputField subject("Subject", CVXLUserInputTextElement::kSingleLine, 40);
        EXPECT_EQ(subject.shown(), u"Holiday pictures");
        EXPECT_TRUE(subject.element->edit().visible());
        EXPECT_EQ(subject.element->Store(), 1);
        EXPECT_STREQ(subject.value->text().c_str(), "Holiday pictures");
    }
    const std::string key = "Software\\Halvard\\Tessel\\Compose\t";
    EXPECT_EQ(composeValues(root),
        (std::vector<std::string> {key + "Subject\ttext\t", key + "Text\ttext\tSee you"}))
        << "taken, the value is emptied; the other waits";

    InputField again("Subject", CVXLUserInputTextElement::kSingleLine, 40);
    EXPECT_EQ(again.shown(), u"") << "a second field of that name gets nothing";

    // A waiting text longer than the field is cut to it, so that Store takes it.
    registryWrite(u"Compose", u"Text", u"abcdefgh");
    InputField text("Text", CVXLUserInputTextElement::kShortMessage, 5);
    EXPECT_EQ(text.shown(), u"abcde");
    EXPECT_EQ(text.element->Store(), 1);
    EXPECT_STREQ(text.value->text().c_str(), "abcde");
    EXPECT_NE(root.readFile("log/ui.log").find("cut to the field's 5"), std::string::npos);
}

TEST(WinTSElementUserInputText, ARefreshFillsOnlyAnEmptyFieldAndShowsIt)
{
    TempDeviceRoot root;
    InputField field("Subject", CVXLUserInputTextElement::kSingleLine, 40);
    field.element->SetFocused(false);
    EXPECT_FALSE(field.element->edit().visible()) << "empty and not focused";
    ASSERT_EQ(field.value->setText("Draft"), 1);
    field.element->Refresh(&field.slot);
    EXPECT_EQ(field.shown(), u"Draft");
    EXPECT_TRUE(field.element->edit().visible());
    EXPECT_FALSE(field.element->showEmptyTip());

    ASSERT_EQ(field.value->setText("Other"), 1);
    field.element->Refresh(&field.slot);
    EXPECT_EQ(field.shown(), u"Draft") << "what the user has is kept";
}

TEST(WinTSElementUserInputText, OnlyTheShortMessageModeKeepsEnterAndAForwardedEnterInsertsCrLfInAny)
{
    TempDeviceRoot root;
    struct Case {
        std::uint32_t mode;
        bool kept;
    };
    const Case cases[] = {{CVXLUserInputTextElement::kSingleLine, false},
        {CVXLUserInputTextElement::kShortMessage, true}, {3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        InputField field("Text", c.mode, 160);
        field.type(u"abcd");
        field.element->edit().windowProc(ui::kEmSetSel, 0, 2);
        EXPECT_EQ(ui::sendMessage(field.element->edit().handle(), ui::kWmKeyDown, ui::kVkReturn, 0),
            c.kept ? 0 : ui::kKeyLeft);
        EXPECT_EQ(field.shown(), c.kept ? u"ab\r\ncd" : u"abcd");
        EXPECT_TRUE(field.element->OnKey(ui::kVkReturn)) << "the layout window's Enter";
        EXPECT_EQ(field.shown(), c.kept ? u"ab\r\n\r\ncd" : u"ab\r\ncd");
        EXPECT_EQ(field.element->Store(), 1);
        EXPECT_STREQ(field.value->text().c_str(), c.kept ? "ab\r\n\r\ncd" : "ab\r\ncd");
    }
}

TEST(WinTSElementUserInputText, TheCounterShowsCharactersOfTheLimitBelowTheBox)
{
    TempDeviceRoot root;
    registryWriteDword(u"UIConfig", u"showTextInputTip", 1);
    InputField field("Text", CVXLUserInputTextElement::kShortMessage, 160);
    field.type(u"Hello");
    EXPECT_EQ(field.element->tip().text(), u"5/160");
    EXPECT_TRUE(field.element->tip().visible());
    const ui::Rect edit = field.element->editRect();
    const ui::Rect tip = field.element->tip().windowRect();
    EXPECT_EQ(tip.top, edit.bottom) << "right below the box";
    EXPECT_EQ(tip.right, edit.right - CWinTSElementUserInputText::kTipInset);
    ASSERT_FALSE(field.created.empty());
    EXPECT_EQ(field.created.back(), tip.bottom + CWinTSElementUserInputText::kBottomPadding);
    EXPECT_TRUE(field.host.heights().empty()) << "the same height is not posted again";

    // Escape takes the character before the caret back.
    EXPECT_TRUE(field.element->OnKey(ui::kVkEscape));
    EXPECT_EQ(field.shown(), u"Hell");
    EXPECT_EQ(field.element->tip().text(), u"4/160");
}

TEST(WinTSElementUserInputText, ATrailingLineBreakMakesTheFieldOneLineTaller)
{
    TempDeviceRoot root;
    InputField field("Text", CVXLUserInputTextElement::kShortMessage, 160);
    field.type(u"abc");
    EXPECT_TRUE(field.host.heights().empty()) << "one line as before";
    const std::vector<std::int64_t> before = field.created;
    ASSERT_FALSE(before.empty());
    field.element->OnKey(ui::kVkReturn);
    const std::vector<std::int64_t> after = field.host.heights();
    ASSERT_EQ(after.size(), 1u);
    const int line = CWinTSElement::RegistryFont(u"ElementEdit")->lineHeight();
    EXPECT_EQ(after[0], before.back() + line);
    field.type(u"d");
    EXPECT_TRUE(field.host.heights().empty()) << "the new line had its room already";
}

TEST(WinTSElementUserInputText, TypingAndPastingStopAtTheLimitAndStoreTakesWhatTheFieldHolds)
{
    TempDeviceRoot root;
    registryWriteDword(u"UIConfig", u"showTextInputTip", 1);
    // U+1F600 and U+1D11E, two UTF-16 units and four UTF-8 bytes each.
    const std::u16string smile = u"\U0001F600";
    const std::u16string clef = u"\U0001D11E";
    struct Case {
        const char* what;
        std::u16string typed;
        std::u16string pasted;
        std::u16string held;
        const char* counter;
    };
    const Case cases[] = {
        {"typing beyond the limit", u"abcdefg", u"", u"abcde", "5/5"},
        {"a paste beyond the limit", u"ab", u"cdefgh", u"abcde", "5/5"},
        {"characters beyond the first plane", smile + clef + smile + clef + smile + clef, u"",
            smile + clef + smile + clef + smile, "5/5"},
        {"a paste of pairs", u"abc", clef + smile + clef, u"abc" + clef + smile, "5/5"},
        {"a line break does not fit in one character", u"abcd", u"\r\n", u"abcd", "4/5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InputField field("Text", CVXLUserInputTextElement::kShortMessage, 5);
        field.type(c.typed);
        if (!c.pasted.empty()) {
            ui::setClipboardText(c.pasted);
            field.element->Paste();
        }
        EXPECT_EQ(field.shown(), c.held);
        EXPECT_EQ(kernel::wideToUtf8(field.element->tip().text()), c.counter);
        EXPECT_EQ(field.element->Store(), 1) << "Store never refuses what the field let in";
        EXPECT_EQ(kernel::utf8ToWide(field.value->text().c_str()), c.held);
    }

    // Text put in past the box's own limit is what the engine refuses.
    InputField field("Text", CVXLUserInputTextElement::kShortMessage, 5);
    field.type(u"abc");
    ASSERT_EQ(field.element->Store(), 1);
    field.element->edit().windowProc(ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(u"abcdef"));
    EXPECT_EQ(field.element->Store(), 0);
    EXPECT_STREQ(field.value->text().c_str(), "abc") << "the engine keeps its text";
}

TEST(WinTSElementUserInputText, APasswordFieldIsMaskedAndKeepsItsText)
{
    TempDeviceRoot root;
    InputField field(
        "PIN", CVXLUserInputTextElement::kSingleLine, 8, CVXLUserInputTextElement::kPasswordModifier);
    field.type(u"1234");
    EXPECT_TRUE(field.element->edit().style() & ui::Edit::kPassword);
    std::vector<std::u16string> lines;
    field.element->edit().describe(&lines);
    EXPECT_EQ(lines, std::vector<std::u16string> {u"[****|]"});
    ui::setClipboardText(u"keep");
    field.element->Copy();
    EXPECT_EQ(ui::clipboardText(), u"keep");
    EXPECT_EQ(field.element->Store(), 1);
    EXPECT_STREQ(field.value->text().c_str(), "1234");
}

} // namespace
