#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLLayoutFolderList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The message folders (UI job 9): by "what_folders_to_show", the four
// standard folders and the premium folders (0), the standard ones alone (1)
// or the premium ones alone (2, titled "Premium Content"). Only the rows of
// the layout's window are made, with the message counters, the outbound
// queue's pending count or the premium inbox's counts. View gives the
// folder's result (28 to 32), Compose 26; Update and a change of the
// outbound queue (UI request 9) build the rows again.
class CVXLFolderListJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 9;
    static constexpr std::int32_t kFirstExternalCode = 123;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalView = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalKeyExit = 119;
    static constexpr std::int32_t kSignalUpdate = 120;
    static constexpr std::int32_t kSignalCompose = 122;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndCompose = 26;
    static constexpr std::int32_t kEndInbox = 28;
    static constexpr std::int32_t kEndPending = 29;
    static constexpr std::int32_t kEndPremium = 30;
    static constexpr std::int32_t kEndSaved = 31;
    static constexpr std::int32_t kEndSent = 32;
    static constexpr std::int32_t kUiOutboxChanged = kUIRequestOutboxChanged;

    enum Mode : std::int32_t {
        kModeAll = 0,
        kModeStandard = 1,
        kModePremium = 2,
    };
    static constexpr std::int32_t kStandardFolders = 4;
    static constexpr const char* kPropertyMode = "what_folders_to_show";
    static constexpr const char* kInboxTotalKey = kPersInboxTotalCount;
    static constexpr const char* kInboxNewKey = kPersInboxNewCount;

    CVXLFolderListJob();
    ~CVXLFolderListJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLFolderListJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    std::int32_t onFinished() override;

    CVXLLayoutFolderList& layout() { return layout_; }
    // The rows the mode shows: made or not.
    std::int32_t rowCount() const;

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Showing(const CVXLEvent* event);
    CVXLHsmState Idle(const CVXLEvent* event);

    void buildRows();
    void fillRow(CVXLFolderEntry& entry, std::int32_t position);
    void clearRows();
    CVXLHsmState finish(std::int32_t result);

    CVXLLayoutFolderList layout_;
    // The rows made, the job's.
    CVXLPtrArray rows_;
    std::int32_t mode_ = kModeAll;
};
