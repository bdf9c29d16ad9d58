#include "engine/screens/VXLLayoutMessageList.h"

#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>
#include <new>

namespace {

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutMessageList, action);
}

using L = CVXLLayoutMessageList;
constexpr std::uint32_t kLeft = kActionKindLeftSoftKey;
constexpr std::uint32_t kRight = kActionKindRightSoftKey;
constexpr std::uint32_t kOff = kActionKindNotApplicable;
constexpr std::uint32_t kMenu = kActionKindUnplaced;

// The rows of a box state, labels from its block of fourteen: the kinds of
// View, Reply, Reply All and Resend differ by state.
#define VXL_BOX_ROWS(state, base, view, reply, replyAll, resend)                                             \
    {state, event(L::kView), view, base + 0}, {state, event(L::kReply), reply, base + 1},                    \
        {state, event(L::kReplyAll), replyAll, base + 2}, {state, event(L::kForward), kMenu, base + 3},      \
        {state, event(L::kResend), resend, base + 4}, {state, event(L::kSaveMedia), kOff, base + 5},         \
        {state, event(L::kAssignMedia), kOff, base + 6}, {state, event(L::kPrintMedia), kOff, base + 7},     \
        {state, event(L::kSaveMessage), kMenu, base + 8}, {state, event(L::kDelete), kMenu, base + 9},       \
        {state, event(kLayoutActionUpdate), kMenu, base + 11},                                               \
        {state, event(kLayoutActionBack), kMenu, base + 12},                                                 \
    {                                                                                                        \
        state, event(kLayoutActionExit), kMenu, base + 13                                                    \
    }

constexpr CVXLLayoutCommandRow kRows[] = {
    VXL_BOX_ROWS(0, 326, kRight, kLeft, kMenu, kOff),
    VXL_BOX_ROWS(1, 340, kMenu, kMenu, kMenu, kOff),
    VXL_BOX_ROWS(2, 354, kRight, kOff, kOff, kOff),
    {3, event(L::kResend), kMenu, 372},
    {3, event(L::kDelete), kMenu, 377},
    {3, event(kLayoutActionUpdate), kMenu, 379},
    {3, event(kLayoutActionBack), kMenu, 380},
    {3, event(kLayoutActionExit), kMenu, 381},
    VXL_BOX_ROWS(4, 382, kMenu, kOff, kOff, kOff),
    {5, event(L::kView), kRight, 397},
    {5, event(L::kViewMedia), kMenu, 398},
    {5, event(L::kReply), kLeft, 399},
    {5, event(L::kReplyAll), kMenu, 400},
    {5, event(L::kReplyToThread), kMenu, 401},
    {5, event(L::kForward), kMenu, 402},
    {5, event(L::kResend), kMenu, 403},
    {5, event(L::kSaveMedia), kOff, 404},
    {5, event(L::kAssignMedia), kOff, 405},
    {5, event(L::kPrintMedia), kOff, 406},
    {5, event(L::kSaveMessage), kMenu, 407},
    {5, event(L::kDelete), kMenu, 408},
    {5, event(L::kDeleteAll), kMenu, 409},
    {5, event(kLayoutActionUpdate), kMenu, 411},
    {5, event(kLayoutActionBack), kMenu, 412},
    {5, event(kLayoutActionExit), kMenu, 413},
};
#undef VXL_BOX_ROWS

constexpr std::uint32_t kTitles[] = {414, 416, 417, 418};
constexpr std::uint32_t kThreadTitleId = 415;

bool isPendingBox(std::uint32_t boxType)
{
    return boxType >= 3 && boxType <= 5;
}

} // namespace

std::uint32_t CVXLLayoutMessageList::boxTypeOf(const CVXLMessageSummary& record)
{
    const std::int32_t pending = record.outboundState();
    return pending >= 3 && pending <= 5 ? static_cast<std::uint32_t>(pending) : record.getBoxType();
}

namespace {

bool hasMedia(const CVXLMessageSummary& record)
{
    return record.imageCount() != 0 || record.videoCount() != 0;
}

} // namespace

CVXLLayoutMessageList::CVXLLayoutMessageList()
    : CVXLLayout(kLayoutMessageList)
{
}

CVXLLayoutMessageList::~CVXLLayoutMessageList()
{
    freeRecords();
}

