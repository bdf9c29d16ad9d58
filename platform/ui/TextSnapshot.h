#pragma once

#include <string>
#include <vector>

// What the calling thread's screen shows, as text, one line per item from
// top to bottom: each visible top-level window in the order they were made
// (the last on top), its title, its controls with their marks ("> " focus,
// "(disabled)"), list rows ("* " selection, "[x]" check), edit text
// (passwords masked), progress, an open menu (grayed items marked), the soft
// keys, a box, the notification. A list shows the rows in its view; a
// window with a scroll bar adds "scroll FIRST-LAST of COUNT"; a child placed
// outside its parent's client area shows nothing. The same screen always
// gives the same lines.
namespace tessel::ui {

std::vector<std::string> textSnapshot();
// What the terminal shows: the active window (the notification when one is
// up, else the topmost window) with its menu and soft keys first, then the
// title of each window it covers, topmost first.
std::vector<std::string> activeFirstSnapshot();

} // namespace tessel::ui
