#include "platform/ui/Canvas.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Font.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/ListView.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;

// A dialog that writes down the commands and notifications it gets.
class ProbeDialog : public Dialog {
public:
    Lines seen;
    std::int64_t gestureAnswer = 0;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmNotify) {
            const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
            seen.push_back(
                "notify " + std::to_string(header->code) + " item " + std::to_string(header->item));
            return header->code == kNotifyGestureQuery ? gestureAnswer : 0;
        }
        if (message == kWmCommand)
            seen.push_back(
                "command " + std::to_string(wParam & 0xFFFF) + " code " + std::to_string(wParam >> 16));
        return Dialog::windowProc(message, wParam, lParam);
    }
};

// A hidden window that takes the snapshot when it gets kWmApp: posted
// before a modal run starts, it shows what the run shows.
struct Snapper : Window {
    Snapper()
    {
        create(u"Snapper", u"");
        show(false);
    }
    Lines during;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmApp)
            during = textSnapshot();
        return Window::windowProc(message, wParam, lParam);
    }
};

void drain()
{
    Message message;
    while (peekMessage(&message, true)) {
        if (message.id != kWmQuit)
            dispatchMessage(message);
    }
}

void key(std::uint32_t vk)
{
    WindowHandle target = focusWindow();
    ASSERT_NE(target, 0u);
    postMessage(target, kWmKeyDown, vk, 0);
    drain();
}

void chars(const std::u16string& text)
{
    for (char16_t c : text)
        postMessage(focusWindow(), kWmChar, c, 0);
    drain();
}

TEST(ListView, RowsShowByStyleAndTheSelectionMarkIsMinusOneWithoutASelection)
{
    struct Case {
        const char* what;
        unsigned style;
        Lines shown;
    };
    const Case cases[] = {
        {"report view shows the columns", ListView::kReport,
            {"== List ==", "  * Alice | 555", "    Bob | 777"}},
        {"icon view shows the labels", ListView::kIcon, {"== List ==", "  * Alice", "    Bob"}},
        {"check boxes", ListView::kReport | ListView::kCheckBoxes,
            {"== List ==", "  * [ ] Alice | 555", "    [x] Bob | 777"}},
        {"owner-drawn rows still read as text", ListView::kOwnerDraw, {"== List ==", "  * Alice", "    Bob"}},
    };
    for (const Case& c : cases) {
        ProbeDialog dialog;
        dialog.createModeless(u"List");
        ListView list;
        list.create(&dialog, 1006, c.style);
        EXPECT_EQ(list.selectionMark(), -1) << c.what;
        list.insertItem(0, u"Alice", 11);
        list.insertItem(1, u"Bob", 12);
        list.setSubItem(0, 1, u"555");
        list.setSubItem(1, 1, u"777");
        list.setChecked(1, true);
        EXPECT_EQ(list.selectionMark(), -1) << c.what;
        list.select(0);
        EXPECT_EQ(textSnapshot(), c.shown) << c.what;
        EXPECT_EQ(list.checked(1), (c.style & ListView::kCheckBoxes) != 0) << c.what;
    }
}

TEST(ListView, TellsItsParentWithThePhonesNotificationCodes)
{
    struct Case {
        const char* what;
        std::int64_t gestureAnswer;
        void (*act)(ListView&);
        Lines notified;
    };
    const Case cases[] = {
        {"focus", 0, [](ListView& l) { setFocus(l.handle()); }, {"notify -7 item -1"}},
        {"tap", 0, [](ListView& l) { l.tap(1); }, {"notify -2 item 1", "notify -114 item 1"}},
        {"Enter on a row", 0,
            [](ListView& l) {
                setFocus(l.handle());
                key(kVkDown);
                key(kVkReturn);
            },
            {"notify -7 item -1", "notify -4 item 0", "notify -114 item 0"}},
        {"tap and hold where the parent agrees", 1, [](ListView& l) { l.tapAndHold(2); },
            {"notify -50 item 2", "notify 1000 item 2"}},
        {"tap and hold where it does not", 0, [](ListView& l) { l.tapAndHold(2); }, {"notify -50 item 2"}},
        {"a tap beyond the rows", 0, [](ListView& l) { l.tap(3); }, {}},
    };
    for (const Case& c : cases) {
        ProbeDialog dialog;
        dialog.createModeless(u"List");
        dialog.gestureAnswer = c.gestureAnswer;
        ListView list;
        list.create(&dialog, 1102, ListView::kReport);
        for (const char16_t* text : {u"a", u"b", u"c"})
            list.insertItem(-1, text);
        c.act(list);
        EXPECT_EQ(dialog.seen, c.notified) << c.what;
    }
}

