#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLSharedCount.h"

class CVXLStorageObject;

// Shared reference to a storage object: copies share it, and the last
// reference deletes it (when it lives on the engine heap).
class CVXLStorageRef : public CVXLObject {
public:
    CVXLStorageRef() = default;
    explicit CVXLStorageRef(CVXLStorageObject* object);
    CVXLStorageRef(const CVXLStorageRef& other);
    CVXLStorageRef& operator=(const CVXLStorageRef& other);
    ~CVXLStorageRef() override;

    CVXLStorageObject* get() const { return object_; }
    CVXLStorageObject* operator->() const { return object_; }
    bool isEmpty() const { return object_ == nullptr; }
    void reset();

private:
    void release();

    CVXLStorageObject* object_ = nullptr;
    CVXLSharedCount count_;
};
