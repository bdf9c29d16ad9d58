#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Font.h"
#include "ui/HTMLView.h"
#include "ui/Layouts/WinTSLayout.h"

#include <cstdint>
#include <memory>
#include <string>

// The choice screen (layout type 2): a prompt in an HTML view beside an
// icon, and the choices as rows of a list, of which the user picks one; the
// pick submits Select and Continue as the engine allows and the window then
// waits. With a time-out the screen continues by itself that many seconds
// after it opened, unless the user chose first. Only the first valid pick
// counts; an attempt with no row selected changes nothing.
class CWinTSLayoutChoiceSelection : public CWinTSLayout {
public:
    static constexpr int kTemplate = 110;
    static constexpr int kIcon = 1010;
    static constexpr int kListControl = 1006;
    static constexpr int kIconControl = 1008;
    static constexpr int kPromptControl = 1100;
    static constexpr std::uint64_t kSelectionTimer = 33212;
    static constexpr std::uint32_t kSelect = 0x20080;
    static constexpr std::uint32_t kContinue = 0x20067;
    static constexpr std::uint32_t kTimeoutMask = 0xFFFF;

    CWinTSLayoutChoiceSelection(CVXLLayout* layout, const WinTSDialogLink& link);
    ~CWinTSLayoutChoiceSelection() override;

    bool selected() const { return selected_; }
    CHTMLView* view() const { return view_.get(); }
    bool timerRunning() const { return timerRunning_; }

    void SubmitAction(std::uint32_t command) override;
    bool IsActionHidden(std::uint32_t eventId) const override { return eventId == kSelect; }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override;
    void onDestroy() override;
    void onOk() override { OnSelect(); }
    void OnSettingChange(std::uint32_t flags) override;

private:
    void OnSelect();
    void OnTimeout();
    void ArrangeControls();
    void StopTimer();
    // Submits the event when the layout offers and allows it; true when it did.
    bool SubmitIfAllowed(std::uint32_t eventId);

    std::shared_ptr<tessel::ui::Font> listFont_;
    tessel::ui::Bitmap icon_;
    std::u16string prompt_;
    std::unique_ptr<CHTMLView> view_;
    tessel::ui::Rect viewRect_;
    bool selected_ = false;
    bool timerRunning_ = false;
};