TEST(ListView, SpaceTogglesACheckAndDeletingRowsKeepsTheSelectionOnItsRow)
{
    ProbeDialog dialog;
    dialog.createModeless(u"List");
    ListView list;
    list.create(&dialog, 1, ListView::kCheckBoxes);
    for (const char16_t* text : {u"a", u"b", u"c"})
        list.insertItem(-1, text);
    setFocus(list.handle());
    key(kVkDown);
    key(kVkDown);
    chars(u" ");
    EXPECT_TRUE(list.checked(1));
    EXPECT_TRUE(list.deleteItem(0));
    EXPECT_EQ(list.selectionMark(), 0) << "b moved up and stays selected";
    EXPECT_TRUE(list.deleteItem(0));
    EXPECT_EQ(list.selectionMark(), -1);
    EXPECT_FALSE(list.deleteItem(5));
}

TEST(Edit, LimitPasswordCaretClipboardAndChangeNotices)
{
    ProbeDialog dialog;
    dialog.createModeless(u"Login");
    Edit name, password;
    name.create(&dialog, 10, 0, EditRect {0, 0, 100, 20});
    password.create(&dialog, 11, Edit::kPassword);
    sendMessage(name.handle(), kEmLimitText, 5, 0);
    setFocus(name.handle());
    chars(u"abcdefg");
    EXPECT_EQ(name.text(), u"abcde") << "the limit holds";
    key(kVkLeft);
    key(kVkLeft);
    chars(u"\bX");
    EXPECT_EQ(name.text(), u"abXde") << "the backspace took c and made room";
    EXPECT_EQ(name.caret(), 3u);
    chars(u"Y");
    EXPECT_EQ(name.text(), u"abXde") << "full again";
    setFocus(password.handle());
    chars(u"s3cret");
    EXPECT_EQ(textSnapshot(), (Lines {"== Login ==", "  [abX|de]", "  > [******|]"}));

    setClipboardText(u"keep");
    sendMessage(password.handle(), kWmCopy, 0, 0);
    EXPECT_EQ(clipboardText(), u"keep") << "a password is not copied";
    sendMessage(name.handle(), kWmCut, 0, 0);
    EXPECT_EQ(clipboardText(), u"abXde");
    EXPECT_EQ(name.text(), u"");
    setClipboardText(u"0123456789");
    sendMessage(name.handle(), kWmPaste, 0, 0);
    EXPECT_EQ(name.text(), u"01234") << "a paste is held to the limit";

    int changes = 0;
    for (const std::string& line : dialog.seen)
        changes += line == "command 10 code 768";
    EXPECT_EQ(changes, 5 + 1 + 1 + 1 + 1) << "five typed, backspace, X, cut, paste; the refused ones none";

    EditRect rect {};
    sendMessage(name.handle(), kEmGetRect, 0, reinterpret_cast<std::int64_t>(&rect));
    EXPECT_EQ(rect.right - rect.left, 98);
    EXPECT_EQ(rect.bottom - rect.top, 18);
}

