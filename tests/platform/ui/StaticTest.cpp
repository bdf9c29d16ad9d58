#include "platform/ui/Static.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Font.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/TextSnapshot.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessel::ui {
namespace {

// Rows of the frame inside r that hold text-coloured ink.
int inkRows(const Bitmap& frame, const Rect& r)
{
    int rows = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const Color c = frame.pixel(x, y);
            if (red(c) < 100 && green(c) < 100 && blue(c) < 100) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

std::int64_t send(Window& window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    return window.windowProc(message, wParam, lParam);
}

std::uint64_t fontParam(const std::shared_ptr<Font>& font)
{
    return reinterpret_cast<std::uintptr_t>(font.get());
}

TEST(Static, EachControlDrawsInTheFontItWasGivenAndKeepsIt)
{
    TempDeviceRoot root;
    Dialog screen;
    ASSERT_TRUE(screen.createModeless(u"Fonts"));
    Static plain, large, reset;
    ASSERT_TRUE(plain.create(&screen, 1, u"HHHH", Rect {0, 100, 200, 150}));
    ASSERT_TRUE(large.create(&screen, 2, u"HHHH", Rect {0, 150, 200, 200}));
    ASSERT_TRUE(reset.create(&screen, 3, u"HHHH", Rect {0, 200, 200, 250}));
    // Controls in rows (from the top) share one canvas: the font of the
    // first must not stay with it.
    Window rowsFonted, rowsAfter;
    ASSERT_TRUE(rowsFonted.create(u"static", u"HHHH", &screen, 4));
    ASSERT_TRUE(rowsAfter.create(u"static", u"HHHH", &screen, 5));

    FontDescription bold;
    bold.height = -36;
    bold.weight = kFontWeightBold;
    std::shared_ptr<Font> big = Font::create(bold);
    ASSERT_TRUE(big);
    Font* const bigAddress = big.get();
    EXPECT_EQ(send(large, kWmGetFont, 0, 0), 0) << "no font before one is set";
    send(large, kWmSetFont, fontParam(big), 1);
    send(reset, kWmSetFont, fontParam(big), 1);
    send(reset, kWmSetFont, 0, 1);
    send(rowsFonted, kWmSetFont, fontParam(big), 0);
    big.reset(); // the controls keep what they were given

    EXPECT_EQ(send(large, kWmGetFont, 0, 0),
        static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(bigAddress)));
    EXPECT_EQ(send(reset, kWmGetFont, 0, 0), 0);

    Compositor compositor;
    compositor.compose();
    const Bitmap& frame = compositor.frame();
    const int plainInk = inkRows(frame, plain.shownAt());
    ASSERT_GT(plainInk, 0);
    EXPECT_GE(inkRows(frame, large.shownAt()), plainInk * 2) << "36-pixel capitals against the system font's";
    EXPECT_EQ(inkRows(frame, reset.shownAt()), plainInk) << "font 0 gives the system font back";
    EXPECT_GE(inkRows(frame, rowsFonted.shownAt()), plainInk * 2);
    EXPECT_EQ(inkRows(frame, rowsAfter.shownAt()), plainInk)
        << "the next row is not drawn in its sibling's font";
    screen.destroy();
}

TEST(Static, AnImageMessageShowsTheIconWithItsTransparentPixels)
{
    TempDeviceRoot root;
    Dialog screen;
    ASSERT_TRUE(screen.createModeless(u"Icons"));
    Static icon;
    ASSERT_TRUE(icon.create(&screen, 1001, u"text under", Rect {10, 10, 42, 42}));

    Bitmap first(32, 32, rgb(200, 0, 0));
    first.setPixel(0, 0, 0); // fully transparent
    Bitmap second(32, 32, rgb(0, 0, 200));
    struct Case {
        const char* what;
        std::uint64_t type;
        const Bitmap* image;
        std::int64_t answer;
        const Bitmap* shown;
    };
    const auto address
        = [](const Bitmap* b) { return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(b)); };
    const Case cases[] = {
        {"an icon on an empty control answers none", kImageIcon, &first, 0, &first},
        {"the next icon answers the one it replaces", kImageIcon, &second, address(&first), &second},
        {"a type that is neither bitmap nor icon changes nothing", 2, &first, 0, &second},
        {"a bitmap replaces the icon", kImageBitmap, &first, address(&second), &first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(send(icon, kStmSetImage, c.type, address(c.image)), c.answer);
        EXPECT_EQ(icon.image(), c.shown);
        EXPECT_EQ(send(icon, kStmGetImage, icon.imageType(), 0), address(c.shown));
    }
    send(icon, kStmSetImage, kImageIcon, address(&first));
    EXPECT_EQ(send(icon, kStmGetImage, kImageBitmap, 0), 0) << "asked for the other type";

    Compositor compositor;
    compositor.compose();
    const Rect at = icon.shownAt();
    ASSERT_EQ(at.width(), 32);
    EXPECT_EQ(colorRef(compositor.frame().pixel(at.left + 5, at.top + 5)), colorRef(rgb(200, 0, 0)));
    EXPECT_EQ(colorRef(compositor.frame().pixel(at.left, at.top)), colorRef(systemColor(kColorWindow)))
        << "the transparent pixel shows what is under it";
    EXPECT_EQ(inkRows(compositor.frame(), at), 0) << "the picture is drawn instead of the text";

    send(icon, kStmSetImage, kImageIcon, 0);
    compositor.compose();
    EXPECT_GT(inkRows(compositor.frame(), at), 0) << "without a picture the text shows again";
    screen.destroy();
}

} // namespace
} // namespace tessel::ui
