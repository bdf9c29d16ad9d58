#pragma once

#include "platform/ui/Bitmap.h"

#include <vector>

// Images of one size, each with the colour that shows through when drawn
// (the mask colour it was added with).
namespace tessel::ui {

class Canvas;

class ImageList {
public:
    ImageList(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int count() const { return static_cast<int>(images_.size()); }
    // Scaled to the list's size when it differs; the new index, or -1 for
    // an empty bitmap.
    int add(const Bitmap& bitmap, Color maskColor);
    // Draws image index with its top left at (x, y); false for a bad index.
    bool draw(Canvas& canvas, int index, int x, int y) const;
    void clear() { images_.clear(); }

private:
    struct Entry {
        Bitmap bitmap;
        Color mask;
    };
    int width_;
    int height_;
    std::vector<Entry> images_;
};

} // namespace tessel::ui
