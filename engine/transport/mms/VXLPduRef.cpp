#include "engine/transport/mms/VXLPduRef.h"

#include "engine/transport/mms/VXLMmsPdu.h"

CVXLPduRef::CVXLPduRef(CVXLMmsPdu* pdu)
    : pdu_(pdu)
{
    // A PDU another handle already adopted stays that handle's to delete.
    if (pdu_ && !pdu_->adopted_ && vxlIsHeapObject(pdu_)) {
        pdu_->adopted_ = true;
        owning_ = true;
    }
}

CVXLPduRef::CVXLPduRef(const CVXLPduRef& other)
    : CVXLObject()
    , pdu_(other.pdu_)
    , count_(other.count_)
    , owning_(other.owning_)
{
}

CVXLPduRef& CVXLPduRef::operator=(const CVXLPduRef& other)
{
    if (this == &other || (pdu_ == other.pdu_ && count_.sharesWith(other.count_)))
        return *this;
    CVXLPduRef keep(other);
    release();
    pdu_ = keep.pdu_;
    count_ = keep.count_;
    owning_ = keep.owning_;
    return *this;
}

CVXLPduRef::~CVXLPduRef()
{
    release();
}

void CVXLPduRef::reset()
{
    release();
    count_ = CVXLSharedCount();
    owning_ = false;
}

void CVXLPduRef::release()
{
    CVXLMmsPdu* pdu = pdu_;
    pdu_ = nullptr;
    if (pdu && owning_ && count_.useCount() == 0 && pdu->adopted_) {
        pdu->adopted_ = false;
        delete pdu;
    }
}
