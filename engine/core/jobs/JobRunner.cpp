#include "engine/core/jobs/JobRunner.h"

namespace {

CVXLEventHandler* subjectJob(const CVXLEvent* event)
{
    return dynamic_cast<CVXLEventHandler*>(event->subject());
}

} // namespace

void CJobRunner::runJob(CVXLEventHandler* job)
{
    if (!job)
        return;
    // Until the runner's own start has been handled, jobs queue up, so they
    // start in the order they were handed over.
    if (startCompleted())
        startChild(job);
    else
        waiting_.append(job);
}

void CJobRunner::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kRunJobCode:
        if (CVXLEventHandler* job = subjectJob(event))
            startChild(job);
        break;
    case kStopJobCode: {
        CVXLEventHandler* job = subjectJob(event);
        if (job && isDescendant(job))
            job->stop();
        break;
    }
    case kEventStart:
        while (CVXLObject* job = waiting_.popFront())
            startChild(static_cast<CVXLEventHandler*>(job));
        break;
    default:
        break;
    }
    finishEvent(event);
}

void CJobRunner::childFinished(CVXLEventHandler* child)
{
    // The guard sits in front of the whole object, which need not start with
    // its handler part.
    if (vxlIsHeapObject(dynamic_cast<void*>(child)))
        delete child;
}
