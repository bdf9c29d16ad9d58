#include "platform/ui/HomeScreen.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/Process.h"

#include <fstream>
#include <sstream>

namespace tessel::ui {

void HomeScreen::load()
{
    shortcuts_.clear();
    std::ifstream file(kernel::deviceRoot() + "/shortcuts.conf");
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::size_t bar1 = line.find('|');
        std::size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
        if (bar2 == std::string::npos || bar1 == 0 || bar2 == bar1 + 1) {
            kernel::appendDeviceLog(
                "home", "shortcuts.conf line " + std::to_string(number) + " skipped: " + line);
            continue;
        }
        Shortcut shortcut {line.substr(0, bar1), line.substr(bar1 + 1, bar2 - bar1 - 1), {}};
        std::istringstream words(line.substr(bar2 + 1));
        for (std::string word; words >> word;)
            shortcut.words.push_back(word);
        shortcuts_.push_back(std::move(shortcut));
    }
    if (selected_ >= static_cast<int>(shortcuts_.size()))
        selected_ = 0;
}

void HomeScreen::move(int delta)
{
    const int count = static_cast<int>(shortcuts_.size());
    if (count > 0)
        selected_ = std::min(count - 1, std::max(0, selected_ + delta));
}

int HomeScreen::startSelected()
{
    if (selected_ < 0 || selected_ >= static_cast<int>(shortcuts_.size()))
        return -1;
    const Shortcut& shortcut = shortcuts_[selected_];
    int pid = kernel::startProcess(shortcut.program, shortcut.words);
    kernel::appendDeviceLog("home", "started " + shortcut.label + (pid > 0 ? "" : " failed"));
    return pid;
}

std::vector<std::string> HomeScreen::lines() const
{
    std::vector<std::string> lines {"== Start =="};
    for (int i = 0; i < static_cast<int>(shortcuts_.size()); ++i)
        lines.push_back((i == selected_ ? "* " : "  ") + shortcuts_[i].label);
    if (shortcuts_.empty())
        lines.push_back("(no shortcuts)");
    return lines;
}

} // namespace tessel::ui
