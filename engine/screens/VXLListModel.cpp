#include "engine/screens/VXLListModel.h"

#include "engine/core/base/VXLElement.h"

void CVXLListModel::applyToAll(std::uint8_t value)
{
    for (std::uint32_t i = 0; i < items_.count(); ++i)
        if (auto* item = static_cast<CVXLElement*>(items_.at(static_cast<int>(i))))
            item->setCommitMark(value);
}

void CVXLListModel::clear()
{
    items_.clear();
    if (length() <= 0)
        return;
    items_.reserve(static_cast<std::uint32_t>(length()));
    for (std::int32_t i = 0; i < length(); ++i)
        if (!items_.insertAt(nullptr, -1))
            break;
}

bool CVXLListModel::store(CVXLElement* item, std::int32_t absolute)
{
    return inWindow(absolute) && items_.setAt(item, relativeIndex(absolute));
}

int CVXLListModel::insertAt(CVXLElement* item, std::int32_t absolute)
{
    return store(item, absolute) ? 1 : 0;
}

bool CVXLListModel::setAtPosition(CVXLElement* item, std::int32_t absolute)
{
    return store(item, absolute);
}

bool CVXLListModel::hasItemAt(std::int32_t absolute) const
{
    if (!inWindow(absolute))
        return false;
    const int position = relativeIndex(absolute);
    return static_cast<std::uint32_t>(position) < items_.count() && items_.at(position) != nullptr;
}

CVXLElement* CVXLListModel::itemAt(std::int32_t absolute) const
{
    return hasItemAt(absolute) ? static_cast<CVXLElement*>(items_.at(relativeIndex(absolute))) : nullptr;
}

CVXLElement* CVXLListModel::selectAt(std::int32_t absolute)
{
    CVXLElement* item = itemAt(absolute);
    if (item)
        item->setIndexWord(absolute);
    return item;
}

void CVXLListModel::setWindow(std::int32_t first, std::int32_t length)
{
    setFirst(first);
    setLength(length);
    commit();
}

void CVXLListModel::scroll(std::int32_t n)
{
    setCursor(n);
    setFirst(first() + n);
    commit();
}

void CVXLListModel::shiftDown(std::int32_t n)
{
    const std::int32_t by = n <= 0 || first() <= 0 ? 0 : (n < first() ? n : first());
    if (by == 0)
        return;
    const std::uint32_t count = items_.count();
    const std::uint32_t keep = length() > 0 ? static_cast<std::uint32_t>(length()) : 0;
    for (std::uint32_t i = count; i-- > 0;) {
        CVXLObject* item = items_.at(static_cast<int>(i));
        const std::uint64_t to = static_cast<std::uint64_t>(i) + static_cast<std::uint32_t>(by);
        if (to < keep)
            items_.setAt(item, static_cast<int>(to));
    }
    for (std::uint32_t i = 0; i < count && i < static_cast<std::uint32_t>(by); ++i)
        items_.setAt(nullptr, static_cast<int>(i));
    setFirst(first() - by);
    commit();
}
