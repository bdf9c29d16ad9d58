#pragma once

#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioResultEvent.h"

#include <cstdint>

// One "_load_scenario" of a run: the request to the Scenario Manager and the
// definition it fills. Each call has its own, so a definition the program
// still holds is never overwritten by a later load; the helper keeps it until
// the run ends.
class CKORVScenarioLoad : public CScenarioResultEvent {
public:
    // The reply code of the load request.
    static constexpr std::int32_t kReplyCode = 117;

    explicit CKORVScenarioLoad(const CVXLString& scenarioId)
        : CScenarioResultEvent(kReplyCode)
    {
        setText(scenarioId);
        setLayout(&definition_);
    }

    CScenarioLayout& definition() { return definition_; }

private:
    CScenarioLayout definition_;
};
