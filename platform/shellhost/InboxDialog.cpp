#include "platform/shellhost/InboxDialog.h"

#include "platform/kernel/TextCodec.h"
#include "platform/mapi/EntryId.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageStore.h"
#include "platform/shellhost/ReadDialog.h"
#include "platform/ui/WindowSystem.h"

#include <memory>

namespace tessel::shellhost {

namespace {

constexpr std::uint32_t kOpen = 100;
constexpr std::uint32_t kReply = 101;
constexpr std::uint32_t kForward = 102;
constexpr int kListId = 110;
constexpr std::uint64_t kRefreshTimer = 1;
constexpr std::uint32_t kRefreshMs = 1000;

std::unique_ptr<mapi::MapiFolder> openInbox(std::unique_ptr<mapi::MapiSession>* session)
{
    *session = mapi::MapiSession::logon();
    std::unique_ptr<mapi::MessageStore> store;
    std::unique_ptr<mapi::MapiFolder> inbox;
    if (!*session || (*session)->openStore(mapi::storeEntryId("SMS"), &store) != mapi::kMapiOk)
        return nullptr;
    const mapi::PropValue id = store->getProps({mapi::kPropInboxEntryId}).front();
    if (id.isMissing() || store->openFolder(id.text, &inbox) != mapi::kMapiOk)
        return nullptr;
    return inbox;
}

} // namespace

void InboxDialog::onCreate()
{
    auto options = std::make_shared<ui::Menu>();
    options->add(kReply, u"Reply").add(kForward, u"Forward");
    auto bar = std::make_shared<ui::Menu>();
    bar->add(kOpen, u"Open").addPopup(u"Menu", options);
    setMenuBar(bar);
    list_.create(this, kListId, ui::ListView::kReport);
    refresh();
    ui::setFocus(list_.handle());
    ui::setTimer(handle(), kRefreshTimer, kRefreshMs);
}

void InboxDialog::refresh()
{
    std::unique_ptr<mapi::MapiSession> session;
    std::unique_ptr<mapi::MapiFolder> inbox = openInbox(&session);
    if (!inbox)
        return;
    std::vector<std::string> ids;
    std::vector<std::u16string> subjects;
    for (const mapi::PropRow& row : inbox->contentsTable({mapi::kPropEntryId, mapi::kPropSubject})) {
        ids.push_back(row[0].text);
        std::string subject = row[1].isMissing() ? std::string() : row[1].text;
        subject = subject.substr(0, subject.find('\n'));
        subjects.push_back(kernel::utf8ToWide(subject.empty() ? "(no subject)" : subject));
    }
    if (ids == entryIds_)
        return;
    const int selected = list_.selectionMark();
    list_.deleteAllItems();
    for (const std::u16string& subject : subjects)
        list_.insertItem(-1, subject);
    entryIds_ = ids;
    if (!ids.empty())
        list_.select(selected >= 0 && selected < static_cast<int>(ids.size()) ? selected : 0);
}

void InboxDialog::open(int row)
{
    if (row < 0 || row >= static_cast<int>(entryIds_.size()))
        return;
    std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
    std::unique_ptr<mapi::MapiMessage> message;
    if (!session || session->openMessage(entryIds_[row], &message) != mapi::kMapiOk)
        return;
    const std::u16string subject = ReadDialog::messageText(message.get(), mapi::kPropSubject);
    ReadDialog read(library_, std::move(message));
    read.doModal(subject.substr(0, subject.find(u'\n')), this);
    read.destroy();
    ui::setFocus(list_.handle());
}

void InboxDialog::composeFor(int row, std::uint32_t kind)
{
    if (row < 0 || row >= static_cast<int>(entryIds_.size()))
        return;
    std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
    std::unique_ptr<mapi::MapiMessage> message;
    if (session && session->openMessage(entryIds_[row], &message) == mapi::kMapiOk)
        ReadDialog::compose(library_, message.get(), kind);
}

std::int64_t InboxDialog::onCommand(std::uint32_t id, std::uint32_t code)
{
    switch (id) {
    case kOpen:
        open(list_.selectionMark());
        return 0;
    case kReply:
        composeFor(list_.selectionMark(), mapi::kComposeReply);
        return 0;
    case kForward:
        composeFor(list_.selectionMark(), mapi::kComposeForward);
        return 0;
    default:
        return Dialog::onCommand(id, code);
    }
}

std::int64_t InboxDialog::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == ui::kWmTimer && wParam == kRefreshTimer) {
        refresh();
        return 0;
    }
    if (message == ui::kWmNotify) {
        const auto* header = reinterpret_cast<const ui::NotifyHeader*>(lParam);
        if (header->controlId == kListId && header->code == ui::kNotifyItemActivate) {
            open(header->item);
            return 0;
        }
    }
    return Dialog::windowProc(message, wParam, lParam);
}

} // namespace tessel::shellhost
