#pragma once

#include "engine/access/MediaMemberJob.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/media/VXLOnlineMediaRequest.h"

#include <cstdint>

// Reads and changes the list of online albums for the Media Access Manager,
// through the Online Media Manager. Operations (the request code): 1 delete,
// 2 create, 3 rename an album, 4 the album list (its length goes into the
// origin's parameter word), 5 the album at a position.
class CAlbumSummaryJob : public CMediaMemberJob {
public:
    enum Operation : std::int32_t { kDelete = 1, kCreate = 2, kRename = 3, kList = 4, kAlbumAt = 5 };

    const char* name() const override { return "AlbumSummaryJobJob"; }

protected:
    void onRequest(CMediaAccessRequest* request) override;
    void onReply(CVXLEvent* reply) override;

private:
    CVXLOnlineMediaRequest list_ {kEventMediaCount, kEventMediaCountDone};
    CVXLOnlineMediaRequest albumAt_ {kEventMediaAlbumAt, kEventMediaAlbumAtDone};
    CVXLOnlineMediaRequest delete_ {kEventOnlineDeleteAlbum, kEventOnlineDeleteAlbumDone};
    CVXLOnlineMediaRequest create_ {kEventOnlineCreateAlbum, kEventOnlineCreateAlbumDone};
    CVXLOnlineMediaRequest rename_ {kEventOnlineRenameAlbum, kEventOnlineRenameAlbumDone};
};
