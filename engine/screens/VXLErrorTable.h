#pragma once

#include <cstdint>

// The result codes that an error screen explains: per code its class letter
// (P platform, D data communication, G general, M message, S send), its
// severity, the text id of its message and the error layout's state (0 offers
// only Exit and Back, 1 also Ok and Cancel).
struct CVXLErrorRow {
    std::uint32_t code;
    std::uint32_t classLetter;
    std::uint32_t severity;
    std::uint32_t textId;
    std::uint32_t layoutState;
};

class CVXLErrorTable {
public:
    static constexpr std::uint32_t kRowCount = 36;

    // The first row of the code, or null.
    static const CVXLErrorRow* find(std::uint32_t code);
    static const CVXLErrorRow* rows();
};
