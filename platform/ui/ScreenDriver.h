#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Drives the screen of a user-interface thread from another thread, as a
// person at the keys would, and reads it back as the text snapshot. Every
// input goes into the thread's queue (so its hook sees it first) and, for a
// driver that settles (the tests'), is followed by settle; a front end's
// driver never waits for the thread. Reads wait at most kCallBoundMs, then
// report the thread busy. The tests and the front ends all use it.
namespace tessel::ui {

class Compositor;

class ScreenDriver {
public:
    static constexpr std::uint32_t kSettleTimeoutMs = 10000;
    static constexpr std::uint32_t kCallBoundMs = 2000;

    explicit ScreenDriver(std::uint32_t uiThreadId, bool settles = true);

    // A key down and up to the focused window (else the topmost window).
    void key(std::uint32_t virtualKey);
    // Character messages, one per character.
    void chars(const std::u16string& text);
    // The left (0) or right (1) soft key.
    void softKey(int index);
    // Opens the topmost dialog's soft key with that text and chooses the
    // item; false when missing or grayed.
    bool menu(const std::u16string& softKey, const std::u16string& item);
    // Answers the box that is up, or else the next one to show.
    void answer(int answer);
    // A tap at (x, y) of the last composed frame: on the soft-key bar the
    // soft key, on an open menu its entry, else button down and up to the
    // deepest window drawn there (in its client coordinates).
    void tap(int x, int y);
    // A tap held at (x, y): the deepest window drawn there gets
    // kWmContextMenu (wParam its handle, lParam y << 16 | x of the screen),
    // which a control passes on to its parent.
    void hold(int x, int y);
    // Moves the driven clock on.
    void advance(std::uint32_t ms);
    // Waits (bounded, real time) until the thread has nothing left to do;
    // false when it did not get there.
    bool settle();
    std::vector<std::string> snapshot();
    // The terminal's order (activeFirstSnapshot).
    std::vector<std::string> activeSnapshot();
    // Whether the last read (or tap) found the thread busy past the bound.
    bool busy() const { return busy_; }
    // Composes the thread's screen into compositor's frame there; true when
    // the frame changed.
    bool compose(Compositor* compositor);

private:
    void post(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam = 0);

    std::uint32_t thread_;
    bool settles_;
    bool busy_ = false;
};

} // namespace tessel::ui
