#include "tests/support/ScriptedUiJobs.h"

#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

ScriptedUiJob::ScriptedUiJob(int type, ScriptedUiJobPool* pool)
    : type_(type)
    , pool_(pool)
{
}

void ScriptedUiJob::setProperty(const CVXLString& name, const CVXLVariant& value)
{
    CVXLUiJob::setProperty(name, value);
    if (logIndex_ < 0)
        handed_[name.c_str()] = ScriptedUiJobPool::render(value);
}

void ScriptedUiJob::init()
{
    logIndex_ = static_cast<int>(pool_->shown.size());
    pool_->shown.push_back({ type_, handed_, {} });
    if (CVXLClient* client = pool_->client())
        client->queueUINotification(pool_->newLayout(), kUIRequestNewLayout);
}

void ScriptedUiJob::onEvent(CVXLEvent* event)
{
    if (logIndex_ >= 0 && event != &startEvent() && event != &stopEvent())
        pool_->shown[static_cast<std::size_t>(logIndex_)].received.push_back(event->effectiveCode());
    CVXLUiJob::onEvent(event);
}

bool ScriptedUiJob::send(std::int32_t code)
{
    if (!parent())
        return false;
    auto* event = new CVXLSimpleEvent(code);
    if (!event)
        return false;
    event->setHeapAllocated(true);
    post(parent(), event);
    return true;
}

ScriptedUiJobPool::ScriptedUiJobPool(CVXLClient* client)
    : CVXLUiJobPool(false)
    , client_(client)
{
}

ScriptedUiJobPool::~ScriptedUiJobPool() = default;

CVXLUiJob* ScriptedUiJobPool::create(int typeId)
{
    ++created;
    return new ScriptedUiJob(typeId, this);
}

CVXLLayout* ScriptedUiJobPool::newLayout()
{
    layouts_.push_back(std::make_unique<ScriptedLayout>());
    return layouts_.back().get();
}

bool ScriptedUiJobPool::answer(CVXLUiJobStack& stack)
{
    auto* job = static_cast<ScriptedUiJob*>(stack.current());
    if (script.empty() || !job || !job->isCurrentActive())
        return false;
    const Step step = script.front();
    script.pop_front();
    for (const auto& [name, value] : step.properties)
        job->CVXLUiJob::setProperty(name.c_str(), value);
    return job->send(step.code);
}

std::vector<int> ScriptedUiJobPool::shownTypes() const
{
    std::vector<int> types;
    for (const Shown& s : shown)
        types.push_back(s.type);
    return types;
}

std::string ScriptedUiJobPool::render(const CVXLVariant& value)
{
    switch (value.kind()) {
    case CVXLVariant::kEmpty:
        return "<empty>";
    case CVXLVariant::kReference:
        return value.reference() ? "<ref>" : "<null>";
    default:
        return value.toString().c_str();
    }
}
