#include "ui/Elements/WinTSElementMediaContainer.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLMediaListElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/Notification.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/Elements/ScreenColours.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;
using Paths = std::vector<std::u16string>;
using Container = CWinTSElementMediaContainer;

// A media container over its own media list, in a dialog.
struct Grid {
    explicit Grid(std::int32_t images, std::int32_t videos, const std::vector<std::string>& engineItems = {})
    {
        media.setLimits(videos, images);
        for (const std::string& id : engineItems) {
            auto* item = new CVXLMediaItem;
            item->setId(id.c_str());
            media.adopt(item);
        }
        host.createModeless(u"Compose");
        element = std::make_unique<Container>(WinTSElementLink {
            kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, nullptr});
        element->Create(&host, &media, ui::Rect {0, 30, 240, 300}, 0xE00, 0x50000000);
    }
    ~Grid()
    {
        element.reset();
        host.destroy();
    }
    std::vector<std::string> engine() const
    {
        std::vector<std::string> ids;
        for (std::uint32_t i = 0; i < media.count(); ++i)
            ids.push_back(media.at(i)->id().c_str());
        return ids;
    }
    std::vector<std::u16string> menu() const
    {
        std::vector<std::u16string> texts;
        for (int n = 0; n < element->GetMenuItemCount(); ++n) {
            std::uint32_t flags = 0;
            std::uint32_t command = 0;
            std::u16string text;
            element->GetMenuItem(n, &flags, &command, &text);
            texts.push_back(text);
        }
        return texts;
    }

    CVXLMediaListElement media;
    ui::Dialog host;
    std::unique_ptr<Container> element;
};

std::u16string notice()
{
    ui::Notification* shown = ui::Notification::current();
    if (!shown)
        return u"";
    std::vector<std::u16string> lines;
    shown->describe(&lines);
    ui::Notification::dismiss();
    return lines.size() > 1 ? lines[1] : u"";
}

std::string pictures(const std::string& name)
{
    return "My Documents/My Pictures/" + name;
}

std::u16string phonePath(const std::string& name)
{
    return u"\\My Documents\\My Pictures\\" + kernel::utf8ToWide(name);
}

TEST(WinTSElementMediaContainer, TheElementsLimitsRefuseWithTheirMessage)
{
    TempDeviceRoot root;
    struct Add {
        const char* file;
        const char16_t* refusal; // empty: accepted
    };
    struct Case {
        std::int32_t images;
        std::int32_t videos;
        std::vector<Add> adds;
        int capacity;
    };
    const Case cases[] = {
        {0, 1,
            {{"a.jpg", u"This message is limited to 0 images"}, {"v.3gp", u""},
                {"w.3gp", u"This message is limited to 1 videos"}},
            1},
        {2, 0,
            {{"a.jpg", u""}, {"v.3gp", u"This message is limited to 0 videos"}, {"b.png", u""},
                {"c.jpg", u"This message is limited to 2 images"}},
            2},
        {1, 1, {{"v.3gp", u""}, {"a.jpg", u""}, {"b.jpg", u"This message is limited to 1 images"}}, 2},
        // The grid holds 30 whatever the limits say.
        {25, 25, {{"a.jpg", u""}}, 30},
        // A limit below 0 takes nothing.
        {-1, 1, {{"a.jpg", u"This message is limited to 0 images"}}, 1},
    };
    for (const char* file : {"a.jpg", "b.png", "c.jpg", "v.3gp", "w.3gp"})
        root.writeFile(pictures(file), "x");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.images) + " images, " + std::to_string(c.videos) + " videos");
        Grid grid(c.images, c.videos);
        EXPECT_EQ(grid.element->capacity(), c.capacity);
        Paths accepted;
        for (const Add& add : c.adds) {
            SCOPED_TRACE(add.file);
            const bool taken = grid.element->AddFile(phonePath(add.file));
            EXPECT_EQ(taken, *add.refusal == u'\0');
            EXPECT_EQ(notice(), add.refusal);
            if (taken)
                accepted.push_back(phonePath(add.file));
        }
        EXPECT_EQ(grid.element->paths(), accepted);
        EXPECT_TRUE(grid.engine().empty()) << "a refused or an accepted file waits for Store";
    }
}

