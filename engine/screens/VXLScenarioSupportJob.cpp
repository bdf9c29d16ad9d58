#include "engine/screens/VXLScenarioSupportJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>

namespace {

constexpr std::int32_t kPhoneStore = 1;
constexpr std::int32_t kCardStore = 2;

// A row whose selector names a property shows only while it is 1.
constexpr const char* kSelectorProperties[] = {"supports_image", "supports_video", "supports_txtonly"};
constexpr std::int32_t kFirstPropertySelector = 4;

struct RowTemplate {
    bool storage;
    std::int32_t storeKind;
    std::uint32_t textId;
    std::int32_t choiceInt;
    const char* choiceText;
    std::int32_t result;
    std::int32_t selector;
};

constexpr RowTemplate kRows[] = {
    {false, 0, 677, 0, "__vxl_text_sendto_recipients", CVXLScenarioSupportJob::kEndTextOnly, 6},
    {true, kPhoneStore, 0, 0, nullptr, CVXLScenarioSupportJob::kEndStorage, 1},
    {true, kCardStore, 0, 0, nullptr, CVXLScenarioSupportJob::kEndStorage, 2},
};

} // namespace

CVXLScenarioSupportJob::CVXLScenarioSupportJob()
    : CVXLUiJob(&CVXLScenarioSupportJob::Initial, kFirstExternalCode)
{
}

CVXLScenarioSupportJob::~CVXLScenarioSupportJob()
{
    layout_.clear();
}

void CVXLScenarioSupportJob::init()
{
    CVXLUiJob::init();
    layout_.prepare();
    layout_.setOwner(this);
    layout_.setState(0);
}

void CVXLScenarioSupportJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    finishEvent(event);
}

std::int32_t CVXLScenarioSupportJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    layout_.clear();
    entryCount_ = 0;
    return state;
}

// The menu list's keys come as the base's menu-list signals.
static_assert(CVXLScenarioSupportJob::kSignalSelect == 119 && CVXLScenarioSupportJob::kSignalKeyBack == 118
    && CVXLScenarioSupportJob::kSignalKeyExit == 117);

void CVXLScenarioSupportJob::onLayoutAction(std::uint32_t eventId)
{
    postActionSignal(kLayoutMenuList, eventId, kMenuListSignals);
}

void CVXLScenarioSupportJob::onUiRequest(std::int32_t code)
{
    if (code == kUiCardChanged && isActive())
        postSignal(kSignalRebuild);
}

bool CVXLScenarioSupportJob::addEntry(const CVXLString& text, std::uint32_t row, std::int32_t store)
{
    if (entryCount_ >= kMaxEntries)
        return false;
    auto* entry = new CVXLEditTextElement;
    if (!entry)
        return false;
    entry->setText(text);
    entry->setValue(static_cast<std::int32_t>(row));
    if (!layout_.addItem(entry)) {
        delete entry;
        return false;
    }
    origins_[entryCount_++] = {row, store};
    return true;
}

void CVXLScenarioSupportJob::build()
{
    layout_.clear();
    entryCount_ = 0;
    const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    const std::int32_t storeCount = stores ? static_cast<std::int32_t>(stores->getStoreCount()) : 0;
    for (std::uint32_t row = 0; row < std::size(kRows); ++row) {
        const RowTemplate& t = kRows[row];
        if (t.storeKind == kCardStore && !CVXLScreenServices::memoryCardPresent(services()))
            continue;
        if (t.storage) {
            for (std::int32_t i = 0; i < storeCount; ++i)
                if (stores->getStoreKind(i) == t.storeKind && !addEntry(stores->getStoreName(i), row, i))
                    VXL_LOG_FAILURE("media menu: store %d left out", i);
            continue;
        }
        const std::int32_t property = t.selector - kFirstPropertySelector;
        if (property >= 0 && static_cast<std::size_t>(property) < std::size(kSelectorProperties)
            && this->property(kSelectorProperties[property]).toInt() != 1)
            continue;
        addEntry(screenText(t.textId), row, -1);
    }
}

CVXLHsmState CVXLScenarioSupportJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return transition(&CVXLScenarioSupportJob::Done);
}

CVXLHsmState CVXLScenarioSupportJob::Initial(const CVXLEvent*)
{
    setState(&CVXLScenarioSupportJob::Listing);
    return handled();
}

CVXLHsmState CVXLScenarioSupportJob::Top(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLScenarioSupportJob::Listing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        build();
        refreshLayout();
        return handled();
    case kSignalRebuild:
        build();
        refreshLayout();
        return handled();
    case kSignalSelect: {
        std::uint32_t at = 0;
        while (at < layout_.getItemCount() && layout_.itemAt(at) != layout_.currentElement())
            ++at;
        if (at >= entryCount_)
            return handled();
        const Origin origin = origins_[at];
        const RowTemplate& t = kRows[origin.row];
        const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
        if (t.storage) {
            if (stores && stores->getStoreKind(origin.store) == kCardStore
                && !CVXLScreenServices::memoryCardPresent(services())) {
                showInfo(kNoticeNoCard, 0, 1);
                return transition(&CVXLScenarioSupportJob::Noticing);
            }
            setProperty(kPropertyChoiceInt, CVXLVariant(stores ? stores->storeIdAt(origin.store) : 0));
        } else {
            setProperty(kPropertyChoiceInt, CVXLVariant(t.choiceInt));
        }
        if (t.choiceText)
            setProperty(kPropertyChoiceString, CVXLVariant(t.choiceText));
        return finish(t.result);
    }
    }
    return super(&CVXLScenarioSupportJob::Top);
}

CVXLHsmState CVXLScenarioSupportJob::Noticing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return transition(&CVXLScenarioSupportJob::Listing);
    case kChildExit:
        postSignal(kSignalKeyExit);
        return handled();
    }
    return super(&CVXLScenarioSupportJob::Top);
}

CVXLHsmState CVXLScenarioSupportJob::Done(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
        return transition(&CVXLScenarioSupportJob::Listing);
    case kSignalKeyBack:
    case kSignalKeyExit:
    case kSignalSelect:
    case kSignalRebuild:
        return handled();
    }
    return super(&CVXLScenarioSupportJob::Top);
}
