#pragma once

#include "ui/Layouts/WinTSLayoutNotice.h"

// The information screen (layout type 6): the layout's text, a blank put
// after each comma, in a view as tall as the text needs.
class CWinTSLayoutInformation : public CWinTSLayoutNotice {
public:
    static constexpr int kTemplate = 108;
    static constexpr int kIcon = 1010;
    static constexpr int kHeightFactor = 1;

    CWinTSLayoutInformation(CVXLLayout* layout, const WinTSDialogLink& link);

protected:
    std::u16string NoticeText() const override;
    void AddTransparentControls() override
    {
        addTransparentControl(kIconControl);
        addTransparentControl(kTextControl);
    }
};
