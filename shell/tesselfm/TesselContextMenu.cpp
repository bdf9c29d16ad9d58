#include "shell/tesselfm/TesselContextMenu.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/mapi/MailCompose.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/PropValue.h"
#include "platform/phone/CallLog.h"
#include "platform/pim/ContactStore.h"
#include "platform/ui/Menu.h"
#include "shell/LaunchHandoff.h"
#include "shell/tesselfm/FmModule.h"
#include "ui/LaunchRequest.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tessel::fm {

namespace {

constexpr std::uint32_t kMenuIdsUsed = 3;
constexpr std::uint32_t kCallLogIndexMask = 0xFFF;
constexpr std::size_t kFilterBytes = 260;

struct Verb {
    std::uint32_t offset;
    const char* text;
};

constexpr std::uint32_t kOffsetUploadInbox = 0;
constexpr std::uint32_t kOffsetUploadAlbum = 1;
constexpr std::uint32_t kOffsetSendIn = 2;
constexpr std::uint32_t kOffsetPost = 6;
constexpr std::uint32_t kOffsetContact = 8;
constexpr std::uint32_t kOffsetConfigure = 9;
constexpr std::uint32_t kOffsetSendVia = 10;
constexpr std::uint32_t kOffsetReplyVia = 11;
constexpr std::uint32_t kOffsetCallLog = 12;

constexpr Verb kVerbs[] = {
    {kOffsetUploadInbox, "Upload To Tessel Inbox"},
    {kOffsetUploadAlbum, "Upload to Tessel Album"},
    {kOffsetSendIn, "Send In Tessel"},
    {kOffsetPost, "Post To Service"},
    {kOffsetContact, "Compose Tessel to contact"},
    {kOffsetConfigure, "Configure a Service"},
    {kOffsetSendVia, "Send via Tessel"},
    {kOffsetReplyVia, "Reply via Tessel"},
    {kOffsetCallLog, "Send to Call Log"},
};
constexpr const char* kVerbCompose = "Compose Tessel";

const char* verbText(std::uint32_t offset)
{
    for (const Verb& verb : kVerbs) {
        if (verb.offset == offset)
            return verb.text;
    }
    return nullptr;
}

std::u16string wide(const std::string& utf8)
{
    return kernel::utf8ToWide(utf8);
}

std::u16string asciiLowered(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

} // namespace

CTesselContextMenu::CTesselContextMenu(int variant)
    : variant_(variant)
{
    moduleObjectCreated();
}

CTesselContextMenu::~CTesselContextMenu()
{
    if (site_)
        site_->release();
    moduleObjectDestroyed();
}

void CTesselContextMenu::discard()
{
    if (refs_.load() == 0)
        delete this;
}

com::HResult CTesselContextMenu::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid == com::kIidIUnknown || iid == shell::kIidContextMenu) {
        *object = static_cast<shell::IContextMenu*>(this);
    } else if (iid == shell::kIidObjectWithSite) {
        *object = static_cast<shell::IObjectWithSite*>(&siteFace_);
    } else {
        *object = nullptr;
        return com::kENoInterface;
    }
    addRef();
    return com::kSOk;
}

std::uint32_t CTesselContextMenu::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t CTesselContextMenu::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

com::HResult CTesselContextMenu::SiteFace::queryInterface(const com::Guid& iid, void** object)
{
    return owner_->queryInterface(iid, object);
}

std::uint32_t CTesselContextMenu::SiteFace::addRef()
{
    return owner_->addRef();
}

std::uint32_t CTesselContextMenu::SiteFace::release()
{
    return owner_->release();
}

com::HResult CTesselContextMenu::SiteFace::setSite(com::IUnknown* site)
{
    return owner_->setSite(site);
}

com::HResult CTesselContextMenu::SiteFace::getSite(const com::Guid& iid, void** site)
{
    return owner_->getSite(iid, site);
}

com::HResult CTesselContextMenu::setSite(com::IUnknown* site)
{
    if (site)
        site->addRef();
    if (site_)
        site_->release();
    site_ = site;
    return com::kSOk;
}

