#include "tests/support/ScreenText.h"

#include "engine/screens/VXLLayout.h"

#include <iterator>

namespace {

const char* kindName(std::uint32_t kind)
{
    static const char* const kNames[] = {"left", "right", "menu", "hard", "n/a", "unplaced"};
    return kind < std::size(kNames) ? kNames[kind] : "?";
}

// Progress bar (16): per state the three hard keys; spinner (17) the same
// three unplaced. Error (4), information (6), choice (2), contact chooser (3),
// menu list (10, untitled; its Update row of state 0 is never offered).
// Media browser (7) with an item focused; states 12-15 are untitled.
// Audio (1, ids 0x87....), folder list (5) with a row current, capture
// choice (8; untitled past state 2). The destination menu is a menu list.
constexpr ScreenFixtureRow kFixture[] = {
    {1, 0, "Assign Audio | hard Ok, hard Back, hard Exit"},
    {2, 0, "Tessel Info Alert | hard Select, hard Continue, hard Cancel, hard Back, hard Exit"},
    {3, 0, "Local Contact Chooser | unplaced Continue, unplaced Back, unplaced Exit"},
    {4, 0, "Fatal Tessel Error | hard Exit, hard Back"},
    {4, 1, "Tessel Error | right Ok, left Cancel, hard Exit, hard Back"},
    {5, 0, "Tessel | unplaced View, hard Update, left Compose, unplaced Back, unplaced Exit"},
    {5, 1, "Premium Content | unplaced View, hard Update, left Compose, unplaced Back, unplaced Exit"},
    {6, 0, "Online Information | hard Continue, hard Cancel, hard Back, hard Exit"},
    {6, 1, "In Phone Information | hard Continue, hard Cancel, hard Back, hard Exit"},
    {6, 2, " | hard More Help, hard Cancel, hard Back, hard Exit"},
    {6, 3, "? | hard Yes, hard No, hard Back, hard Exit"},
    {7, 0,
        "Online Albums | menu Send to Contacts, menu Post to Service, menu Voice Send To Contacts, menu "
        "Delete, menu Copy, menu Move, hard Select, menu Select All, menu Deselect All, hard Update, hard "
        "Album List, hard Back, menu Print, hard Exit"},
    {7, 1,
        "Memory Card | menu Send to Contacts, menu Post to Service, unplaced Voice Send To Contacts, menu "
        "Upload, menu Delete, hard Select, menu Select All, menu Deselect All, hard Update, hard Album List, "
        "hard Back, menu Print, hard Exit"},
    {7, 2,
        "In Phone | menu Send to Contacts, menu Post to Service, unplaced Voice Send To Contacts, menu "
        "Upload, menu Delete, hard Select, menu Select All, menu Deselect All, hard Update, hard Album List, "
        "hard Back, menu Print, hard Exit"},
    {7, 3, "Online Media Picker | hard Select, hard Update, hard Continue, hard Back, hard Exit"},
    {7, 4, "In Phone Media Picker | hard Select, hard Update, hard Continue, hard Back, hard Exit"},
    {7, 5, "SD Card Media Picker | hard Select, hard Update, hard Continue, hard Back, hard Exit"},
    {7, 6,
        "Delete In Phone Media | hard Select, unplaced Select All, unplaced Deselect All, hard Update, hard "
        "Continue, menu Delete, hard Back, hard Exit"},
    {7, 7,
        "Delete SD Card Media | hard Select, unplaced Select All, unplaced Deselect All, hard Update, hard "
        "Continue, menu Delete, hard Back, hard Exit"},
    {7, 8, "Save | hard Select, hard Update, hard Continue, hard Back, hard Exit"},
    {7, 9, "Print | hard Select, hard Update, hard Continue, hard Back, hard Exit"},
    {7, 10, "Assign | hard Select, hard Update, hard Continue, hard Back, hard Exit"},
    {7, 11,
        "Select for Slide Show | menu Send to Contacts, menu Post to Service, menu Upload, menu Copy, menu "
        "Move, hard Select, menu Select All, menu Deselect All, hard Update, hard Continue, hard Back, menu "
        "Print, hard Exit"},
    {7, 12, " | hard Update, hard Assign, hard Back, hard Exit"},
    {7, 13, " | hard Update, hard Assign, hard Back, hard Exit"},
    {7, 14,
        " | menu Send to Contacts, menu Post to Service, unplaced Voice Send To Contacts, menu Upload, menu "
        "Delete, hard Select, hard Update, hard Album List, hard Back, menu Print, hard Exit"},
    {7, 15,
        " | menu Send to Contacts, unplaced Voice Send To Contacts, menu Post to Service, menu Upload, menu "
        "Delete, hard Select, hard Update, hard Album List, hard Back, menu Print, hard Exit"},
    {8, 0, "Capture Media | unplaced Update, unplaced Next, unplaced Back, unplaced Exit"},
    {8, 1, "Fun Frame | unplaced Update, unplaced Next, unplaced Back, unplaced Exit"},
    {8, 2, "Ecard | unplaced Update, unplaced Next, unplaced Back, unplaced Exit"},
    {8, 3, " | "},
    {10, 0, " | unplaced Select, unplaced Back, unplaced Exit"},
    {10, 1, " | hard Select, hard Back, hard Exit, left Refresh List"},
    {10, 2, " | hard Select, hard Back, hard Exit, unplaced Refresh List, left Continue"},
    {10, 3, " | hard Select, hard Back, hard Exit"},
    {10, 4, " | hard Select, hard Back, hard Exit"},
    {16, 0, "Queuing Media For Upload | hard Cancel, hard Back, hard Exit"},
    {16, 1, "Downloading Media | hard Cancel, hard Back, hard Exit"},
    {16, 2, "Sending Message | hard Cancel, hard Back, hard Exit"},
    {16, 3, "Retrieving Message | hard Cancel, hard Back, hard Exit"},
    {16, 4, "Configuring Device | hard Cancel, hard Back, hard Exit"},
    {16, 5, "Deleting Media | hard Cancel, hard Back, hard Exit"},
    {16, 6, " | "},
    {17, 0, "Please Wait... | unplaced Cancel, unplaced Back, unplaced Exit"},
    {17, 1, "Please Wait... | unplaced Cancel, unplaced Back, unplaced Exit"},
    {17, 2, "Please Wait... | unplaced Cancel, unplaced Back, unplaced Exit"},
    {17, 3, "Please Wait... | unplaced Cancel, unplaced Back, unplaced Exit"},
    {17, 4, "Please Wait... | unplaced Cancel, unplaced Back, unplaced Exit"},
    {17, 5, "Please Wait... | unplaced Cancel, unplaced Back, unplaced Exit"},
    {17, 6, "Please Wait... | "},
};

} // namespace

std::string screenText(CVXLLayout& layout)
{
    std::string out = layout.getTitle().c_str();
    out += " | ";
    bool first = true;
    for (layout.firstAction(); layout.hasNextAction();) {
        const std::uint32_t id = layout.nextAction();
        if (!first)
            out += ", ";
        first = false;
        if (!layout.canSubmitAction(id))
            out += "-";
        out += kindName(layout.getActionKind(id));
        out += " ";
        out += layout.getActionLabel(id).c_str();
    }
    return out;
}

bool submitByLabel(CVXLLayout& layout, const std::string& label)
{
    for (layout.firstAction(); layout.hasNextAction();) {
        const std::uint32_t id = layout.nextAction();
        if (label == layout.getActionLabel(id).c_str())
            return layout.submitAction(id) == 1;
    }
    return false;
}

const ScreenFixtureRow* screenFixture(std::uint32_t* count)
{
    *count = static_cast<std::uint32_t>(std::size(kFixture));
    return kFixture;
}

const char* expectedScreen(std::uint32_t layoutType, std::uint32_t state)
{
    for (const ScreenFixtureRow& row : kFixture) {
        if (row.layoutType == layoutType && row.state == state)
            return row.text;
    }
    return nullptr;
}
