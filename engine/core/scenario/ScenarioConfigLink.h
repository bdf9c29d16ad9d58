#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/scenario/ScenarioCodes.h"

#include <cstdint>

// How a scenario is configured before first use: a link to a web page or to
// another scenario, whether that has been done, and a text.
class CScenarioConfigLink : public CVXLObject {
public:
    // Set once the service reports the scenario configured ("cfg" "Y").
    std::uint8_t configured() const { return configured_; }
    void setConfigured(bool configured) { configured_ = configured ? 1 : 0; }
    std::int32_t kind() const { return kind_; }
    void setKind(std::int32_t kind) { kind_ = kind; }
    const CVXLString& link() const { return link_; }
    void setLink(const CVXLString& link) { link_ = link; }
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }

private:
    std::uint8_t configured_ = 0;
    std::int32_t kind_ = kLinkHttp;
    CVXLString link_;
    CVXLString text_;
};
