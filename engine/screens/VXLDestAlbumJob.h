#pragma once

#include "engine/records/MediaUploadRequest.h"
#include "engine/screens/VXLHandOverJob.h"

#include <cstdint>

// UI job 18, without a screen of its own: queues the media the user selected
// for a background upload into the album named by "dest_album" (empty: the
// service's uploads), then shows the notice "Your media is queued for
// uploading." or the error of the reply. The notice's answer gives 8 (9 for
// Exit); with nothing selected the job gives 8 at once.
class CVXLDestAlbumJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 18;
    static constexpr std::int32_t kReplyQueued = 117;
    static constexpr std::uint32_t kNoticeQueued = 24;
    static constexpr const char* kPropertyAlbum = "dest_album";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLDestAlbumJob; }
    std::int32_t onFinished() override;

protected:
    void onStart() override;
    void onReply(CVXLEvent* reply) override;
    void onSignal(std::int32_t signal) override;

private:
    CMediaUploadRequest upload_ {kReplyQueued};
    bool noticeShown_ = false;
};
