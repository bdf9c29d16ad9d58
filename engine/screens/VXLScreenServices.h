#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLContactListElement;
class CVXLHandlerRegistry;
class CVXLLayout;
class CVXLUiJobPool;

// What a UI job asks of the Client for a layout: show it, send it again, or
// take it off the screen. The Client maps them by name onto its own request
// kinds, which number update and release the other way round.
enum class CVXLLayoutRequest : std::uint32_t {
    New = 0,
    Update = 1,
    Release = 2,
};

// The engine root's services to layouts and UI jobs, which sit below it: the
// engine text table, the result-handler registry, the screen request queue,
// the activity count, the UI-job pool and the persistent settings. The Client
// installs itself when it is made and withdraws when it goes; without it
// texts are empty and requests go nowhere.
class CVXLScreenServices {
public:
    virtual ~CVXLScreenServices() = default;

    virtual const char* engineText(std::uint32_t id) const = 0;
    virtual CVXLHandlerRegistry* resultHandlers() = 0;
    virtual void queueLayoutRequest(CVXLLayout* layout, CVXLLayoutRequest kind) = 0;
    virtual void beginActivity() = 0;
    virtual void endActivity() = 0;
    virtual CVXLUiJobPool* uiJobPool() = 0;
    // False (and an empty text) when the key is absent.
    virtual bool persistentString(const char* key, CVXLString& value) const = 0;
    virtual void setPersistentNumber(const char* key, std::uint32_t value) = 0;
    // The engine's error word (69: a text input refused a text).
    virtual void setEngineError(std::int32_t code) = 0;
    // The global recipient list that address fields and the contact chooser
    // work on.
    virtual CVXLContactListElement* globalContacts() = 0;

    static CVXLScreenServices* instance() { return installed_; }
    static void install(CVXLScreenServices* services) { installed_ = services; }
    // The text of an id, "" without services.
    static CVXLString text(std::uint32_t id);

private:
    static inline CVXLScreenServices* installed_ = nullptr;
};
