#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

class CVXLListIterator;

// A doubly linked list of object pointers. The list owns its nodes, never
// the objects.
class CVXLList : public CVXLObject {
public:
    struct Node : CVXLObject {
        CVXLObject* object = nullptr;
        Node* next = nullptr;
        Node* previous = nullptr;
    };

    CVXLList() = default;
    // Copies would share the nodes; the list has no copy semantics.
    CVXLList(const CVXLList&) = delete;
    CVXLList& operator=(const CVXLList&) = delete;
    ~CVXLList() override;

    // 1, or 0 when the heap refuses a node.
    int append(CVXLObject* object);
    // Unlinks the node nearest the head that holds the object; 1, or 0 when
    // absent.
    int remove(const CVXLObject* object);
    // Removes as remove(object) for the iterator's object. When that node is
    // the iterator's own, the iterator moves on to the following node rather
    // than being left on a deleted one.
    int remove(CVXLListIterator& position);
    void clear();

    std::uint32_t count() const { return count_; }
    Node* head() const { return head_; }
    Node* tail() const { return tail_; }

    CVXLListIterator begin() const;
    CVXLListIterator end() const;

private:
    void unlink(Node* node);

    std::uint32_t count_ = 0;
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};

// The iterator names CVXLList::Node, so it comes after the list.
#include "engine/core/base/VXLListIterator.h"
