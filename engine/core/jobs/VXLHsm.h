#pragma once

#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVXLHsm;
struct CVXLHsmState;

// A state is a member function of the machine. It answers an event with
// CVXLHsm::handled(), with a transition (CVXLHsm::transition(&Derived::Next))
// or with its superstate (CVXLHsm::super(&Derived::Parent)).
using CVXLStateHandler = CVXLHsmState (CVXLHsm::*)(const CVXLEvent* event);

// A state's answer. A transition names its target and is carried out by the
// dispatcher once the state function has returned, so whatever the state
// does for the event is written before its `return transition(...)`.
struct [[nodiscard]] CVXLHsmState {
    enum class Kind : std::uint8_t { Handled, Super, Transition };

    CVXLStateHandler handler = nullptr;
    Kind kind = Kind::Handled;
};

// Reserved signals; a machine's private signals start at kSignalUser.
enum CVXLHsmSignal : std::int32_t {
    kSignalInit = 0,
    kSignalEntry = 1,
    kSignalExit = 2,
    kSignalSuperQuery = 3,
    kSignalUser = 4,
};

// Runs a hierarchical state machine. The signal of an event is its effective
// code. A job that is a machine has CVXLHsm as its first base and its
// CVXLEventHandler face after it, and passes each event to dispatch.
class CVXLHsm {
public:
    // Transitions enter at most this many states below the common ancestor.
    static constexpr int kMaxEntryPath = 6;

    template <class Machine>
    explicit CVXLHsm(CVXLHsmState (Machine::*initial)(const CVXLEvent*))
        : CVXLHsm(toHandler(initial))
    {
    }
    explicit CVXLHsm(CVXLStateHandler initial);
    virtual ~CVXLHsm();
    CVXLHsm(const CVXLHsm&) = delete;
    CVXLHsm& operator=(const CVXLHsm&) = delete;

    // Calls a state function on this machine.
    virtual CVXLHsmState callState(CVXLStateHandler state, const CVXLEvent* event);

    // The initial transition; jobs run it when their start event arrives.
    void init();
    void dispatch(const CVXLEvent* event);
    // Leaves every active state, top included, and re-arms init.
    void exitAll();

    template <class Machine> void setState(CVXLHsmState (Machine::*state)(const CVXLEvent*))
    {
        current_ = toHandler(state);
    }
    template <class Machine> bool isIn(CVXLHsmState (Machine::*state)(const CVXLEvent*))
    {
        return isInState(toHandler(state));
    }

    bool isInState(CVXLStateHandler state);
    static bool sameState(CVXLStateHandler a, CVXLStateHandler b) { return a == b; }

    CVXLStateHandler currentState() const { return current_; }
    CVXLStateHandler sourceState() const { return source_; }

    // The outermost state: handles everything, has no superstate.
    CVXLHsmState top(const CVXLEvent* event);

    static std::int32_t signalOf(const CVXLEvent* event) { return event->effectiveCode(); }
    static CVXLHsmState handled() { return {}; }
    template <class Machine> static CVXLHsmState super(CVXLHsmState (Machine::*state)(const CVXLEvent*))
    {
        return {toHandler(state), CVXLHsmState::Kind::Super};
    }
    // Only as the answer to an event that dispatch delivers; entry, exit and
    // init never answer with a transition (init names its substate with
    // setState).
    template <class Machine> static CVXLHsmState transition(CVXLHsmState (Machine::*target)(const CVXLEvent*))
    {
        return {toHandler(target), CVXLHsmState::Kind::Transition};
    }

    template <class Machine>
    static CVXLStateHandler toHandler(CVXLHsmState (Machine::*state)(const CVXLEvent*))
    {
        return static_cast<CVXLStateHandler>(state);
    }

private:
    // Sends a reserved signal; returns the superstate when the state
    // answered with it, else null.
    CVXLStateHandler trigger(CVXLStateHandler state, std::int32_t signal);
    CVXLStateHandler superOf(CVXLStateHandler state) { return trigger(state, kSignalSuperQuery); }
    // Sends exit and returns the state's superstate.
    CVXLStateHandler exitState(CVXLStateHandler state);
    void drillInitial();
    void transitionTo(CVXLStateHandler target);

    CVXLStateHandler top_;
    CVXLStateHandler current_;
    CVXLStateHandler source_;
    CVXLStateHandler initial_;
};
