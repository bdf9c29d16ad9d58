#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLTextPair;

// The Client's services that the Scenario Manager uses: its persistent
// settings, its list of menu links and its pending user-interface requests.
class CScenarioClientFace {
public:
    virtual ~CScenarioClientFace() = default;

    // False when the setting does not exist.
    virtual bool getSetting(const char* key, CVXLString& value) const = 0;
    virtual void setPersistentString(const char* key, const CVXLString& value) = 0;
    virtual void clearMenuLinks() = 0;
    // Takes ownership of the link (href first, caption second).
    virtual void addMenuLink(CVXLTextPair* link) = 0;
    virtual void pushUIRequest(std::int32_t code) = 0;
};
