#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"

#include <cstdint>

// What the Scenario Manager needs of the job that reads its configuration
// file: a child job that reads the named file through the file store, hands
// what the XML reader sees to its listener and reports once at the end.
class CScenarioFileReader : public CVXLEventHandler {
public:
    // The reader's listener; callbacks run inside the reader's steps.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void element(const CVXLString& name, bool start) = 0;
        virtual void text(const CVXLString& text) = 0;
        virtual void attribute(const CVXLString& name, const CVXLString& value) = 0;
        // 0 when the whole file was read and well-formed, 24 after
        // stopReading, any other code when the file could not be opened, was
        // cut short or was not well-formed. Reported once per beginReading.
        virtual void finished(std::int32_t result) = 0;
    };

    virtual void setListener(Listener* listener) = 0;
    virtual void setPath(const CVXLString& path) = 0;
    virtual void beginReading() = 0;
    // May be called from a callback; no callback but finished follows.
    virtual void stopReading() = 0;
};
