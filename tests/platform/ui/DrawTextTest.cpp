#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace tessel::ui {
namespace {

constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kBlack = rgb(0, 0, 0);

std::shared_ptr<Font> font(int height = -12, int weight = 400, bool italic = false, int pitch = 0)
{
    FontDescription d;
    d.height = height;
    d.weight = weight;
    d.italic = italic;
    d.pitchAndFamily = pitch;
    return Font::create(d);
}

struct Surface {
    explicit Surface(int width = 200, int height = 120)
        : bitmap(std::make_shared<Bitmap>(width, height, kWhite))
        , canvas(bitmap)
    {
        canvas.selectFont(font());
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.setTextColor(kBlack);
    }
    // The box around every pixel that is not white.
    Rect inked() const
    {
        Rect r {bitmap->width(), bitmap->height(), 0, 0};
        for (int y = 0; y < bitmap->height(); ++y)
            for (int x = 0; x < bitmap->width(); ++x)
                if (opaque(bitmap->pixel(x, y)) != kWhite)
                    r = Rect {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                        std::max(r.bottom, y + 1)};
        return r;
    }
    std::shared_ptr<Bitmap> bitmap;
    Canvas canvas;
};

TEST(DrawTextTest, FontDescriptionsChooseTheDejaVuFace)
{
    struct Case {
        int weight;
        bool italic;
        int pitch;
        const char* file;
    };
    const Case cases[] = {
        {400, false, 0, "DejaVuSans.ttf"},
        {700, false, 0, "DejaVuSans-Bold.ttf"},
        {699, false, 0, "DejaVuSans.ttf"},
        {400, true, 0, "DejaVuSans-Oblique.ttf"},
        {900, true, 0, "DejaVuSans-BoldOblique.ttf"},
        {400, false, 1, "DejaVuSansMono.ttf"},
        {700, false, 1, "DejaVuSansMono-Bold.ttf"},
    };
    for (const Case& c : cases) {
        FontDescription d;
        d.weight = c.weight;
        d.italic = c.italic;
        d.pitchAndFamily = c.pitch;
        const std::string file = fontFileFor(d);
        // The oblique faces come with fonts-dejavu-extra (tools/deps.d).
        EXPECT_EQ(file.substr(file.rfind('/') + 1), c.file);
        EXPECT_NE(Font::create(d), nullptr) << c.file;
    }
    // A negative height is the character height; a positive one the cell's.
    EXPECT_EQ(font(20)->lineHeight(), 20);
    EXPECT_GT(font(-20)->lineHeight(), 20);
    EXPECT_EQ(font(0)->lineHeight(), kSystemFontCellHeight);
    // Mono: every character the same advance.
    auto mono = font(-12, 400, false, 1);
    EXPECT_EQ(mono->advance(U'i'), mono->advance(U'W'));
}

// A folder short of some faces: each description takes the nearest plainer
// face that is there, and with none there the exact path, which no font opens.
TEST(DrawTextTest, AMissingFaceGivesWayToAPlainerOne)
{
    char pattern[] = "/tmp/tessel-fonts-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    const std::string folder = dir.string() + "/";
    struct Case {
        std::vector<const char*> present;
        int weight;
        bool italic;
        int pitch;
        const char* file;
    };
    const Case cases[] = {
        {{"DejaVuSans", "DejaVuSans-Bold"}, 400, true, 0, "DejaVuSans.ttf"},
        {{"DejaVuSans", "DejaVuSans-Bold"}, 700, true, 0, "DejaVuSans-Bold.ttf"},
        {{"DejaVuSans", "DejaVuSans-Oblique"}, 700, true, 0, "DejaVuSans-Oblique.ttf"},
        {{"DejaVuSans", "DejaVuSansMono"}, 700, true, 1, "DejaVuSansMono.ttf"},
        {{"DejaVuSans"}, 400, false, 1, "DejaVuSans.ttf"},
        {{"DejaVuSans-Bold"}, 400, true, 0, "DejaVuSans-Oblique.ttf"},
        {{}, 700, true, 1, "DejaVuSansMono-BoldOblique.ttf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directory(dir);
        for (const char* name : c.present)
            std::ofstream(dir / (std::string(name) + ".ttf")) << "face";
        FontDescription d;
        d.weight = c.weight;
        d.italic = c.italic;
        d.pitchAndFamily = c.pitch;
        EXPECT_EQ(fontFileFor(d, folder), folder + c.file);
    }
    std::filesystem::remove_all(dir);
}

TEST(DrawTextTest, CalcRectGivesOneLineHeightPerWrappedLine)
{
    Surface s;
    const int line = s.canvas.font()->lineHeight();
    const int width = s.canvas.font()->advance(U'w') * 8;
    struct Case {
        const char16_t* text;
        int lines;
    };
    const Case cases[] = {
        {u"one", 1},
        {u"wide words wrap here", 2},
        {u"wide words wrap here and here", 3},
        {u"line\r\nbreaks", 2},
        {u"line\nbreaks\rthree", 3},
        {u"", 0},
    };
    for (const Case& c : cases) {
        Rect r {10, 5, 10 + width, 5};
        const unsigned flags = kDtCalcRect | kDtWordBreak | kDtNoPrefix | kDtCenter; // the measure's 0xC11
        ASSERT_EQ(flags, 0xC11u);
        const int height = s.canvas.drawText(c.text, &r, flags);
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)).size());
        EXPECT_EQ(height, c.lines * line);
        EXPECT_EQ(r.bottom, 5 + c.lines * line);
        EXPECT_LE(r.right, 10 + width);
    }
    // Measuring draws nothing.
    EXPECT_TRUE(s.inked().empty());
}

