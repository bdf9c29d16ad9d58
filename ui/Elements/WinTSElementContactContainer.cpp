#include "ui/Elements/WinTSElementContactContainer.h"

#include "engine/core/base/VXLElement.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/pim/ContactChooser.h"
#include "platform/pim/ContactStore.h"
#include "platform/tesselres/DialogTemplates.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>

using tessel::kernel::utf8ToWide;
using tessel::kernel::wideToUtf8;
using tessel::ui::Rect;

namespace {

constexpr const char16_t* kInvalidTyped = u"The entered address\n%s\nDoes not appear to be valid.";
constexpr const char16_t* kInvalidChosen = u"The selected email address\n%s\nDoes not appear to be valid.";
constexpr std::uint32_t kChooserFlags = tessel::pim::kChooseReturnName | tessel::pim::kChooseReturnValue;

std::u16string format(const char16_t* pattern, const std::u16string& address)
{
    std::u16string text = pattern;
    const std::size_t at = text.find(u"%s");
    if (at != std::u16string::npos)
        text.replace(at, 2, address);
    return text;
}

std::u16string contactName(const std::u16string& address)
{
    std::u16string name;
    LookupContactName(address, &name);
    return name.empty() ? address : name;
}

bool isDigits(const std::u16string& text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

bool isEmail(const std::u16string& text)
{
    const std::size_t at = text.find(u'@');
    const std::size_t dot = text.rfind(u'.');
    return at != std::u16string::npos && at == text.rfind(u'@') && at != 0 && dot != std::u16string::npos
        && dot > at;
}

bool isBlank(const std::u16string& text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' ' || c == u'\t'; });
}

} // namespace

CWinTSElementContactContainer::CWinTSElementContactContainer(const WinTSElementLink& link)
    : CWinTSElement(u"CWinTSElementContactContainer", link)
    , editMenu_(tessel::tesselres::loadMenu(kEditMenu))
    , listFont_(RegistryFont(u"Contacts"))
    , editFont_(RegistryFont(u"ElementEdit"))
    , recent_(std::make_unique<CWinTSRecent>())
{
    Rect measured {0, 0, 1000, 1000};
    MeasureText(u"Xy", &measured, editFont_, false);
    editLineHeight_ = 2 + measured.height();
    // The phone loads "MSASN1.dll", "rsaenh.dll", "crypt32.dll" and
    // "exsmime.dll" here for its contact store; nothing here needs them.
}

// The window goes first, while the recent list that takes its recipients is
// still there.
CWinTSElementContactContainer::~CWinTSElementContactContainer()
{
    destroy();
}

void CWinTSElementContactContainer::SetEditText(const std::u16string& text)
{
    edit_.windowProc(tessel::ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(text.c_str()));
}

CVXLContactListElement* CWinTSElementContactContainer::contacts() const
{
    CVXLElement* value = fieldValue();
    return value ? value->asContactList() : nullptr;
}

int CWinTSElementContactContainer::OnCreate()
{
    CWinTSElement::OnCreate();
    if (CVXLContactListElement* list = contacts())
        maximum_ = std::clamp(list->maximum(), 0, kMaxSlots);
    const Rect content = contentRect();
    list_.create(this, kListId, tessel::ui::ListView::kReport | tessel::ui::ListView::kEdgeKeysToParent,
        Rect {content.left, content.top, content.right, content.top});
    list_.windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(listFont_.get()), 1);
    edit_.create(
        this, kEditId, 0, tessel::ui::EditRect {content.left, content.top, content.right, content.top});
    edit_.windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(editFont_.get()), 1);
    addChildControl(kListId);
    addChildControl(kEditId);
    AddMenuItem(kCommandContacts, u"Contacts");
    AddMenuItem(kCommandRemove, u"Remove");
    AddMenuItem(kCommandEdit, u"Edit");
    Layout(contentRect());
    Refresh(element());
    return 0;
}

