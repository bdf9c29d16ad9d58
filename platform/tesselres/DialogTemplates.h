#pragma once

#include "platform/ui/Dialog.h"

#include <memory>
#include <string>
#include <vector>

namespace tessel::ui {
class Menu;
}

// The resource library's dialog templates, menus and strings: each template
// a table of the controls the program's windows look up in it (ids, window
// classes, places on a 240-pixel-wide screen). A dialog that builds itself
// from a template makes these controls as its children.
namespace tessel::tesselres {

// A dialog takes a template's controls with Dialog::setTemplate.
using TemplateControl = ui::DialogItem;

struct DialogTemplate {
    int id;
    const char16_t* title;
    std::vector<TemplateControl> controls;

    // The control with that id, or null.
    const TemplateControl* control(int id) const;
};

// The template with that id (102, 104 to 110, 112), or null.
const DialogTemplate* dialogTemplate(int id);

// A fresh copy of menu 120 (the edit menu: Cut 40007, Copy 40009, Paste
// 40008 in its first popup) or 121 (Picture 40010, Video 40011); null for
// any other id.
std::shared_ptr<ui::Menu> loadMenu(int id);

// String 108 is a format taking the file's size in KB, then the limit.
// Empty for an unknown id.
std::u16string loadString(int id);

} // namespace tessel::tesselres
