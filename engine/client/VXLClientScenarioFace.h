#pragma once

#include "engine/client/scenario/ScenarioClientFace.h"

#include <cstdint>

class CVXLClient;

// The Client's services to the Scenario Manager.
class CVXLClientScenarioFace : public CScenarioClientFace {
public:
    explicit CVXLClientScenarioFace(CVXLClient* client)
        : client_(client)
    {
    }
    bool getSetting(const char* key, CVXLString& value) const override;
    void setPersistentString(const char* key, const CVXLString& value) override;
    void clearMenuLinks() override;
    void addMenuLink(CVXLTextPair* link) override;
    void pushUIRequest(std::int32_t code) override;

private:
    CVXLClient* client_;
};