int CWinTSElementContactContainer::Layout(const Rect& rect)
{
    listRect_ = Rect {rect.left + kMargin, rect.top + kListTop, rect.right - kMargin, rect.top + kListTop};
    editRect_ = Rect {listRect_.left, listRect_.bottom, listRect_.right, listRect_.bottom + editLineHeight_};
    ForgetPostedHeight();
    UpdateHeight();
    UpdateCommands();
    return 1;
}

void CWinTSElementContactContainer::UpdateHeight()
{
    std::uint32_t fit = 0;
    registryReadDword(u"UIConfig", u"ContactViewCount", &fit, 0);
    const int rows = list_.itemCount();
    const int shown = fit == 0 || static_cast<int>(fit) > rows ? rows : static_cast<int>(fit);
    const int listHeight = shown * list_.rowHeight() + (shown ? kListPadding : 0);
    listRect_.bottom = listRect_.top + listHeight;
    editRect_ = Rect {editRect_.left, listRect_.bottom, editRect_.right, listRect_.bottom + editLineHeight_};
    if (list_.exists())
        list_.moveWindow(listRect_);
    if (edit_.exists())
        edit_.moveWindow(editRect_);
    PostHeight(editRect_.bottom + kBottomPadding);
    if (edit_.exists())
        edit_.show(isFocused() || !edit_.text().empty());
    if (list_.exists())
        list_.show(rows > 0);
}

bool CWinTSElementContactContainer::EditFocused() const
{
    return edit_.exists() && tessel::ui::focusWindow() == edit_.handle();
}

bool CWinTSElementContactContainer::Validate(const std::u16string& address, bool quiet)
{
    if (!address.empty() && (isDigits(address) || isEmail(address)))
        return true;
    if (!quiet)
        ShowHtmlNotification(format(kInvalidTyped, address));
    return false;
}

bool CWinTSElementContactContainer::IsDuplicate(const std::u16string& address) const
{
    for (const Slot& slot : slots_) {
        if (slot.used && slot.address == address) {
            winTSLog(kLogTrace, "duplicate found");
            return true;
        }
    }
    return false;
}

int CWinTSElementContactContainer::FreeSlot() const
{
    for (int i = 0; i < kMaxSlots; ++i) {
        if (!slots_[static_cast<std::size_t>(i)].used)
            return i;
    }
    return -1;
}

void CWinTSElementContactContainer::InsertRow(int slot)
{
    list_.insertItem(0, contactName(slots_[static_cast<std::size_t>(slot)].address), slot);
    setShowEmptyTip(false);
    if (list_.itemCount() >= maximum_)
        edit_.enable(false);
}

bool CWinTSElementContactContainer::AddAddress(const std::u16string& text)
{
    const std::u16string address = NormalizeAddress(text);
    bool added = false;
    // A text with nothing of an address in it is refused too, not dropped unseen.
    if (address.empty() && !isBlank(text)) {
        ShowHtmlNotification(format(kInvalidTyped, text));
    } else if (!address.empty() && Validate(address, false) && !IsDuplicate(address)) {
        const int slot = list_.itemCount() < maximum_ ? FreeSlot() : -1;
        if (slot < 0) {
            winTSLog(kLogWarning, "no room for another recipient: " + wideToUtf8(address));
        } else {
            slots_[static_cast<std::size_t>(slot)] = Slot {kKindTyped, address, true};
            InsertRow(slot);
            added = true;
        }
    }
    Layout(contentRect());
    UpdateCommands();
    return added;
}

bool CWinTSElementContactContainer::CommitTyped()
{
    if (!AddAddress(edit_.text()))
        return false;
    SetEditText(u"");
    tessel::ui::setFocus(edit_.handle());
    return true;
}

