#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

class CVXLUiJob;

// The preallocated UI jobs, one per type id, handed out to the UI-job stack.
// When the pooled job of a type is in use (a flow shows a second screen of
// the same type) the pool makes a fresh instance, which is deleted when it is
// given back.
class CVXLUiJobPool : public CVXLObject {
public:
    static constexpr int kSlotCount = 47; // type ids 1 to 46

    CVXLUiJobPool();
    CVXLUiJobPool(const CVXLUiJobPool&) = delete;
    CVXLUiJobPool& operator=(const CVXLUiJobPool&) = delete;
    ~CVXLUiJobPool() override;

    // Takes a preallocated job into the pool (which deletes it on release).
    // False for a type id outside 1..46 or one already held.
    bool add(CVXLUiJob* job);
    // The job of a type: the pooled one when free, else a fresh one; null
    // when there is neither.
    CVXLUiJob* acquire(int typeId);
    // A job that has finished comes back; a fresh one is deleted.
    void giveBack(CVXLUiJob* job);
    // Deletes every pooled job; jobs in use must have been given back.
    void release();

protected:
    // A fresh job of the type, or null; the base makes none.
    virtual CVXLUiJob* create(int typeId);

private:
    CVXLUiJob* slots_[kSlotCount] = {};
};
