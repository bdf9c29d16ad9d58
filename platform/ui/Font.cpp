#include "platform/ui/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessel::ui {

namespace {

// FreeType's library is shared; opening and closing faces goes through it.
std::mutex gLibraryMutex;
FT_Library gLibrary = nullptr;

FT_Library library()
{
    if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0)
        gLibrary = nullptr;
    return gLibrary;
}

} // namespace

struct Font::Face {
    FT_Face face = nullptr;
};

std::string fontFileFor(const FontDescription& d, const std::string& folder)
{
    const bool mono = (d.pitchAndFamily & 3) == kFixedPitch;
    const bool bold = d.weight >= kFontWeightBold;
    const std::string family = mono ? "DejaVuSansMono" : "DejaVuSans";
    // The exact face first, then one with less of the style, so a machine
    // without a styled face still draws the text in its family's plain face.
    std::vector<std::string> names;
    if (bold && d.italic)
        names.push_back(family + "-BoldOblique");
    if (bold)
        names.push_back(family + "-Bold");
    if (d.italic)
        names.push_back(family + "-Oblique");
    names.push_back(family);
    names.push_back("DejaVuSans");
    for (const std::string& name : names) {
        const std::string path = folder + name + ".ttf";
        if (::access(path.c_str(), R_OK) == 0)
            return path;
    }
    return folder + names.front() + ".ttf";
}

std::shared_ptr<Font> Font::create(const FontDescription& description)
{
    std::shared_ptr<Font> font(new Font);
    font->description_ = description;
    font->face_ = std::make_unique<Face>();
    std::lock_guard<std::mutex> lock(gLibraryMutex);
    FT_Library lib = library();
    if (!lib || FT_New_Face(lib, fontFileFor(description).c_str(), 0, &font->face_->face) != 0)
        return nullptr;
    FT_Face face = font->face_->face;
    const double cell = static_cast<double>(face->ascender - face->descender) / face->units_per_EM;
    int height = description.height == 0 ? kSystemFontCellHeight : description.height;
    // A cell height holds ascender and descender; a character height is the em.
    int em = height < 0 ? -height : std::max(1, static_cast<int>(std::lround(height / cell)));
    em = std::min(em, 1000);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    font->ascent_
        = static_cast<int>(std::lround(em * static_cast<double>(face->ascender) / face->units_per_EM));
    font->lineHeight_ = height > 0 ? height : static_cast<int>(std::lround(em * cell));
    return font;
}

std::shared_ptr<Font> Font::system()
{
    static std::shared_ptr<Font> font = create(FontDescription {});
    return font;
}

Font::~Font()
{
    if (face_ && face_->face) {
        std::lock_guard<std::mutex> lock(gLibraryMutex);
        FT_Done_Face(face_->face);
    }
}

unsigned Font::glyphIndex(char32_t c)
{
    // Index 0 is the face's missing-glyph box.
    return FT_Get_Char_Index(face_->face, c);
}

int Font::advance(char32_t c)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (FT_Load_Glyph(face_->face, glyphIndex(c), FT_LOAD_DEFAULT) != 0)
        return 0;
    return static_cast<int>((face_->face->glyph->advance.x + 32) >> 6);
}

int Font::draw(Bitmap* target, int x, int baseline, char32_t c, Color color, const Rect& clip)
{
    std::lock_guard<std::mutex> lock(mutex_);
    FT_Face face = face_->face;
    if (FT_Load_Glyph(face, glyphIndex(c), FT_LOAD_RENDER) != 0)
        return x;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& glyph = slot->bitmap;
    const Rect area = clip.intersect(target->bounds());
    for (unsigned gy = 0; gy < glyph.rows; ++gy) {
        const int py = baseline - slot->bitmap_top + static_cast<int>(gy);
        if (py < area.top || py >= area.bottom)
            continue;
        const unsigned char* src = glyph.buffer + static_cast<std::ptrdiff_t>(gy) * glyph.pitch;
        for (unsigned gx = 0; gx < glyph.width; ++gx) {
            const int px = x + slot->bitmap_left + static_cast<int>(gx);
            if (px < area.left || px >= area.right)
                continue;
            unsigned coverage = glyph.pixel_mode == FT_PIXEL_MODE_MONO
                ? ((src[gx / 8] >> (7 - gx % 8)) & 1) * 255
                : src[gx];
            target->blend(px, py, color, coverage);
        }
    }
    return x + static_cast<int>((slot->advance.x + 32) >> 6);
}

} // namespace tessel::ui
