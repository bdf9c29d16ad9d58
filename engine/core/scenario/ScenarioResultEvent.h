#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CScenarioLayout;

// Asks the Scenario Manager for the definition of one scenario. The sender
// names the scenario and supplies the definition to fill; the reply carries
// it back filled (result 0), or reset with result 95 and the text "792" when
// the file holds no such scenario, or with 1000 when it cannot be read.
class CScenarioResultEvent : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 1;

    explicit CScenarioResultEvent(std::int32_t replyCode = kEventNone)
        : CVXLEvent(kRequestCode, replyCode)
    {
    }

    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& scenarioId) { text_ = scenarioId; }

    // Not owned: the definition stays the sender's.
    CScenarioLayout* layout() const { return layout_; }
    void setLayout(CScenarioLayout* layout) { layout_ = layout; }

private:
    CVXLString text_;
    CScenarioLayout* layout_ = nullptr;
};
