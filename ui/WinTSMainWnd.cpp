#include "ui/WinTSMainWnd.h"

CWinTSMainWnd::CWinTSMainWnd()
    : base_(u"Tessel")
{
}

bool CWinTSMainWnd::create()
{
    if (!createModeless(u"Tessel"))
        return false;
    show(false);
    setText(u"Tessel");
    return true;
}
