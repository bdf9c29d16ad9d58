#pragma once

#include "engine/core/base/VXLObject.h"

class CVXLUIRequest;

// The engine's description of one screen, which the user interface renders.
class CVXLLayout : public CVXLObject {
public:
    CVXLLayout() = default;
    CVXLLayout(const CVXLLayout&) = delete;
    CVXLLayout& operator=(const CVXLLayout&) = delete;
    ~CVXLLayout() override = default;

    // A request that showed this layout has been handled by the user
    // interface and is about to be deleted.
    virtual void requestDone(CVXLUIRequest*) { }
};
