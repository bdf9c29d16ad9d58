#include "platform/ui/TerminalFrontEnd.h"

#include "platform/ui/MessageBox.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/UiMessages.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>

#include <curses.h>

namespace tessel::ui {

namespace {

// How often the screen is compared with what is shown when no key comes.
constexpr int kRefreshMs = 100;
// Keys taken from the terminal before the screen is looked at again.
constexpr int kMaxKeysPerPass = 64;

// Shown below the last screen while the user-interface thread does not answer.
constexpr const char* kBusyLine = "-- busy --";

int gSignalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[1], "s", 1);
    errno = saved;
}

void catchSignals()
{
    if (gSignalPipe[0] < 0 && ::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

std::size_t firstShownLine(const std::vector<std::string>& lines, int rows)
{
    if (rows <= 0 || lines.size() <= static_cast<std::size_t>(rows))
        return 0;
    std::size_t marked = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t text = lines[i].find_first_not_of(' ');
        if (text != std::string::npos && lines[i].compare(text, 2, "> ") == 0)
            marked = i;
    }
    return marked < static_cast<std::size_t>(rows) ? 0 : marked - rows + 1;
}

TerminalFrontEnd::TerminalFrontEnd(std::uint32_t uiThreadId, CloseHook closeHook, void* context)
    : uiThread_(uiThreadId)
    , closeHook_(closeHook)
    , context_(context)
{
}

TerminalFrontEnd::~TerminalFrontEnd()
{
    stop();
}

bool TerminalFrontEnd::start()
{
    if (started_ || ::pipe2(stopPipe_, O_CLOEXEC) != 0)
        return false;
    catchSignals();
    setFrontEndPresent(true);
    started_ = thread_.start(entry, this, false);
    return started_;
}

void TerminalFrontEnd::stop()
{
    if (!started_)
        return;
    [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], "x", 1);
    thread_.join();
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
    started_ = false;
    setFrontEndPresent(false);
}

void TerminalFrontEnd::entry(void* self)
{
    static_cast<TerminalFrontEnd*>(self)->run();
}

void TerminalFrontEnd::run()
{
    std::setlocale(LC_ALL, "");
    initscr();
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    set_escdelay(25);
    curs_set(0);
    redraw(true);
    bool inputOpen = true;
    bool closeAsked = false;
    auto askToClose = [&] {
        if (closeHook_ && !closeAsked)
            closeHook_(context_);
        closeAsked = true;
    };
    for (;;) {
        pollfd fds[3] = {{stopPipe_[0], POLLIN, 0}, {gSignalPipe[0], POLLIN, 0},
            {inputOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        if (::poll(fds, 3, kRefreshMs) < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN) {
            char drained[16];
            while (::read(gSignalPipe[0], drained, sizeof drained) > 0) { }
            closeAsked = false; // each signal asks again
            askToClose();
        }
        // A hung-up terminal gives nothing more; reading it would spin.
        if (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            inputOpen = false;
            askToClose();
            continue;
        }
        bool resized = false;
        wint_t key;
        for (int keys = 0, kind; keys < kMaxKeysPerPass && (kind = get_wch(&key)) != ERR; ++keys) {
            if (kind == KEY_CODE_YES && key == KEY_RESIZE)
                resized = true;
            else
                handleKey(kind, key);
        }
        if (inputOpen)
            redraw(resized);
    }
    endwin();
}

void TerminalFrontEnd::handleKey(int kind, unsigned key)
{
    // Keys are queued for the user-interface thread, never waited on.
    ScreenDriver driver(uiThread_, false);
    std::uint32_t virtualKey = 0;
    if (kind == KEY_CODE_YES) {
        switch (key) {
        case KEY_UP:
            virtualKey = kVkUp;
            break;
        case KEY_DOWN:
            virtualKey = kVkDown;
            break;
        case KEY_LEFT:
            virtualKey = kVkLeft;
            break;
        case KEY_RIGHT:
            virtualKey = kVkRight;
            break;
        case KEY_ENTER:
            virtualKey = kVkReturn;
            break;
        case KEY_END:
            virtualKey = kVkEnd;
            break;
        case KEY_F(1):
            virtualKey = kVkF1;
            break;
        case KEY_F(2):
        case KEY_F(10):
            virtualKey = kVkF2;
            break;
        case KEY_F(4):
            virtualKey = kVkF4;
            break;
        case KEY_BACKSPACE:
            if (!homeShown_)
                driver.chars(u"\b");
            return;
        default:
            return;
        }
    } else if (key == '\n' || key == '\r') {
        virtualKey = kVkReturn;
    } else if (key == 27) {
        virtualKey = kVkEscape;
    } else if (key == 127 || key == 8) {
        if (!homeShown_)
            driver.chars(u"\b");
        return;
    } else if (key >= 0x20 && !homeShown_) {
        std::u16string text;
        if (key >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((key - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((key - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(key);
        }
        driver.chars(text);
        return;
    }
    if (virtualKey == 0)
        return;
    if (!homeShown_) {
        driver.key(virtualKey);
        return;
    }
    if (virtualKey == kVkUp || virtualKey == kVkDown)
        home_.move(virtualKey == kVkUp ? -1 : 1);
    else if (virtualKey == kVkReturn)
        home_.startSelected();
}

void TerminalFrontEnd::redraw(bool force)
{
    ScreenDriver driver(uiThread_, false);
    std::vector<std::string> lines = driver.activeSnapshot();
    if (driver.busy()) {
        // The screen as it was, and a word that the phone is working.
        lines = homeShown_ ? home_.lines() : shown_;
        if (lines.empty() || lines.back() != kBusyLine)
            lines.push_back(kBusyLine);
        if (lines != shown_ || force) {
            shown_ = lines;
            draw(lines);
        }
        return;
    }
    const bool home = lines.empty();
    if (home) {
        if (!homeShown_)
            home_.load();
        lines = home_.lines();
    }
    homeShown_ = home;
    if (!force && lines == shown_)
        return;
    shown_ = lines;
    draw(lines);
}

void TerminalFrontEnd::draw(const std::vector<std::string>& lines)
{
    erase();
    int row = 0;
    for (std::size_t i = firstShownLine(lines, LINES); i < lines.size() && row < LINES; ++i)
        mvaddnstr(row++, 0, lines[i].c_str(), static_cast<int>(lines[i].size()));
    refresh();
}

} // namespace tessel::ui
