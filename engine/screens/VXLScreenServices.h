#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/screens/VXLCoolSite.h"

#include <cstdint>

class CMediaAccessManager;
class CMessageServiceJob;
class COutboundQueueManager;
class CPremiumInboxManager;
class CVXLContactListElement;
class CVXLEvent;
class CVXLEventHandler;
class CVXLHandlerRegistry;
class CVXLLayout;
class CVXLList;
class CVXLThreadDB;

// What a UI job asks of the Client for a layout: show it, send it again, or
// take it off the screen. The Client maps them by name onto its own request
// kinds, which number update and release the other way round.
enum class CVXLLayoutRequest : std::uint32_t {
    New = 0,
    Update = 1,
    Release = 2,
};

// The media a browse screen offers, as bits.
enum CVXLMediaFilter : std::int32_t {
    kMediaFilterImages = 1,
    kMediaFilterVideos = 2,
    kMediaFilterImagesAndVideos = 3,
    kMediaFilterAll = 7,
};

// The engine root's services to layouts and UI jobs, which sit below it: the
// engine text table, the result-handler registry, the screen request queue,
// the activity count, the persistent settings and configuration, the
// managers a screen flow posts to, and what one flow leaves for the next (the
// captured media, the one-shot media filter and the no-auto-select flag). The Client hands them to its UI-job
// pool, and a job and its layout reach them through the pool the job came from; without them texts are empty
// and requests go nowhere.
class CVXLScreenServices {
public:
    virtual ~CVXLScreenServices() = default;

    virtual const char* engineText(std::uint32_t id) const = 0;
    virtual CVXLHandlerRegistry* resultHandlers() = 0;
    virtual void queueLayoutRequest(CVXLLayout* layout, CVXLLayoutRequest kind) = 0;
    virtual void beginActivity() = 0;
    virtual void endActivity() = 0;
    // False (and an empty text) when the key is absent.
    virtual bool persistentString(const char* key, CVXLString& value) const = 0;
    virtual void setPersistentNumber(const char* key, std::uint32_t value) = 0;
    // The engine's error word (69: a text input refused a text).
    virtual void setEngineError(std::int32_t code) = 0;
    // The global recipient list that address fields and the contact chooser
    // work on.
    virtual CVXLContactListElement* globalContacts() = 0;
    // A PROCESS_URL_REQUEST for the user interface.
    virtual void queueUrlRequest(const CVXLString& url) = 0;
    // Configuration item 53 holds a non-zero number.
    virtual bool configOption53() const = 0;
    // The icon link and its MIME type of the first cool site with the id;
    // false when no cool site has it.
    virtual bool coolSiteIcon(const CVXLString& id, CVXLString* link, CVXLString* mimeType) const = 0;

    // The managers: the Scenario Manager takes CScenarioResultEvent.
    virtual CVXLEventHandler* scenarioManager() = 0;
    virtual COutboundQueueManager* outboundQueue() = 0;
    virtual CVXLEventHandler* vraxJob() = 0;
    virtual CMediaAccessManager* mediaAccess() = 0;
    // The captured media (entries with a file path) that the capture flows
    // hand to the Media Access Manager.
    virtual CVXLList* capturedMedia() = 0;
    // The 16-bit store id the captured media lie in.
    virtual std::uint16_t captureLocation() const { return 0; }

    // The filter the next media browse starts with (CVXLMediaFilter bits),
    // taken once: -1 when none is armed.
    virtual void setOneShotFilter(std::int32_t filter) = 0;
    virtual std::int32_t takeOneShotFilter() = 0;
    // The next media browse selects nothing by itself; taken once.
    virtual void armNoAutoSelect() = 0;
    virtual bool takeNoAutoSelect() = 0;

    // A configuration item's text; false (and "") when it is not set.
    virtual bool configString(std::int32_t, CVXLString& value) const
    {
        value = CVXLString();
        return false;
    }
    // The message screens' managers: the inbound message manager, the
    // premium inbox (may be null) and the thread database; a screen's own
    // message service job is wired to the same managers as the engine's.
    virtual CVXLEventHandler* inboundManager() { return nullptr; }
    virtual CPremiumInboxManager* premiumInbox() { return nullptr; }
    virtual CVXLThreadDB* threadDB() { return nullptr; }
    virtual void wireMessageService(CMessageServiceJob&) { }
    // The text an activity event names (a message or thread key), "" for
    // an event without one.
    virtual CVXLString eventText(const CVXLEvent&) const { return CVXLString(); }
    // Queues a UI request code for the user interface.
    virtual void pushUIRequestCode(std::int32_t) { }
    // The media screens' managers (null without them) and the settings they
    // write: any persistent key, and the favourite slots (0..10).
    virtual CVXLEventHandler* localMediaManager() { return nullptr; }
    virtual CVXLEventHandler* onlineMediaManager() { return nullptr; }
    virtual CVXLEventHandler* backgroundUpload() { return nullptr; }
    virtual void setPersistentString(const char*, const CVXLString&) { }
    virtual void setFavorite(int, const CVXLString&, const CVXLString&, std::int32_t) { }
    // Clears every slot that names the item.
    virtual void removeFavorites(const CVXLString&, std::int32_t) { }
    // A slot's id and packed location; false for an empty slot.
    virtual bool favorite(int, CVXLString*, std::int32_t*) const { return false; }

    // "vxlcfg.xml" is being read again (at start-up, or after the VRAX job
    // stored a new one): the destinations and "vrax.ver_id" are not settled.
    virtual bool scenarioReloading() const { return false; }
    // The cool sites in their stored order; coolSiteAt is false past the
    // end. replaceCoolSites stores the list given in place of them all.
    virtual std::int32_t coolSiteCount() const { return 0; }
    virtual bool coolSiteAt(std::int32_t, CVXLCoolSite*) const { return false; }
    virtual void replaceCoolSites(const CVXLCoolSite*, std::int32_t) { }
    // The first cool site with the id; false when none has it.
    bool coolSiteById(const CVXLString& id, CVXLCoolSite* out) const;

    // A configuration item as a decimal number, `fallback` when not set or
    // without services.
    static std::int32_t configNumber(
        const CVXLScreenServices* services, std::int32_t item, std::int32_t fallback);
    // The text of an id, "" when the table lacks it or without services.
    static CVXLString text(const CVXLScreenServices* services, std::uint32_t id);
    // Configuration item 41 says a memory card is present: "1", "T" or "t".
    static bool memoryCardPresent(const CVXLScreenServices* services);
};
