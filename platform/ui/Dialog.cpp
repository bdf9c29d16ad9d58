#include "platform/ui/Dialog.h"

#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"

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
    // The keys go to the dialog while it runs, and back afterwards.
    const WindowHandle previousFocus = focusWindow();
    if (!focused() && !(focusWindow() && windowFromHandle(focusWindow()) && windowFromHandle(focusWindow())->topLevel() == this))
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

bool Dialog::pressSoftKey(int index)
{
    MenuItem* item = menuBar_ ? menuBar_->at(index) : nullptr;
    if (!item || item->grayed)
        return false;
    if (item->popup) {
        const bool wasOpen = openMenu_ == item->popup.get();
        openMenu_ = wasOpen ? nullptr : item->popup.get();
        menuSelection_ = wasOpen ? -1 : 0;
        return true;
    }
    openMenu_ = nullptr;
    postMessage(handle(), kWmCommand, item->id, 0);
    return true;
}

bool Dialog::onKeyBeforeFocus(std::uint32_t key)
{
    if (!openMenu_)
        return false;
    switch (key) {
    case kVkDown:
        if (menuSelection_ + 1 < openMenu_->size())
            ++menuSelection_;
        return true;
    case kVkUp:
        if (menuSelection_ > 0)
            --menuSelection_;
        return true;
    case kVkReturn: {
        MenuItem* item = openMenu_->at(menuSelection_);
        if (!item || item->grayed)
            return true;
        if (item->popup) {
            openMenu_ = item->popup.get();
            menuSelection_ = 0;
            return true;
        }
        openMenu_ = nullptr;
        menuSelection_ = -1;
        postMessage(handle(), kWmCommand, item->id, 0);
        return true;
    }
    case kVkEscape:
        openMenu_ = nullptr;
        menuSelection_ = -1;
        return true;
    case kVkF1:
    case kVkF2:
        return pressSoftKey(key == kVkF1 ? 0 : 1);
    default:
        return true; // an open menu keeps the keys from the screen below
    }
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
