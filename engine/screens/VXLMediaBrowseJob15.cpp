#include "engine/screens/VXLMediaBrowseJob15.h"

void CVXLMediaBrowseJob15::init()
{
    CVXLAlbumSummaryJob::init();
    startAsPicker();
}
