#include "ui/Layouts/WinTSLayoutContactChooser.h"

#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "platform/kernel/TextCodec.h"
#include "platform/pim/ContactChooser.h"
#include "platform/pim/ContactStore.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <vector>

using tessel::kernel::utf8ToWide;
using tessel::kernel::wideToUtf8;
using tessel::ui::Rect;

namespace {

// The chooser's property, as the selector of the phone's chooser answer.
int selectorOf(std::uint32_t property)
{
    switch (property) {
    case tessel::pim::kPropMobile:
        return 0;
    case tessel::pim::kPropEmail1:
        return 1;
    case tessel::pim::kPropEmail2:
        return 2;
    case tessel::pim::kPropEmail3:
        return 3;
    default:
        return -1;
    }
}

} // namespace

CWinTSLayoutContactChooser::CWinTSLayoutContactChooser(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayout(kTemplate, u"CWinTSLayoutContactChooser", layout, link)
{
}

CWinTSLayoutContactChooser::~CWinTSLayoutContactChooser() = default;

void CWinTSLayoutContactChooser::onCreate()
{
    setShowTitle(false);
    CWinTSLayout::onCreate();
    std::u16string to;
    registryRead(u"Compose", u"To:", &to);
    if (!to.empty()) {
        registryWrite(u"Compose", u"To:", u"");
        if (to.rfind(kOutlookPrefix, 0) == 0) {
            std::uint32_t oid = 0;
            for (char16_t c : to.substr(std::char_traits<char16_t>::length(kOutlookPrefix))) {
                if (c < u'0' || c > u'9')
                    break;
                oid = oid * 10 + static_cast<std::uint32_t>(c - u'0');
            }
            PickFromOutlook(oid);
        } else {
            // Every piece before a ";" is an address, and so is a last one
            // without it; empty pieces are none.
            std::size_t from = 0;
            while (from <= to.size()) {
                std::size_t end = to.find(u';', from);
                if (end == std::u16string::npos)
                    end = to.size();
                const std::u16string piece = to.substr(from, end - from);
                if (!piece.empty())
                    AddAddress(CVXLAddressee::kOther, piece, piece);
                from = end + 1;
            }
        }
    }
    moveWindow(Rect {0, 0, 1, 1});
    if (layout_->submitAction(kContinue) != 1)
        winTSLog(kLogFailure, "SubmitAction failure");
    tessel::ui::postMessage(link_.dialog, link_.actionSubmitted, kContinue, 0);
    winTSLog(kLogTrace, "CWinTSLayoutContactChooser complete");
}

void CWinTSLayoutContactChooser::AddAddress(
    std::int32_t kind, const std::u16string& name, const std::u16string& value)
{
    std::u16string address = value;
    std::u16string shown = value;
    if (kind == CVXLAddressee::kPhone) {
        address.clear();
        for (char16_t c : value) {
            if (c >= u'0' && c <= u'9')
                address += c;
        }
        shown = name + u" " + address;
    }
    CVXLContactListElement* contacts = layout_->globalContactContainer();
    CVXLAddressee* entry = contacts ? contacts->addNew() : nullptr;
    if (!entry) {
        winTSLog(kLogFailure, "the global contact list took no recipient: " + wideToUtf8(address));
        return;
    }
    entry->set(kind, wideToUtf8(address).c_str(), wideToUtf8(shown).c_str());
}

void CWinTSLayoutContactChooser::PickFromOutlook(std::uint32_t oid)
{
    oid_ = oid;
    tessel::pim::ChooseContactRequest request;
    request.flags = kChooserFlags;
    request.oid = oid;
    request.requiredProperties = {tessel::pim::kPropEmail1, tessel::pim::kPropEmail2,
        tessel::pim::kPropEmail3, tessel::pim::kPropMobile};
    const bool chosen = tessel::pim::chooseContact(this, &request) == tessel::pim::kPimOk;
    // The keys come back to this window once the chooser's lists are gone.
    tessel::ui::setFocus(handle());
    const int selector = chosen ? selectorOf(request.chosenProperty) : -1;
    if (selector < 0) {
        winTSLog(kLogInfo, "Could not find outlook item");
        return;
    }
    tessel::pim::ContactStore store;
    if (!store.logon()) {
        winTSLog(kLogWarning, "Could not connect to Outlook");
        return;
    }
    std::vector<tessel::pim::Contact> items;
    store.defaultFolder(tessel::pim::kFolderContacts, &items);
    const tessel::pim::Contact* found = nullptr;
    for (std::size_t i = 1; i <= store.count() && !found; ++i) {
        if (store.item(i)->oid == oid)
            found = store.item(i);
    }
    if (found)
        AddAddress(selector == 0 ? CVXLAddressee::kPhone : CVXLAddressee::kEmail, utf8ToWide(found->name),
            utf8ToWide(found->property(request.chosenProperty)));
    else
        winTSLog(kLogInfo, "Could not find outlook item");
    store.logoff();
}

void CWinTSLayoutContactChooser::SubmitAction(std::uint32_t command)
{
    if (container_)
        container_->Store();
    const std::uint32_t n = command - kFirstActionCommand;
    if (command > kFirstActionCommand && n <= actionCount() && action(n).eventId == kContinue) {
        CVXLContactListElement* contacts = layout_->globalContactContainer();
        if (contacts && contacts->minimum() > static_cast<std::int32_t>(contacts->count())) {
            winTSLog(kLogInfo, "Continue needs more recipients");
            return;
        }
    }
    CWinTSLayout::SubmitAction(command);
}

void CWinTSLayoutContactChooser::OpenContacts()
{
    containerRect_ = GetContentRect();
    if (container_) {
        container_->moveWindow(containerRect_);
        container_->Layout(container_->contentRect());
        return;
    }
    container_ = std::make_unique<CWinTSElementContactContainer>(WinTSElementLink {
        kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, wallpaper()});
    container_->Create(this, layout_->globalContactContainer(), containerRect_, kContainerId, 0x50000000);
    addTransparentControl(kContainerId);
    SetCurrentElement(container_.get());
}

void CWinTSLayoutContactChooser::OnSettingChange(std::uint32_t flags)
{
    CWinTSLayout::OnSettingChange(flags);
    if (flags == kSettingScreen)
        OpenContacts();
}

void CWinTSLayoutContactChooser::OnContainerResized(int height)
{
    if (!container_)
        return;
    containerRect_.bottom = containerRect_.top + height;
    container_->moveWindow(containerRect_);
}

void CWinTSLayoutContactChooser::OnContactPicked()
{
    if (!container_)
        return;
    container_->Store();
    tessel::ui::postMessage(link_.dialog, link_.elementStored, 0, 0);
}

std::int64_t CWinTSLayoutContactChooser::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmElementResized:
        OnContainerResized(static_cast<int>(lParam));
        return 0;
    case kWmElementChanged:
        OnContactPicked();
        return 0;
    default:
        return CWinTSLayout::windowProc(message, wParam, lParam);
    }
}
