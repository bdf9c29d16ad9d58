#pragma once

#include "engine/screens/VXLAlbumSummaryJob.h"

#include <cstdint>

// UI job 15: picks media of a phone or memory card album for a message. It
// starts with the filter armed by the composer, and keeps the selection and
// the manager's hold when it ends, so that the composer takes the picks.
class CVXLMediaBrowseJob15 : public CVXLAlbumSummaryJob {
public:
    static constexpr int kTypeId = 15;
    static constexpr std::uint32_t kPhonePickerState = 4;
    static constexpr std::uint32_t kCardPickerState = 5;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLMediaBrowseJob15; }
    void init() override;

protected:
    std::uint32_t startState() const override { return onCard() ? kCardPickerState : kPhonePickerState; }
};
