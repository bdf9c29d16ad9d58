#include "engine/transport/storage/VXLStorageRef.h"

#include "engine/transport/storage/VXLStorageObject.h"

CVXLStorageRef::CVXLStorageRef(CVXLStorageObject* object)
    : object_(object)
{
}

CVXLStorageRef::CVXLStorageRef(const CVXLStorageRef& other)
    : CVXLObject()
    , object_(other.object_)
    , count_(other.count_)
{
}

CVXLStorageRef& CVXLStorageRef::operator=(const CVXLStorageRef& other)
{
    if (this == &other || (object_ == other.object_ && count_.sharesWith(other.count_)))
        return *this;
    CVXLStorageRef keep(other);
    release();
    object_ = keep.object_;
    count_ = keep.count_;
    return *this;
}

CVXLStorageRef::~CVXLStorageRef()
{
    release();
}

void CVXLStorageRef::reset()
{
    release();
    count_ = CVXLSharedCount();
}

void CVXLStorageRef::release()
{
    CVXLStorageObject* object = object_;
    object_ = nullptr;
    if (object && count_.useCount() == 0 && vxlIsHeapObject(object))
        delete object;
}
