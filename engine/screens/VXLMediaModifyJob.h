#pragma once

#include "engine/access/MediaAccessRequests.h"
#include "engine/screens/VXLMediaBrowseJob.h"

#include <cstdint>

class CVXLMessageSummary;

// UI job 27: the media of one stored message ("message_summary") browsed
// to save (layout state 8), print (9) or assign (10) one of them, as
// "mpp_op" asks. The Media Access Manager opens the message's media with
// the browser's filter and leaves out the parts locked against the use:
// saving and printing leave out save-locked and DRM parts, assigning only
// the save-locked ones.
class CVXLMediaModifyJob : public CVXLMediaBrowseJob {
public:
    static constexpr int kTypeId = 27;
    static constexpr const char* kPropertyOperation = "mpp_op";
    static constexpr const char* kPropertyModify = "modify_flag";
    static constexpr const char* kPropertySummary = "message_summary";

    // Layout states by operation.
    static constexpr std::uint32_t kStateSave = 8;
    static constexpr std::uint32_t kStatePrint = 9;
    static constexpr std::uint32_t kStateAssign = 10;

    // The request kinds: the lock filter of the media request.
    static constexpr std::int32_t kKindNoSaveLocked = 1;
    static constexpr std::int32_t kKindNoSaveLockedNoDrm = 3;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLMediaModifyJob; }
    void init() override;

    // The layout state of an "mpp_op" (absent: `present` false).
    static std::uint32_t stateForOperation(bool present, std::int32_t operation);
    // The rendition the media request asks for by the two low bits of the
    // wanted word (bit 0 images, bit 1 videos): 0 images, 1 videos, 2 both.
    static std::int32_t renditionFor(std::uint32_t wanted);
    static std::int32_t requestKindFor(std::uint32_t layoutState);

    const CMediaAccessBasicRequest& mediaRequest() const { return mediaRequest_; }
    const CVXLMessageSummary* summary() const { return summary_; }
    // "modify_flag" was not set: the picked media are not to be changed.
    bool modifyLocked() const { return modifyLocked_ != 0; }

protected:
    std::uint32_t startState() const override;
    void openAlbum() override;
    void computeTotals() override;

private:
    CMediaAccessBasicRequest mediaRequest_ {kMediaOpenMessage, kReplyOpenLocal};
    CVXLMessageSummary* summary_ = nullptr;
    std::uint8_t modifyLocked_ = 1;
};
