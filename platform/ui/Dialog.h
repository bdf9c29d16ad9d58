#pragma once

#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"

#include <memory>

// A dialog: a top-level window of class "Dialog", modeless or run modally by
// its own pump (which offers every message to the thread's hook first, like
// any pump). Enter and Escape that the focused control leaves become its OK
// and cancel commands; both end a modal run by default. Its menu bar's first
// two items are the soft keys (F1, F2): one with a popup opens it, which then
// takes the keys (Up, Down, Enter chooses, Escape closes); a grayed item or
// a separator cannot be chosen; a chosen item posts kWmCommand with its id.
// A popup tracked for a window (a context menu) opens at a point and posts
// its command to that window instead. A dialog
// given a template makes its controls, each at its rectangle, before its
// onCreate runs.
namespace tessel::ui {

// One control of a dialog template: its id, window class ("static",
// "button", "SysListView32", "msctls_progress32", "Edit"; any other class
// makes a plain window), text and rectangle in the dialog's client area.
struct DialogItem {
    int id;
    const char16_t* className;
    const char16_t* text;
    Rect rect;
    bool visible;
};

class Dialog : public Window {
public:
    static constexpr const char16_t* kClassName = u"Dialog";

    // The controls made at the next creation (the list is copied).
    void setTemplate(const std::vector<DialogItem>& items) { template_ = items; }
    bool createModeless(const std::u16string& title, Window* owner = nullptr);
    // Runs until endDialog (the answer) or a quit request (-1, the request
    // stays for the outer loop). The owner is disabled meanwhile.
    int doModal(const std::u16string& title, Window* owner = nullptr);
    void endDialog(int result);
    bool inModalRun() const { return modal_ && !ended_; }
    Window* owner() const { return owner_; }

    bool onUnusedKey(std::uint32_t key) override;
    bool onKeyBeforeFocus(std::uint32_t key) override;

    // A popup of the bar it replaces closes with it.
    void setMenuBar(std::shared_ptr<Menu> bar);
    Menu* menuBar() const { return menuBar_.get(); }
    Menu* openMenu() const { return openMenu_; }
    int menuSelection() const { return menuSelection_; }
    // Presses soft key `index`; false when there is none.
    bool pressSoftKey(int index);
    // Opens the soft key with the first text and chooses the item with the
    // second, as the keys would; false when missing or grayed.
    bool chooseMenu(const std::u16string& softKey, const std::u16string& item);
    // Chooses row `row` of the open menu (a tap on it); false when there is
    // none or it is a separator.
    bool chooseMenuRow(int row);
    // Opens popup at (x, y) of the screen; its chosen command goes to
    // target. False for an empty popup or without a target.
    bool trackPopup(std::shared_ptr<Menu> popup, int x, int y, Window* target);
    // Whether the open menu was tracked at a point, and the point.
    bool menuAtPoint() const { return menuAtPoint_; }
    int menuX() const { return menuX_; }
    int menuY() const { return menuY_; }
    void describe(std::vector<std::u16string>* lines) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;
    virtual void onOk() { endDialog(static_cast<int>(kIdOk)); }
    virtual void onCancel() { endDialog(static_cast<int>(kIdCancel)); }
    // The soft keys (F1, F2); a dialog with a menu bar answers them.
    virtual bool onSoftKey(int index) { return pressSoftKey(index); }

private:
    void createTemplateItems();
    void closeMenu();

    std::vector<DialogItem> template_;
    std::vector<std::unique_ptr<Window>> items_;
    Window* owner_ = nullptr;
    // Where the keys were before this dialog was made: they go back there
    // when its modal run ends.
    WindowHandle focusBeforeCreate_ = 0;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = -1;
    std::shared_ptr<Menu> menuBar_;
    Menu* openMenu_ = nullptr;
    int menuSelection_ = -1;
    std::shared_ptr<Menu> trackedMenu_;
    WindowHandle menuTarget_ = 0;
    bool menuAtPoint_ = false;
    int menuX_ = 0;
    int menuY_ = 0;
};

// The shell's TrackPopupMenu: the popup opens over the owner's dialog at
// (x, y) of the screen and its chosen command is posted to the owner as
// kWmCommand. False when the owner is in no dialog or the popup is empty.
bool trackPopupMenu(std::shared_ptr<Menu> popup, int x, int y, Window* owner);

} // namespace tessel::ui
