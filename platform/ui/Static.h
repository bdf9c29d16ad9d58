#pragma once

#include "platform/ui/Window.h"

#include <memory>

// The static control: a text (or a picture) that takes no keys, in its
// own font when it was given one. Placed at a
// rectangle, the text wraps at its width (left, centred or right); in rows
// it is one row like any control.
namespace tessel::ui {

class Static : public Window {
public:
    static constexpr const char16_t* kClassName = u"static";
    enum Style : unsigned { kLeft = 0, kCenter = 1, kRight = 2 };

    bool create(Window* parent, int controlId, const std::u16string& text, unsigned style = kLeft);
    bool create(
        Window* parent, int controlId, const std::u16string& text, const Rect& rect, unsigned style = kLeft);
    void setStyle(unsigned style) { style_ = style; }
    // A picture drawn centred in the control instead of the text.
    void setBitmap(std::shared_ptr<const Bitmap> bitmap) { bitmap_ = std::move(bitmap); }
    const std::shared_ptr<const Bitmap>& bitmap() const { return bitmap_; }
    // The picture of kStmSetImage (not owned), drawn before the one above.
    const Bitmap* image() const { return image_; }
    std::uint32_t imageType() const { return imageType_; }

    int paint(Canvas& canvas, const Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    unsigned style_ = kLeft;
    std::shared_ptr<const Bitmap> bitmap_;
    const Bitmap* image_ = nullptr;
    std::uint32_t imageType_ = kImageBitmap;
};

} // namespace tessel::ui
