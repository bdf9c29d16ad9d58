#include "engine/core/base/VXLListIterator.h"

CVXLListIterator::CVXLListIterator(const CVXLList* list, const CVXLList::Node* node)
    : list_(list)
    , node_(node)
{
}

void CVXLListIterator::first()
{
    node_ = list_ ? list_->head() : nullptr;
}

const CVXLList::Node* CVXLListIterator::next()
{
    if (node_)
        node_ = node_->next;
    return node_;
}

bool CVXLListIterator::atEnd() const
{
    return node_ == nullptr;
}

CVXLObject* CVXLListIterator::current() const
{
    return node_ ? node_->object : nullptr;
}

CVXLListIterator& CVXLListIterator::advance()
{
    next();
    return *this;
}

void CVXLListIterator::last()
{
    node_ = list_ ? list_->tail() : nullptr;
}

const CVXLList::Node* CVXLListIterator::previous()
{
    if (node_)
        node_ = node_->previous;
    return node_;
}

CVXLObject* CVXLListIterator::deref() const
{
    return current();
}

CVXLListIterator& CVXLListIterator::retreat()
{
    previous();
    return *this;
}

bool CVXLListIterator::equals(const CVXLListIterator& other) const
{
    return list_ == other.list_ && node_ == other.node_;
}

bool CVXLListIterator::operator!=(const CVXLListIterator& other) const
{
    return !equals(other);
}
