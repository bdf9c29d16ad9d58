#include "engine/transport/mime/VXLMultipartBody.h"

CVXLMultipartBody::CVXLMultipartBody()
    : CVXLMimeEntity(kMultipart)
{
}

CVXLMultipartBody::~CVXLMultipartBody()
{
    while (head_) {
        Node* next = head_->next;
        delete head_;
        head_ = next;
    }
}

CVXLMultipartBody::Node* CVXLMultipartBody::nodeAt(std::uint32_t n) const
{
    Node* node = head_;
    while (node && n--)
        node = node->next;
    return node;
}

CVXLEntityRef CVXLMultipartBody::partAt(std::uint32_t n) const
{
    Node* node = n < count_ ? nodeAt(n) : nullptr;
    return node ? node->part : CVXLEntityRef();
}

bool CVXLMultipartBody::appendPart(const CVXLEntityRef& part)
{
    return insertPart(count_, part);
}

bool CVXLMultipartBody::adoptPart(CVXLMimeEntity* part)
{
    Node* node = new Node(part);
    if (!node) {
        delete part;
        return false;
    }
    link(count_, node);
    return true;
}

bool CVXLMultipartBody::insertPart(std::uint32_t n, const CVXLEntityRef& part)
{
    if (n > count_)
        return false;
    Node* node = new Node();
    if (!node)
        return false;
    node->part = part;
    link(n, node);
    return true;
}

void CVXLMultipartBody::link(std::uint32_t n, Node* node)
{
    if (n == 0) {
        node->next = head_;
        head_ = node;
    } else {
        // Appending goes straight to the tail, so building a body stays linear.
        Node* before = n == count_ ? tail_ : nodeAt(n - 1);
        node->next = before->next;
        before->next = node;
    }
    if (!node->next)
        tail_ = node;
    ++count_;
}

bool CVXLMultipartBody::replacePart(std::uint32_t n, const CVXLEntityRef& part)
{
    if (n >= count_)
        return false;
    nodeAt(n)->part = part;
    return true;
}

bool CVXLMultipartBody::removePart(std::uint32_t n)
{
    if (n >= count_)
        return false;
    Node* before = n ? nodeAt(n - 1) : nullptr;
    Node* node = before ? before->next : head_;
    (before ? before->next : head_) = node->next;
    if (tail_ == node)
        tail_ = before;
    delete node;
    --count_;
    return true;
}
