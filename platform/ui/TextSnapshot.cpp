#include "platform/ui/TextSnapshot.h"

#include "platform/kernel/TextCodec.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Notification.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"

namespace tessel::ui {

namespace {

// A child placed wholly outside its parent's client area (scrolled away)
// shows nothing.
bool clippedAway(const Window& window)
{
    const Window* parent = window.parent();
    if (!window.hasRect() || !parent || (!parent->hasRect() && parent->parent()))
        return false;
    return window.windowRect().intersect(parent->clientRect()).empty();
}

void addWindow(const Window& window, int depth, std::vector<std::string>* out)
{
    if (!window.visible() || clippedAway(window))
        return;
    std::vector<std::u16string> lines;
    window.describe(&lines);
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const std::size_t focusLine
        = window.focused() ? static_cast<std::size_t>(window.focusLine()) : lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string mark = i == focusLine ? "> " : "";
        std::string line = indent + mark + kernel::wideToUtf8(lines[i]);
        if (i == 0 && !window.enabled())
            line += " (disabled)";
        out->push_back(line);
    }
    if (window.hasScrollBar()) {
        const ScrollInfo& info = window.scrollInfo();
        const int first = info.position - info.min + 1;
        out->push_back(indent + "scroll " + std::to_string(first) + "-"
            + std::to_string(first + info.page - 1) + " of " + std::to_string(info.max - info.min + 1));
    }
    for (const Window* child : window.children())
        addWindow(*child, depth + 1, out);
}

void addMenus(const Dialog& dialog, bool softKeys, std::vector<std::string>* out)
{
    if (const Menu* open = dialog.openMenu()) {
        out->push_back("menu:");
        for (int i = 0; i < open->size(); ++i) {
            const MenuItem& item = open->items()[i];
            if (item.separator) {
                out->push_back("    ----");
                continue;
            }
            std::string line = i == dialog.menuSelection() ? "  > " : "    ";
            line += (item.checked ? "[x] " : "") + kernel::wideToUtf8(item.text);
            if (item.grayed)
                line += " (grayed)";
            if (item.popup)
                line += " >>";
            out->push_back(line);
        }
    }
    if (const Menu* bar = dialog.menuBar(); bar && softKeys) {
        std::string keys = "softkeys:";
        for (int i = 0; i < bar->size() && i < 2; ++i)
            keys += " [" + kernel::wideToUtf8(bar->items()[i].text) + "]";
        out->push_back(keys);
    }
}

} // namespace

std::vector<std::string> textSnapshot()
{
    std::vector<std::string> out;
    const auto self = MessageQueue::current();
    // A notification that is up has the soft-key bar.
    const Notification* notice = Notification::current();
    for (const TopLevelEntry& entry : topLevelEntries()) {
        if (windowQueue(entry.handle) != self)
            continue;
        const Window* window = windowFromHandle(entry.handle);
        if (!window || !window->visible())
            continue;
        addWindow(*window, 0, &out);
        if (const auto* dialog = dynamic_cast<const Dialog*>(window))
            addMenus(*dialog, !notice, &out);
        if (window == notice)
            out.push_back("softkeys: [" + kernel::wideToUtf8(notice->softKey()) + "]");
    }
    return out;
}

std::vector<std::string> activeFirstSnapshot()
{
    const auto self = MessageQueue::current();
    std::vector<const Window*> shown;
    for (const TopLevelEntry& entry : topLevelEntries()) {
        const Window* window = windowFromHandle(entry.handle);
        if (window && window->visible() && windowQueue(entry.handle) == self)
            shown.push_back(window);
    }
    const Notification* notice = Notification::current();
    const Window* active = notice && notice->visible() ? notice : shown.empty() ? nullptr : shown.back();
    std::vector<std::string> out;
    if (!active)
        return out;
    addWindow(*active, 0, &out);
    if (const auto* dialog = dynamic_cast<const Dialog*>(active))
        addMenus(*dialog, true, &out);
    if (active == notice)
        out.push_back("softkeys: [" + kernel::wideToUtf8(notice->softKey()) + "]");
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        if (*it == active)
            continue;
        std::vector<std::u16string> lines;
        (*it)->describe(&lines);
        if (!lines.empty())
            out.push_back(kernel::wideToUtf8(lines.front()));
    }
    return out;
}

} // namespace tessel::ui
