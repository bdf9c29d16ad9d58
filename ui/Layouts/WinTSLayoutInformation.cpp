#include "ui/Layouts/WinTSLayoutInformation.h"

#include "engine/screens/VXLLayoutInformation.h"
#include "platform/kernel/TextCodec.h"

CWinTSLayoutInformation::CWinTSLayoutInformation(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayoutNotice(kTemplate, u"CWinTSLayoutInformation", layout, link, kIcon, kHeightFactor)
{
}

std::u16string CWinTSLayoutInformation::NoticeText() const
{
    const CVXLLayoutInformation* information = layout_ ? layout_->asInformation() : nullptr;
    if (!information)
        return u"";
    std::u16string text;
    for (char16_t c : tessel::kernel::utf8ToWide(information->message().c_str())) {
        text += c;
        if (c == u',')
            text += u' ';
    }
    return text;
}
