#include "platform/ui/Dialog.h"

#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListView.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/Static.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"

#include <string_view>

namespace tessel::ui {

bool Dialog::createModeless(const std::u16string& title, Window* owner)
{
    owner_ = owner;
    modal_ = false;
    return create(kClassName, title);
}

int Dialog::doModal(const std::u16string& title, Window* owner)
{
    owner_ = owner;
    modal_ = true;
    ended_ = false;
    result_ = -1;
    if (!exists() && !create(kClassName, title))
        return -1;
    const bool ownerWasEnabled = owner_ && owner_->enabled();
    if (owner_)
        owner_->enable(false);
    // The keys go to the dialog while it runs, and back afterwards to the
    // control that had them before the dialog was made (its onCreate may
    // have moved the focus already).
    const WindowHandle previousFocus = focusBeforeCreate_;
    if (!focused()
        && !(focusWindow() && windowFromHandle(focusWindow())
            && windowFromHandle(focusWindow())->topLevel() == this))
        setFocus(children().empty() ? handle() : children().front()->handle());
    while (!ended_ && UiThread::pumpMessage()) { }
    if (owner_ && ownerWasEnabled)
        owner_->enable(true);
    if (windowFromHandle(previousFocus) && windowFromHandle(previousFocus)->topLevel() != this)
        setFocus(previousFocus);
    destroy();
    modal_ = false;
    return ended_ ? result_ : -1;
}

void Dialog::createTemplateItems()
{
    items_.clear();
    for (const DialogItem& item : template_) {
        const std::u16string_view kind = item.className ? item.className : u"";
        const std::u16string text = item.text ? item.text : u"";
        std::unique_ptr<Window> control;
        if (kind == Static::kClassName) {
            auto s = std::make_unique<Static>();
            s->create(this, item.id, text, item.rect);
            control = std::move(s);
        } else if (kind == Button::kClassName) {
            auto b = std::make_unique<Button>();
            b->create(this, item.id, text, item.rect);
            control = std::move(b);
        } else if (kind == ListView::kClassName) {
            auto l = std::make_unique<ListView>();
            l->create(this, item.id, 0, item.rect);
            control = std::move(l);
        } else if (kind == ProgressBar::kClassName) {
            auto p = std::make_unique<ProgressBar>();
            p->create(this, item.id, item.rect);
            control = std::move(p);
        } else if (kind == Edit::kClassName) {
            auto e = std::make_unique<Edit>();
            e->create(this, item.id, 0,
                EditRect {item.rect.left, item.rect.top, item.rect.right, item.rect.bottom});
            e->moveWindow(item.rect);
            control = std::move(e);
        } else {
            control = std::make_unique<Window>();
            control->create(std::u16string(kind), text, this, item.id, item.rect);
        }
        control->show(item.visible);
        items_.push_back(std::move(control));
    }
}

std::int64_t Dialog::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == kWmCreate) {
        focusBeforeCreate_ = focusWindow();
        createTemplateItems();
    }
    return Window::windowProc(message, wParam, lParam);
}

void Dialog::endDialog(int result)
{
    result_ = result;
    ended_ = true;
    if (!modal_)
        destroy();
}

bool Dialog::onUnusedKey(std::uint32_t key)
{
    switch (key) {
    case kVkReturn:
        windowProc(kWmCommand, kIdOk, 0);
        return true;
    case kVkEscape:
        windowProc(kWmCommand, kIdCancel, 0);
        return true;
    case kVkF1:
        return onSoftKey(0);
    case kVkF2:
        return onSoftKey(1);
    default:
        return false;
    }
}

void Dialog::setMenuBar(std::shared_ptr<Menu> bar)
{
    // A tracked popup is held apart from the bar and stays.
    if (openMenu_ && !trackedMenu_)
        closeMenu();
    menuBar_ = std::move(bar);
}

