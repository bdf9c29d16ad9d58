#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLSharedCount.h"

class CVXLMimeEntity;

// Shared reference to a MIME entity: copies share the entity, and the last
// reference deletes it (when it lives on the engine heap). An empty reference
// holds null.
class CVXLEntityRef : public CVXLObject {
public:
    CVXLEntityRef() = default;
    // Takes ownership of a heap entity (or null).
    explicit CVXLEntityRef(CVXLMimeEntity* entity);
    CVXLEntityRef(const CVXLEntityRef& other);
    CVXLEntityRef& operator=(const CVXLEntityRef& other);
    ~CVXLEntityRef() override;

    CVXLMimeEntity* get() const { return entity_; }
    CVXLMimeEntity* operator->() const { return entity_; }
    bool isEmpty() const { return entity_ == nullptr; }
    void reset();

private:
    void release();

    CVXLMimeEntity* entity_ = nullptr;
    CVXLSharedCount count_;
};
