#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"
#include "engine/client/menu/MediaAccessEvent.h"
#include "engine/client/menu/MenuFavoriteEvent.h"
#include "engine/client/menu/MenuMessageEvent.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLFlagEvent.h"

#include <cstdint>

class CVXLList;

// The entries of the one global menu the user interface shows. The Client
// fills it for a menu id; running an entry posts one activity event to the
// Producer (or queues a link request), and afterwards the list is emptied
// for most actions. Each activity is taken from the member event of its
// class, or from the heap while that one is still busy; the Producer's
// completion frees a heap one.
class CGlobalMenuList : public CVXLEventHandler {
public:
    // What the Global Menu List needs of the Client: the screen requests of a
    // menu link and of a deleted favorite, the capture location, the favorite
    // slots and the list of selected objects.
    class Services {
    public:
        virtual ~Services() = default;

        // PROCESS_URL_REQUEST for menu link n.
        virtual void queueLinkRequest(int n) = 0;
        virtual void queueReturnToMenu(std::int32_t value) = 0;
        virtual void setCaptureLocation(std::uint16_t location) = 0;
        // Empties favorite slot n.
        virtual void clearFavorite(int n) = 0;
        // The list of selected objects; it owns its objects.
        virtual CVXLList& selectedObjects() = 0;
    };

    // Actions whose running keeps the entries, so a further entry can be run.
    static constexpr std::int32_t kActionRefreshCoolSites = 29;
    static constexpr std::int32_t kActionCoolSite = 30;
    static constexpr std::int32_t kActionFirstLink = 31;
    static constexpr std::int32_t kActionLastLink = 35;

    // The job that runs the activities (the Producer) and the Client are not
    // owned; with either null, what needs it does nothing.
    CGlobalMenuList(CVXLEventHandler* producer, Services* client);
    ~CGlobalMenuList() override;

    std::uint32_t getEntryCount() const { return entries_.count(); }
    // Null past the end.
    CGlobalMenuEntry* entryAt(std::uint32_t index) const;
    void clear();

    // Any type but favorites and cool sites (which have their own) and
    // unknown numbers, which add nothing (null).
    CGlobalMenuEntry* addEntry(
        const CVXLString& caption, std::int32_t type, std::int32_t origin, std::int32_t action);
    CGlobalMenuEntry* addFavoriteEntry(const CVXLString& caption, std::int32_t position,
        std::uint32_t storageLocation, const CVXLString& id);
    // Replaces an entry of the same caption and id.
    CGlobalMenuEntry* addCoolSiteEntry(const CVXLString& caption, const CVXLString& id,
        const CVXLString& button, const CVXLString& buttonType);
    // The file the user chose for the next capture-options entry.
    void setSelectedMedia(const CVXLString& path, std::uint16_t location);

    // Runs the entry (which must be one of this list's, or null) and
    // answers 1.
    int runEntry(CGlobalMenuEntry* entry);

    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    const char* name() const override { return "Global Menu List"; }

private:
    // The member event when free, else a fresh one; null when the heap
    // refuses.
    template <class Event> Event* take(Event& member, std::int32_t code);
    bool postPlain(std::int32_t code);
    void postToProducer(CVXLEvent* event);
    // Runs the action; false when the entries stay.
    bool runAction(CGlobalMenuEntry& entry);
    bool runFavorite(CGlobalMenuEntry& entry);

    CVXLEventHandler* producer_;
    Services* client_;
    CVXLPtrArray entries_;
    CVXLFlagEvent plain_;
    CMenuMessageEvent message_;
    CMenuFavoriteEvent favorite_;
    CMenuTextEvent text_;
    CMediaAccessEvent mediaAccess_;
};
