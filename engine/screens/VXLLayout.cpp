#include "engine/screens/VXLLayout.h"

#include "engine/core/jobs/VXLHandlerRegistry.h"
#include "engine/screens/VXLLayoutChoiceSelection.h"
#include "engine/screens/VXLLayoutContactChooser.h"
#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "engine/screens/VXLLayoutProgressBar.h"
#include "engine/screens/VXLLayoutProgressSpinner.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/screens/VXLUiJob.h"

CVXLLayout::CVXLLayout(std::uint32_t layoutType, std::uint32_t initialState)
    : type_(layoutType)
    , state_(initialState)
{
}

CVXLScreenServices* CVXLLayout::services() const
{
    return owner_ ? owner_->services() : nullptr;
}

CVXLContactListElement* CVXLLayout::globalContactContainer() const
{
    CVXLScreenServices* screen = services();
    return screen ? screen->globalContacts() : nullptr;
}

CVXLString CVXLLayout::text(std::uint32_t id) const
{
    return CVXLScreenServices::text(services(), id);
}

std::int32_t CVXLLayout::configNumber(std::int32_t item, std::int32_t fallback) const
{
    return CVXLScreenServices::configNumber(services(), item, fallback);
}

void CVXLLayout::releaseHandler(CVXLReleasable* handler)
{
    if (handler && handler->release())
        delete handler;
}

void CVXLLayout::registerHandler(CVXLReleasable* handler)
{
    CVXLScreenServices* screen = services();
    CVXLHandlerRegistry* registry = screen ? screen->resultHandlers() : nullptr;
    if (!handler || !registry || !owner_) {
        // Nobody would ever let go of it.
        releaseHandler(handler);
        return;
    }
    registry->set(handler, owner_->typeId(), static_cast<std::int32_t>(state_), getHandlerKey());
}

const CVXLLayoutCommandRow* CVXLLayout::findRow(std::uint32_t eventId, bool offeredOnly) const
{
    const CVXLLayoutCommandRow* rows = getCommandTable();
    const std::uint32_t count = rows ? getCommandCount() : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const CVXLLayoutCommandRow& row = rows[i];
        if (row.state != state_ || row.eventId != eventId)
            continue;
        if (offeredOnly && row.kind == kActionKindNotApplicable)
            continue;
        return &row;
    }
    return nullptr;
}

std::uint32_t CVXLLayout::getActionKind(std::uint32_t eventId) const
{
    const CVXLLayoutCommandRow* row = findRow(eventId, false);
    return row ? row->kind : kActionKindUnplaced;
}

CVXLString CVXLLayout::getActionLabel(std::uint32_t eventId) const
{
    const CVXLLayoutCommandRow* row = findRow(eventId, false);
    return row ? text(row->labelId) : CVXLString();
}

bool CVXLLayout::hasAction(std::uint32_t eventId) const
{
    return findRow(eventId, true) != nullptr;
}

int CVXLLayout::submitAction(std::uint32_t eventId)
{
    if (!owner_ || !canSubmitAction(eventId) || !hasAction(eventId))
        return 0;
    owner_->onLayoutAction(eventId);
    return 1;
}

std::uint32_t CVXLLayout::offeredFrom(std::uint32_t from) const
{
    const CVXLLayoutCommandRow* rows = getCommandTable();
    const std::uint32_t count = rows ? getCommandCount() : 0;
    std::uint32_t i = from;
    while (i < count && (rows[i].state != state_ || rows[i].kind == kActionKindNotApplicable))
        ++i;
    return i < count ? i : count;
}

void CVXLLayout::firstAction()
{
    const std::uint32_t count = getCommandTable() ? getCommandCount() : 0;
    const std::uint32_t first = offeredFrom(0);
    cursor_ = first < count ? first : 0;
}

bool CVXLLayout::hasNextAction() const
{
    const std::uint32_t count = getCommandTable() ? getCommandCount() : 0;
    return offeredFrom(cursor_) < count;
}

std::uint32_t CVXLLayout::nextAction()
{
    const std::uint32_t count = getCommandTable() ? getCommandCount() : 0;
    const std::uint32_t at = offeredFrom(cursor_);
    if (at >= count) {
        cursor_ = count;
        return kNoMoreActions;
    }
    cursor_ = at + 1;
    return getCommandTable()[at].eventId;
}

// A layout of the type that is not of the class (a stand-in) casts to null.
CVXLLayoutChoiceSelection* CVXLLayout::asChoiceSelection()
{
    return type_ == kLayoutChoiceSelection ? dynamic_cast<CVXLLayoutChoiceSelection*>(this) : nullptr;
}

CVXLLayoutContactChooser* CVXLLayout::asContactChooser()
{
    return type_ == kLayoutContactChooser ? dynamic_cast<CVXLLayoutContactChooser*>(this) : nullptr;
}

CVXLLayoutError* CVXLLayout::asError()
{
    return type_ == kLayoutError ? dynamic_cast<CVXLLayoutError*>(this) : nullptr;
}

CVXLLayoutInformation* CVXLLayout::asInformation()
{
    return type_ == kLayoutInformation ? dynamic_cast<CVXLLayoutInformation*>(this) : nullptr;
}

CVXLLayoutMenuList* CVXLLayout::asMenuList()
{
    return type_ == kLayoutMenuList ? dynamic_cast<CVXLLayoutMenuList*>(this) : nullptr;
}

CVXLLayoutMessageComposer* CVXLLayout::asMessageComposer()
{
    return type_ == kLayoutMessageComposer ? dynamic_cast<CVXLLayoutMessageComposer*>(this) : nullptr;
}

CVXLLayoutProgressBar* CVXLLayout::asProgressBar()
{
    return type_ == kLayoutProgressBar ? dynamic_cast<CVXLLayoutProgressBar*>(this) : nullptr;
}

CVXLLayoutProgressSpinner* CVXLLayout::asProgressSpinner()
{
    return type_ == kLayoutProgressSpinner ? dynamic_cast<CVXLLayoutProgressSpinner*>(this) : nullptr;
}
