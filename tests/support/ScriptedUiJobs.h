#pragma once

#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUiJobPool.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CVXLClient;

// A screen with nothing to offer, for jobs that answer for the user.
class ScriptedLayout : public CVXLLayout {
public:
    ScriptedLayout()
        : CVXLLayout(kLayoutList)
    {
    }
    const CVXLLayoutCommandRow* getCommandTable() const override { return nullptr; }
    std::uint32_t getCommandCount() const override { return 0; }
};
class CVXLUiJobStack;
class ScriptedUiJobPool;

// A stand-in for the UI job of any type (1 to 46): it shows a layout when it
// starts (a NEW_LAYOUT request through the Client, when the pool has one),
// records its start, the properties the program handed it and every event
// it receives, and sends the program the events its pool's script names.
class ScriptedUiJob : public CVXLUiJob {
public:
    ScriptedUiJob(int type, ScriptedUiJobPool* pool);

    int typeId() const override { return type_; }
    void setProperty(const CVXLString& name, const CVXLVariant& value) override;
    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "Scripted UI Job"; }

    // Posts an event with the code to the stack machine, as a screen does.
    bool send(std::int32_t code);

private:
    int type_;
    ScriptedUiJobPool* pool_;
    // The job's entry in the pool's log once it has started.
    int logIndex_ = -1;
    std::map<std::string, std::string> handed_;
};

// Makes a fresh scripted job for every type id and keeps the log of the jobs
// that started. The script is the events the screens send: `answer` hands the
// next one to the current UI job, after giving it the step's properties (the
// outputs a real screen would fill in).
class ScriptedUiJobPool : public CVXLUiJobPool {
public:
    struct Step {
        std::int32_t code;
        std::vector<std::pair<std::string, CVXLVariant>> properties;
        // For a real job: the label of the action the user takes instead.
        const char* label = nullptr;
    };
    struct Shown {
        int type;
        // Properties the program set before the start, as text ("<empty>",
        // "<ref>" for an object reference).
        std::map<std::string, std::string> properties;
        // Codes of the events the job received from the program and the
        // Producer.
        std::vector<std::int32_t> received;
        // A real job's screen as it was shown (tests/support/ScreenText.h),
        // with the type and state of its layout then.
        std::string screen = {};
        std::uint32_t layoutType = 0;
        std::uint32_t layoutState = 0;
    };

    explicit ScriptedUiJobPool(CVXLClient* client = nullptr);
    ~ScriptedUiJobPool() override;

    void setClient(CVXLClient* client) { client_ = client; }
    CVXLClient* client() const { return client_; }

    std::deque<Step> script;
    std::vector<Shown> shown;
    std::uint32_t created = 0;
    // Types served by the engine's real jobs (error 7, composer 10,
    // information 11, progress 42, spinner 43), recorded in the log like the scripted ones.
    std::set<int> realTypes;

    // Gives the next step to the stack's current job; false when the script
    // is used up or no started job is current.
    bool answer(CVXLUiJobStack& stack);
    // The type ids of the started jobs, in order.
    std::vector<int> shownTypes() const;

    // A property rendered as the log shows it.
    static std::string render(const CVXLVariant& value);

    // The log's entry for a job that starts; its index.
    int logStart(CVXLUiJob& job, const std::map<std::string, std::string>& handed);
    void logReceived(int index, std::int32_t code);

private:
    friend class ScriptedUiJob;

    CVXLUiJob* create(int typeId) override;
    CVXLLayout* newLayout();

    CVXLClient* client_;
    // Layouts outlive the jobs: a request the user interface has not disposed
    // of yet still names its layout.
    std::vector<std::unique_ptr<CVXLLayout>> layouts_;
};

// One of the engine's own UI jobs, logged in its pool as a scripted one is.
template <class Job> class RecordedUiJob : public Job {
public:
    explicit RecordedUiJob(ScriptedUiJobPool* pool)
        : pool_(pool)
    {
    }
    CVXLUiJob* newInstance() const override { return new RecordedUiJob(pool_); }
    void setProperty(const CVXLString& name, const CVXLVariant& value) override
    {
        Job::setProperty(name, value);
        if (logIndex_ < 0)
            handed_[name.c_str()] = ScriptedUiJobPool::render(value);
    }
    void init() override
    {
        Job::init();
        logIndex_ = pool_->logStart(*this, handed_);
    }
    void onEvent(CVXLEvent* event) override
    {
        if (event != &this->startEvent() && event != &this->stopEvent() && event->source() != this)
            pool_->logReceived(logIndex_, event->effectiveCode());
        Job::onEvent(event);
    }

private:
    ScriptedUiJobPool* pool_;
    int logIndex_ = -1;
    std::map<std::string, std::string> handed_;
};
