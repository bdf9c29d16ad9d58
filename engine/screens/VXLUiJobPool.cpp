#include "engine/screens/VXLUiJobPool.h"

#include "engine/screens/VXLUiJob.h"

CVXLUiJobPool::CVXLUiJobPool() = default;

CVXLUiJobPool::~CVXLUiJobPool()
{
    release();
}

bool CVXLUiJobPool::add(CVXLUiJob* job)
{
    if (!job)
        return false;
    const int type = job->typeId();
    if (type < CVXLUiJob::kMinTypeId || type > CVXLUiJob::kMaxTypeId || slots_[type])
        return false;
    job->pooled_ = true;
    job->inUse_ = false;
    slots_[type] = job;
    return true;
}

CVXLUiJob* CVXLUiJobPool::acquire(int typeId)
{
    if (typeId < CVXLUiJob::kMinTypeId || typeId > CVXLUiJob::kMaxTypeId)
        return nullptr;
    CVXLUiJob* job = slots_[typeId];
    if (!job || job->inUse_) {
        job = create(typeId);
        if (!job)
            return nullptr;
        job->pooled_ = false;
    }
    job->inUse_ = true;
    return job;
}

void CVXLUiJobPool::giveBack(CVXLUiJob* job)
{
    if (!job)
        return;
    job->inUse_ = false;
    job->link_ = nullptr;
    job->pushedBy_ = nullptr;
    job->currentActive_ = false;
    job->ended_ = false;
    job->properties_.clear();
    if (!job->pooled_)
        delete job;
}

void CVXLUiJobPool::release()
{
    for (CVXLUiJob*& job : slots_) {
        delete job;
        job = nullptr;
    }
}

CVXLUiJob* CVXLUiJobPool::create(int)
{
    return nullptr;
}
