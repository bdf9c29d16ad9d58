#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/scenario/ScenarioActionPair.h"
#include "engine/core/scenario/ScenarioRule.h"
#include "engine/core/scenario/VXLTextPair.h"

// One soft key of a field: its captions, its actions and its rule.
class CScenarioLabel : public CVXLObject {
public:
    // The caption that shows by the pair's choice.
    const CVXLString& caption() const { return captions_.chosen(); }
    const CVXLTextPair& captions() const { return captions_; }
    CVXLTextPair& captions() { return captions_; }
    void setCaptions(const CVXLTextPair& captions) { captions_ = captions; }

    const CScenarioActionPair& actions() const { return actions_; }
    void setActions(const CScenarioActionPair& actions) { actions_ = actions; }
    // Parses an action keyword into the true or the false action.
    void setActionFromKeyword(bool trueBranch, const char* keyword);

    const CScenarioRule& rule() const { return rule_; }
    void setRule(const CVXLString& text) { rule_.setText(text); }

private:
    CVXLTextPair captions_;
    CScenarioActionPair actions_;
    CScenarioRule rule_;
};
