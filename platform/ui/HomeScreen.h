#pragma once

#include <string>
#include <vector>

// The phone's start screen, which the front ends show while the program
// shows no window: the shortcuts of the device root's shortcuts.conf, one
// per line as "label|phone path|words" (words split at blanks become the
// arguments; "#" starts a comment line). The chosen one is started as a
// real process, as the phone's start menu starts a program with its verb.
namespace tessel::ui {

struct Shortcut {
    std::string label;
    std::string program; // phone path
    std::vector<std::string> words;
};

class HomeScreen {
public:
    // Reads shortcuts.conf again; a line without its three fields is logged
    // (log/home.log) and skipped.
    void load();
    const std::vector<Shortcut>& shortcuts() const { return shortcuts_; }
    int selected() const { return selected_; }
    void move(int delta);
    // Starts the selected shortcut; its process id, or -1.
    int startSelected();
    std::vector<std::string> lines() const;

private:
    std::vector<Shortcut> shortcuts_;
    int selected_ = 0;
};

} // namespace tessel::ui
