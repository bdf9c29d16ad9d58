#pragma once

#include <cstddef>
#include <cstdint>

// The engine's user-visible texts, named by id throughout the engine (layout
// command tables, error messages, menu captions).
struct VXLTextRow {
    std::uint32_t id;
    const char* text; // never null; may be empty
};

inline constexpr std::size_t kVxlTextTableRows = 796;
// The last row {kVxlTextTableEndId, ""} ends the table.
inline constexpr std::uint32_t kVxlTextTableEndId = 795;

// The table's first row; the table ends with the row whose id is kVxlTextTableEndId.
const VXLTextRow* getTextTable();

// The text of a row, or "" when no row before the end row has the id or no
// Client exists. The result is the table's own constant string: callers copy
// it.
const char* getEngineText(std::uint32_t id);