void CWinTSElementContactContainer::PickFromContacts()
{
    tessel::pim::ChooseContactRequest request;
    request.flags = kChooserFlags;
    request.requiredProperties = {tessel::pim::kPropEmail1, tessel::pim::kPropEmail2,
        tessel::pim::kPropEmail3, tessel::pim::kPropMobile};
    if (list_.itemCount() < maximum_ && tessel::pim::chooseContact(this, &request) == tessel::pim::kPimOk) {
        const std::u16string value = utf8ToWide(request.value);
        const bool phone = request.chosenProperty == tessel::pim::kPropMobile;
        const std::u16string address = NormalizeAddress(value);
        bool valid = !address.empty();
        if (!phone && !isEmail(address)) {
            ShowHtmlNotification(format(kInvalidChosen, address));
            valid = false;
        }
        const int slot = valid && !IsDuplicate(address) ? FreeSlot() : -1;
        if (slot >= 0) {
            slots_[static_cast<std::size_t>(slot)] = Slot {phone ? kKindPhone : kKindEmail, address, true};
            InsertRow(slot);
            UpdateHeight();
        }
    }
    SetFocused(true);
    UpdateCommands();
}

void CWinTSElementContactContainer::RemoveSelected()
{
    edit_.enable(true);
    const int row = list_.selected();
    if (row >= 0) {
        const auto slot = static_cast<std::size_t>(list_.itemData(row));
        list_.deleteItem(row);
        if (slot < slots_.size())
            slots_[slot] = Slot {};
        UpdateHeight();
        RequestFocus();
    }
    SetFocused(true);
    UpdateCommands();
    if (list_.itemCount() == 0 && edit_.text().empty())
        setShowEmptyTip(true);
}

void CWinTSElementContactContainer::EditSelected()
{
    const int row = list_.selected();
    if (row < 0)
        return;
    const auto slot = static_cast<std::size_t>(list_.itemData(row));
    const std::u16string address = slot < slots_.size() ? slots_[slot].address : u"";
    if (address.empty())
        return;
    RemoveSelected();
    SetEditText(address);
    edit_.windowProc(tessel::ui::kEmSetSel, 0, -1);
}

void CWinTSElementContactContainer::Cut()
{
    edit_.windowProc(tessel::ui::kWmCut, 0, 0);
}

void CWinTSElementContactContainer::Paste()
{
    edit_.windowProc(tessel::ui::kWmPaste, 0, 0);
}

void CWinTSElementContactContainer::Copy()
{
    edit_.windowProc(tessel::ui::kWmCopy, 0, 0);
}

void CWinTSElementContactContainer::OnEditFocus()
{
    RequestFocus();
    UpdateCommands();
}

void CWinTSElementContactContainer::UpdateCommands()
{
    const int rows = list_.itemCount();
    const bool editFocused = EditFocused();
    EnableMenuItem(kCommandContacts, rows < maximum_);
    EnableMenuItem(kCommandRemove, (editFocused && !edit_.text().empty()) || rows > 0);
    EnableMenuItem(kCommandEdit, !editFocused);
    NotifyCommandsChanged();
}

int CWinTSElementContactContainer::Refresh(CVXLElement*)
{
    list_.deleteAllItems();
    for (Slot& slot : slots_)
        slot = Slot {};
    overflow_.clear();
    const std::u16string typed = NormalizeAddress(edit_.text());
    CVXLContactListElement* list = contacts();
    const std::uint32_t count = list ? list->count() : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const CVXLAddressee* entry = list->at(i);
        if (!entry)
            continue;
        const std::u16string address = NormalizeAddress(utf8ToWide(entry->address().c_str()));
        // The text still in the edit box goes back with Store; a row for it
        // would show it twice.
        if (IsDuplicate(address) || (!typed.empty() && address == typed))
            continue;
        const int slot = FreeSlot();
        if (slot < 0) {
            overflow_.push_back(
                Overflow {entry->kind(), entry->address().c_str(), entry->displayName().c_str()});
            continue;
        }
        slots_[static_cast<std::size_t>(slot)] = Slot {entry->kind(), address, true};
        InsertRow(slot);
    }
    if (!overflow_.empty())
        winTSLog(kLogWarning,
            std::to_string(overflow_.size()) + " recipients beyond the 30 rows are kept unlisted");
    if (count > 0) {
        if (isFocused())
            tessel::ui::setFocus(edit_.handle());
        list_.select(0);
    }
    UpdateHeight();
    return 1;
}

