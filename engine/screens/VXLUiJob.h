#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLVariant.h"
#include "engine/core/base/VXLVariantMap.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLHsm.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/screens/VXLScreenServices.h"

#include <cstddef>
#include <cstdint>

class CVXLLayout;
class CVXLMediaRefHandle;
class CVXLList;
class CVXLUiJobStack;
class CVXLUiJobPool;

// Whether a job's layout is on the screen.
enum class CVXLUiJobDisplayState : std::uint32_t {
    NotShown = 0,
    Shown = 1,
    ReleaseRequested = 2,
    // A start asked for while the layout was still shown: the job starts
    // again once the user interface has let the layout go.
    RestartPending = 3,
};

// The base of the screen-flow jobs that the scenario program starts: a state
// machine and a job of the engine's tree. A UI job is known by its type id,
// exchanges named values with the program (the transfers "xferobject",
// "xferint", "xferstring" and any other name), owns at most one layout that
// it shows, updates and releases through the Client, turns the actions the
// user interface submits on it into its own signals, runs one child screen
// at a time (error, information, progress, spinner) taken from the UI-job
// pool, and reports its results to its parent with small signal codes.
//
// Events that the job posts to itself below its first external code wait in
// the incoming queue, so a child's answer turned into a signal is taken only
// once the child has gone; events from children below 117, and cancelled
// ones, go to the own queue and are taken while the job waits for a child.
class CVXLUiJob : public CVXLHsm, public CVXLEventHandler {
public:
    static constexpr int kMinTypeId = 1;
    static constexpr int kMaxTypeId = 46;
    static constexpr std::uint32_t kRingSlots = 4;
    // Events from a child below this code are the child's answers.
    static constexpr std::int32_t kFirstChildExternalCode = 117;

    // Signals of the base.
    static constexpr std::int32_t kSignalRefresh = 11;
    static constexpr std::int32_t kChildContinue = 18;
    static constexpr std::int32_t kChildBack = 19;
    static constexpr std::int32_t kChildCancel = 20;
    static constexpr std::int32_t kChildExit = 21;

    // Type ids of the child screens.
    static constexpr int kErrorJobType = 7;
    static constexpr int kInformationJobType = 11;
    static constexpr int kProgressJobType = 42;
    static constexpr int kSpinnerJobType = 43;

    static constexpr const char* kXferObject = "xferobject";
    static constexpr const char* kXferInt = "xferint";
    static constexpr const char* kXferString = "xferstring";

    // A job with no state machine of its own; events below 117 are its own.
    CVXLUiJob();
    template <class Machine>
    CVXLUiJob(CVXLHsmState (Machine::*initial)(const CVXLEvent*), std::int32_t firstExternalCode)
        : CVXLUiJob(toHandler(initial), firstExternalCode)
    {
    }
    ~CVXLUiJob() override;

    virtual int typeId() const = 0;
    // A fresh heap instance of the job's own class; null where the class
    // makes none.
    virtual CVXLUiJob* newInstance() const { return nullptr; }
    virtual CVXLLayout* getLayout() { return nullptr; }
    // The user chose an action that the job's layout offers.
    virtual void onLayoutAction(std::uint32_t eventId);
    // The state the spinner child is shown in.
    virtual std::uint32_t spinnerState() const { return 0; }

    // Named values. An absent name reads as the empty value.
    virtual CVXLVariant property(const CVXLString& name) const;
    bool hasProperty(const CVXLString& name) const;
    // The three transfers go to their setters with the value's integer, text
    // or reference form; other names are stored as given.
    virtual void setProperty(const CVXLString& name, const CVXLVariant& value);
    void setXferObject(CVXLObject* object);
    void setXferInt(std::int32_t value);
    void setXferString(const CVXLString& text);
    // Only a stored reference counts: a number is never taken as an address.
    CVXLObject* getXferObject() const;
    // 0 when absent.
    std::int32_t getXferInt() const;
    // "0" when absent.
    CVXLString getXferString() const;
    bool hasXferObject() const { return hasProperty(kXferObject); }
    bool hasXferInt() const { return hasProperty(kXferInt); }
    bool hasXferString() const { return hasProperty(kXferString); }

    // The UI-job stack: another job covers this one, it is current again, and
    // the user interface let go of a layout while this job was current.
    virtual void onDeactivated();
    virtual void onActivated();
    virtual void onLayoutReleased(CVXLLayout* layout);

    // Starts the job as a child of `parent`: at once when its layout is not
    // shown; while it is, the layout is released first and the job starts
    // again once the user interface has let it go.
    void startUnder(CVXLEventHandler* parent);
    // A restart is pending, or the job's start event was taken by its own.
    bool isStarted() const;
    // Posts the code to the parent, unless a restart is pending.
    void notifyOwner(std::int32_t code);
    void postSignal(std::int32_t code) { ring_.postSignal(code); }
    // A layout action and the signal a job posts for it.
    struct ActionSignal {
        std::uint32_t action;
        std::int32_t signal;
    };
    // Posts the signal the table gives for the layout's event; false when
    // no row names it.
    bool postActionSignal(
        std::uint32_t layoutType, std::uint32_t eventId, const ActionSignal* table, std::size_t rows);
    template <std::size_t N>
    bool postActionSignal(std::uint32_t layoutType, std::uint32_t eventId, const ActionSignal (&table)[N])
    {
        return postActionSignal(layoutType, eventId, table, N);
    }
    // The menu list's Select, Back and Exit as the menu jobs' signals.
    static const ActionSignal kMenuListSignals[3];

