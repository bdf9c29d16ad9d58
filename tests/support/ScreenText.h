#pragma once

#include <cstdint>
#include <string>

class CVXLLayout;

// A layout as the user interface would read it, as one line of text: the
// title, then each offered action of the current state in order as
// "kind Label", with a "-" before one the layout would refuse. For example
// "Tessel Error | right Ok, left Cancel, hard Exit, hard Back".
std::string screenText(CVXLLayout& layout);

// Submits the offered action with that label, as a user's key press; false
// when no offered action has the label or the layout refused it.
bool submitByLabel(CVXLLayout& layout, const std::string& label);

// What a screen of each layout type and state shows, typed from the product's
// tables (not from the engine's): one row per type and state.
struct ScreenFixtureRow {
    std::uint32_t layoutType;
    std::uint32_t state;
    const char* text;
};

const ScreenFixtureRow* screenFixture(std::uint32_t* count);
// The fixture's text for a type and state, null when it has no row.
const char* expectedScreen(std::uint32_t layoutType, std::uint32_t state);
