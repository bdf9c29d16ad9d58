#include "engine/screens/VXLAlbumPickJob37.h"

#include "engine/media/VXLAlbum.h"

void CVXLAlbumPickJob37::init()
{
    CVXLAlbumPickJob::init();
    allowCreate_ = property(kPropertyAllowCreate).toInt();
    layout_.setOffersNewAlbum(allowCreate_ == 1);
}

CVXLStateHandler CVXLAlbumPickJob37::browseState()
{
    return toHandler(&CVXLAlbumPickJob37::statePickerBrowse);
}

CVXLHsmState CVXLAlbumPickJob37::statePickerBrowse(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        layout_.setBusy(false);
        updateLayout();
        return handled();
    case kSignalContinue: {
        CVXLAlbum* album = focusedAlbum();
        if (!album)
            return handled();
        releaseLayout();
        setProperty(kPropertyPickedElement, CVXLVariant(static_cast<const void*>(album)));
        setProperty(kPropertyPickedId, CVXLVariant(album->identifier()));
        notifyOwner(kEndPicked);
        return transition(&CVXLAlbumPickJob37::stateHandedOver);
    }
    case kSignalCreate:
        return allowsCreate() ? transition(&CVXLAlbumPickJob37::stateCreate) : handled();
    case kSignalRefetch:
        return transition(&CVXLAlbumPickJob37::stateRefetch);
    case kSignalDelete:
    case kSignalRename:
    case kSignalSend:
        return handled();
    }
    return super(&CVXLAlbumPickJob37::stateRoot);
}
