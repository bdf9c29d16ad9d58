#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLListModel.h"

#include <cstdint>

class CVXLMessageSummary;

// A list of messages (type 11): a window of a box or of one thread, by state
// 0 inbox, 1 saved, 2 sent, 3 pending, 4 premium inbox, 5 one thread. The
// layout owns the window's summary records, which the job's list request
// fills, and offers per state and per selected message what can be done with
// it: a pending message (box types 3 to 5) is not "stored", so it can only
// be deleted or, of box type 5, resent.
class CVXLLayoutMessageList : public CVXLLayout {
public:
    static constexpr std::int32_t kConfigWindowLength = kCfgMessageBrowserWindowSize;
    static constexpr std::int32_t kDefaultWindowLength = 200;
    static constexpr std::uint32_t kThreadState = 5;
    static constexpr std::uint32_t kPremiumState = 4;
    static constexpr std::uint32_t kPendingState = 3;
    // Low halves of the list's own events.
    enum Action : std::uint32_t {
        kAssignMedia = 0x6C,
        kDelete = 0x6F,
        kForward = 0x71,
        kPrintMedia = 0x78,
        kReply = 0x79,
        kReplyAll = 0x7A,
        kReplyToThread = 0x7B,
        kResend = 0x7C,
        kSaveMedia = 0x7E,
        kSaveMessage = 0x7F,
        kView = 0x84,
        kViewMedia = 0x89,
        kDeleteAll = 0x8A,
    };

    CVXLLayoutMessageList();
    ~CVXLLayoutMessageList() override;

    CVXLString getTitle() const override;
    bool canSubmitAction(std::uint32_t eventId) const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    // A fresh screen: an empty window of the configured length at 0.
    void reset();
    // Inside the window only; selects the record when nothing is selected.
    bool addItem(CVXLMessageSummary* record, std::int32_t absolute);
    // The window's records, made on first use; null for a window of no
    // length or when they cannot be made.
    CVXLMessageSummary* records();
    std::uint32_t recordCount() const { return recordCount_; }
    // Binds the first n records to the window's positions; the last one
    // becomes the selection. The number bound.
    std::int32_t loadWindow(std::uint32_t n);
    // The absolute index of the first record marked for deletion, -1 for
    // none; and the index before it, never below 0.
    std::int32_t selectFirstMarked();
    std::int32_t selectBeforeMarked();
    // Empties the window and frees the records.
    void releaseRecords();

    // A queued message's pending kind (its outbound state: 3 queued, 4
    // being sent, 5 failed and may be resent), else the record's box type.
    static std::uint32_t boxTypeOf(const CVXLMessageSummary& record);
    CVXLMessageSummary* selectedRecord() const;
    bool isStored(const CVXLMessageSummary* record) const;

    CVXLListModel& list() { return list_; }
    const CVXLListModel& list() const { return list_; }
    std::uint32_t messageCount() const { return messageCount_; }
    void setMessageCount(std::uint32_t count) { messageCount_ = count; }
    bool isLoading() const { return loading_ != 0; }
    void setLoading(bool loading) { loading_ = loading ? 1 : 0; }
    const CVXLString& threadTitle() const { return threadTitle_; }
    void setThreadTitle(const CVXLString& title) { threadTitle_ = title; }
    std::int32_t selectedIndex() const { return selectedIndex_; }
    void setSelectedIndex(std::int32_t index) { selectedIndex_ = index; }
    std::uint32_t mode() const { return mode_; }
    void setMode(std::uint32_t mode) { mode_ = mode; }

private:
    void freeRecords();

    std::uint32_t mode_ = 0;
    std::uint32_t messageCount_ = 0;
    std::uint8_t loading_ = 0;
    CVXLListModel list_;
    CVXLMessageSummary* records_ = nullptr;
    std::uint32_t recordCount_ = 0;
    CVXLString threadTitle_;
    std::int32_t selectedIndex_ = -1;
};