TEST(Edit, TheLimitCountsCharactersAndNoPairIsEverSplit)
{
    // U+1F600 and U+1D11E take two UTF-16 units each.
    const std::u16string smile = u"\U0001F600";
    const std::u16string clef = u"\U0001D11E";
    struct Case {
        const char* what;
        std::u16string typed;
        std::u16string pasted;
        std::u16string shown;
    };
    const Case cases[] = {
        {"five characters typed, two of them pairs", u"a" + smile + u"b" + clef + u"cde", u"",
            u"a" + smile + u"b" + clef + u"c"},
        {"five pairs typed", smile + smile + smile + smile + smile + smile, u"",
            smile + smile + smile + smile + smile},
        {"a paste with room for one unit takes no half pair", u"abcd", smile + u"x", u"abcd" + smile},
        {"a paste that ends inside the limit with a pair", u"abc", u"x" + clef + u"y", u"abcx" + clef},
        {"a pair pasted into the last character's room", u"abcd", u"" + clef, u"abcd" + clef},
    };
    for (const Case& c : cases) {
        ProbeDialog dialog;
        dialog.createModeless(u"Name");
        Edit edit;
        edit.create(&dialog, 10, 0);
        sendMessage(edit.handle(), kEmLimitText, 5, 0);
        setFocus(edit.handle());
        chars(c.typed);
        if (!c.pasted.empty()) {
            setClipboardText(c.pasted);
            sendMessage(edit.handle(), kWmPaste, 0, 0);
        }
        EXPECT_EQ(edit.text(), c.shown) << c.what;
    }

    // The caret, Backspace and Delete step over a pair as one character.
    ProbeDialog dialog;
    dialog.createModeless(u"Name");
    Edit edit;
    edit.create(&dialog, 10, 0);
    setFocus(edit.handle());
    chars(u"a" + smile + u"b");
    key(kVkLeft);
    key(kVkLeft);
    EXPECT_EQ(edit.caret(), 1u) << "left of the pair, not inside it";
    key(kVkDelete);
    EXPECT_EQ(edit.text(), u"ab");
    chars(clef);
    chars(u"\b");
    EXPECT_EQ(edit.text(), u"ab");
    EXPECT_EQ(edit.caret(), 1u);
}

TEST(Edit, AStyleSetAfterCreationMasksAndGuardsAPassword)
{
    ProbeDialog dialog;
    dialog.createModeless(u"Login");
    Edit edit;
    edit.create(&dialog, 10, 0);
    setFocus(edit.handle());
    chars(u"s3cret");
    EXPECT_EQ(textSnapshot(), (Lines {"== Login ==", "  > [s3cret|]"}));
    edit.setStyle(edit.style() | Edit::kPassword);
    EXPECT_EQ(textSnapshot(), (Lines {"== Login ==", "  > [******|]"}));
    setClipboardText(u"keep");
    sendMessage(edit.handle(), kWmCopy, 0, 0);
    sendMessage(edit.handle(), kWmCut, 0, 0);
    EXPECT_EQ(clipboardText(), u"keep") << "a password is neither copied nor cut";
    EXPECT_EQ(edit.text(), u"s3cret");
}

