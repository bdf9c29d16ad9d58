#pragma once

#include "engine/core/base/VXLObject.h"

// An object that holders let go of through release rather than delete. It
// answers true when the holder is to delete it (nothing else holds it).
class CVXLReleasable : public CVXLObject {
public:
    virtual bool release() { return true; }
};
