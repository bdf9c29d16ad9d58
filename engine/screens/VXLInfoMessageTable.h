#pragma once

#include <cstdint>

// The notices that a UI job shows by index: per row the engine text id and a
// second value.
struct CVXLInfoMessageRow {
    std::uint32_t textId;
    std::uint32_t value;
};

class CVXLInfoMessageTable {
public:
    static constexpr std::uint32_t kRowCount = 27;
    // The empty text, also for an index past the table.
    static constexpr std::uint32_t kEmptyTextId = 795;

    static std::uint32_t textIdOf(std::uint32_t index);
    static const CVXLInfoMessageRow* rows();
};
