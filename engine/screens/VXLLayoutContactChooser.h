#pragma once

#include "engine/screens/VXLLayout.h"

// The contact-chooser screen (type 3), over the engine's global recipient
// list.
class CVXLLayoutContactChooser : public CVXLLayout {
public:
    CVXLLayoutContactChooser();

    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
};
