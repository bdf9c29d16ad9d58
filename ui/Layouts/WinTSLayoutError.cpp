#include "ui/Layouts/WinTSLayoutError.h"

#include "engine/screens/VXLLayoutError.h"
#include "platform/kernel/TextCodec.h"
#include "ui/WinTSRegistry.h"

#include <string>

CWinTSLayoutError::CWinTSLayoutError(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayoutNotice(kTemplate, u"CWinTSLayoutError", layout, link, kIcon, kHeightFactor)
{
}

std::u16string CWinTSLayoutError::CodeText() const
{
    const CVXLLayoutError* error = layout_ ? layout_->asError() : nullptr;
    if (!error)
        return u"";
    return std::u16string(1, static_cast<char16_t>(static_cast<unsigned char>(error->errorClass())))
        + tessel::kernel::utf8ToWide(std::to_string(error->errorCode()));
}

std::u16string CWinTSLayoutError::NoticeText() const
{
    const std::u16string code = CodeText();
    std::u16string message;
    registryRead(u"Error", code, &message);
    if (message.empty()) {
        const CVXLLayoutError* error = layout_ ? layout_->asError() : nullptr;
        if (error)
            message = tessel::kernel::utf8ToWide(error->messageText().c_str());
    }
    return code + u":" + message;
}
