#include "platform/tesselres/DialogTemplates.h"

#include "platform/ui/Menu.h"

namespace tessel::tesselres {

namespace {

constexpr const char16_t* kStatic = u"static";
constexpr const char16_t* kButton = u"button";
constexpr const char16_t* kList = u"SysListView32";
constexpr const char16_t* kProgress = u"msctls_progress32";

// Shared by the layout windows: the title placeholder (hidden, the title
// band is drawn over it) and the hard-key button (shown when an action takes it).
constexpr TemplateControl kTitle {1002, kStatic, u"", {0, 0, 240, 20}, true};
constexpr TemplateControl kButton1003 {1003, kButton, u"", {160, 0, 236, 24}, false};

const std::vector<DialogTemplate>& templates()
{
    static const std::vector<DialogTemplate> table = {
        {102, u"Tessel", {kTitle, kButton1003}},
        {104, u"Tessel", {}},
        {105, u"Tessel", {{1001, kStatic, u"", {4, 4, 36, 36}, true}, kTitle, kButton1003}},
        {106, u"Tessel",
            {{1005, kStatic, u"", {4, 4, 36, 36}, true}, kTitle, kButton1003,
                {1004, kProgress, u"", {4, 44, 176, 56}, true}}},
        {107, u"Tessel", {kTitle, kButton1003, {1006, kList, u"", {0, 20, 240, 268}, true}}},
        {108, u"Tessel",
            {kTitle, {1007, kStatic, u"", {44, 24, 236, 200}, true},
                {1008, kStatic, u"", {4, 24, 36, 56}, true}}},
        {109, u"Tessel",
            {kTitle, {1007, kStatic, u"", {44, 24, 236, 200}, true},
                {1008, kStatic, u"", {4, 24, 36, 56}, true}}},
        {110, u"Tessel",
            {kTitle, {1006, kList, u"", {0, 120, 240, 268}, true},
                {1008, kStatic, u"", {4, 24, 36, 56}, true}, {1100, kStatic, u"", {44, 24, 236, 116}, true}}},
        {112, u"Tessel", {{1102, kList, u"", {0, 0, 240, 268}, true}}},
    };
    return table;
}

} // namespace

const TemplateControl* DialogTemplate::control(int controlId) const
{
    for (const TemplateControl& c : controls) {
        if (c.id == controlId)
            return &c;
    }
    return nullptr;
}

const DialogTemplate* dialogTemplate(int id)
{
    for (const DialogTemplate& t : templates()) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

std::shared_ptr<ui::Menu> loadMenu(int id)
{
    auto popup = std::make_shared<ui::Menu>();
    if (id == 120) {
        popup->add(40007, u"Cut").add(40009, u"Copy").add(40008, u"Paste");
    } else if (id == 121) {
        popup->add(40010, u"Picture").add(40011, u"Video");
    } else {
        return nullptr;
    }
    auto menu = std::make_shared<ui::Menu>();
    menu->addPopup(id == 120 ? u"Edit" : u"Add", popup);
    return menu;
}

std::u16string loadString(int id)
{
    if (id == 108)
        return u"This file is %d KB; files over %d KB cannot be added.";
    return {};
}

} // namespace tessel::tesselres
