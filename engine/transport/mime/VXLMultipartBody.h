#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mime/VXLMimeEntity.h"

#include <cstdint>

// An ordered list of part references. The body owns its nodes; each node
// shares its part with other references.
class CVXLMultipartBody : public CVXLMimeEntity {
public:
    CVXLMultipartBody();
    CVXLMultipartBody(const CVXLMultipartBody&) = delete;
    CVXLMultipartBody& operator=(const CVXLMultipartBody&) = delete;
    ~CVXLMultipartBody() override;

    // Every member it declares is set by its constructor: no zero fill.
    VXL_NEW_WITHOUT_ZERO_FILL(CVXLMultipartBody)

    std::uint32_t partCount() const { return count_; }
    // An empty reference when n is not below partCount.
    CVXLEntityRef partAt(std::uint32_t n) const;
    bool appendPart(const CVXLEntityRef& part);
    // Appends a part made with new, which the body then holds as its only
    // reference; false, with the part deleted, when the heap refuses.
    bool adoptPart(CVXLMimeEntity* part);
    // 0 to partCount; false above.
    bool insertPart(std::uint32_t n, const CVXLEntityRef& part);
    bool replacePart(std::uint32_t n, const CVXLEntityRef& part);
    bool removePart(std::uint32_t n);

private:
    struct Node : CVXLObject {
        VXL_NEW_WITHOUT_ZERO_FILL(Node)
        Node() = default;
        explicit Node(CVXLMimeEntity* adopted)
            : part(adopted)
        {
        }
        CVXLEntityRef part;
        Node* next = nullptr;
    };

    Node* nodeAt(std::uint32_t n) const;
    // Puts node at position n (0 to count_).
    void link(std::uint32_t n, Node* node);

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    std::uint32_t count_ = 0;
};
