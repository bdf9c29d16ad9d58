#pragma once

#include "platform/ui/Window.h"

#include <string>

// The shell's notification: an overlay above the screen with a title, a
// short HTML text and one soft key ("Dismiss", the soft-key bar's while it
// is up), which ends it, as does its
// duration running out (on the kernel clock). One per thread; a second
// replaces the first. Each is written to log/notify.log.
namespace tessel::ui {

class Notification : public Window {
public:
    static constexpr const char16_t* kClassName = u"Notification";

    // Shows the notification on the calling thread.
    static void show(const std::u16string& title, const std::u16string& html, std::uint32_t durationSeconds,
        const std::u16string& softKey);
    // Removes it; false when none was shown.
    static bool dismiss();
    // The calling thread's notification, or null.
    static Notification* current();

    // The text as shown: tags dropped, "<br>" a line break, entities as
    // their characters.
    static std::u16string plainText(const std::u16string& html);

    const std::u16string& softKey() const { return softKey_; }
    void describe(std::vector<std::u16string>* lines) const override;
    bool onKeyBeforeFocus(std::uint32_t key) override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    std::u16string html_;
    std::u16string softKey_;
};

} // namespace tessel::ui
