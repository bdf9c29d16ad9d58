#pragma once

#include "engine/screens/VXLLayout.h"

// The "Please Wait..." screen (type 17), busy until its job takes it down.
class CVXLLayoutProgressSpinner : public CVXLLayout {
public:
    explicit CVXLLayoutProgressSpinner(std::uint32_t initialState = 0);

    void registerHandler(CVXLReleasable* handler) override { releaseHandler(handler); }
    bool isBusy() const override { return true; }
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
};
