#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>
#include <functional>
#include <vector>

class CVXLLayout;
class CVXLScreenServices;
class CVXLUiJob;

// The preallocated UI jobs, one per type id, built once in one block and
// handed out by type id to the UI-job stack and to jobs for their child
// screens. When the preallocated job of a type is in use (a flow shows a
// second screen of the same type) the pool makes a fresh instance of its
// class, which is deleted when it is given back. Every job handed out stays
// the pool's: a fresh one still out when the pool is destroyed (a screen left
// on the program's stack at its end) goes with the block. A job's explicit pooled flag
// tells the two apart: the allocator's guard cannot, since a job at the start
// of the block would pass it.
//
// The pool hands its jobs the engine's screen services, which its owner
// wires (the Client its own); a job started under a pooled job takes the
// same pool.
//
// The block holds the jobs built so far (the notice screens: error,
// information, progress, spinner, progress bar; the message composer; the
// message lists and views; the single-screen and hand-over jobs); the other
// types come from `create`, which makes none in the base.
class CVXLUiJobPool : public CVXLObject {
public:
    static constexpr int kSlotCount = 47; // type ids 1 to 46

    CVXLUiJobPool();
    // Without the block (tests that bring their own jobs).
    explicit CVXLUiJobPool(bool preallocate);
    CVXLUiJobPool(const CVXLUiJobPool&) = delete;
    CVXLUiJobPool& operator=(const CVXLUiJobPool&) = delete;
    ~CVXLUiJobPool() override;

    // Takes a heap job into the pool as the preallocated one of its type; the
    // pool deletes it with the rest. False for a type id outside 1..46 or one
    // already held.
    bool add(CVXLUiJob* job);
    // The job of a type: the preallocated one when free, else a fresh one;
    // null for a type outside 1..46, after destroyAll, or when there is none.
    CVXLUiJob* acquire(int typeId);
    // A job comes back: marked free, or deleted when fresh. A fresh job whose
    // layout a screen request still names waits until none does (see
    // setLayoutNamed). After destroyAll it is gone already and nothing is
    // touched.
    void release(CVXLUiJob* job);
    // Tells whether a queued or shown screen request names a layout; the
    // user interface reads those after the job may have ended.
    void setLayoutNamed(std::function<bool(const CVXLLayout*)> named) { layoutNamed_ = std::move(named); }
    // Deletes the given-back fresh jobs whose layout no request names now.
    void deleteUnnamed();
    std::uint32_t heldCount() const { return static_cast<std::uint32_t>(held_.size()); }
    // Deletes every preallocated job and every fresh one still out; acquire
    // then yields null.
    void destroyAll();
    bool isDestroyed() const { return destroyed_; }
    CVXLScreenServices* services() const { return services_; }
    void setServices(CVXLScreenServices* services) { services_ = services; }

protected:
    // A fresh job of a type the block lacks, or null; the base makes none.
    virtual CVXLUiJob* create(int typeId);

private:
    struct Block;

    Block* block_ = nullptr;
    CVXLUiJob* slots_[kSlotCount] = {};
    // Slots filled by add, deleted one by one.
    bool added_[kSlotCount] = {};
    // Fresh jobs handed out and not yet given back.
    std::vector<CVXLUiJob*> fresh_;
    // Fresh jobs given back whose layout a request still named.
    std::vector<CVXLUiJob*> held_;
    std::function<bool(const CVXLLayout*)> layoutNamed_;
    CVXLScreenServices* services_ = nullptr;
    bool destroyed_ = false;
};
