#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/core/base/VXLString.h"
#include "engine/screens/VXLHandOverJob.h"

#include <cstdint>
#include <vector>

// UI job 17, without a screen: hands every file of the Client's captured
// media to the Media Access Manager, one at a time, as files of the capture
// storage location (each is added to the open list and selected); 10 once
// all went, 10 at once for none. A file the manager refuses shows the error
// of its reply, and the answer to it gives 7.
class CVXLScreenJob17 : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 17;
    static constexpr std::int32_t kReplyAdded = 117;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLScreenJob17; }

protected:
    void onStart() override;
    void onReply(CVXLEvent* reply) override;
    void onSignal(std::int32_t signal) override;

    // Copies the captured list into the cursor and hands over its first
    // file; false when nothing was posted (the list was empty).
    bool beginHandOver();
    // What follows the last file handed over.
    virtual void handedOver() { notifyOwner(kEndDone); }

    bool failed_ = false;

private:
    void handOverNext();

    CMediaItemEvent item_ {kReplyAdded};
    std::vector<CVXLString> paths_;
    std::size_t cursor_ = 0;
};