com::HResult CTesselContextMenu::getSite(const com::Guid& iid, void** site)
{
    if (!site)
        return com::kEPointer;
    if (!site_) {
        *site = nullptr;
        return com::kEFail;
    }
    return site_->queryInterface(iid, site);
}

com::HResult CTesselContextMenu::queryContextMenu(
    ui::Menu* menu, std::uint32_t index, std::uint32_t first, std::uint32_t, std::uint32_t flags)
{
    if (flags & shell::kCmfDefaultOnly)
        return com::kSOk;
    firstCommand_ = first;
    if (!menu)
        return com::kEInvalidArg;
    const int at = static_cast<int>(index);
    switch (variant_) {
    case 0: {
        const bool grayed = !checkSelectedMedia();
        menu->insert(0, first + kOffsetSendIn, u"Send Tessel", grayed);
        menu->insert(1, first + kOffsetPost, u"Post To Service", grayed);
        break;
    }
    case 1: {
        std::uint32_t oid = 0;
        if (getSelectedContact(&oid))
            menu->insert(at, first + kOffsetContact, u"Send Tessel");
        break;
    }
    case 2:
        menu->insert(2, first + kOffsetSendVia, u"Send via Tessel");
        break;
    case 3:
        menu->insert(2, first + kOffsetReplyVia, u"Reply via Tessel");
        break;
    case 4:
        menu->insert(at, first + kOffsetCallLog, u"Send Tessel");
        break;
    default:
        break;
    }
    return static_cast<com::HResult>(kMenuIdsUsed);
}

com::HResult CTesselContextMenu::getCommandString(
    std::uint64_t command, std::uint32_t kind, std::uint32_t*, char* buffer, std::uint32_t size)
{
    const std::uint32_t first = firstCommand_;
    switch (kind) {
    case shell::kGcsVerb: {
        const char* verb = command >= first ? verbText(static_cast<std::uint32_t>(command - first)) : nullptr;
        if (!verb)
            verb = "Unknown";
        if (buffer && size > 0) {
            const std::size_t count = std::min<std::size_t>(std::strlen(verb), size - 1);
            std::memcpy(buffer, verb, count);
            buffer[count] = '\0';
        }
        return com::kSOk;
    }
    case shell::kGcsHelpText:
        if (buffer && size > 0)
            buffer[0] = '\0';
        return com::kSOk;
    case shell::kGcsValidate:
        return command == first && first != 0 ? com::kSOk : com::kSFalse;
    default:
        return com::kENotImpl;
    }
}