int CWinTSElementContactContainer::Store()
{
    CVXLContactListElement* list = contacts();
    if (!list)
        return 1;
    list->clear();
    auto append = [list](std::int32_t kind, const std::string& address, const std::string& name) {
        if (CVXLAddressee* entry = list->addNew())
            entry->set(kind, address.c_str(), name.c_str());
        else
            winTSLog(kLogFailure, "the contact list took no more recipients: " + address);
    };
    for (Slot& slot : slots_) {
        if (!slot.used)
            continue;
        if (slot.address.empty()) {
            winTSLog(kLogTrace, "Filtering out empty addressee");
            slot = Slot {};
            continue;
        }
        append(slot.kind, wideToUtf8(slot.address), wideToUtf8(contactName(slot.address)));
    }
    const std::u16string typed = NormalizeAddress(edit_.text());
    if (!typed.empty() && Validate(typed, true) && !IsDuplicate(typed))
        append(kKindTyped, wideToUtf8(typed), wideToUtf8(contactName(typed)));
    for (const Overflow& entry : overflow_)
        append(entry.kind, entry.address, entry.displayName);
    UpdateCommands();
    return 1;
}

void CWinTSElementContactContainer::SetFocused(bool focused)
{
    CWinTSElement::SetFocused(focused);
    if (!edit_.exists())
        return;
    if (focused) {
        edit_.show(true);
        tessel::ui::setFocus(edit_.handle());
    } else {
        edit_.show(!edit_.text().empty());
    }
}

int CWinTSElementContactContainer::GetMenuItemCount() const
{
    const int base = CWinTSElement::GetMenuItemCount();
    if (list_.itemCount() < maximum_ && recent_->Count() > 0)
        return base + 1 + recent_->Count();
    return base;
}

bool CWinTSElementContactContainer::GetMenuItem(
    int n, std::uint32_t* flags, std::uint32_t* command, std::u16string* text) const
{
    const int base = CWinTSElement::GetMenuItemCount();
    if (n < base)
        return CWinTSElement::GetMenuItem(n, flags, command, text);
    if (n >= GetMenuItemCount())
        return false;
    if (n == base) {
        *flags = kMenuFlagsSeparator;
        *command = 0;
        text->clear();
        return true;
    }
    *flags = kMenuFlagsByPosition;
    *command = static_cast<std::uint32_t>(n - base + 3);
    *text = contactName(recent_->Get(n - base - 1));
    return true;
}

void CWinTSElementContactContainer::ExecuteMenuItem(std::uint32_t command)
{
    switch (command) {
    case kCommandContacts:
        PickFromContacts();
        break;
    case kCommandRemove:
        if (EditFocused())
            SetEditText(u"");
        else
            RemoveSelected();
        break;
    case kCommandEdit:
        EditSelected();
        break;
    default:
        if (command >= kFirstRecent && list_.itemCount() < maximum_)
            AddAddress(recent_->Get(static_cast<int>(command - kFirstRecent)));
        break;
    }
    UpdateCommands();
}

