#include "platform/ui/Menu.h"

namespace tessel::ui {

Menu& Menu::add(std::uint32_t id, const std::u16string& text, bool grayed)
{
    items_.push_back(MenuItem {id, text, grayed, false, nullptr, false});
    return *this;
}

Menu& Menu::insert(int position, std::uint32_t id, const std::u16string& text, bool grayed)
{
    const auto at = position < 0 || position > size() ? items_.end() : items_.begin() + position;
    items_.insert(at, MenuItem {id, text, grayed, false, nullptr, false});
    return *this;
}

Menu& Menu::addSeparator()
{
    items_.push_back(MenuItem {0, u"", false, false, nullptr, true});
    return *this;
}

int Menu::choosable(int from, int step) const
{
    for (int i = from; i >= 0 && i < size(); i += step) {
        if (!items_[i].separator)
            return i;
    }
    return -1;
}

Menu& Menu::addPopup(const std::u16string& text, std::shared_ptr<Menu> popup)
{
    items_.push_back(MenuItem {0, text, false, false, std::move(popup), false});
    return *this;
}

MenuItem* Menu::find(const std::u16string& text)
{
    for (MenuItem& item : items_) {
        if (!item.separator && item.text == text)
            return &item;
    }
    return nullptr;
}

MenuItem* Menu::at(int index)
{
    return index >= 0 && index < size() ? &items_[index] : nullptr;
}

int Menu::indexOf(std::uint32_t id) const
{
    for (int i = 0; i < size(); ++i) {
        if (items_[i].id == id)
            return i;
    }
    return -1;
}

} // namespace tessel::ui
