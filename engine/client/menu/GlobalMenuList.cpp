#include "engine/client/menu/GlobalMenuList.h"

#include "engine/client/menu/GlobalMenuCoolSiteEntry.h"
#include "engine/client/menu/GlobalMenuFavoriteEntry.h"
#include "engine/client/menu/GlobalMenuMessageEntry.h"
#include "engine/client/menu/GlobalMenuTextEntry.h"
#include "engine/client/menu/GlobalMenuValueEntry.h"
#include "engine/core/base/VXLList.h"

namespace {

// Actions that post the plain activity event with a code.
struct PlainAction {
    std::int32_t action;
    std::int32_t code;
};

constexpr PlainAction kPlainActions[] = {
    {0, 88},
    {1, 86},
    {2, 87},
    {3, 83},
    {4, 85},
    {5, 84},
    {6, 107},
    {7, 108},
    {8, 71},
    {9, 76},
    {10, 78},
    {11, 72},
    {12, 73},
    {13, 74},
    {14, 77},
    {15, 75},
    {16, 94},
    {18, 97},
    {22, 89},
    {25, 93},
    {29, 103},
};

constexpr std::int32_t kActionSendToContacts = 17;
constexpr std::int32_t kActionSendSms = 21;
constexpr std::int32_t kActionDeleteMedia = 24;
constexpr std::int32_t kActionBrowseMedia = 26;
constexpr std::int32_t kActionFavorite = 27;
constexpr std::int32_t kActionFavoriteAlbum = 28;

constexpr std::int32_t kActivitySendToContacts = 95;
constexpr std::int32_t kActivitySendSms = 98;
constexpr std::int32_t kActivityDeleteMedia = 79;
constexpr std::int32_t kActivityBrowseMedia = 80;
constexpr std::int32_t kActivityFavorite = 82;
constexpr std::int32_t kActivityFavoriteAlbum = 70;
constexpr std::int32_t kActivityCoolSite = 104;

// Storage kinds (low 16 bits of a favorite's location) whose capture
// location is the store id in the upper 16 bits, and the one that captures
// to store 1.
constexpr std::uint32_t kStorageKindAlbum = 3;
constexpr std::uint32_t kStorageKindFolder = 4;
constexpr std::uint32_t kStorageKindCard = 5;

std::uint16_t captureLocationOf(std::uint32_t storageLocation)
{
    switch (storageLocation & 0xFFFFu) {
    case kStorageKindAlbum:
    case kStorageKindFolder:
        return static_cast<std::uint16_t>(storageLocation >> 16);
    case kStorageKindCard:
        return 1;
    default:
        return 0;
    }
}

} // namespace

CGlobalMenuList::CGlobalMenuList(CVXLEventHandler* producer, Services* client)
    : producer_(producer)
    , client_(client)
{
}

CGlobalMenuList::~CGlobalMenuList()
{
    entries_.deleteAll();
}

CGlobalMenuEntry* CGlobalMenuList::entryAt(std::uint32_t index) const
{
    if (index >= entries_.count())
        return nullptr;
    return static_cast<CGlobalMenuEntry*>(entries_.at(static_cast<int>(index)));
}

void CGlobalMenuList::clear()
{
    entries_.deleteAll();
}

CGlobalMenuEntry* CGlobalMenuList::addEntry(
    const CVXLString& caption, std::int32_t type, std::int32_t origin, std::int32_t action)
{
    CGlobalMenuEntry* entry = nullptr;
    switch (type) {
    case kMenuEntryPlain:
    case kMenuEntrySelectedMedia:
        entry = new CGlobalMenuEntry(type, caption, origin, action);
        break;
    case kMenuEntryContacts:
    case kMenuEntrySms:
        entry = new CGlobalMenuMessageEntry(type, caption, origin, action);
        break;
    case kMenuEntryFolder:
        entry = new CGlobalMenuTextEntry(caption, origin, action);
        break;
    case kMenuEntryFavoriteSlot:
    case kMenuEntryStorageArea:
        entry = new CGlobalMenuValueEntry(type, caption, origin, action);
        break;
    default:
        return nullptr;
    }
    if (entry && !entries_.insertAt(entry, -1)) {
        delete entry;
        entry = nullptr;
    }
    return entry;
}

CGlobalMenuEntry* CGlobalMenuList::addFavoriteEntry(
    const CVXLString& caption, std::int32_t position, std::uint32_t storageLocation, const CVXLString& id)
{
    auto* entry = new CGlobalMenuFavoriteEntry(caption, position, storageLocation, id);
    if (entry && !entries_.insertAt(entry, -1)) {
        delete entry;
        entry = nullptr;
    }
    return entry;
}

