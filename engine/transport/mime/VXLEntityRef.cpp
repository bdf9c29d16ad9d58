#include "engine/transport/mime/VXLEntityRef.h"

#include "engine/transport/mime/VXLMimeEntity.h"

CVXLEntityRef::CVXLEntityRef(CVXLMimeEntity* entity)
    : entity_(entity)
{
}

CVXLEntityRef::CVXLEntityRef(const CVXLEntityRef& other)
    : CVXLObject()
    , entity_(other.entity_)
    , count_(other.count_)
{
}

CVXLEntityRef& CVXLEntityRef::operator=(const CVXLEntityRef& other)
{
    if (this == &other || (entity_ == other.entity_ && count_.sharesWith(other.count_)))
        return *this;
    // Hold the other's entity first: releasing ours may delete an entity that
    // owns the other reference.
    CVXLEntityRef keep(other);
    release();
    entity_ = keep.entity_;
    count_ = keep.count_;
    return *this;
}

CVXLEntityRef::~CVXLEntityRef()
{
    release();
}

void CVXLEntityRef::reset()
{
    release();
    count_.detach();
}

void CVXLEntityRef::release()
{
    CVXLMimeEntity* entity = entity_;
    entity_ = nullptr;
    if (entity && count_.useCount() == 0 && vxlIsHeapObject(entity))
        delete entity;
}
