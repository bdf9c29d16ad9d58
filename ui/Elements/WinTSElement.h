#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Font.h"
#include "platform/ui/Static.h"
#include "platform/ui/Window.h"
#include "ui/WinTSBase.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CVXLElement;

// What an element window is created with: the four messages it posts to its
// layout window and the layout's background picture (or none).
struct WinTSElementLink {
    std::uint32_t focusRequest;
    std::uint32_t resized;
    std::uint32_t edited;
    std::uint32_t commandsChanged;
    std::shared_ptr<const tessel::ui::Bitmap> background;
};

// The base of the element windows: a child of a layout window rendering one
// engine element, which it never owns. It draws a label above its content
// (for field slots only), a rounded frame and an "empty" tip, keeps up to
// ten menu entries for its layout window's option menu, and talks to its
// layout window only by posting the four messages of its link. Bare, it is
// the placeholder of an element type that has no window of its own.
class CWinTSElement : public tessel::ui::Window {
public:
    static constexpr int kLabelId = 0xA00;
    static constexpr int kMaxMenuItems = 10;
    static constexpr int kMaxChildControls = 20;
    static constexpr std::uint32_t kMenuFlagsByPosition = 0x400;

    CWinTSElement(const std::u16string& className, const WinTSElementLink& link);
    ~CWinTSElement() override = default;

    // The virtual operations the Part adds, in its order.
    virtual int Refresh(CVXLElement*) { return 1; }
    virtual int Store() { return 1; }
    virtual int Reserved() { return 1; }
    virtual int Layout(const tessel::ui::Rect&) { return 1; }
    virtual bool Create(tessel::ui::Window* parent, CVXLElement* element, const tessel::ui::Rect& rect,
        int id, std::uint32_t style);
    virtual int OnCreate();
    virtual void SetFocused(bool focused);
    virtual void RequestFocus();
    virtual int GetMenuItemCount() const;
    // The n-th used and enabled entry; false past them.
    virtual bool GetMenuItem(int n, std::uint32_t* flags, std::uint32_t* command, std::u16string* text) const;
    virtual void ExecuteMenuItem(std::uint32_t) { }
    virtual bool OnKey(std::uint32_t) { return false; }
    virtual bool OnChar(std::uint32_t) { return false; }

    // Fills the first free entry; a full menu ignores the call.
    void AddMenuItem(std::uint32_t command, const std::u16string& text);
    void EnableMenuItem(std::uint32_t command, bool enabled);
    void NotifyCommandsChanged();
    void NotifyEdited();
    // Posts the new height when it differs from the one posted last.
    void PostHeight(int height);
    // The next PostHeight posts whatever the height.
    void ForgetPostedHeight() { postedHeight_ = -1; }

    const std::u16string& className() const { return className_; }
    CVXLElement* element() const { return element_; }
    // The element's value: the value of a field slot, else the element itself.
    CVXLElement* fieldValue() const;
    bool isFocused() const { return focused_; }
    const std::u16string& labelText() const { return labelText_; }
    // The field's caption before section Labels renamed it; empty without one.
    const std::u16string& labelKey() const { return labelKey_; }
    const std::u16string& emptyTip() const { return emptyTip_; }
    const std::u16string& focusedEmptyTip() const { return focusedEmptyTip_; }
    tessel::ui::Static* label() const { return labelControl_.get(); }
    bool showEmptyTip() const { return showEmptyTip_; }
    void setShowEmptyTip(bool show) { showEmptyTip_ = show; }
    // The client area less the label.
    tessel::ui::Rect contentRect() const;
    void addChildControl(int id);
    bool isChildControl(int id) const;

    // The font of that name in the registry's font settings, else the
    // system font.
    static std::shared_ptr<tessel::ui::Font> RegistryFont(const std::u16string& name);
    // Computed by the first element window and kept for every later one.
    static int cornerSize();
    static int lineHeight();

    // The text snapshot shows the tip while there is no data; the label and
    // the controls show themselves.
    void describe(std::vector<std::u16string>* lines) const override;
    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override { OnCreate(); }
    // The focus frame around r (a rounded rectangle) and, while the element
    // shows no data, the tip inside it.
    void DrawFrame(tessel::ui::Canvas& canvas, const tessel::ui::Rect& r) const;

private:
    struct MenuEntry {
        bool used = false;
        bool enabled = false;
        std::uint32_t command = 0;
        std::u16string text;
    };

    CWinTSBase base_;
    std::u16string className_;
    WinTSElementLink link_;
    bool focused_ = false;
    std::u16string labelKey_;
    std::u16string labelText_;
    std::unique_ptr<tessel::ui::Static> labelControl_;
    CVXLElement* element_ = nullptr;
    std::shared_ptr<tessel::ui::Font> labelFont_;
    std::shared_ptr<tessel::ui::Font> emptyFont_;
    std::array<int, kMaxChildControls> childIds_ {};
    int childCount_ = 0;
    bool showEmptyTip_ = true;
    std::u16string emptyTip_;
    std::u16string focusedEmptyTip_;
    std::array<MenuEntry, kMaxMenuItems> menu_ {};
    int postedHeight_ = -1;
};