com::HResult CTesselContextMenu::invokeCommand(const shell::CommandInvocation* invocation)
{
    const std::string verb = invocation && invocation->verb ? invocation->verb : "";
    std::u16string path;
    if (verb == verbText(kOffsetUploadInbox) || verb == verbText(kOffsetUploadAlbum)) {
        fmLog(verb == verbText(kOffsetUploadInbox) ? "Context Menu IDS_THIS_UPLOAD_INBOX"
                                                   : "Context Menu IDM_THIS_UPLOAD_ALBUM");
        return getSelectedPath(&path) ? com::kSOk : com::kSFalse;
    }
    if (verb == verbText(kOffsetSendIn) || verb == verbText(kOffsetPost)) {
        const bool send = verb == verbText(kOffsetSendIn);
        fmLog(send ? "Context Menu IDM_THIS_SHARE_SENDTO" : "Context Menu IDM_THIS_POST2SERVICE");
        if (!getSelectedPath(&path))
            return com::kSFalse;
        PostComposeRequest(
            send ? kLaunchClassTessel : kLaunchClassPost, nullptr, nullptr, path.c_str(), nullptr);
        return com::kSOk;
    }
    if (verb == verbText(kOffsetConfigure)) {
        fmLog("Context Menu IDM_THIS_CONFIGSERVICE");
        if (!getSelectedPath(&path))
            return com::kSFalse;
        PostComposeRequest(kLaunchClassPost, kLaunchConfigure, nullptr, nullptr, nullptr);
        return com::kSOk;
    }
    if (verb == verbText(kOffsetContact)) {
        fmLog("Context Menu IDS_THIS_SHARE_CONTACT");
        std::uint32_t oid = 0;
        if (getSelectedContact(&oid))
            composeNew(oid);
        return com::kSOk;
    }
    if (verb == kVerbCompose) {
        fmLog("Context Menu IDS_THIS_SHARE_COMPOSE");
        return com::kSOk;
    }
    if (verb == verbText(kOffsetSendVia) || verb == verbText(kOffsetReplyVia)) {
        const bool sendVia = verb == verbText(kOffsetSendVia);
        fmLog(sendVia ? "Context Menu IDS_THIS_CVT_TO_TS\n" : "Context Menu IDS_THIS_REPLY_WITH_TS\n");
        std::u16string addresses;
        std::u16string text;
        if (!readSelectedMessage(&addresses, &text))
            return com::kSOk;
        if (sendVia) {
            if (!addresses.empty())
                PostComposeRequest(kLaunchClassTessel, addresses.c_str(), nullptr, nullptr, text.c_str());
        } else {
            const std::u16string subject = bounded(u"RE:" + text);
            PostComposeRequest(kLaunchClassTessel, addresses.c_str(), subject.c_str(), nullptr, nullptr);
        }
        return com::kSOk;
    }
    if (verb == verbText(kOffsetCallLog)) {
        fmLog("Context Menu IDS_THIS_SHARE_CALL_LOG\n");
        std::u16string number;
        if (composeToSelection(&number))
            PostComposeRequest(kLaunchClassTessel, number.c_str(), nullptr, nullptr, nullptr);
        return com::kSOk;
    }
    fmLog("Context Menu Unknown VERB");
    return com::kSOk;
}

bool CTesselContextMenu::getData(const shell::FormatEtc& format, shell::StgMedium* medium)
{
    shell::IDataObject* data = nullptr;
    if (com::failed(getSite(shell::kIidDataObject, reinterpret_cast<void**>(&data))) || !data) {
        fmLog("Context getsite Failure");
        return false;
    }
    const com::HResult result = data->getData(format, medium);
    data->release();
    if (com::failed(result)) {
        fmLog("Context getdata Failure");
        return false;
    }
    return true;
}

bool CTesselContextMenu::getSelectedPath(std::u16string* path)
{
    shell::StgMedium medium;
    shell::FormatEtc format;
    format.format = shell::kCfHDrop;
    if (!getData(format, &medium))
        return false;
    if (medium.files.empty() || medium.files.front().empty()
        || medium.files.front().size() >= kMaxPathChars) {
        fmLog("Context path error");
        return false;
    }
    *path = medium.files.front();
    return true;
}

bool CTesselContextMenu::checkSelectedMedia()
{
    std::u16string path;
    if (!getSelectedPath(&path) || path.size() <= 3)
        return false;
    std::uint32_t maxKb = kDefaultMediaMaxKb;
    RegReadDword(u"UIConfig", u"MediaMaxSize", &maxKb, kDefaultMediaMaxKb);
    std::string host;
    struct stat info { };
    if (!kernel::mapPhonePath(kernel::wideToUtf8(path), &host) || ::stat(host.c_str(), &info) != 0
        || !S_ISREG(info.st_mode))
        return false;
    char16_t filter[kFilterBytes / sizeof(char16_t)] = {};
    RegReadString(u"UIConfig", u"MediaFilter", filter, sizeof filter);
    // The path is lowered, the filter is not: a filter names extensions in small letters.
    const std::u16string lowered = asciiLowered(path);
    const std::size_t dot = lowered.rfind(u'.');
    if (dot == std::u16string::npos
        || std::u16string(filter).find(lowered.substr(dot)) == std::u16string::npos)
        return false;
    return static_cast<std::uint64_t>(info.st_size) / 1024 <= maxKb;
}

std::u16string CTesselContextMenu::bounded(std::u16string text)
{
    if (text.size() >= kSelectionBufferChars)
        text.resize(kSelectionBufferChars - 1);
    return text;
}

