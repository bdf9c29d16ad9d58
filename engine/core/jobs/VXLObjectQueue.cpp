#include "engine/core/jobs/VXLObjectQueue.h"

CVXLObject* CVXLObjectQueue::popFront()
{
    CVXLObject* object = front();
    if (object)
        list_.remove(object);
    return object;
}
