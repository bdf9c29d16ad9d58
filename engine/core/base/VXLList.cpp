#include "engine/core/base/VXLList.h"

CVXLList::~CVXLList()
{
    clear();
}

int CVXLList::append(CVXLObject* object)
{
    auto* node = new Node;
    if (!node)
        return 0;
    node->object = object;
    node->previous = tail_;
    if (tail_)
        tail_->next = node;
    else
        head_ = node;
    tail_ = node;
    ++count_;
    return 1;
}

void CVXLList::unlink(Node* node)
{
    if (node->previous)
        node->previous->next = node->next;
    else
        head_ = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        tail_ = node->previous;
    --count_;
    delete node;
}

int CVXLList::remove(const CVXLObject* object)
{
    for (Node* node = head_; node; node = node->next) {
        if (node->object == object) {
            unlink(node);
            return 1;
        }
    }
    return 0;
}

int CVXLList::remove(CVXLListIterator& position)
{
    if (position.atEnd())
        return 0;
    const CVXLObject* object = position.current();
    for (Node* node = head_; node; node = node->next) {
        if (node->object == object) {
            if (node == position.node())
                position.next();
            unlink(node);
            return 1;
        }
    }
    return 0;
}

void CVXLList::clear()
{
    Node* node = head_;
    while (node) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    head_ = nullptr;
    tail_ = nullptr;
    count_ = 0;
}

CVXLListIterator CVXLList::begin() const
{
    return CVXLListIterator(this, head_);
}

CVXLListIterator CVXLList::end() const
{
    return CVXLListIterator(this, nullptr);
}
