#pragma once

#include "engine/client/VXLUIRequest.h"
#include "ui/WinTSEngine.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// An engine that answers the host thread from a script: each tick takes the
// next step (the last one repeats) with its run status, its wait and
// whether it hands out a screen request. It counts what it is asked.
class ScriptedEngine : public CWinTSEngine {
public:
    struct Step {
        std::int32_t status;
        std::uint32_t wait;
        bool request = false;
    };

    ScriptedEngine()
        : ScriptedEngine(std::vector<Step> {})
    {
    }
    // An empty script idles with no timer.
    explicit ScriptedEngine(std::vector<Step> script)
        : script_(std::move(script))
    {
        if (script_.empty())
            script_.push_back(Step {1, 0xFFFFFFFF, false});
    }

    bool create() override
    {
        ++creates;
        return true;
    }
    std::int32_t tick() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        current_ = script_[std::min<std::size_t>(ticks, script_.size() - 1)];
        if (endsOnShutdown && shutdownRequests > 0)
            current_ = Step {4, 0xFFFFFFFF, false};
        requestWaiting_ = current_.request;
        ++ticks;
        return current_.status;
    }
    std::uint32_t getWaitTime() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return current_.wait;
    }
    bool hasUIRequest() override { return requestWaiting_; }
    CVXLUIRequest* popUIRequest() override
    {
        requestWaiting_ = false;
        ++requestsPopped;
        return &request;
    }
    void releaseLayout(CVXLLayout* layout) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released.push_back(layout);
    }
    void requestShutdown() override { ++shutdownRequests; }
    void requestSuspend(int what) override { suspended = what; }
    void requestResume(int what) override { resumed = what; }
    std::int32_t getErrorCode() override { return 77; }
    void setConfigString(int item, const std::string& text) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        texts[item] = text;
    }
    void setConfigNumber(int item, std::uint32_t number) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        numbers[item] = number;
    }

    CGlobalMenuList* buildGlobalMenu(int menuId) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        menusBuilt.push_back(menuId);
        return menu;
    }

    std::vector<CVXLLayout*> releasedLayouts()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return released;
    }

    CVXLUIRequest request {kUIRequestNewLayout};
    // Once asked to shut down, the next tick ends the engine.
    bool endsOnShutdown = false;
    std::atomic<int> creates {0};
    std::atomic<int> ticks {0};
    std::atomic<int> requestsPopped {0};
    std::atomic<int> shutdownRequests {0};
    std::atomic<int> suspended {-1};
    std::atomic<int> resumed {-1};
    std::map<int, std::string> texts;
    std::map<int, std::uint32_t> numbers;
    // The global menu handed out for every menu id (none by default), and
    // the ids asked for.
    CGlobalMenuList* menu = nullptr;
    std::vector<int> menusBuilt;

private:
    std::mutex mutex_;
    std::vector<Step> script_;
    Step current_ {1, 0xFFFFFFFF};
    std::atomic<bool> requestWaiting_ {false};
    std::vector<CVXLLayout*> released;
};
