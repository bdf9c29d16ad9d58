#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Font.h"
#include "platform/ui/Menu.h"
#include "ui/WinTSLayoutWindow.h"
#include "ui/WinTSTitle.h"
#include "ui/WinTSTransfer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CWinTSElement;

// The base of every layout window: it turns the command rows of the engine
// layout's current state into soft keys, an "Options" pop-up, hard keys and
// the template's button 1003, sends the user's choice back to the engine
// layout, draws the title band over the shared wallpaper, and ends only
// when the engine releases its layout. From a submission until the engine
// updates the layout (or a nested window ends) the window is disabled and
// takes no further choice.
class CWinTSLayout : public CWinTSLayoutWindow {
public:
    static constexpr std::uint32_t kFirstActionCommand = 32902;
    static constexpr std::uint32_t kLastActionCommand = 33002;
    static constexpr std::uint32_t kCommandAbout = 33003;
    static constexpr int kButton = 1003;
    static constexpr int kTitlePlaceholder = 1002;
    static constexpr int kTitleWindow = 3003;
    // Entries 1 to 99 hold the actions; entry 0 stays empty.
    static constexpr std::uint32_t kMaxActions = 99;
    static constexpr std::uint32_t kMaxRightSide = 20;
    static constexpr int kMaxTransparent = 20;
    static constexpr std::uint32_t kDefaultWallpaper = 0xE6E6E6;
    static constexpr std::uint32_t kSettingFonts = 0xE0;
    static constexpr std::uint32_t kSettingScreen = 0x3002;

    struct ActionEntry {
        std::uint32_t eventId = 0;
        std::uint32_t keyCode = 0;
        tessel::ui::Window* button = nullptr;
    };

    CWinTSLayout(int templateId, const char16_t* className, CVXLLayout* layout, const WinTSDialogLink& link);
    ~CWinTSLayout() override;

    int templateId() const { return templateId_; }

    // The engine's operations on a layout window, in the Part's order.
    virtual void EndLayout(CWinTSLayoutWindow* window);
    virtual void Refresh(CVXLLayout* layout);
    virtual void SetCurrentElement(CWinTSElement* element);
    virtual CWinTSElement* GetCurrentElement() const { return currentElement_; }
    virtual bool OnHardKey(std::uint32_t key);
    virtual bool OnChar(std::uint32_t) { return false; }
    virtual bool MapActions(bool inputPanel);
    virtual bool SetMenuBar(std::shared_ptr<tessel::ui::Menu> menu, bool inputPanel);
    virtual void SubmitAction(std::uint32_t command);
    virtual void ShowHelp();
    virtual void ShowAbout();
    virtual bool IsActionHidden(std::uint32_t) const { return false; }
    virtual std::uint32_t GetExtraActionCount() const { return 0; }
    virtual void GetExtraAction(std::uint32_t, std::uint32_t*, std::u16string*, bool*) const { }
    // A transfer of this window has its data; the window owns it from now.
    virtual void OnTransferEnded(CWinTSTransfer* transfer, int) { delete transfer; }

    // The screen stack's calls.
    bool submitExit() override;
    void update(CVXLLayout* layout) override { Refresh(layout); }
    int forwardKeyDown(std::uint32_t key) override { return OnHardKey(key) ? 1 : 0; }
    int forwardChar(std::uint32_t character) override { return OnChar(character) ? 1 : 0; }

    std::uint32_t actionCount() const { return actionCount_; }
    const ActionEntry& action(std::uint32_t n) const { return actions_[n]; }
    std::uint32_t okCommand() const { return okCommand_; }
    std::uint32_t defaultCommand() const { return defaultCommand_; }
    const std::u16string& helpTopic() const { return helpTopic_; }
    CWinTSTitle* titleWindow() const { return title_.get(); }
    int titleHeight() const { return titleHeight_; }
    bool runningChild() const { return runningChild_; }
    const std::shared_ptr<tessel::ui::Font>& titleFont() const { return titleFont_; }
    // The client area less the title band (and 10 pixels at the sides).
    tessel::ui::Rect GetContentRect() const;
    void ScrollContent(int dy);
    int GetScrollOffset() const { return scrollOffset_; }
    void addTransparentControl(int id);
    void clearTransparentControls() { transparentCount_ = 0; }
    int transparentCount() const { return transparentCount_; }
    // The window's transfers that have not yet been handed to it.
    CWinTSTransferList& transfers() { return transfers_; }

    // The wallpaper all layout windows share; rebuilt when forced.
    static void BuildWallpaper(bool force);
    static std::shared_ptr<const tessel::ui::Bitmap> wallpaper();

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    // The base's OnInitDialog; derived windows call it before their own.
    void onCreate() override;
    void onDestroy() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;
    void onOk() override;
    void onCancel() override { onOk(); }
    // A soft key of a disabled window chooses nothing.
    bool onSoftKey(int index) override;
    virtual void OnSettingChange(std::uint32_t flags);
    void OnButton();
    void setShowTitle(bool show) { showTitle_ = show; }
    void setHelpTopic(const std::u16string& topic) { helpTopic_ = topic; }

    CWinTSElement* currentElement_ = nullptr;

private:
    void OnReleaseWindow();
    void rememberOkCandidate(std::uint32_t eventId, std::uint32_t command);

    int templateId_;
    std::array<ActionEntry, kMaxActions + 1> actions_ {};
    std::uint32_t actionCount_ = 0;
    std::uint32_t okCommand_ = 0;
    std::uint32_t defaultCommand_ = 0;
    std::uint32_t candidateBack_ = 0;
    std::uint32_t candidateExit_ = 0;
    std::uint32_t candidateCancel_ = 0;
    std::shared_ptr<tessel::ui::Font> titleFont_;
    std::unique_ptr<CWinTSTitle> title_;
    bool showTitle_ = true;
    int titleHeight_ = 0;
    std::array<int, kMaxTransparent> transparent_ {};
    int transparentCount_ = 0;
    std::u16string helpTopic_ = u"Tessel";
    std::u16string className_;
    int scrollOffset_ = 0;
    bool runningChild_ = false;
    CWinTSTransferList transfers_;
};