CVXLString CVXLLayoutMessageList::getTitle() const
{
    if (state() < std::size(kTitles))
        return text(kTitles[state()]);
    if (state() == kPremiumState) {
        CVXLScreenServices* screen = services();
        const CPremiumInboxManager* premium = screen ? screen->premiumInbox() : nullptr;
        return premium ? premium->currentGroupName() : CVXLString();
    }
    if (state() == kThreadState)
        return threadTitle_.length() > 0 ? threadTitle_ : text(kThreadTitleId);
    return CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutMessageList::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutMessageList::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

CVXLMessageSummary* CVXLLayoutMessageList::selectedRecord() const
{
    CVXLElement* current = currentElement();
    return current ? current->asMessageSummary() : nullptr;
}

bool CVXLLayoutMessageList::isStored(const CVXLMessageSummary* record) const
{
    return messageCount_ != 0 && record && !isPendingBox(boxTypeOf(*record));
}

bool CVXLLayoutMessageList::canSubmitAction(std::uint32_t eventId) const
{
    if (!CVXLLayout::canSubmitAction(eventId))
        return false;
    if ((eventId >> 16) != kLayoutMessageList)
        return true;
    const CVXLMessageSummary* record = selectedRecord();
    const bool stored = isStored(record);
    switch (eventId & 0xFFFF) {
    case kLayoutActionUpdate:
    case kDelete:
    case kReply:
        return messageCount_ != 0;
    case kAssignMedia:
    case kPrintMedia:
    case kSaveMedia:
    case kViewMedia:
        return stored && hasMedia(*record);
    case kReplyAll:
        return !record || (stored && record->severalAddressees());
    case kReplyToThread:
        return state() == kThreadState;
    case kResend:
        return !record || (messageCount_ != 0 && boxTypeOf(*record) == 5);
    case kForward:
        return !record || (stored && !record->forwardLocked());
    case kSaveMessage:
    case kView:
        return stored;
    default:
        return true;
    }
}

void CVXLLayoutMessageList::reset()
{
    list_.setWindow(0, CVXLListModel::boundedLength(configNumber(kConfigWindowLength, kDefaultWindowLength)));
    list_.clear();
    list_.setCursor(0);
    list_.setStopAtEnd(1);
    setCurrentElement(nullptr);
}

bool CVXLLayoutMessageList::addItem(CVXLMessageSummary* record, std::int32_t absolute)
{
    if (!record || !list_.inWindow(absolute))
        return false;
    record->setElementOwner(this);
    record->setIndexWord(0);
    if (!list_.insertAt(record, absolute))
        return false;
    if (!currentElement())
        setCurrentElement(record);
    return true;
}

CVXLMessageSummary* CVXLLayoutMessageList::records()
{
    if (records_ || list_.length() <= 0)
        return records_;
    const auto count = static_cast<std::uint32_t>(list_.length());
    void* block = vxlAlloc(static_cast<std::uint32_t>(count * sizeof(CVXLMessageSummary)));
    if (!block)
        return nullptr;
    records_ = static_cast<CVXLMessageSummary*>(block);
    for (std::uint32_t i = 0; i < count; ++i)
        new (&records_[i]) CVXLMessageSummary;
    recordCount_ = count;
    return records_;
}

void CVXLLayoutMessageList::freeRecords()
{
    if (!records_)
        return;
    for (std::uint32_t i = recordCount_; i-- > 0;)
        records_[i].~CVXLMessageSummary();
    vxlFree(records_);
    records_ = nullptr;
    recordCount_ = 0;
}

std::int32_t CVXLLayoutMessageList::loadWindow(std::uint32_t n)
{
    if (n == 0 || list_.length() <= 0 || !records_)
        return list_.length();
    // Never past the records there are, whatever the reply claims.
    const std::uint32_t bound = n < recordCount_ ? n : recordCount_;
    list_.rewind();
    for (std::uint32_t i = 0; i < bound && list_.hasCursor(); ++i) {
        CVXLMessageSummary& record = records_[i];
        record.setElementOwner(this);
        setCurrentElement(&record);
        list_.insertAt(&record, list_.cursorAbsolute());
        list_.advance();
    }
    list_.cursorToLast();
    if (!currentElement())
        setCurrentElement(list_.itemAt(list_.first()));
    selectedIndex_ = -1;
    return static_cast<std::int32_t>(bound);
}

std::int32_t CVXLLayoutMessageList::selectFirstMarked()
{
    std::int32_t found = -1;
    for (list_.rewind(); list_.hasCursor() && found < 0; list_.advance()) {
        const std::int32_t at = list_.cursorAbsolute();
        CVXLElement* item = list_.itemAt(at);
        const CVXLMessageSummary* record = item ? item->asMessageSummary() : nullptr;
        if (record && record->markedForDeletion())
            found = at;
    }
    list_.rewind();
    return found;
}

std::int32_t CVXLLayoutMessageList::selectBeforeMarked()
{
    const std::int32_t marked = selectFirstMarked();
    return marked - 1 > 0 ? marked - 1 : 0;
}

void CVXLLayoutMessageList::releaseRecords()
{
    list_.clear();
    list_.setCursor(CVXLWindowedList::kNone);
    setCurrentElement(nullptr);
    freeRecords();
}
