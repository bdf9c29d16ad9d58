#include "platform/tesselres/DialogTemplates.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/tesselres/TesselRes.h"
#include "platform/ui/Menu.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace tessel;
using namespace tessel::tesselres;

namespace {

std::u16string wideText(const char16_t* text)
{
    return text;
}

} // namespace

TEST(TesselRes, TheNetworkAccessIdentifierComesFromTheDevice)
{
    TempDeviceRoot root;
    char16_t nai[256] = u"junk";
    EXPECT_NE(WinTS_GetNAI(nai, 256), 0);
    EXPECT_EQ(wideText(nai), u"4255550100@nai.tessel.test") << "the default";
    root.writeDeviceConf("phone.nai = 2065550123@carrier.example\n");
    EXPECT_NE(WinTS_GetNAI(nai, 256), 0);
    EXPECT_EQ(wideText(nai), u"2065550123@carrier.example");
    char16_t tiny[8] = u"junk";
    EXPECT_EQ(WinTS_GetNAI(tiny, 8), 0);
    EXPECT_EQ(tiny[0], u'\0');
}

TEST(TesselRes, TheSystemStatePassesUnlessTheDeviceRefusesWithAText)
{
    TempDeviceRoot root;
    struct Case {
        std::string conf;
        int passes;
        std::u16string message;
    } cases[] = {
        {"", 1, u""},
        {"system.refuse =\n", 1, u""},
        {"system.refuse = Tessel is disabled on this phone.\n", 0, u"Tessel is disabled on this phone."},
        {"system.refuse = Pr\xC3\xBC"
         "fung\n",
            0, u"Pr\u00FCfung"},
        {"system.refuse = " + std::string(300, 'x') + "\n", 0, std::u16string(254, u'x')},
        {"system.refuse = " + std::string(253, 'x') + "\xF0\x9F\x98\x80" + "\n", 0,
            std::u16string(253, u'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conf.substr(0, 40));
        root.writeDeviceConf(c.conf);
        char16_t message[255] = u"junk";
        EXPECT_EQ(WinTS_CheckSystemState(message, 255), c.passes);
        EXPECT_EQ(wideText(message), c.message);
    }
}

TEST(TesselRes, TemplatesHoldTheControlsTheWindowsLookUp)
{
    struct Case {
        int id;
        std::vector<int> controls;
    } cases[] = {
        {102, {1002, 1003}},
        {104, {}},
        {105, {1001, 1002, 1003}},
        {106, {1005, 1002, 1003, 1004}},
        {107, {1002, 1003, 1006}},
        {108, {1002, 1007, 1008}},
        {109, {1002, 1007, 1008}},
        {110, {1002, 1006, 1008, 1100}},
        {112, {1102}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const DialogTemplate* t = dialogTemplate(c.id);
        ASSERT_NE(t, nullptr);
        std::vector<int> ids;
        for (const TemplateControl& control : t->controls) {
            ids.push_back(control.id);
            EXPECT_LT(control.rect.left, control.rect.right);
            EXPECT_LE(control.rect.right, 240) << "inside the screen";
        }
        EXPECT_EQ(ids, c.controls);
    }
    EXPECT_EQ(dialogTemplate(103), nullptr);
    EXPECT_EQ(dialogTemplate(111), nullptr);
    EXPECT_EQ(dialogTemplate(102)->control(1003)->visible, false)
        << "the button shows once an action takes it";
}

TEST(TesselRes, MenusDeliverTheirCommandsAndString108TakesSizeThenLimit)
{
    struct Case {
        int id;
        std::vector<std::uint32_t> commands;
    } cases[] = {
        {120, {40007, 40009, 40008}},
        {121, {40010, 40011}},
    };
    for (const Case& c : cases) {
        auto menu = loadMenu(c.id);
        ASSERT_TRUE(menu);
        ASSERT_TRUE(menu->at(0) && menu->at(0)->popup) << "the first submenu";
        std::vector<std::uint32_t> commands;
        for (const ui::MenuItem& item : menu->at(0)->popup->items())
            commands.push_back(item.id);
        EXPECT_EQ(commands, c.commands);
    }
    EXPECT_EQ(loadMenu(122), nullptr);
    loadMenu(120)->at(0)->popup->at(0)->grayed = true;
    EXPECT_FALSE(loadMenu(120)->at(0)->popup->at(0)->grayed) << "each load is a fresh copy";

    const std::u16string format = loadString(108);
    std::string narrow(format.begin(), format.end());
    char text[200];
    std::snprintf(text, sizeof text, narrow.c_str(), 2049, 2048);
    EXPECT_EQ(std::string(text), "This file is 2049 KB; files over 2048 KB cannot be added.");
    EXPECT_TRUE(loadString(109).empty());
}

TEST(TesselRes, IconsAndBitmap104AreOurOwnPictures)
{
    for (int id : {128, 1010, 1013, 1019, 1028, 1029, 1030, 1031, 1032, 1080, 1086, 1206, 1207, 1208, 1209,
             1210, 1211, 1212, 1213}) {
        SCOPED_TRACE(id);
        const auto icon = loadIcon(id);
        ASSERT_TRUE(icon.has_value());
        EXPECT_EQ(icon->width(), 32);
        EXPECT_EQ(icon->height(), 32);
    }
    const auto bitmap = loadBitmap(104);
    ASSERT_TRUE(bitmap.has_value());
    EXPECT_EQ(bitmap->width(), 240);
    EXPECT_FALSE(loadIcon(104).has_value()) << "a bitmap is no icon";
    EXPECT_FALSE(loadIcon(9999).has_value());
    EXPECT_NE(iconPng(1207), iconPng(1208)) << "the animation's frames differ";
}