TEST(DrawTextTest, EllipsisPrefixAndCentring)
{
    Surface s;
    Font& f = *s.canvas.font();
    auto widthOf = [&](const std::u32string& t) {
        int w = 0;
        for (char32_t c : t)
            w += f.advance(c);
        return w;
    };
    // END_ELLIPSIS: a line too wide for the box is cut and ends in "...".
    Rect narrow {0, 0, widthOf(U"Hello..."), 0};
    s.canvas.drawText(u"Hello wonderful world", &narrow, kDtCalcRect | kDtSingleLine | kDtEndEllipsis);
    EXPECT_EQ(narrow.width(), widthOf(U"Hello..."));
    Rect fits {0, 0, 500, 0};
    s.canvas.drawText(u"Hello", &fits, kDtCalcRect | kDtEndEllipsis);
    EXPECT_EQ(fits.width(), widthOf(U"Hello"));

    // NOPREFIX keeps "&"; without it "&" goes and "&&" is one "&".
    struct Case {
        const char16_t* text;
        unsigned flags;
        std::u32string shown;
    };
    const Case cases[] = {
        {u"Save & Send", kDtNoPrefix, U"Save & Send"},
        {u"&Save", 0, U"Save"},
        {u"A&&B", 0, U"A&B"},
    };
    for (const Case& c : cases) {
        Rect r {0, 0, 500, 0};
        s.canvas.drawText(c.text, &r, kDtCalcRect | c.flags);
        EXPECT_EQ(r.width(), widthOf(c.shown));
    }

    // CENTER and VCENTER put the ink in the middle of the box.
    Surface centred(200, 100);
    Rect box {0, 0, 200, 100};
    centred.canvas.drawText(u"Centre", &box, kDtCenter | kDtVCenter | kDtSingleLine);
    const Rect ink = centred.inked();
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 50, 4);
    Surface left(200, 100);
    Rect box2 {0, 0, 200, 100};
    left.canvas.drawText(u"Centre", &box2, 0);
    EXPECT_LT(left.inked().left, 3);
    EXPECT_LT(left.inked().top, 6);
}

TEST(DrawTextTest, SurrogatesAndMissingGlyphsRender)
{
    EXPECT_EQ(codePoints(u"a\U0001F600b"), U"a\U0001F600b");
    EXPECT_EQ(codePoints(std::u16string {u'a', char16_t(0xD83D)}), U"a\uFFFD");
    EXPECT_EQ(codePoints(std::u16string {char16_t(0xDE00), u'b'}), U"\uFFFDb");

    // A pair is measured as one character, not two halves.
    Surface s;
    Rect pair {0, 0, 500, 0};
    s.canvas.drawText(u"\U0001F600", &pair, kDtCalcRect);
    EXPECT_EQ(pair.width(), s.canvas.font()->advance(U'\U0001F600'));

    // Characters DejaVu lacks draw its box: ink, nothing thrown or lost.
    for (const char16_t* text : {u"\U0001F600", u"\u4E2D\u6587", u"\xD800", u"x\U0010FFFF"}) {
        Surface d(100, 40);
        Rect box {0, 0, 100, 40};
        d.canvas.drawText(text, &box, kDtNoPrefix);
        EXPECT_FALSE(d.inked().empty());
    }
    // Drawing clips to the rectangle given.
    Surface clipped(100, 40);
    Rect tiny {10, 10, 20, 20};
    clipped.canvas.drawText(u"WWWWWWWW", &tiny, 0);
    const Rect ink = clipped.inked();
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 20);
    EXPECT_LE(ink.bottom, 20);
}

TEST(DrawTextTest, OpaqueModeFillsTheLineBackground)
{
    Surface s(100, 30);
    s.canvas.setBackgroundMode(BackgroundMode::Opaque);
    s.canvas.setBackgroundColor(rgb(255, 0, 0));
    Rect r {0, 0, 100, 30};
    s.canvas.drawText(u"i", &r, 0);
    EXPECT_EQ(opaque(s.bitmap->pixel(0, 1)), rgb(255, 0, 0));
    EXPECT_EQ(opaque(s.bitmap->pixel(90, 1)), kWhite);
}

} // namespace
} // namespace tessel::ui