bool CWinTSElementContactContainer::OnKey(std::uint32_t key)
{
    bool handled = false;
    const int rows = list_.itemCount();
    const int selected = list_.selected();
    switch (key) {
    case tessel::ui::kVkReturn:
        CommitTyped();
        handled = true;
        break;
    case tessel::ui::kVkEscape: {
        // The Back key takes back the character before the caret.
        std::u16string text = edit_.text();
        std::uint32_t caret = 0;
        edit_.windowProc(tessel::ui::kEmGetSel, reinterpret_cast<std::uintptr_t>(&caret), 0);
        if (caret > 0 && caret <= text.size()) {
            text.erase(caret - 1, 1);
            SetEditText(text);
            edit_.windowProc(tessel::ui::kEmSetSel, 0, caret - 1);
        }
        handled = true;
        break;
    }
    case tessel::ui::kVkUp: {
        const int target = EditFocused() || selected < 0 ? rows - 1 : selected - 1;
        if (target >= 0) {
            list_.select(target);
            tessel::ui::setFocus(list_.handle());
            handled = true;
        }
        break;
    }
    case tessel::ui::kVkDown:
        if (EditFocused())
            break;
        if (selected + 1 < rows) {
            list_.select(selected + 1);
            tessel::ui::setFocus(list_.handle());
        } else {
            list_.select(-1);
            SetFocused(true);
            tessel::ui::setFocus(edit_.handle());
        }
        handled = true;
        break;
    default:
        break;
    }
    UpdateCommands();
    return handled;
}

bool CWinTSElementContactContainer::OnChar(std::uint32_t character)
{
    const bool separator = character == u' ' || character == u',' || character == u';';
    if (separator)
        CommitTyped();
    UpdateCommands();
    return separator;
}

void CWinTSElementContactContainer::OnDestroyWindow()
{
    for (const Slot& slot : slots_) {
        if (slot.used)
            recent_->Add(slot.address);
    }
    const std::u16string typed = NormalizeAddress(edit_.text());
    if (!typed.empty() && Validate(typed, true))
        recent_->Add(typed);
}

std::vector<std::pair<std::int32_t, std::u16string>> CWinTSElementContactContainer::recipients() const
{
    std::vector<std::pair<std::int32_t, std::u16string>> out;
    for (const Slot& slot : slots_) {
        if (slot.used)
            out.emplace_back(slot.kind, slot.address);
    }
    return out;
}

int CWinTSElementContactContainer::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    CWinTSElement::paint(canvas, area);
    DrawFrame(canvas,
        Rect {listRect_.left - kFrameMargin, listRect_.top - kFrameMargin, listRect_.right + kFrameMargin,
            editRect_.bottom + kFrameBottom});
    return 0;
}

std::int64_t CWinTSElementContactContainer::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case tessel::ui::kWmDestroy:
        OnDestroyWindow();
        return CWinTSElement::windowProc(message, wParam, lParam);
    case tessel::ui::kWmContextMenu:
        if (static_cast<tessel::ui::WindowHandle>(wParam) == edit_.handle() && editMenu_ && editMenu_->at(0))
            tessel::ui::trackPopupMenu(editMenu_->at(0)->popup, static_cast<int>(lParam & 0xFFFF),
                static_cast<int>((lParam >> 16) & 0xFFFF), this);
        return 0;
    // The list hands Up at its first row and Down at its last to us.
    case tessel::ui::kWmKeyDown:
        return OnKey(static_cast<std::uint32_t>(wParam)) ? 0 : tessel::ui::kKeyLeft;
    case tessel::ui::kWmCommand: {
        const auto id = static_cast<std::uint32_t>(wParam & 0xFFFF);
        const auto code = static_cast<std::uint32_t>(wParam >> 16);
        if (id == static_cast<std::uint32_t>(kEditId)) {
            if (code == tessel::ui::kEnSetFocus)
                OnEditFocus();
            return 0;
        }
        switch (id) {
        case kCut:
            Cut();
            break;
        case kPaste:
            Paste();
            break;
        case kCopy:
            Copy();
            break;
        case kPickContacts:
            PickFromContacts();
            break;
        default:
            break;
        }
        UpdateCommands();
        return 0;
    }
    default:
        return CWinTSElement::windowProc(message, wParam, lParam);
    }
}