TEST(WinTSElementMediaContainer, AFileOfExactlyTheSizeLimitIsTakenAndOneKilobyteMoreIsNot)
{
    TempDeviceRoot root;
    root.writeFile(pictures("limit.jpg"), std::string(2'097'152, 'x'));
    root.writeFile(pictures("over.jpg"), std::string(2'098'176, 'x'));
    root.writeFile(pictures("small.jpg"), std::string(20'480, 'x'));
    Grid grid(5, 0);
    EXPECT_TRUE(grid.element->AddFile(phonePath("limit.jpg")));
    EXPECT_EQ(notice(), u"");
    EXPECT_FALSE(grid.element->AddFile(phonePath("over.jpg")));
    EXPECT_EQ(notice(), u"This file is 2049 KB; files over 2048 KB cannot be added.");

    // The limit is UIConfig's, in kilobytes.
    registryWriteDword(u"UIConfig", u"MediaMaxSize", 19);
    EXPECT_FALSE(grid.element->AddFile(phonePath("small.jpg")));
    EXPECT_EQ(notice(), u"This file is 20 KB; files over 19 KB cannot be added.");
    EXPECT_EQ(grid.element->paths(), (Paths {phonePath("limit.jpg")}));
}

// Store makes one change per call: the first slot the engine lacks, else
// the first engine item no slot shows. Removed items the list was handed
// are deleted with it (ASan sees a leak or a double delete).
TEST(WinTSElementMediaContainer, EachStoreMakesOneChange)
{
    TempDeviceRoot root;
    root.writeFile(pictures("a.jpg"), "x");
    root.writeFile(pictures("b.jpg"), "x");
    Grid grid(3, 0, {"\\My Documents\\My Pictures\\old.jpg"});
    ASSERT_TRUE(grid.element->AddFile(phonePath("a.jpg")));
    ASSERT_TRUE(grid.element->AddFile(phonePath("b.jpg")));
    const std::string old = "\\My Documents\\My Pictures\\old.jpg";
    const std::string a = "\\My Documents\\My Pictures\\a.jpg";
    const std::string b = "\\My Documents\\My Pictures\\b.jpg";
    grid.element->Store();
    EXPECT_EQ(grid.engine(), (std::vector<std::string> {old, a}));
    EXPECT_TRUE(grid.media.at(1)->isImage());
    grid.element->Store();
    EXPECT_EQ(grid.engine(), (std::vector<std::string> {old, a, b}));
    grid.element->Store();
    EXPECT_EQ(grid.engine(), (std::vector<std::string> {old, a, b})) << "nothing left to do";

    // Removing two thumbnails takes two Stores too.
    grid.element->list().select(0);
    grid.element->RemoveSelected();
    grid.element->list().select(0);
    grid.element->RemoveSelected();
    EXPECT_EQ(grid.element->list().itemCount(), 1) << "the removed thumbnails go at once";
    grid.element->Store();
    EXPECT_EQ(grid.engine(), (std::vector<std::string> {a, b}));
    grid.element->Store();
    EXPECT_EQ(grid.engine(), (std::vector<std::string> {b}));
    EXPECT_EQ(grid.menu(), (std::vector<std::u16string> {u"Add", u"Remove"}));
}

// A grid of three; the selection before the key, the key, whether the
// element takes it and the selection after it.
TEST(WinTSElementMediaContainer, ArrowKeysWalkTheGridAndUpAndDownLeaveItAtItsEnds)
{
    TempDeviceRoot root;
    struct Case {
        int before;
        std::uint32_t key;
        bool handled;
        int after;
    };
    const Case cases[] = {
        {1, ui::kVkLeft, true, 0},
        {0, ui::kVkLeft, true, -1},
        {-1, ui::kVkLeft, true, 2},
        {0, ui::kVkUp, false, 0},
        {2, ui::kVkUp, true, 1},
        {-1, ui::kVkUp, true, 2},
        {1, ui::kVkRight, true, 2},
        {2, ui::kVkRight, true, -1},
        {-1, ui::kVkRight, true, 0},
        {2, ui::kVkDown, false, 2},
        {0, ui::kVkDown, true, 1},
        {1, ui::kVkEscape, false, 1},
    };
    Grid grid(5, 0, {"\\a\\1.jpg", "\\a\\2.jpg", "\\a\\3.jpg"});
    ASSERT_EQ(grid.element->list().itemCount(), 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " key " + std::to_string(c.key));
        grid.element->list().select(c.before);
        EXPECT_EQ(grid.element->OnKey(c.key), c.handled);
        EXPECT_EQ(grid.element->list().selected(), c.after);
    }

    Grid empty(5, 0);
    EXPECT_FALSE(empty.element->OnKey(ui::kVkUp));
    EXPECT_FALSE(empty.element->OnKey(ui::kVkDown));
    EXPECT_TRUE(empty.element->OnKey(ui::kVkLeft));
}

TEST(WinTSElementMediaContainer, EnterOpensTheChooserAndItsFileJoinsTheGrid)
{
    TempDeviceRoot root;
    registryWrite(u"UIConfig", u"MediaFilter", u"*.jpg;*.png");
    root.writeFile(pictures("a.jpg"), "x");
    root.writeFile(pictures("Trip/b.png"), "x");
    root.writeFile(pictures("c.gif"), "x");
    Grid grid(5, 0);
    EXPECT_EQ(grid.menu(), (std::vector<std::u16string> {u"Add"}));
    ui::scriptPickerAnswer(0);
    EXPECT_TRUE(grid.element->OnKey(ui::kVkReturn));
    EXPECT_EQ(grid.element->paths(), (Paths {u"\\My Documents\\My Pictures\\Trip\\b.png"}));
    ASSERT_EQ(grid.element->list().itemCount(), 1);
    EXPECT_EQ(grid.element->list().itemText(0), u"b.png");
    EXPECT_EQ(grid.menu(), (std::vector<std::u16string> {u"Add", u"Remove"}));

    // A cancelled chooser changes nothing.
    ui::scriptPickerAnswer(-1);
    grid.element->ExecuteMenuItem(Container::kCommandAdd);
    EXPECT_EQ(grid.element->paths().size(), 1u);
}

// The chooser's extended flags by the device's OEM text and by what is chosen.
TEST(WinTSElementMediaContainer, OneDevicesChooserOpensWithoutFlag0x200)
{
    TempDeviceRoot root;
    struct Case {
        const char* oem;
        std::uint32_t command;
        const char* logged;
    };
    const Case cases[] = {
        {"SPH-i325", Container::kChoosePicture, "\\My Documents\\My Pictures: flags 0x0, extended 0x30002"},
        {"SPH-i325", Container::kChooseVideo, "\\My Documents\\My Videos: flags 0x0, extended 0x30012"},
        {"SPH-i330", Container::kChoosePicture, "\\My Documents\\My Pictures: flags 0x0, extended 0x30202"},
        {"Tessel Phone", Container::kChooseVideo, "\\My Documents\\My Videos: flags 0x0, extended 0x30212"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oem);
        root.writeDeviceConf(std::string("oem.info = ") + c.oem + "\n");
        Grid grid(5, 5);
        grid.element->windowProc(ui::kWmCommand, c.command, 0);
        const std::vector<std::string> lines = testLines(root.readFile("log/openfile.log"));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), c.logged);
    }
}

