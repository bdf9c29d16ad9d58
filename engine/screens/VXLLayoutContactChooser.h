#pragma once

#include "engine/screens/VXLLayout.h"

// The contact-chooser screen (type 3), over the engine's global recipient
// list.
class CVXLLayoutContactChooser : public CVXLLayout {
public:
    CVXLLayoutContactChooser();
    // Lets go of the global list it owned, so the list never names a freed
    // layout.
    ~CVXLLayoutContactChooser() override;

    // Takes the global recipient list as its own.
    bool prepare() override;

    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
};
