#pragma once

#include "platform/ui/Dialog.h"

#include <string>

// Message boxes. A box waits for an answer from a front end (a person at
// the keys) or from a test's script; with neither, it writes its text to
// log/msgbox.log and stderr and takes its default button at once. Its text
// wraps over as many lines as it needs; its answers are its soft keys;
// Enter gives its default answer, Escape the second (or only) one.
namespace tessel::ui {

enum class BoxButtons { Ok, OkCancel, YesNo };

// Runs a modal box owned by owner (may be null); the answer (kIdOk,
// kIdCancel, kIdYes, kIdNo).
int messageBox(Window* owner, const std::u16string& text, const std::u16string& caption, BoxButtons buttons,
    int defaultAnswer);

// The next box is answered with this once it shows (after the messages
// already queued, so a snapshot taken meanwhile shows it).
void scriptBoxAnswer(int answer);
// Whether a front end shows boxes and takes their answers from keys.
void setFrontEndPresent(bool present);
bool frontEndPresent();

class MessageBoxDialog : public Dialog {
public:
    MessageBoxDialog(std::u16string text, BoxButtons buttons, int defaultAnswer);
    void describe(std::vector<std::u16string>* lines) const override;
    int paint(Canvas& canvas, const Rect& area) const override;

protected:
    void onCreate() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;

private:
    std::u16string message_;
    BoxButtons buttons_;
    int default_;
};

} // namespace tessel::ui