CGlobalMenuEntry* CGlobalMenuList::addCoolSiteEntry(
    const CVXLString& caption, const CVXLString& id, const CVXLString& button, const CVXLString& buttonType)
{
    for (std::uint32_t i = 0; i < entries_.count(); ++i) {
        auto* entry = static_cast<CGlobalMenuEntry*>(entries_.at(static_cast<int>(i)));
        if (entry->getMenuEntryType() != kMenuEntryCoolSite || entry->caption() != caption)
            continue;
        if (static_cast<CGlobalMenuCoolSiteEntry*>(entry)->id() != id)
            continue;
        entries_.removeAt(static_cast<int>(i));
        delete entry;
        break;
    }
    auto* entry = new CGlobalMenuCoolSiteEntry(caption, id, button, buttonType);
    if (entry && !entries_.insertAt(entry, -1)) {
        delete entry;
        entry = nullptr;
    }
    return entry;
}

void CGlobalMenuList::setSelectedMedia(const CVXLString& path, std::uint16_t location)
{
    if (!client_)
        return;
    CVXLList& selected = client_->selectedObjects();
    while (CVXLList::Node* node = selected.head()) {
        CVXLObject* object = node->object;
        selected.remove(object);
        delete object;
    }
    client_->setCaptureLocation(location);
    auto* text = new CVXLString(path);
    if (text && !selected.append(text))
        delete text;
}

template <class Event> Event* CGlobalMenuList::take(Event& member, std::int32_t code)
{
    Event* event = member.isBusy() ? new Event(code) : &member;
    if (!event)
        return nullptr;
    event->setRequestCode(code);
    event->setReplyCode(code);
    return event;
}

void CGlobalMenuList::postToProducer(CVXLEvent* event)
{
    if (!event)
        return;
    if (!producer_) {
        // Nobody to run it: a heap event would be lost.
        if (event->heapAllocated())
            delete event;
        return;
    }
    post(producer_, event);
}

bool CGlobalMenuList::postPlain(std::int32_t code)
{
    postToProducer(take(plain_, code));
    return true;
}

int CGlobalMenuList::runEntry(CGlobalMenuEntry* entry)
{
    if (!entry || runAction(*entry))
        clear();
    return 1;
}

bool CGlobalMenuList::runAction(CGlobalMenuEntry& entry)
{
    const std::int32_t action = entry.action();
    if (action >= kActionFirstLink && action <= kActionLastLink) {
        if (client_)
            client_->queueLinkRequest(action - kActionFirstLink);
        return false;
    }
    for (const PlainAction& row : kPlainActions) {
        if (row.action == action) {
            // The premium inbox item of action 5 is made current by the
            // premium inbox manager, which is not built yet.
            postPlain(row.code);
            return action != kActionRefreshCoolSites;
        }
    }
    switch (action) {
    case kActionSendToContacts:
    case kActionSendSms:
        if (auto* event
            = take(message_, action == kActionSendSms ? kActivitySendSms : kActivitySendToContacts)) {
            if (action == kActionSendSms && entry.getMenuEntryType() == kMenuEntrySms) {
                auto& message = static_cast<CGlobalMenuMessageEntry&>(entry);
                event->setSubject(message.subject());
                event->setBody(message.body());
            }
            postToProducer(event);
        }
        return true;
    case kActionDeleteMedia:
    case kActionBrowseMedia:
        if (auto* event = take(
                mediaAccess_, action == kActionDeleteMedia ? kActivityDeleteMedia : kActivityBrowseMedia)) {
            if (entry.getMenuEntryType() == kMenuEntryStorageArea)
                event->setValue(
                    static_cast<std::uint16_t>(static_cast<CGlobalMenuValueEntry&>(entry).value()));
            postToProducer(event);
        }
        return true;
    case kActionFavorite:
        return runFavorite(entry);
    case kActionFavoriteAlbum:
        if (auto* event = take(favorite_, kActivityFavoriteAlbum)) {
            if (entry.getMenuEntryType() == kMenuEntryFavoriteSlot)
                event->setPosition(static_cast<CGlobalMenuValueEntry&>(entry).value());
            postToProducer(event);
        }
        return true;
    case kActionCoolSite:
        if (auto* event = take(text_, kActivityCoolSite)) {
            if (entry.getMenuEntryType() == kMenuEntryCoolSite)
                event->setText(static_cast<CGlobalMenuCoolSiteEntry&>(entry).id());
            postToProducer(event);
        }
        return false;
    default:
        return true;
    }
}

bool CGlobalMenuList::runFavorite(CGlobalMenuEntry& entry)
{
    if (entry.getMenuEntryType() != kMenuEntryFavorite)
        return true;
    auto& favorite = static_cast<CGlobalMenuFavoriteEntry&>(entry);
    if (favorite.deleteFlag()) {
        if (client_) {
            client_->clearFavorite(favorite.position());
            client_->queueReturnToMenu(0);
        }
        return false;
    }
    if (client_)
        client_->setCaptureLocation(captureLocationOf(favorite.storageLocation()));
    if (auto* event = take(favorite_, kActivityFavorite)) {
        event->setPosition(static_cast<std::uint32_t>(favorite.position()));
        event->setText(favorite.id());
        event->setStorageLocation(favorite.storageLocation());
        postToProducer(event);
    }
    return true;
}

void CGlobalMenuList::onEvent(CVXLEvent* event)
{
    finishEvent(event);
}

std::int32_t CGlobalMenuList::onFinished()
{
    clear();
    return CVXLEventHandler::onFinished();
}
