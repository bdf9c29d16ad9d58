#pragma once

#include "engine/screens/VXLLayout.h"

#include <cstdint>

// The progress-bar screen (type 16): a position within a range and a third
// value, the percentage. Its state names what is in progress. The values are
// 64-bit, since a transfer's byte counts pass 2^31.
class CVXLLayoutProgressBar : public CVXLLayout {
public:
    static constexpr std::uint32_t kStateCount = 6;

    explicit CVXLLayoutProgressBar(std::uint32_t initialState = 0);

    void registerHandler(CVXLReleasable* handler) override { releaseHandler(handler); }
    bool isBusy() const override { return true; }
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    std::int64_t position() const { return position_; }
    void setPosition(std::int64_t position) { position_ = position; }
    std::int64_t range() const { return range_; }
    void setRange(std::int64_t range) { range_ = range; }
    std::int64_t third() const { return third_; }
    void setThird(std::int64_t value) { third_ = value; }

private:
    std::int64_t position_ = 0;
    std::int64_t range_ = 0;
    std::int64_t third_ = 0;
};
