#include "engine/screens/VXLMediaBrowseJob39.h"

void CVXLMediaBrowseJob39::init()
{
    CVXLMediaBrowseJob38::init();
    startAsPicker();
}
