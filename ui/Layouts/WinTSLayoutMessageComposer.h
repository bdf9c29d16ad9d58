#pragma once

#include "ui/Elements/WinTSElement.h"
#include "ui/Layouts/WinTSLayout.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CVXLLayoutMessageComposer;

// The compose screen (layout type 12): one element window per field of the
// engine layout, stacked in a column that scrolls, one of them current. The
// soft keys come from the current field's labels and the current element
// window's own menu entries; a window's value goes back to the engine
// (Store, then Update) whenever the focus leaves it, it says it changed, or
// an action is submitted. Up and Down move between the fields and are
// swallowed at the ends; Escape never leaves the screen. On a touch-screen
// phone the OK command asks before it cancels.
class CWinTSLayoutMessageComposer : public CWinTSLayout {
public:
    static constexpr int kTemplate = 102;
    static constexpr std::uint32_t kMaxElements = 16;
    static constexpr int kFirstElementId = 0xE00;
    static constexpr std::uint32_t kElementStyle = 0x50000000;
    static constexpr std::uint32_t kCommandSoftKeyBase = 33004;
    static constexpr std::uint32_t kLastSoftKeyCommand = 33104;
    static constexpr std::uint32_t kCommandElementMenuBase = 33105;
    static constexpr std::uint32_t kLastElementMenuCommand = 33205;
    static constexpr std::uint32_t kCommandHelp = 33314;
    static constexpr std::uint32_t kCommandFocusBase = 3840;
    static constexpr std::uint32_t kLastFocusCommand = 4080;
    // The soft-key codes of the field's labels that choose an action.
    static constexpr std::uint32_t kSoftKeyContinue = 0;
    static constexpr std::uint32_t kSoftKeyCancel = 1;
    static constexpr std::uint32_t kSoftKeyModify = 2;
    static constexpr std::uint32_t kSoftKeyHelp = 3;
    static constexpr std::uint32_t kSoftKeyUpdate = 4;
    static constexpr std::uint32_t kEventContinue = 0xC0067;
    static constexpr std::uint32_t kEventCancel = 0xC0068;
    static constexpr std::uint32_t kEventUpdate = 0xC0069;
    static constexpr std::uint32_t kEventModify = 0xC0072;
    static constexpr std::uint32_t kEventHelp = 0xC0088;
    static constexpr std::uint32_t kEventBack = 0xC0065;
    // The exit question's states.
    static constexpr std::uint32_t kStateComposing = 0;
    static constexpr std::uint32_t kStateConfiguring = 3;

    CWinTSLayoutMessageComposer(CVXLLayoutMessageComposer* layout, const WinTSDialogLink& link);
    ~CWinTSLayoutMessageComposer() override;

    // The base's operations it overrides.
    void Refresh(CVXLLayout* layout) override;
    void SetCurrentElement(CWinTSElement* element) override;
    bool OnHardKey(std::uint32_t key) override;
    bool OnChar(std::uint32_t character) override;
    void SubmitAction(std::uint32_t command) override;
    void ShowHelp() override;
    bool IsActionHidden(std::uint32_t eventId) const override;

    // Its own, in the Part's order.
    virtual void OnSoftKeyCommand(std::uint32_t command);
    virtual void OnElementMenuCommand(std::uint32_t command);
    virtual void OnFocusCommand(std::uint32_t command);
    virtual void OnVScroll(std::uint32_t code, int track);
    virtual void RequestHelp();

    // The window for an engine element type code (a placeholder for a type
    // without one of its own).
    static std::unique_ptr<CWinTSElement> CreateElementWindow(
        std::uint32_t type, const WinTSElementLink& link);

    std::uint32_t elementCount() const { return fieldCount_; }
    CWinTSElement* elementWindow(std::uint32_t i) const
    {
        return i < fieldCount_ ? elements_[i].get() : nullptr;
    }
    // Where element i lies before scrolling.
    const tessel::ui::Rect& elementRect(std::uint32_t i) const { return rects_[i]; }
    int currentIndex() const { return current_; }
    const std::u16string& composerHelpTopic() const { return composerHelp_; }

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override;
    void onOk() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;
    void OnSettingChange(std::uint32_t flags) override;

private:
    void BuildElements(const tessel::ui::Rect& content);
    void BuildSoftKeys();
    // Stores the window's value into its field and sends Update.
    void OnElementChanged(CWinTSElement* element);
    void OnElementValueChanged(CWinTSElement* element);
    void OnElementResized(CWinTSElement* element, int height);
    void OnCommandsChanged(CWinTSElement* element);
    void EnsureVisible();
    void MoveFocus(int step);
    // Submits the first mapped action with that event id; nothing without one.
    void SubmitEvent(std::uint32_t eventId);
    bool ConfirmExit();
    int IndexOf(const CWinTSElement* element) const;
    void SetScrollBar(int position);

    CVXLLayoutMessageComposer* composer_;
    std::array<std::unique_ptr<CWinTSElement>, kMaxElements> elements_;
    std::array<tessel::ui::Rect, kMaxElements> rects_ {};
    // The value each window last read, to tell a field the engine rebuilt.
    std::array<CVXLElement*, kMaxElements> values_ {};
    tessel::ui::Rect content_;
    std::uint32_t fieldCount_ = 0;
    int current_ = -1;
    std::u16string composerHelp_;
};
