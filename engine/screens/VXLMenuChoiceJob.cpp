#include "engine/screens/VXLMenuChoiceJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>

struct CVXLMenuChoiceJob::Menu {
    struct Entry {
        std::uint32_t textId;
        std::int32_t result;
        std::int32_t icon;
    };
    std::uint32_t layoutState;
    std::uint32_t titleId;
    // The cool site named by "scenario" titles the menu.
    bool coolSiteTitle;
    Entry entries[4];
    std::uint32_t entryCount;
};

namespace {

// Every entry's choice integer is 0 and none has a choice text.
constexpr CVXLMenuChoiceJob::Menu kMenus[] = {
    {0, 678, false, {{679, 39, 7}, {680, 38, 8}}, 2},
    {0, 681, false, {{682, 41, 9}, {683, 42, 10}}, 2},
    {3, 684, true, {{685, 61, 11}, {686, 62, 12}, {687, 63, 13}, {688, 64, 14}}, 4},
    {3, 684, true, {{685, 61, 11}, {686, 62, 12}}, 2},
};

} // namespace

CVXLMenuChoiceJob::CVXLMenuChoiceJob()
    : CVXLUiJob(&CVXLMenuChoiceJob::Initial, kFirstExternalCode)
{
}

CVXLMenuChoiceJob::~CVXLMenuChoiceJob()
{
    clearEntries();
}

void CVXLMenuChoiceJob::init()
{
    CVXLUiJob::init();
    layout_.prepare();
    layout_.setOwner(this);
    layout_.setImageLink(CVXLString(), CVXLString());
    build();
}

void CVXLMenuChoiceJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    finishEvent(event);
}

std::int32_t CVXLMenuChoiceJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    clearEntries();
    return state;
}

// The menu list's keys come as the base's menu-list signals.
static_assert(CVXLMenuChoiceJob::kSignalSelect == 119 && CVXLMenuChoiceJob::kSignalKeyBack == 118
    && CVXLMenuChoiceJob::kSignalKeyExit == 117);

void CVXLMenuChoiceJob::onLayoutAction(std::uint32_t eventId)
{
    postActionSignal(kLayoutMenuList, eventId, kMenuListSignals);
}

void CVXLMenuChoiceJob::clearEntries()
{
    layout_.clear();
    layout_.setTitleText(CVXLString());
    menu_ = nullptr;
}

void CVXLMenuChoiceJob::build()
{
    clearEntries();
    const std::int32_t type = property(kPropertyMenu).toInt();
    if (type < 0 || static_cast<std::size_t>(type) >= std::size(kMenus)) {
        VXL_LOG_FAILURE("menu choice: no menu %d", type);
        return;
    }
    menu_ = &kMenus[type];
    layout_.setState(menu_->layoutState);
    layout_.setTitleId(menu_->titleId);
    for (std::uint32_t i = 0; i < menu_->entryCount; ++i) {
        auto* entry = new CVXLEditTextElement;
        if (!entry)
            continue;
        entry->setText(screenText(menu_->entries[i].textId));
        entry->setValue(menu_->entries[i].icon);
        if (!layout_.addItem(entry))
            delete entry;
    }
    CVXLScreenServices* screen = services();
    CVXLCoolSite site;
    if (menu_->coolSiteTitle && screen
        && screen->coolSiteById(property(kPropertyScenario).toString(), &site)) {
        layout_.setImageLink(site.icon, site.iconType);
        layout_.setTitleText(site.caption);
    }
}

CVXLHsmState CVXLMenuChoiceJob::finish(std::int32_t result)
{
    releaseLayout();
    notifyOwner(result);
    return handled();
}

CVXLHsmState CVXLMenuChoiceJob::Initial(const CVXLEvent*)
{
    setState(&CVXLMenuChoiceJob::Showing);
    return handled();
}

CVXLHsmState CVXLMenuChoiceJob::Showing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        if (!menu_)
            return finish(kEndBack);
        showLayout();
        return handled();
    case kSignalSelect: {
        std::uint32_t at = 0;
        while (at < layout_.getItemCount() && layout_.itemAt(at) != layout_.currentElement())
            ++at;
        if (!menu_ || at >= menu_->entryCount)
            return handled();
        setProperty(kPropertyChoiceInt, CVXLVariant(static_cast<std::int32_t>(0)));
        return finish(menu_->entries[at].result);
    }
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
        return finish(kEndExit);
    case kSignalGoOn:
        showLayout();
        return handled();
    }
    return super(&CVXLHsm::top);
}
