#include "platform/ui/ImageList.h"

#include "platform/ui/Canvas.h"

#include <memory>

namespace tessel::ui {

ImageList::ImageList(int width, int height)
    : width_(width)
    , height_(height)
{
}

int ImageList::add(const Bitmap& bitmap, Color maskColor)
{
    if (bitmap.empty() || width_ <= 0 || height_ <= 0)
        return -1;
    if (bitmap.width() == width_ && bitmap.height() == height_) {
        images_.push_back(Entry {bitmap, maskColor});
    } else {
        auto scaled = std::make_shared<Bitmap>(width_, height_, maskColor);
        Canvas canvas(scaled);
        canvas.stretchBlt(scaled->bounds(), bitmap, bitmap.bounds());
        images_.push_back(Entry {*scaled, maskColor});
    }
    return count() - 1;
}

bool ImageList::draw(Canvas& canvas, int index, int x, int y) const
{
    if (index < 0 || index >= count())
        return false;
    canvas.maskedBlt(x, y, images_[index].bitmap, images_[index].mask);
    return true;
}

} // namespace tessel::ui
