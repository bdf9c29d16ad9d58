#pragma once

#include "engine/client/program/KORVServices.h"

class CVXLClient;

// The built-ins' services from what the Client holds: its Scenario Manager.
// The managers it does not hold yet answer as absent (CKORVServices).
class CKORVClientServices : public CKORVServices {
public:
    explicit CKORVClientServices(CVXLClient* client)
        : client_(client)
    {
    }

    CVXLEventHandler* scenarioManager() override;

private:
    CVXLClient* client_;
};
