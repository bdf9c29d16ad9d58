#pragma once

#include "platform/ui/Bitmap.h"

#include <memory>
#include <mutex>
#include <string>

// A font of the phone's font description, drawn with FreeType from the
// DejaVu faces: DejaVu Sans, Bold from weight 700, Oblique when italic,
// Mono for fixed pitch; a missing face gives way to a plainer one. A
// negative height is the character height, a positive one the cell height,
// 0 the system font's.
namespace tessel::ui {

struct FontDescription {
    int height = 0;
    int width = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    int pitchAndFamily = 0; // low bits 1: fixed pitch
    std::u16string faceName;
};

inline constexpr int kFontWeightBold = 700;
inline constexpr int kFixedPitch = 1;
// The system font's cell height in pixels.
inline constexpr int kSystemFontCellHeight = 16;

class Font : public std::enable_shared_from_this<Font> {
public:
    // Null when the face file cannot be opened.
    static std::shared_ptr<Font> create(const FontDescription& description);
    // The system font, made once.
    static std::shared_ptr<Font> system();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontDescription& description() const { return description_; }
    int ascent() const { return ascent_; }
    int lineHeight() const { return lineHeight_; }
    // Advance of one character in pixels (a missing one: the box's).
    int advance(char32_t c);
    // Draws c with its origin at (x, baseline) clipped to clip; the next x.
    int draw(Bitmap* target, int x, int baseline, char32_t c, Color color, const Rect& clip);

private:
    Font() = default;
    unsigned glyphIndex(char32_t c);

    FontDescription description_;
    struct Face;
    std::unique_ptr<Face> face_;
    int ascent_ = 0;
    int lineHeight_ = 0;
    std::mutex mutex_;
};

inline constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";

// The DejaVu file a description takes in folder (ending in '/'). A styled
// face that is not there gives way to the same family with less style, then
// to DejaVu Sans; with none of them there, the exact face's path.
std::string fontFileFor(const FontDescription& description, const std::string& folder = kFontFolder);

} // namespace tessel::ui
