#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/scenario/ScenarioCodes.h"

#include <cstdint>

// A soft key's two actions: the one for the true branch and the one for the
// false branch (kActionUnset until set).
class CScenarioActionPair : public CVXLObject {
public:
    std::int32_t trueAction() const { return trueAction_; }
    std::int32_t falseAction() const { return falseAction_; }
    void setTrueAction(std::int32_t action) { trueAction_ = action; }
    void setFalseAction(std::int32_t action) { falseAction_ = action; }

private:
    std::int32_t trueAction_ = kActionUnset;
    std::int32_t falseAction_ = kActionUnset;
};
