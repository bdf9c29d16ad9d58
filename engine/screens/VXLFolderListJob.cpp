#include "engine/screens/VXLFolderListJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/screens/VXLFolderEntry.h"
#include "engine/screens/VXLScreenServices.h"

namespace {

constexpr struct {
    std::uint32_t eventId;
    std::int32_t signal;
} kEventSignals[] = {
    {CVXLLayoutFolderList::kEventView, CVXLFolderListJob::kSignalView},
    {CVXLLayoutFolderList::kEventCompose, CVXLFolderListJob::kSignalCompose},
    {CVXLLayoutFolderList::kEventUpdate, CVXLFolderListJob::kSignalUpdate},
    {CVXLLayoutFolderList::kEventBack, CVXLFolderListJob::kSignalKeyBack},
    {CVXLLayoutFolderList::kEventExit, CVXLFolderListJob::kSignalKeyExit},
};

// The standard folders in row order, with their texts and View results.
constexpr struct {
    CVXLFolderEntry::Kind kind;
    std::uint32_t textId;
} kStandardRows[CVXLFolderListJob::kStandardFolders] = {
    {CVXLFolderEntry::kInbox, 414},
    {CVXLFolderEntry::kSent, 417},
    {CVXLFolderEntry::kSaved, 416},
    {CVXLFolderEntry::kPending, 418},
};

constexpr std::int32_t kResults[] = {
    CVXLFolderListJob::kEndInbox,
    CVXLFolderListJob::kEndSent,
    CVXLFolderListJob::kEndSaved,
    CVXLFolderListJob::kEndPending,
    CVXLFolderListJob::kEndPremium,
};

std::uint32_t counter(const CVXLScreenServices* screen, const char* key)
{
    CVXLString value;
    if (!screen || !screen->persistentString(key, value))
        return 0;
    const std::int32_t n = value.toInt();
    return n > 0 ? static_cast<std::uint32_t>(n) : 0;
}

CPremiumInboxManager* premiumInbox(CVXLScreenServices* screen)
{
    return screen ? screen->premiumInbox() : nullptr;
}

} // namespace

CVXLFolderListJob::CVXLFolderListJob()
    : CVXLUiJob(&CVXLFolderListJob::Initial, kFirstExternalCode)
{
}

CVXLFolderListJob::~CVXLFolderListJob()
{
    clearRows();
}

void CVXLFolderListJob::init()
{
    CVXLUiJob::init();
    layout_.prepare();
    layout_.setOwner(this);
    mode_ = property(kPropertyMode).toInt();
    if (mode_ < kModeAll || mode_ > kModePremium) {
        VXL_LOG_INFO("folder list: mode %d shows every folder", mode_);
        mode_ = kModeAll;
    }
    layout_.setState(mode_ == kModePremium ? 1 : 0);
}

void CVXLFolderListJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    finishEvent(event);
}

std::int32_t CVXLFolderListJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    clearRows();
    return state;
}

void CVXLFolderListJob::onLayoutAction(std::uint32_t eventId)
{
    for (const auto& entry : kEventSignals) {
        if (entry.eventId == eventId) {
            postSignal(entry.signal);
            return;
        }
    }
}

void CVXLFolderListJob::onUiRequest(std::int32_t code)
{
    if (code == kUiOutboxChanged && isActive())
        postSignal(kSignalUpdate);
}

std::int32_t CVXLFolderListJob::rowCount() const
{
    // Until the premium inbox has matched its file with the store it names
    // no folder.
    CPremiumInboxManager* premium = premiumInbox(services());
    const std::int32_t premiumCount
        = premium && premium->isLoaded() ? static_cast<std::int32_t>(premium->groupCount()) : 0;
    switch (mode_) {
    case kModeStandard:
        return kStandardFolders;
    case kModePremium:
        return premiumCount;
    default:
        return kStandardFolders + premiumCount;
    }
}

void CVXLFolderListJob::clearRows()
{
    layout_.clear();
    rows_.deleteAll();
}

void CVXLFolderListJob::fillRow(CVXLFolderEntry& entry, std::int32_t position)
{
    const std::int32_t standard = mode_ == kModePremium ? 0 : kStandardFolders;
    if (position < standard) {
        const auto& row = kStandardRows[position];
        entry.set(row.kind, screenText(row.textId));
        CVXLScreenServices* screen = services();
        if (row.kind == CVXLFolderEntry::kInbox)
            entry.setCounts(counter(screen, kInboxTotalKey), counter(screen, kInboxNewKey));
        else if (row.kind == CVXLFolderEntry::kPending && screen && screen->outboundQueue())
            entry.setCounts(screen->outboundQueue()->countQueued(), 0);
        return;
    }
    CPremiumInboxManager* premium = premiumInbox(services());
    const CPremiumGroup* group
        = premium ? premium->groupAt(static_cast<std::uint32_t>(position - standard)) : nullptr;
    entry.set(CVXLFolderEntry::kPremium, group ? group->name : CVXLString());
    if (group)
        entry.setCounts(group->messageCount, group->unreadCount);
}

void CVXLFolderListJob::buildRows()
{
    clearRows();
    CVXLListModel& list = layout_.list();
    const std::int32_t rows = rowCount();
    const std::int32_t length = list.length() > 0 ? list.length() : 0;
    std::int32_t first = list.first() > 0 ? list.first() : 0;
    if (first > rows - length)
        first = rows - length > 0 ? rows - length : 0;
    if (first != list.first())
        list.setWindow(first, length);
    list.clear();
    for (std::int32_t position = first; position < rows && position < first + length; ++position) {
        auto* entry = new CVXLFolderEntry;
        if (!entry || !rows_.insertAt(entry, -1)) {
            delete entry;
            VXL_LOG_FAILURE("folder list: row %d left out", position);
            continue;
        }
        fillRow(*entry, position);
        layout_.addEntry(entry, position);
    }
}

CVXLHsmState CVXLFolderListJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return transition(&CVXLFolderListJob::Idle);
}

CVXLHsmState CVXLFolderListJob::Initial(const CVXLEvent*)
{
    buildRows();
    setState(&CVXLFolderListJob::Showing);
    return handled();
}

CVXLHsmState CVXLFolderListJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLFolderListJob::Showing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showLayout();
        return handled();
    case kSignalView: {
        const CVXLFolderEntry* entry = layout_.currentEntry();
        if (!entry)
            return handled();
        if (entry->kind() == CVXLFolderEntry::kPremium) {
            if (CPremiumInboxManager* premium = premiumInbox(services()))
                premium->selectItem(&entry->text());
        }
        return finish(kResults[entry->kind()]);
    }
    case kSignalCompose:
        return finish(kEndCompose);
    case kSignalUpdate:
        buildRows();
        refreshLayout();
        return handled();
    }
    return super(&CVXLFolderListJob::Top);
}

CVXLHsmState CVXLFolderListJob::Idle(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
        buildRows();
        return transition(&CVXLFolderListJob::Showing);
    case kSignalView:
    case kSignalCompose:
    case kSignalUpdate:
    case kSignalKeyBack:
    case kSignalKeyExit:
        return handled();
    }
    return super(&CVXLFolderListJob::Top);
}
