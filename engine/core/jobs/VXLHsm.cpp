#include "engine/core/jobs/VXLHsm.h"

#include <cstdio>
#include <cstdlib>

CVXLHsm::CVXLHsm(CVXLStateHandler initial)
    : top_(&CVXLHsm::top)
    , current_(&CVXLHsm::top)
    , source_(initial)
    , initial_(initial)
{
}

CVXLHsm::~CVXLHsm() = default;

CVXLHsmState CVXLHsm::callState(CVXLStateHandler state, const CVXLEvent* event)
{
    return (this->*state)(event);
}

CVXLHsmState CVXLHsm::top(const CVXLEvent*)
{
    return handled();
}

// Reserved signals travel in a fresh request whose reply code is 0, so a
// state that asks another question while answering cannot disturb the event
// it was given.
CVXLStateHandler CVXLHsm::trigger(CVXLStateHandler state, std::int32_t signal)
{
    if (!state)
        return nullptr;
    CVXLEvent event(signal, 0);
    const CVXLHsmState answer = callState(state, &event);
    if (answer.kind == CVXLHsmState::Kind::Transition) {
        std::fprintf(
            stderr, "state machine: a transition answers reserved signal %d\n", static_cast<int>(signal));
        std::abort();
    }
    return answer.kind == CVXLHsmState::Kind::Super ? answer.handler : nullptr;
}

CVXLStateHandler CVXLHsm::exitState(CVXLStateHandler state)
{
    CVXLStateHandler up = trigger(state, kSignalExit);
    return up ? up : superOf(state);
}

void CVXLHsm::drillInitial()
{
    for (;;) {
        const CVXLStateHandler before = current_;
        if (trigger(current_, kSignalInit) || current_ == before)
            return;
        source_ = current_;
        trigger(current_, kSignalEntry);
    }
}

void CVXLHsm::init()
{
    trigger(source_, kSignalInit);
    trigger(current_, kSignalEntry);
    drillInitial();
}

void CVXLHsm::dispatch(const CVXLEvent* event)
{
    source_ = current_;
    while (source_) {
        const CVXLHsmState answer = callState(source_, event);
        switch (answer.kind) {
        case CVXLHsmState::Kind::Handled:
            return;
        case CVXLHsmState::Kind::Transition:
            transitionTo(answer.handler);
            return;
        case CVXLHsmState::Kind::Super:
            source_ = answer.handler;
            break;
        }
    }
}

void CVXLHsm::exitAll()
{
    for (CVXLStateHandler state = current_; state;) {
        trigger(state, kSignalExit);
        state = superOf(state);
    }
    current_ = top_;
    source_ = initial_;
}

bool CVXLHsm::isInState(CVXLStateHandler state)
{
    for (CVXLStateHandler at = current_; at; at = superOf(at)) {
        if (at == state)
            return true;
    }
    return false;
}

void CVXLHsm::transitionTo(CVXLStateHandler target)
{
    // Leave the substates of the state whose handler runs.
    for (CVXLStateHandler state = current_; state && state != source_;)
        state = exitState(state);

    // path[0] is the target, path[i + 1] the superstate of path[i]; the first
    // `enter` entries are entered, outermost first.
    CVXLStateHandler path[kMaxEntryPath + 1];
    path[0] = target;
    int enter = 0;
    const CVXLStateHandler source = source_;
    if (source == target) {
        exitState(source);
        enter = 1;
    } else {
        const CVXLStateHandler targetSuper = superOf(target);
        const CVXLStateHandler sourceSuper = source == top_ ? nullptr : superOf(source);
        if (source == targetSuper) {
            enter = 1;
        } else if (sourceSuper && sourceSuper == targetSuper) {
            exitState(source);
            enter = 1;
        } else if (sourceSuper && sourceSuper == target) {
            exitState(source);
        } else {
            int recorded = 1;
            path[1] = targetSuper;
            bool sourceIsAncestor = false;
            for (CVXLStateHandler state = superOf(targetSuper); state; state = superOf(state)) {
                if (state == source) {
                    sourceIsAncestor = true;
                    enter = recorded + 1;
                    break;
                }
                if (recorded >= kMaxEntryPath) {
                    std::fprintf(stderr, "state machine nests deeper than %d levels\n", kMaxEntryPath);
                    std::abort();
                }
                path[++recorded] = state;
            }
            auto indexInPath = [&](CVXLStateHandler state) {
                for (int i = 0; i <= recorded; ++i) {
                    if (path[i] == state)
                        return i;
                }
                return -1;
            };
            if (!sourceIsAncestor) {
                exitState(source);
                int at = indexInPath(sourceSuper);
                for (CVXLStateHandler state = sourceSuper; at < 0 && state;) {
                    state = exitState(state);
                    at = indexInPath(state);
                }
                enter = at < 0 ? 0 : at;
            }
        }
    }
    for (int i = enter - 1; i >= 0; --i)
        trigger(path[i], kSignalEntry);
    current_ = target;
    drillInitial();
}
