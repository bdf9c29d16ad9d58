#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLEvent;
class CVXLEventHandler;
class CVXLObject;

// What the built-in functions need of the Client and of the managers around
// it: the Client's screen requests, capture store and settings, the contact
// containers, the media managers, the thread database, the Scenario Manager
// and the readers of activity events. The Client's services
// (CKORVClientServices) answer for what it holds; every answer here is the
// one for something that is not there (nothing done, nothing found), so that
// a program never waits for a job that does not exist.
class CKORVServices {
public:
    virtual ~CKORVServices() = default;

    // The Client's screen requests: RETURN_TO_IDLE and PROCESS_URL_REQUEST.
    virtual void queueReturnToIdle() { }
    virtual void queueUrlRequest(const CVXLString&) { }
    // The store id that captured media go to.
    virtual std::uint16_t captureLocation() { return 0; }
    // A settings key; empty when absent.
    virtual CVXLString setting(const char*) { return CVXLString(); }
    virtual void setSetting(const char*, const CVXLString&) { }

    // "_print": one line, the texts of the values one after another.
    virtual void trace(const CVXLString&) { }

    // The Client's global contact container and the phone's contacts.
    virtual void resetGlobalContacts() { }
    virtual void copyPhoneContactsToGlobal() { }
    // The Media Access Manager's selection.
    virtual void deselectAllMedia() { }

    // The media store manager: the packed location of a store id (0 for an
    // unknown id) and the id of the default local store.
    virtual std::uint32_t storeLocation(std::uint16_t) { return 0; }
    virtual std::uint16_t defaultLocalStoreId() { return 0; }
    // The storage location of an album object the program got from a UI job.
    virtual std::uint32_t albumLocation(const CVXLObject*) { return 0; }

    // A message summary's message id and thread id.
    virtual CVXLString messageId(const CVXLObject*) { return CVXLString(); }
    virtual CVXLString threadId(const CVXLObject*) { return CVXLString(); }

    // The thread database: whether a message (by key) is new, and the job
    // that takes the clear-new-counts request.
    virtual bool isMessageNew(const CVXLString&) { return false; }
    virtual CVXLEventHandler* threadDatabase() { return nullptr; }

    // Jobs that answer the built-ins' requests: scenario loads (1) and album
    // summaries (119).
    virtual CVXLEventHandler* scenarioManager() { return nullptr; }
    virtual CVXLEventHandler* localMediaManager() { return nullptr; }

    // An activity event's number (the storage area of a media access event)
    // and text (a cool site's id, a favorite's id); 0 and empty for events
    // that carry none.
    virtual std::int32_t eventNumber(const CVXLEvent& event);
    virtual CVXLString eventText(const CVXLEvent& event);
};
