#pragma once

#include "engine/core/base/VXLStringArray.h"

// A field's values: an owned list of texts, copied deeply.
class CScenarioTextList : public CVXLStringArray {
public:
    // Appends a copy; 0 when the heap refuses.
    int append(const CVXLString& text) { return insertAt(text, -1); }
};