// 31 engine items: the grid lists 30, Store removes none of them, and the
// one beyond counts against the limit.
TEST(WinTSElementMediaContainer, AnEngineItemBeyondThirtyIsKeptAndCounted)
{
    TempDeviceRoot root;
    std::vector<std::string> ids;
    for (int i = 0; i < 31; ++i)
        ids.push_back("\\My Documents\\My Pictures\\p" + std::to_string(i) + ".jpg");
    root.writeFile(pictures("new.jpg"), "x");
    Grid grid(40, 0, ids);
    EXPECT_EQ(grid.element->list().itemCount(), 30);
    grid.element->Store();
    grid.element->Store();
    EXPECT_EQ(grid.engine(), ids);
    EXPECT_EQ(grid.menu(), (std::vector<std::u16string> {u"Remove"})) << "30 shown and one more: full";

    grid.element->list().select(29);
    grid.element->RemoveSelected();
    EXPECT_FALSE(grid.element->AddFile(phonePath("new.jpg"))) << "29 shown and the unlisted one are 30";
    grid.element->Store();
    std::vector<std::string> left = ids;
    left.erase(left.begin() + 29);
    EXPECT_EQ(grid.engine(), left) << "only the removed one goes";
}

TEST(WinTSElementMediaContainer, RefreshDropsAnItemWithoutAPhonePath)
{
    TempDeviceRoot root;
    Grid grid(5, 0, {"\\a\\1.jpg", "plain.jpg", "\\a\\2.jpg"});
    EXPECT_EQ(grid.engine(), (std::vector<std::string> {"\\a\\1.jpg", "\\a\\2.jpg"}));
    EXPECT_EQ(grid.element->paths(), (Paths {u"\\a\\1.jpg", u"\\a\\2.jpg"}));
}

