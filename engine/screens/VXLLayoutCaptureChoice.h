#pragma once

#include "engine/screens/VXLLayout.h"

// The capture choice (type 8) of the capture flows: what to capture for a
// plain picture, a fun frame or an e-card (states 0, 1 and 2), with Update,
// Next, Back and Exit in each. The phone builds no window for it.
class CVXLLayoutCaptureChoice : public CVXLLayout {
public:
    CVXLLayoutCaptureChoice();

    // Empty outside states 0 to 2.
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
};