    // Layout requests, counted; update and release only while shown.
    int showLayout();
    void releaseLayout();
    void updateLayout();
    void refreshLayout();
    void requestLayout(CVXLLayout* layout, CVXLLayoutRequest kind);

    // Child screens from the pool: started at once, or kept as the next
    // child while one runs (replacing a next child kept before).
    void showError(std::int32_t code);
    void showErrorText(std::int32_t code, const CVXLString& text);
    void showEventError(const CVXLEvent& event);
    void showInfo(std::uint32_t index, std::int32_t mode, std::uint32_t layoutState);
    void showInfoText(
        const CVXLString& text, std::uint32_t index, std::int32_t mode, std::uint32_t layoutState);
    void showInfoWithMedia(const CVXLString& text, const CVXLMediaRefHandle& media, const CVXLList& list,
        std::int32_t mode, const CVXLString& title = CVXLString());
    void showProgress(
        std::uint32_t layoutState, const char* currentKey, const char* totalKey, bool autoFinish);
    void startChild43();
    void startCurrentChild();
    // Cancels the traffic with the handler and waits for its cancel notices;
    // the number still expected.
    int cancelEventsWith(CVXLEventHandler* handler);

    CVXLUiJob* currentChild() const { return currentChild_; }
    CVXLUiJob* nextChild() const { return nextChild_; }
    CVXLUiJobDisplayState displayState() const { return display_; }
    bool isLayoutShown() const { return display_ == CVXLUiJobDisplayState::Shown; }
    std::uint32_t waitCount() const { return waitCount_; }
    std::uint32_t requestCount() const { return requestCount_; }
    std::int32_t firstExternalCode() const { return firstExternalCode_; }
    bool activityFlag() const { return activity_ != 0; }
    void setActivityFlag(bool on) { activity_ = on ? 1 : 0; }

    // The pool the job came from, or the one of the UI job it was started
    // under; set by hand for a job made outside any pool. Its services are
    // the pool's (null without a pool).
    CVXLUiJobPool* pool() const { return pool_; }
    void setPool(CVXLUiJobPool* pool) { pool_ = pool; }
    CVXLScreenServices* services() const;
    // The text of an id, "" without services.
    CVXLString screenText(std::uint32_t id) const;
    // A configuration item as a decimal number, `fallback` when not set.
    std::int32_t configNumber(std::int32_t item, std::int32_t fallback) const;

    // Set by the UI-job stack while the job is the current, started one.
    bool isCurrentActive() const { return currentActive_; }
    void setCurrentActive(bool active) { currentActive_ = active; }
    // The machine that pushed the job onto the UI-job stack.
    CVXLEventHandler* pushedBy() const { return pushedBy_; }
    bool isPooled() const { return pooled_; }
    bool isInUse() const { return inUse_; }
    // It finished on its own while still on the UI-job stack.
    bool hasEnded() const { return ended_; }
    // It told its owner a result since it last started.
    bool hasAnswered() const { return answered_; }

    void init() override;
    void receive(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "n/a"; }

protected:
    CVXLUiJob(CVXLStateHandler initial, std::int32_t firstExternalCode);
    // 1 when the event was taken and completed here, 0 when the caller is to
    // complete it.
    virtual int filterEvent(CVXLEvent* event);
    void onRefresh();
    // Takes a child screen from the pool; null when it has none of the type.
    CVXLUiJob* acquireChild(int typeId);
    void runChild(CVXLUiJob* child);

private:
    friend class CVXLUiJobStack;
    friend class CVXLUiJobPool;

    // The state of a job without a machine of its own: takes everything.
    CVXLHsmState Unused(const CVXLEvent* event);
    void queueHere(CVXLEvent* event, bool own);
    void decrementWait();
    void giveBackChild(CVXLUiJob* child);
    // The user interface closed the shown layout: the user left the screen.
    void takeAsLeaving(CVXLLayout* layout);

    std::uint8_t activity_ = 0;
    CVXLUiJobPool* pool_ = nullptr;
    CVXLUiJob* currentChild_ = nullptr;
    CVXLUiJob* nextChild_ = nullptr;
    std::int32_t firstExternalCode_;
    CVXLSimpleEvent slots_[kRingSlots];
    CVXLEventRing ring_;
    std::uint16_t waitCount_ = 0;
    std::uint16_t requestCount_ = 0;
    CVXLUiJobDisplayState display_ = CVXLUiJobDisplayState::NotShown;
    std::uint32_t cancelCount_ = 0;
    CVXLVariantMap properties_ {3};
    // The parent a pending restart starts the job under.
    CVXLEventHandler* restartParent_ = nullptr;
    // It ended with its release asked for and not yet confirmed: the
    // confirmation may reach it later, or never (a child given back).
    bool releaseUnconfirmed_ = false;

    bool currentActive_ = false;
    // The job below on the UI-job stack, or the next one in the releasing list.
    CVXLUiJob* link_ = nullptr;
    CVXLEventHandler* pushedBy_ = nullptr;
    // Pooled jobs belong to the pool; an explicit flag, since a pooled job may
    // sit at the start of the pool's block and pass the allocator's guard test.
    bool pooled_ = false;
    bool inUse_ = false;
    bool ended_ = false;
    bool answered_ = false;
};
