#include "ui/Elements/WinTSElementText.h"

#include "engine/core/base/VXLElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Canvas.h"
#include "ui/WinTSHelpers.h"

using tessel::ui::Rect;

CWinTSElementText::CWinTSElementText(const WinTSElementLink& link)
    : CWinTSElement(u"CWinTSElementText", link)
    , font_(RegistryFont(u"ElementText"))
{
}

CVXLDisplayTextElement* CWinTSElementText::display() const
{
    CVXLElement* value = fieldValue();
    return value ? value->asDisplayText() : nullptr;
}

int CWinTSElementText::OnCreate()
{
    CWinTSElement::OnCreate();
    const Rect content = contentRect();
    textRect_ = Rect {content.left + kMargin, content.top + kMargin, content.right - kMargin, content.bottom};
    text_.create(this, kTextId, u"", textRect_);
    text_.windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(font_.get()), 1);
    addChildControl(kTextId);
    CVXLDisplayTextElement* shown = display();
    SetText(shown ? tessel::kernel::utf8ToWide(shown->text().c_str()) : std::u16string());
    return 0;
}

void CWinTSElementText::SetText(const std::u16string& text)
{
    Rect measured {textRect_.left, textRect_.top, textRect_.right, textRect_.top};
    MeasureText(text, &measured, font_, false);
    textRect_.bottom = textRect_.top + measured.height() + kTextPadding;
    text_.windowProc(tessel::ui::kWmSetText, 0, reinterpret_cast<std::int64_t>(text.c_str()));
    text_.moveWindow(textRect_);
    text_.show(!text.empty());
    PostHeight(textRect_.bottom + kBottomPadding);
}

int CWinTSElementText::Refresh(CVXLElement*)
{
    CVXLDisplayTextElement* shown = display();
    SetText(shown ? tessel::kernel::utf8ToWide(shown->text().c_str()) : std::u16string());
    return 1;
}

int CWinTSElementText::Layout(const Rect&)
{
    if (text_.exists())
        text_.moveWindow(textRect_);
    ForgetPostedHeight();
    PostHeight(textRect_.bottom + kBottomPadding);
    return 1;
}

int CWinTSElementText::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    CWinTSElement::paint(canvas, area);
    DrawFrame(canvas,
        Rect {textRect_.left - kFrameMargin, textRect_.top - kFrameMargin, textRect_.right + kFrameMargin,
            textRect_.bottom + kFrameMargin});
    return 0;
}
