#pragma once

#include "platform/ui/Edit.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Static.h"
#include "ui/Elements/WinTSElement.h"

#include <cstdint>
#include <memory>
#include <string>

class CVXLUserInputTextElement;

// A text input field (a user input text element): an edit box, single-line
// or multi-line by the element's input mode, held to the element's maximum
// in characters (code points, as the engine counts them), masked for a
// password, with an optional "n/max" counter below it. It grows with its
// text. A value waiting in registry section Compose under the field's
// caption pre-fills it once and is then emptied; that is how a launch
// request's subject and text arrive.
class CWinTSElementUserInputText : public CWinTSElement {
public:
    static constexpr int kEditId = 0xAE01;
    static constexpr int kTipId = 0xF02;
    static constexpr int kMargin = 10;
    static constexpr int kCreateTop = 10;
    static constexpr int kLayoutTop = 5;
    static constexpr int kEditPadding = 5;
    static constexpr int kTipInset = 5;
    static constexpr int kBottomPadding = 10;
    static constexpr int kFrameMargin = 3;
    static constexpr int kEditMenu = 120;
    // The edit box's context menu.
    static constexpr std::uint32_t kCut = 40007;
    static constexpr std::uint32_t kPaste = 40008;
    static constexpr std::uint32_t kCopy = 40009;

    explicit CWinTSElementUserInputText(const WinTSElementLink& link);

    // The operations of the element base.
    int Refresh(CVXLElement* element) override;
    int Store() override;
    int Layout(const tessel::ui::Rect& rect) override;
    int OnCreate() override;
    void SetFocused(bool focused) override;
    bool OnKey(std::uint32_t key) override;

    // Its own, in the Part's order.
    virtual void TextChanged();
    virtual void OnRequestFocus();
    virtual void Cut();
    virtual void Paste();
    virtual void Copy();

    tessel::ui::Edit& edit() { return edit_; }
    tessel::ui::Static& tip() { return tip_; }
    const tessel::ui::Rect& editRect() const { return editRect_; }

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    CVXLUserInputTextElement* input() const;
    // The text as the edit box may hold it: at most its limit in characters.
    std::u16string WithinLimit(const std::u16string& text) const;
    void SetEditText(const std::u16string& text);
    void UpdateCounter();
    void UpdateHeight();

    std::shared_ptr<tessel::ui::Menu> editMenu_;
    tessel::ui::Edit edit_;
    std::shared_ptr<tessel::ui::Font> editFont_;
    tessel::ui::Static tip_;
    std::shared_ptr<tessel::ui::Font> tipFont_;
    tessel::ui::Rect editRect_;
    tessel::ui::Rect tipRect_;
    bool showCounter_ = false;
    int editBottom_ = -1;
};
