#pragma once

#include "platform/ui/Dialog.h"
#include "ui/WinTSBase.h"

#include <cstdint>

class CVXLLayout;
class CWinTSClient;

// What a layout window posts to the main dialog: three ids that kick the
// engine and the one that tells its layout has ended.
struct WinTSDialogLink {
    tessel::ui::WindowHandle dialog = 0;
    std::uint32_t actionSubmitted;
    std::uint32_t actionsMapped;
    std::uint32_t layoutEnded;
    std::uint32_t elementStored;
};

// The part of every layout window that the screen stack relies on: it runs
// modally over its parent, runs a further layout's window on top of itself
// when asked (deleting it afterwards and telling the dialog of its end), and
// ends itself when the engine releases its layout. Layout windows never end
// themselves otherwise.
class CWinTSLayoutWindow : public tessel::ui::Dialog {
public:
    CWinTSLayoutWindow(const char16_t* className, CVXLLayout* layout, const WinTSDialogLink& link);
    ~CWinTSLayoutWindow() override = default;

    CVXLLayout* layout() const { return layout_; }
    // The modal run over the parent; its result (1 when an EXIT was submitted).
    virtual int run(tessel::ui::Window* parent);
    // Submits the layout's EXIT action; true when the layout took it.
    virtual bool submitExit();
    // The engine changed the layout.
    virtual void update(CVXLLayout* layout);
    // Keys the main dialog offers; non-zero when used.
    virtual int forwardKeyDown(std::uint32_t) { return 0; }
    virtual int forwardChar(std::uint32_t) { return 0; }

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    // OK and cancel do not end a layout window.
    void onOk() override { }
    void onCancel() override { }

    CWinTSBase base_;
    CVXLLayout* layout_;
    WinTSDialogLink link_;
    bool exitSubmitted_ = false;
};