void CTesselContextMenu::appendAddress(std::u16string* addresses, const std::u16string& address)
{
    if (addresses->size() + address.size() + 1 < kSelectionBufferChars)
        *addresses += address + u";";
}

bool CTesselContextMenu::getSelectedItems(std::vector<shell::ItemRef>* items)
{
    shell::StgMedium medium;
    shell::FormatEtc format;
    format.format = shell::registerClipboardFormat(shell::kItemRefArrayFormat);
    if (!getData(format, &medium))
        return false;
    *items = std::move(medium.items);
    return true;
}

bool CTesselContextMenu::readSelectedMessage(std::u16string* addresses, std::u16string* text)
{
    std::vector<shell::ItemRef> items;
    if (!getSelectedItems(&items))
        return false;
    std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
    if (!session) {
        fmLog("MAPILogonEx Failure %x\n", static_cast<unsigned>(mapi::kMapiFailed));
        return false;
    }
    std::unique_ptr<mapi::MapiMessage> message;
    if (items.empty() || session->openMessage(items.front().entryId, &message) != mapi::kMapiOk) {
        fmLog("Unable to get the message!\n");
        return false;
    }
    const mapi::PropRow props
        = message->getProps({mapi::kPropMessageFlags, mapi::kPropSubject, mapi::kPropSenderEmail});
    *text = bounded(props[1].isMissing() ? u"" : wide(props[1].text));
    fmLog("My Message Subject: %s\n", kernel::wideToUtf8(*text).c_str());
    addresses->clear();
    if (!props[2].isMissing() && !props[2].text.empty()) {
        fmLog("My Message PR_SENDER_EMAIL_ADDRESS: %s\n", props[2].text.c_str());
        appendAddress(addresses, wide(props[2].text));
        return true;
    }
    for (const mapi::PropRow& row :
        message->recipientTable({mapi::kPropDisplayName, mapi::kPropEntryId, mapi::kPropEmailAddress})) {
        if (row[2].isMissing())
            continue;
        fmLog("My Message PR_EMAIL_ADDRESS: %s\n", row[2].text.c_str());
        appendAddress(addresses, wide(row[2].text));
    }
    return true;
}

bool CTesselContextMenu::getSelectedContact(std::uint32_t* oid)
{
    std::vector<shell::ItemRef> items;
    if (!getSelectedItems(&items) || items.empty() || items.front().type != kItemTypeContact)
        return false;
    *oid = items.front().value;
    pim::ContactStore contacts;
    if (!contacts.logon()) {
        fmLog("Context Logon Failure");
        return false;
    }
    const pim::Contact* contact = contacts.itemFromOid(*oid);
    bool hasAddress = false;
    if (!contact) {
        fmLog("Context GetItemFromOid Failure");
    } else {
        for (std::uint32_t tag : {pim::kPropEmail1, pim::kPropEmail2, pim::kPropEmail3, pim::kPropMobile})
            hasAddress = hasAddress || !contact->property(tag).empty();
    }
    contacts.logoff();
    return hasAddress;
}

void CTesselContextMenu::composeNew(std::uint32_t oid)
{
    char to[32];
    std::snprintf(to, sizeof to, "Outlook:%u", oid);
    mapi::ComposeFields fields;
    fields.to = to;
    fields.account = "SMS";
    fields.messageClass = kernel::wideToUtf8(kLaunchClassTessel);
    const std::uint32_t result = mapi::mailComposeMessage(fields);
    if (result != mapi::kMapiOk)
        fmLog("MailComposeMessage Failure %x\n", result);
}

bool CTesselContextMenu::composeToSelection(std::u16string* number)
{
    std::vector<shell::ItemRef> items;
    if (!getSelectedItems(&items) || items.empty() || items.front().type != kItemTypeCallLog)
        return false;
    phone::CallLog log;
    phone::CallLogEntry entry;
    if (!log.open() || !log.seek(items.front().value & kCallLogIndexMask) || !log.next(&entry)
        || entry.number.empty())
        return false;
    *number = wide(entry.number) + u";";
    return true;
}

} // namespace tessel::fm
