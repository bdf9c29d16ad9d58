#include "engine/core/VXLObjectQueue.h"

CVXLObject* CVXLObjectQueue::popFront()
{
    CVXLObject* object = front();
    if (object)
        list_.remove(object);
    return object;
}