// "RRGGBB" as the channel that clearly leads, or "mixed".
std::string leading(const std::string& hex)
{
    const int r = std::stoi(hex.substr(0, 2), nullptr, 16);
    const int g = std::stoi(hex.substr(2, 2), nullptr, 16);
    const int b = std::stoi(hex.substr(4, 2), nullptr, 16);
    if (r > 200 && g < 60 && b < 60)
        return "red";
    if (b > 200 && r < 60 && g < 60)
        return "blue";
    if (g > 200 && r < 60 && b < 60)
        return "green";
    if (r > 230 && g > 230 && b > 230)
        return "white";
    return "mixed " + hex;
}

TEST(WinTSElementMediaContainer, ThumbnailsAreThePicturesThemselves)
{
    TempDeviceRoot root;
    auto solid = [](unsigned char r, unsigned char g, unsigned char b) {
        return testJpeg(640, 480, 3, 90, [=](unsigned, unsigned char* row) {
            for (int x = 0; x < 640; ++x) {
                row[x * 3] = r;
                row[x * 3 + 1] = g;
                row[x * 3 + 2] = b;
            }
        });
    };
    root.writeFile(pictures("red.jpg"), solid(220, 20, 20));
    root.writeFile(pictures("blue.jpg"), solid(20, 20, 220));
    root.writeFile(pictures("broken.jpg"), "no picture at all");
    // A video shows UIConfig's video icon.
    root.writeFile("Windows/video.jpg", solid(20, 220, 20));
    registryWrite(u"UIConfig", u"videoIcon", u"\\Windows\\video.jpg");
    Grid grid(5, 5,
        {"\\My Documents\\My Pictures\\red.jpg", "\\My Documents\\My Pictures\\broken.jpg",
            "\\My Documents\\My Pictures\\blue.jpg", "\\My Documents\\My Videos\\clip.3gp"});
    EXPECT_EQ(grid.element->cachedThumbnails(), 4);
    grid.element->Refresh(&grid.media);
    EXPECT_EQ(grid.element->cachedThumbnails(), 4) << "each picture is decoded once";

    ui::Compositor compositor;
    compositor.compose();
    const ui::Rect at = grid.element->list().shownAt();
    ASSERT_FALSE(at.empty());
    const int cell = grid.element->list().rowHeight();
    std::vector<std::pair<int, int>> spots;
    for (int i = 0; i < 4; ++i)
        spots.emplace_back(at.left + i * cell + cell / 2, at.top + cell / 2);
    const std::vector<std::string> colours = pngColours(root, spots);
    ASSERT_EQ(colours.size(), 4u);
    EXPECT_EQ(leading(colours[0]), "red");
    EXPECT_EQ(leading(colours[1]), "white") << "a file that is no picture shows the blank thumbnail";
    EXPECT_EQ(leading(colours[2]), "blue");
    EXPECT_EQ(leading(colours[3]), "green");
}

} // namespace
