#pragma once

#include "ui/Layouts/WinTSLayoutNotice.h"

// The error screen (layout type 4): the error's code text, a colon and its
// message (the registry's section "Error" may word the message anew), in a
// view twice as tall as the text needs.
class CWinTSLayoutError : public CWinTSLayoutNotice {
public:
    static constexpr int kTemplate = 109;
    static constexpr int kIcon = 1013;
    static constexpr int kHeightFactor = 2;

    CWinTSLayoutError(CVXLLayout* layout, const WinTSDialogLink& link);

    // "P12" for class P and code 12.
    std::u16string CodeText() const;

protected:
    std::u16string NoticeText() const override;
    void AddTransparentControls() override { addTransparentControl(kIconControl); }
};
