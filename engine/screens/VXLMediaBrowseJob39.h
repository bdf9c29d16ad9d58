#pragma once

#include "engine/screens/VXLMediaBrowseJob38.h"

#include <cstdint>

// UI job 39: picks media of an online album for a message. It starts with
// the filter armed by the composer, and keeps the selection and the
// manager's hold when it ends, so that the composer takes the picks.
class CVXLMediaBrowseJob39 : public CVXLMediaBrowseJob38 {
public:
    static constexpr int kTypeId = 39;
    static constexpr std::uint32_t kPickerState = 3;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLMediaBrowseJob39; }
    void init() override;

protected:
    std::uint32_t startState() const override { return kPickerState; }
};
