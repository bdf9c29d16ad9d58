#include "engine/screens/VXLAlbumPickJob36.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/media/OnlineMediaManager.h"
#include "engine/screens/VXLScreenServices.h"

void CVXLAlbumPickJob36::init()
{
    CVXLAlbumPickJob::init();
    layout_.setOffersNewAlbum(true);
    CVXLScreenServices* screen = services();
    if (!screen)
        return;
    if (CMediaAccessManager* manager = screen->mediaAccess())
        manager->clearElements();
    if (auto* online = dynamic_cast<COnlineMediaManager*>(screen->onlineMediaManager()))
        online->markListsStale();
}
