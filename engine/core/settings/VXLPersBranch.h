#pragma once

#include "engine/core/settings/VXLPersNode.h"

// An inner node of the settings tree: holds children, never a value.
class CVXLPersBranch : public CVXLPersNode {
public:
    explicit CVXLPersBranch(const CVXLString& name)
        : CVXLPersNode(name)
    {
    }

    int get(CVXLString*) const override { return 0; }
};
