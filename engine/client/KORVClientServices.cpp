#include "engine/client/KORVClientServices.h"

#include "engine/client/VXLClient.h"

CVXLEventHandler* CKORVClientServices::scenarioManager()
{
    return client_ ? &client_->getScenarioManager() : nullptr;
}
