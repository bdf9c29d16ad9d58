#include "ui/Elements/WinTSElementUserInputText.h"

#include "engine/core/base/VXLElement.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/DialogTemplates.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>
#include <string>

using tessel::kernel::utf8ToWide;
using tessel::kernel::wideToUtf8;
using tessel::ui::Rect;

namespace {

unsigned editStyle(std::uint32_t inputMode)
{
    using tessel::ui::Edit;
    switch (inputMode) {
    case CVXLUserInputTextElement::kSingleLine:
        return Edit::kMultiline | Edit::kAutoVScroll;
    case CVXLUserInputTextElement::kShortMessage:
        return Edit::kMultiline | Edit::kAutoVScroll | Edit::kWantReturn;
    default:
        return 0;
    }
}

} // namespace

CWinTSElementUserInputText::CWinTSElementUserInputText(const WinTSElementLink& link)
    : CWinTSElement(u"CWinTSElementUserInputText", link)
    , editMenu_(tessel::tesselres::loadMenu(kEditMenu))
    , editFont_(RegistryFont(u"ElementEdit"))
    , tipFont_(RegistryFont(u"ElementTip"))
{
    std::uint32_t show = 0;
    registryReadDword(u"UIConfig", u"showTextInputTip", &show, 0);
    showCounter_ = show != 0;
}

CVXLUserInputTextElement* CWinTSElementUserInputText::input() const
{
    CVXLElement* value = fieldValue();
    return value ? value->asUserInputText() : nullptr;
}

std::u16string CWinTSElementUserInputText::WithinLimit(const std::u16string& text) const
{
    const std::size_t limit = edit_.limit();
    const std::size_t count = tessel::ui::characterCount(text);
    if (limit == 0 || count <= limit)
        return text;
    winTSLog(kLogWarning,
        "a text of " + std::to_string(count) + " characters cut to the field's " + std::to_string(limit));
    return text.substr(0, tessel::ui::wholeUnits(text, limit));
}

void CWinTSElementUserInputText::SetEditText(const std::u16string& text)
{
    edit_.windowProc(tessel::ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(text.c_str()));
    setShowEmptyTip(text.empty());
}

int CWinTSElementUserInputText::OnCreate()
{
    CWinTSElement::OnCreate();
    CVXLUserInputTextElement* value = input();
    const unsigned style = value ? editStyle(value->inputMode()) : 0;

    // A waiting Compose value is taken once: the next field of that name
    // finds it empty.
    std::u16string text = value ? utf8ToWide(value->text().c_str()) : std::u16string();
    std::u16string waiting;
    if (registryRead(u"Compose", labelKey(), &waiting) && !waiting.empty()) {
        registryWrite(u"Compose", labelKey(), u"");
        text = waiting;
    }

    const Rect content = contentRect();
    editRect_
        = Rect {content.left + kMargin, content.top + kCreateTop, content.right - kMargin, content.bottom};
    edit_.create(this, kEditId, style,
        tessel::ui::EditRect {editRect_.left, editRect_.top, editRect_.right, editRect_.bottom});
    edit_.moveWindow(editRect_);
    edit_.windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(editFont_.get()), 1);
    const std::int32_t maximum = value ? value->maximum() : 0;
    edit_.windowProc(tessel::ui::kEmLimitText, static_cast<std::uint64_t>(std::max(maximum, 0)), 0);
    // Set from outside, the text is not held to the limit by the box; a
    // longer one would only be refused at Store.
    SetEditText(WithinLimit(text));
    edit_.show(!edit_.text().empty());
    addChildControl(kEditId);

    tipRect_ = Rect {editRect_.left, editRect_.bottom, editRect_.right - kTipInset, editRect_.bottom};
    tip_.create(this, kTipId, edit_.text(), tipRect_, tessel::ui::Static::kRight);
    tip_.windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(tipFont_.get()), 1);
    tip_.show(false);
    addChildControl(kTipId);

    if (value && value->isPassword()) {
        edit_.setStyle(edit_.style() | tessel::ui::Edit::kPassword);
        winTSLog(kLogTrace, "Password Field");
    }
    UpdateCounter();
    UpdateHeight();
    return 0;
}

int CWinTSElementUserInputText::Layout(const Rect& rect)
{
    editRect_ = Rect {rect.left + kMargin, contentRect().top + kLayoutTop, rect.right - kMargin, rect.bottom};
    tipRect_ = editRect_;
    ForgetPostedHeight();
    editBottom_ = -1;
    UpdateHeight();
    return 1;
}

int CWinTSElementUserInputText::Refresh(CVXLElement*)
{
    CVXLUserInputTextElement* value = input();
    if (value && edit_.text().empty() && value->text().length() > 0) {
        SetEditText(WithinLimit(utf8ToWide(value->text().c_str())));
        edit_.show(true);
    }
    UpdateCounter();
    UpdateHeight();
    return 1;
}

