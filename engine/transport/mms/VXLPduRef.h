#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLSharedCount.h"

class CVXLMmsPdu;

// Shared handle to an MMS PDU. A handle made from a pointer adopts the PDU:
// the last handle to let go of an adopted PDU deletes it. A PDU that no
// handle adopted (one embedded in another object, say) is never deleted.
class CVXLPduRef : public CVXLObject {
public:
    CVXLPduRef() = default;
    explicit CVXLPduRef(CVXLMmsPdu* pdu);
    CVXLPduRef(const CVXLPduRef& other);
    CVXLPduRef& operator=(const CVXLPduRef& other);
    ~CVXLPduRef() override;

    CVXLMmsPdu* get() const { return pdu_; }
    CVXLMmsPdu* operator->() const { return pdu_; }
    bool isEmpty() const { return pdu_ == nullptr; }
    void reset();

private:
    void release();

    CVXLMmsPdu* pdu_ = nullptr;
    CVXLSharedCount count_;
    bool owning_ = false;
};