TEST(Edit, OnlyAMultiLineEditThatWantsReturnKeepsEnterAndPutsALineBreakIn)
{
    struct Case {
        const char* what;
        unsigned style;
        std::size_t limit;
        bool kept;
        std::u16string text;
        Lines shown;
    };
    const Case cases[] = {
        {"single line", 0, 0, false, u"ab", {"== Note ==", "  > [a|b]"}},
        {"multi-line", Edit::kMultiline | Edit::kAutoVScroll, 0, false, u"ab", {"== Note ==", "  > [a|b]"}},
        {"wants return without lines", Edit::kWantReturn, 0, false, u"ab", {"== Note ==", "  > [a|b]"}},
        {"multi-line wanting return", Edit::kMultiline | Edit::kAutoVScroll | Edit::kWantReturn, 0, true,
            u"a\r\nb", {"== Note ==", "  > [a", "  |b]"}},
        {"no room for both characters of the break", Edit::kMultiline | Edit::kWantReturn, 3, true, u"ab",
            {"== Note ==", "  > [a|b]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeDialog dialog;
        dialog.createModeless(u"Note");
        Edit edit;
        edit.create(&dialog, 10, c.style);
        sendMessage(edit.handle(), kEmLimitText, c.limit, 0);
        setFocus(edit.handle());
        chars(u"ab");
        key(kVkLeft);
        EXPECT_EQ(sendMessage(edit.handle(), kWmKeyDown, kVkReturn, 0), c.kept ? 0 : kKeyLeft);
        chars(u"\r");
        EXPECT_EQ(edit.text(), c.text) << "the character of Enter adds nothing more";
        EXPECT_EQ(textSnapshot(), c.shown);
    }

    // A paste held to the limit leaves a CR out with its LF.
    ProbeDialog dialog;
    dialog.createModeless(u"Note");
    Edit edit;
    edit.create(&dialog, 10, Edit::kMultiline | Edit::kWantReturn);
    sendMessage(edit.handle(), kEmLimitText, 4, 0);
    sendMessage(edit.handle(), kEmReplaceSel, 0, reinterpret_cast<std::int64_t>(u"abc\r\nd"));
    EXPECT_EQ(edit.text(), u"abc");
    sendMessage(edit.handle(), kEmReplaceSel, 0, reinterpret_cast<std::int64_t>(u"\r\n"));
    EXPECT_EQ(edit.text(), u"abc") << "no room for the whole break";
}

// Rows of the frame inside r that hold dark ink.
int inkRows(const Bitmap& frame, const Rect& r)
{
    int rows = 0;
    for (int y = std::max(r.top, 0); y < r.bottom && y < frame.height(); ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const Color c = frame.pixel(x, y);
            if (red(c) < 100 && green(c) < 100 && blue(c) < 100) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

TEST(Edit, APlacedMultiLineEditWrapsItsRowsAndAutoScrollKeepsTheCaretLineInView)
{
    TempDeviceRoot root;
    const int line = Font::system()->lineHeight();
    // The box of three lines, the caret at the end of the text.
    struct Case {
        const char* what;
        unsigned style;
        int width;
        std::u16string text;
        std::vector<bool> inked; // per line of the box
    };
    const unsigned multi = Edit::kMultiline | Edit::kWantReturn;
    const Case cases[] = {
        {"a single-line edit shows one row", 0, 200, u"one\r\ntwo\r\nthree", {true, false, false}},
        {"one row per line", multi, 200, u"one\r\ntwo\r\nthree", {true, true, true}},
        {"a long line wraps at the width", multi, 70, u"aaaa bbbb cccc", {true, true, true}},
        {"five lines without scrolling show the first", multi, 200, u"X\r\n\r\n\r\n\r\nX",
            {true, false, false}},
        {"five lines scrolled to the caret show the last", multi | Edit::kAutoVScroll, 200,
            u"X\r\n\r\n\r\n\r\nX", {false, false, true}},
        {"an empty last line counts", multi | Edit::kAutoVScroll, 200, u"X\r\n\r\nX\r\n",
            {false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dialog screen;
        ASSERT_TRUE(screen.createModeless(u"Note"));
        Edit edit;
        ASSERT_TRUE(edit.create(&screen, 10, c.style));
        edit.moveWindow(Rect {10, 20, 10 + c.width, 20 + 3 * line + 2});
        EditRect format {};
        sendMessage(edit.handle(), kEmGetRect, 0, reinterpret_cast<std::int64_t>(&format));
        EXPECT_EQ(format.right - format.left, c.width - 2) << "the formatting rectangle follows the control";
        sendMessage(edit.handle(), kWmSetText, 0, reinterpret_cast<std::int64_t>(c.text.c_str()));
        Compositor compositor;
        compositor.compose();
        const Rect at = edit.shownAt();
        for (int i = 0; i < 3; ++i) {
            const Rect band {at.left, at.top + 1 + i * line, at.right, at.top + 1 + (i + 1) * line};
            // A row's padding may carry a few rows of the line above into a band.
            EXPECT_EQ(inkRows(compositor.frame(), band) > kRowPadding, c.inked[static_cast<std::size_t>(i)])
                << "line " << i << ": " << inkRows(compositor.frame(), band) << " rows of ink";
        }
        screen.destroy();
    }
}

TEST(ProgressBar, PositionStaysInItsRangeAndShowsItsShare)
{
    struct Case {
        std::uint32_t message;
        std::uint64_t wParam;
        std::int64_t lParam;
        std::int64_t answer;
        std::string shown;
    };
    ProbeDialog dialog;
    dialog.createModeless(u"Sending");
    ProgressBar bar;
    bar.create(&dialog, 5);
    const Case cases[] = {
        {kPbmSetPos, 30, 0, 0, "  [###       ] 30%"},
        {kPbmSetRange, 0, 0 | (1000 << 16), 100 << 16, "  [          ] 3%"},
        {kPbmSetPos, 5000, 0, 30, "  [##########] 100%"},
        {kPbmGetPos, 0, 0, 1000, "  [##########] 100%"},
        {kPbmSetRange32, 0, 0, 1000 << 16, "  [          ] 0%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sendMessage(bar.handle(), c.message, c.wParam, c.lParam), c.answer)
            << std::hex << c.message;
        EXPECT_EQ(textSnapshot().back(), c.shown) << std::hex << c.message;
    }
}

TEST(Menus, SoftKeysOpenTheOptionsPopupAndAGrayedItemCannotBeChosen)
{
    ProbeDialog dialog;
    dialog.createModeless(u"Inbox");
    auto options = std::make_shared<Menu>();
    options->add(32781, u"Reset").add(32782, u"Delete", true).add(32783, u"About");
    auto bar = std::make_shared<Menu>();
    bar->add(100, u"Select").addPopup(u"Options", options);
    dialog.setMenuBar(bar);
    ListView list;
    list.create(&dialog, 1006, 0);
    list.insertItem(0, u"one");
    list.insertItem(1, u"two");
    setFocus(list.handle());
    dialog.seen.clear();

    key(kVkF2);
    key(kVkDown); // moves in the menu, not the list
    EXPECT_EQ(textSnapshot(),
        (Lines {"== Inbox ==", "  >   one", "    two", "menu:", "    Reset", "  > Delete (grayed)",
            "    About", "softkeys: [Select] [Options]"}));
    EXPECT_EQ(list.selectionMark(), -1);
    key(kVkReturn);
    EXPECT_NE(dialog.openMenu(), nullptr) << "a grayed item stays unchosen";
    EXPECT_TRUE(dialog.seen.empty());
    key(kVkEscape);
    EXPECT_EQ(dialog.openMenu(), nullptr);
    EXPECT_TRUE(dialog.exists()) << "Escape closed the menu, not the dialog";

    EXPECT_TRUE(dialog.chooseMenu(u"Options", u"Reset"));
    EXPECT_FALSE(dialog.chooseMenu(u"Options", u"Delete"));
    EXPECT_FALSE(dialog.chooseMenu(u"Options", u"Missing"));
    EXPECT_FALSE(dialog.chooseMenu(u"Select", u"Reset")) << "no popup there";
    drain();
    key(kVkF1);
    EXPECT_EQ(dialog.seen, (Lines {"command 32781 code 0", "command 100 code 0"}));
}

// A screen rebuilds its soft keys while one of their popups is open: the
// popup goes with the bar it belonged to (it was left open, pointing into
// the freed bar, and the next snapshot or key read it); a context menu,
// held apart from the bar, stays open.
TEST(Menus, ANewMenuBarClosesThePopupOfTheOldOne)
{
    ProbeDialog dialog;
    dialog.createModeless(u"Compose");
    auto makeBar = [](const char16_t* item) {
        auto popup = std::make_shared<Menu>();
        popup->add(32790, item);
        auto bar = std::make_shared<Menu>();
        bar->addPopup(u"Menu", popup);
        return bar;
    };
    dialog.setMenuBar(makeBar(u"Send"));
    setFocus(dialog.handle());
    key(kVkF1);
    ASSERT_NE(dialog.openMenu(), nullptr);
    dialog.setMenuBar(makeBar(u"Add"));
    EXPECT_EQ(dialog.openMenu(), nullptr);
    EXPECT_EQ(textSnapshot(), (Lines {"> == Compose ==", "softkeys: [Menu]"}));
    dialog.seen.clear();
    key(kVkDown);
    key(kVkF1);
    key(kVkReturn);
    EXPECT_EQ(dialog.seen, (Lines {"command 32790 code 0"})) << "the new popup chose its item";

    auto context = std::make_shared<Menu>();
    context->add(32791, u"Copy");
    ASSERT_TRUE(dialog.trackPopup(context, 10, 20, &dialog));
    context.reset();
    dialog.setMenuBar(makeBar(u"Remove"));
    ASSERT_NE(dialog.openMenu(), nullptr);
    EXPECT_EQ(dialog.openMenu()->items()[0].text, u"Copy");
}

TEST(Dialog, EnterAndEscapeThatTheFocusedControlLeavesAreTheDialogsOkAndCancel)
{
    struct Case {
        std::uint32_t key;
        int answer;
    };
    for (const Case& c :
        {Case {kVkReturn, static_cast<int>(kIdOk)}, Case {kVkEscape, static_cast<int>(kIdCancel)}}) {
        ProbeDialog dialog;
        Edit edit;
        dialog.createModeless(u"Name");
        edit.create(&dialog, 10, 0);
        setFocus(edit.handle());
        postMessage(edit.handle(), kWmChar, u'x', 0);
        postMessage(edit.handle(), kWmKeyDown, c.key, 0);
        EXPECT_EQ(dialog.doModal(u"Name"), c.answer);
        EXPECT_EQ(edit.text(), u"x") << "the character went to the edit first";
        EXPECT_FALSE(edit.exists()) << "gone with the dialog";
    }
}

TEST(MessageBoxes, AScriptedAnswerIsTakenWhileTheBoxShowsAndWithoutAnyoneTheDefault)
{
    TempDeviceRoot root;
    ProbeDialog main;
    main.createModeless(u"Tessel");
    Snapper snapper;
    scriptBoxAnswer(kIdYes);
    postMessage(snapper.handle(), kWmApp, 0, 0); // runs inside the box's loop, before the answer
    EXPECT_EQ(
        messageBox(&main, u"Delete all?", u"Inbox", BoxButtons::YesNo, kIdNo), static_cast<int>(kIdYes));
    EXPECT_EQ(snapper.during,
        (Lines {"== Tessel == (disabled)", "> == Inbox ==", "Delete all?", "softkeys: [Yes] [No]"}));
    EXPECT_EQ(textSnapshot(), (Lines {"== Tessel =="}));
    EXPECT_EQ(root.readFile("log/msgbox.log"), "");

    EXPECT_EQ(messageBox(&main, u"Sent.", u"Outbox", BoxButtons::Ok, kIdOk), static_cast<int>(kIdOk));
    EXPECT_EQ(messageBox(nullptr, u"Quit?", u"Tessel", BoxButtons::YesNo, kIdNo), static_cast<int>(kIdNo));
    EXPECT_EQ(root.readFile("log/msgbox.log"), "Outbox: Sent. -> OK\nTessel: Quit? -> No\n");
}

TEST(ListPicker, AScriptedRowIsChosenWhileThePickerShowsAndWithoutAnyoneItIsCancelled)
{
    TempDeviceRoot root;
    const std::vector<std::u16string> rows {u"IMG_1.jpg", u"IMG_2.jpg"};
    const Lines shown {"== Select Image to Post ==", "  > * IMG_1.jpg", "    IMG_2.jpg"};
    struct Case {
        const char* what;
        bool script;
        int scripted;
        int answer;
        Lines during;
    };
    const Case cases[] = {
        {"a row", true, 1, 1, shown},
        {"a row that is not there", true, 7, -1, shown},
        {"cancelled by the script", true, -1, -1, shown},
        {"no one to choose", false, 0, -1, {}},
    };
    for (const Case& c : cases) {
        Snapper snapper;
        if (c.script)
            scriptPickerAnswer(c.scripted);
        postMessage(snapper.handle(), kWmApp, 0, 0);
        EXPECT_EQ(pickFromList(nullptr, u"Select Image to Post", rows), c.answer) << c.what;
        drain();
        EXPECT_EQ(snapper.during, c.during) << c.what;
    }
    EXPECT_EQ(root.readFile("log/picker.log"), "Select Image to Post: cancelled, no one to choose\n");
}

} // namespace
} // namespace tessel::ui
