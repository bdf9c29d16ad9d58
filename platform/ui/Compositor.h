#pragma once

#include "platform/ui/Bitmap.h"

#include <cstdint>

// Draws the calling thread's screen into one frame of the device's screen:
// the top-level windows in the order they were made (a message box and the
// notification as panels over the rest), an open menu above the soft-key
// bar, and the soft-key bar of the topmost dialog. compose tells whether
// the frame changed.
namespace tessel::ui {

class Dialog;

class Compositor {
public:
    // The open menu's box over the soft-key bar (empty when none is open)
    // and the height of its rows: where a tap chooses an entry.
    static Rect openMenuRect(const Dialog& dialog, int width, int barTop);
    static int menuRowHeight();

    // The screen size of device.conf.
    Compositor();
    Compositor(int width, int height);

    // True when the new frame differs from the last one (the first always).
    bool compose();
    const Bitmap& frame() const { return frame_; }

private:
    Bitmap frame_;
    bool composed_ = false;
};

} // namespace tessel::ui
