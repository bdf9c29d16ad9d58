#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/screens/VXLHandOverJob.h"

#include <cstdint>

// UI job 1, without a screen: opens the storage location named by
// "storage_location" (a store id, or a packed media location) in the Media
// Access Manager, so the flows that follow add to and pick from its list;
// 10 when it opened, else the error of the reply and, once answered, 7.
// When the program lets the job go, an opened location is ended first.
class CVXLStorageLocationJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 1;
    static constexpr std::int32_t kReplyOpened = 118;
    static constexpr std::int32_t kReplyEnded = 119;
    static constexpr const char* kPropertyLocation = "storage_location";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLStorageLocationJob; }

    // The store id a "storage_location" value names.
    static std::uint16_t storeIdOf(std::int32_t value);
    bool isOpen() const { return opened_; }

protected:
    void onStart() override;
    void onReply(CVXLEvent* reply) override;
    void onSignal(std::int32_t signal) override;
    bool onStop() override;

private:
    CMediaLocationRequest open_ {kReplyOpened};
    CMediaAccessBasicRequest end_ {kMediaClose, kReplyEnded};
    bool opened_ = false;
    bool failed_ = false;
};