bool Dialog::pressSoftKey(int index)
{
    MenuItem* item = menuBar_ ? menuBar_->at(index) : nullptr;
    if (!item || item->grayed)
        return false;
    if (item->popup) {
        const bool wasOpen = openMenu_ == item->popup.get();
        closeMenu();
        if (!wasOpen) {
            openMenu_ = item->popup.get();
            menuSelection_ = openMenu_->choosable(0, 1);
        }
        return true;
    }
    closeMenu();
    postMessage(handle(), kWmCommand, item->id, 0);
    return true;
}

void Dialog::closeMenu()
{
    openMenu_ = nullptr;
    menuSelection_ = -1;
    trackedMenu_.reset();
    menuTarget_ = 0;
    menuAtPoint_ = false;
}

bool Dialog::trackPopup(std::shared_ptr<Menu> popup, int x, int y, Window* target)
{
    if (!popup || !target || popup->choosable(0, 1) < 0)
        return false;
    closeMenu();
    trackedMenu_ = std::move(popup);
    openMenu_ = trackedMenu_.get();
    menuSelection_ = openMenu_->choosable(0, 1);
    menuTarget_ = target->handle();
    menuAtPoint_ = true;
    menuX_ = x;
    menuY_ = y;
    return true;
}

bool trackPopupMenu(std::shared_ptr<Menu> popup, int x, int y, Window* owner)
{
    auto* dialog = owner ? dynamic_cast<Dialog*>(owner->topLevel()) : nullptr;
    return dialog && dialog->trackPopup(std::move(popup), x, y, owner);
}

bool Dialog::onKeyBeforeFocus(std::uint32_t key)
{
    if (!openMenu_)
        return false;
    switch (key) {
    case kVkDown: {
        const int next = openMenu_->choosable(menuSelection_ + 1, 1);
        if (next >= 0)
            menuSelection_ = next;
        return true;
    }
    case kVkUp: {
        const int next = openMenu_->choosable(menuSelection_ - 1, -1);
        if (next >= 0)
            menuSelection_ = next;
        return true;
    }
    case kVkReturn: {
        MenuItem* item = openMenu_->at(menuSelection_);
        if (!item || item->grayed || item->separator)
            return true;
        if (item->popup) {
            openMenu_ = item->popup.get();
            menuSelection_ = openMenu_->choosable(0, 1);
            return true;
        }
        const WindowHandle target = menuTarget_ ? menuTarget_ : handle();
        const std::uint32_t id = item->id;
        closeMenu();
        postMessage(target, kWmCommand, id, 0);
        return true;
    }
    case kVkEscape:
        closeMenu();
        return true;
    case kVkF1:
    case kVkF2:
        return pressSoftKey(key == kVkF1 ? 0 : 1);
    default:
        return true; // an open menu keeps the keys from the screen below
    }
}

bool Dialog::chooseMenuRow(int row)
{
    if (!openMenu_ || row < 0 || row >= openMenu_->size() || openMenu_->items()[row].separator)
        return false;
    menuSelection_ = row;
    return onKeyBeforeFocus(kVkReturn);
}

bool Dialog::chooseMenu(const std::u16string& softKey, const std::u16string& item)
{
    if (!menuBar_)
        return false;
    const MenuItem* key = menuBar_->find(softKey);
    const int index = key ? static_cast<int>(key - menuBar_->items().data()) : -1;
    if (index < 0 || index > 1 || !key->popup || openMenu_)
        return false;
    pressSoftKey(index);
    const MenuItem* chosen = openMenu_ ? openMenu_->find(item) : nullptr;
    if (!chosen || chosen->grayed) {
        onKeyBeforeFocus(kVkEscape);
        return false;
    }
    menuSelection_ = static_cast<int>(chosen - openMenu_->items().data());
    return onKeyBeforeFocus(kVkReturn);
}

void Dialog::describe(std::vector<std::u16string>* lines) const
{
    lines->push_back(u"== " + text() + u" ==");
}

std::int64_t Dialog::onCommand(std::uint32_t id, std::uint32_t)
{
    if (id == kIdOk)
        onOk();
    else if (id == kIdCancel)
        onCancel();
    return 0;
}

} // namespace tessel::ui
