#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLSharedCount.h"

#include <cstdint>

// Shared reference to the object a transaction reports to. The listener is
// not owned: no reference ever deletes it.
class CVXLTransactionListenerRef : public CVXLObject {
public:
    CVXLTransactionListenerRef() = default;
    explicit CVXLTransactionListenerRef(CVXLCallback* listener);
    CVXLTransactionListenerRef(const CVXLTransactionListenerRef& other);
    CVXLTransactionListenerRef& operator=(const CVXLTransactionListenerRef& other);
    ~CVXLTransactionListenerRef() override;

    CVXLCallback* get() const { return listener_; }
    bool isEmpty() const { return listener_ == nullptr; }
    void reset();

    // Tells the listener the result; nothing when the reference is empty.
    void transactionFinished(std::int32_t result) const;

private:
    CVXLCallback* listener_ = nullptr;
    CVXLSharedCount count_;
};