int CWinTSElementUserInputText::Store()
{
    CVXLUserInputTextElement* value = input();
    if (!value)
        return 1;
    return value->setText(wideToUtf8(edit_.text()).c_str());
}

void CWinTSElementUserInputText::SetFocused(bool focused)
{
    CWinTSElement::SetFocused(focused);
    if (!edit_.exists())
        return;
    if (focused) {
        edit_.show(true);
        tessel::ui::setFocus(edit_.handle());
    } else {
        edit_.show(!edit_.text().empty());
    }
}

bool CWinTSElementUserInputText::OnKey(std::uint32_t key)
{
    switch (key) {
    case tessel::ui::kVkReturn:
        // The box puts the line break in whole, or not at all when it is full.
        edit_.windowProc(tessel::ui::kEmReplaceSel, 0, reinterpret_cast<std::int64_t>(u"\r\n"));
        break;
    case tessel::ui::kVkEscape:
        edit_.windowProc(tessel::ui::kWmChar, u'\b', 0);
        break;
    default:
        return false;
    }
    UpdateHeight();
    return true;
}

void CWinTSElementUserInputText::TextChanged()
{
    setShowEmptyTip(edit_.text().empty());
    UpdateCounter();
    UpdateHeight();
}

void CWinTSElementUserInputText::OnRequestFocus()
{
    RequestFocus();
}

void CWinTSElementUserInputText::Cut()
{
    edit_.windowProc(tessel::ui::kWmCut, 0, 0);
}

void CWinTSElementUserInputText::Paste()
{
    edit_.windowProc(tessel::ui::kWmPaste, 0, 0);
}

void CWinTSElementUserInputText::Copy()
{
    edit_.windowProc(tessel::ui::kWmCopy, 0, 0);
}

void CWinTSElementUserInputText::UpdateCounter()
{
    if (!showCounter_ || !tip_.exists())
        return;
    const std::string counter
        = std::to_string(tessel::ui::characterCount(edit_.text())) + "/" + std::to_string(edit_.limit());
    tip_.setText(utf8ToWide(counter));
}

void CWinTSElementUserInputText::UpdateHeight()
{
    if (!edit_.exists())
        return;
    tessel::ui::EditRect format {};
    edit_.windowProc(tessel::ui::kEmGetRect, 0, reinterpret_cast<std::int64_t>(&format));
    std::u16string text = edit_.text();
    // An empty last line counts.
    if (!text.empty() && text.back() == u'\n')
        text.push_back(u'X');
    Rect measured {0, 0, format.right - format.left, 0};
    MeasureText(text, &measured, editFont_, false);
    const int height = std::max(measured.height(), editFont_->lineHeight()) + kEditPadding;
    const int bottom = editRect_.top + height;
    if (bottom != editBottom_) {
        editBottom_ = bottom;
        editRect_.bottom = bottom;
        edit_.moveWindow(editRect_);
        if (tip_.exists() && showCounter_) {
            Rect tipText {0, 0, editRect_.width(), 0};
            MeasureText(tip_.text().empty() ? u"X" : tip_.text(), &tipText, tipFont_, false);
            tipRect_ = Rect {editRect_.left, bottom, editRect_.right - kTipInset, bottom + tipText.height()};
            tip_.moveWindow(tipRect_);
            tip_.show(true);
        } else {
            tipRect_ = Rect {editRect_.left, bottom, editRect_.right - kTipInset, bottom};
        }
    }
    PostHeight(std::max(editRect_.bottom, tipRect_.bottom) + kBottomPadding);
}

int CWinTSElementUserInputText::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    CWinTSElement::paint(canvas, area);
    DrawFrame(canvas,
        Rect {editRect_.left - kFrameMargin, editRect_.top - kFrameMargin, editRect_.right + kFrameMargin,
            editRect_.bottom + kFrameMargin});
    return 0;
}

std::int64_t CWinTSElementUserInputText::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case tessel::ui::kWmContextMenu:
        if (static_cast<tessel::ui::WindowHandle>(wParam) == edit_.handle() && editMenu_ && editMenu_->at(0))
            tessel::ui::trackPopupMenu(editMenu_->at(0)->popup, static_cast<int>(lParam & 0xFFFF),
                static_cast<int>((lParam >> 16) & 0xFFFF), this);
        return 0;
    case tessel::ui::kWmCommand: {
        const auto id = static_cast<std::uint32_t>(wParam & 0xFFFF);
        const auto code = static_cast<std::uint32_t>(wParam >> 16);
        if (id == static_cast<std::uint32_t>(kEditId)) {
            if (code == tessel::ui::kEnChange)
                TextChanged();
            else if (code == tessel::ui::kEnSetFocus)
                OnRequestFocus();
            return 0;
        }
        switch (id) {
        case kCut:
            Cut();
            break;
        case kPaste:
            Paste();
            break;
        case kCopy:
            Copy();
            break;
        default:
            break;
        }
        return 0;
    }
    default:
        return CWinTSElement::windowProc(message, wParam, lParam);
    }
}
