#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A menu: items with a command id and a text, grayed or checked, each
// possibly opening a popup of its own, and separators (a line between
// groups that cannot be chosen). A dialog's menu bar shows its first two
// top-level items as the soft keys.
namespace tessel::ui {

class Menu;

struct MenuItem {
    std::uint32_t id = 0;
    std::u16string text;
    bool grayed = false;
    bool checked = false;
    std::shared_ptr<Menu> popup;
    bool separator = false;
};

class Menu {
public:
    Menu& add(std::uint32_t id, const std::u16string& text, bool grayed = false);
    Menu& addPopup(const std::u16string& text, std::shared_ptr<Menu> popup);
    Menu& addSeparator();
    // Inserts an item before the one at position; past the end it is added.
    Menu& insert(int position, std::uint32_t id, const std::u16string& text, bool grayed = false);
    // The first item at or after from (before it when step is -1) that can
    // be chosen; -1 when none.
    int choosable(int from, int step) const;
    // Null when no item has that text (or index).
    MenuItem* find(const std::u16string& text);
    MenuItem* at(int index);
    // Index of the item with that id; -1 when none.
    int indexOf(std::uint32_t id) const;
    int size() const { return static_cast<int>(items_.size()); }
    const std::vector<MenuItem>& items() const { return items_; }

private:
    std::vector<MenuItem> items_;
};

} // namespace tessel::ui
