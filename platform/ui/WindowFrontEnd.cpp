#include "platform/ui/WindowFrontEnd.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SnapshotWriter.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/UiMessages.h"
#include "platform/ui/WindowSystem.h"

#include <SDL.h>

#include <chrono>
#include <thread>

namespace tessel::ui {

namespace {

// How long the window waits for input before looking at the screen again.
constexpr int kRefreshMs = 50;
constexpr int kOpenTimeoutMs = 10000;

std::u16string utf16Of(const std::string& utf8)
{
    const std::string bytes = kernel::utf8ToUtf16Bytes(utf8);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

std::uint32_t virtualKeyOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_UP:
        return kVkUp;
    case SDLK_DOWN:
        return kVkDown;
    case SDLK_LEFT:
        return kVkLeft;
    case SDLK_RIGHT:
        return kVkRight;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return kVkReturn;
    case SDLK_ESCAPE:
        return kVkEscape;
    case SDLK_END:
        return kVkEnd;
    case SDLK_F1:
        return kVkF1;
    case SDLK_F2:
    case SDLK_F10:
        return kVkF2;
    case SDLK_F4:
        return kVkF4;
    default:
        return 0;
    }
}

} // namespace

WindowFrontEnd::WindowFrontEnd(std::uint32_t uiThreadId, CloseHook closeHook, void* context, int scale)
    : uiThread_(uiThreadId)
    , closeHook_(closeHook)
    , context_(context)
    , scale_(scale < 1 ? 1 : scale)
{
}

WindowFrontEnd::~WindowFrontEnd()
{
    stop();
}

bool WindowFrontEnd::start()
{
    if (started_)
        return false;
    stopping_ = false;
    opened_ = 0;
    if (!thread_.start(entry, this, false))
        return false;
    started_ = true;
    // The window opens on the front end's thread; wait (bounded) to hear how.
    for (int waited = 0; opened_ == 0 && waited < kOpenTimeoutMs; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (opened_ != 1) {
        stop();
        return false;
    }
    setFrontEndPresent(true);
    return true;
}

void WindowFrontEnd::stop()
{
    if (!started_)
        return;
    stopping_ = true;
    thread_.join();
    started_ = false;
    setFrontEndPresent(false);
}

void WindowFrontEnd::entry(void* self)
{
    static_cast<WindowFrontEnd*>(self)->run();
}

bool WindowFrontEnd::onKey(int key)
{
    ScreenDriver driver(uiThread_, false);
    if (key == SDLK_BACKSPACE) {
        if (!homeShown_)
            driver.chars(u"\b");
        return true;
    }
    const std::uint32_t virtualKey = virtualKeyOf(key);
    if (virtualKey == 0)
        return false;
    if (!homeShown_)
        driver.key(virtualKey);
    else if (virtualKey == kVkUp || virtualKey == kVkDown)
        home_.move(virtualKey == kVkUp ? -1 : 1);
    else if (virtualKey == kVkReturn)
        home_.startSelected();
    homeTouched_ = homeShown_;
    return true;
}

bool WindowFrontEnd::onText(const char* utf8)
{
    if (homeShown_)
        return false;
    ScreenDriver(uiThread_, false).chars(utf16Of(utf8));
    return true;
}

void WindowFrontEnd::drawHome(Bitmap* frame)
{
    frame->fill(frame->bounds(), systemColor(kColorWindow));
    Canvas canvas(frame, 0, 0, frame->bounds());
    int y = 0;
    for (const std::string& line : home_.lines())
        y += paintRow(canvas, Rect {0, y, frame->width(), frame->height()}, utf16Of(line), false, true);
}

void WindowFrontEnd::run()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        opened_ = -1;
        return;
    }
    const int width = compositor_.frame().width();
    const int height = compositor_.frame().height();
    SDL_Window* window = SDL_CreateWindow("Tessel", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
        width * scale_, height * scale_, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    SDL_Texture* texture = renderer
        ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING, width, height)
        : nullptr;
    if (!texture) {
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
        SDL_Quit();
        opened_ = -1;
        return;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_StartTextInput();
    opened_ = 1;
    const bool taps = kernel::deviceFacts().pocketPc;
    bool closeAsked = false;
    Bitmap homeFrame(width, height);
    const Bitmap* shown = nullptr;
    std::uint64_t seenChanges = 0;
    bool busyShown = false;
    while (!stopping_) {
        bool expose = false;
        SDL_Event event;
        bool any = SDL_WaitEventTimeout(&event, kRefreshMs) != 0;
        while (any) {
            switch (event.type) {
            case SDL_QUIT:
                if (closeHook_ && !closeAsked)
                    closeHook_(context_);
                closeAsked = true;
                break;
            case SDL_WINDOWEVENT:
                expose = true;
                break;
            case SDL_KEYDOWN:
                onKey(event.key.keysym.sym);
                break;
            case SDL_TEXTINPUT:
                onText(event.text.text);
                break;
            case SDL_MOUSEBUTTONUP:
                if (taps && event.button.button == SDL_BUTTON_LEFT && !homeShown_)
                    ScreenDriver(uiThread_, false).tap(event.button.x / scale_, event.button.y / scale_);
                break;
            default:
                break;
            }
            any = SDL_PollEvent(&event) != 0;
        }
        // An idle screen is not composed again: only a change on the
        // user-interface thread (or on the start screen here) makes a frame.
        const std::uint64_t changes = screenChanges(uiThread_);
        if (shown && changes == seenChanges && !homeTouched_ && !expose)
            continue;
        homeTouched_ = false;
        ScreenDriver driver(uiThread_, false);
        const bool home = driver.snapshot().empty();
        if (driver.busy()) {
            SDL_SetWindowTitle(window, "Tessel (busy)");
            busyShown = true;
            continue;
        }
        if (busyShown)
            SDL_SetWindowTitle(window, "Tessel");
        busyShown = false;
        seenChanges = changes;
        bool changed;
        if (home) {
            if (!homeShown_)
                home_.load();
            Bitmap next(width, height);
            drawHome(&next);
            changed = !homeShown_ || !(next == homeFrame);
            homeFrame = std::move(next);
            shown = &homeFrame;
        } else {
            changed = driver.compose(&compositor_) || homeShown_;
            if (driver.busy()) {
                seenChanges = changes - 1;
                continue;
            }
            shown = &compositor_.frame();
        }
        homeShown_ = home;
        if (changed || expose) {
            SDL_UpdateTexture(texture, nullptr, shown->pixels().data(), width * 4);
            SDL_RenderClear(renderer);
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
            SDL_RenderPresent(renderer);
        }
        // Only once the frame is on screen: whoever sees the snapshot may
        // look at the window and must find that frame there.
        if (changed && snapshots_)
            snapshots_->write(*shown);
    }
    SDL_StopTextInput();
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
}

} // namespace tessel::ui
