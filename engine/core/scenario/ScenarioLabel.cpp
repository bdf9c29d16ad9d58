#include "engine/core/scenario/ScenarioLabel.h"

void CScenarioLabel::setActionFromKeyword(bool trueBranch, const char* keyword)
{
    const std::int32_t action = scenarioActionOf(keyword);
    if (trueBranch)
        actions_.setTrueAction(action);
    else
        actions_.setFalseAction(action);
}
