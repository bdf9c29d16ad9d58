#include "tests/support/ScriptedUiJobs.h"

#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/screens/MessageSummaryGetter.h"
#include "engine/screens/VXLAlbumPickJob36.h"
#include "engine/screens/VXLAlbumPickJob37.h"
#include "engine/screens/VXLAlbumSummaryJob.h"
#include "engine/screens/VXLComposeJob.h"
#include "engine/screens/VXLErrorJob.h"
#include "engine/screens/VXLFavoritePositionJob.h"
#include "engine/screens/VXLInformationJob.h"
#include "engine/screens/VXLMediaBrowseJob38.h"
#include "engine/screens/VXLMessageListJob21.h"
#include "engine/screens/VXLMessageListJob22.h"
#include "engine/screens/VXLMessageListJob23.h"
#include "engine/screens/VXLMessageListJob24.h"
#include "engine/screens/VXLMessageListJob25.h"
#include "engine/screens/VXLMessageListJob26.h"
#include "engine/screens/VXLMessageSummaryJob.h"
#include "engine/screens/VXLMessageViewJob31.h"
#include "engine/screens/VXLMessageViewJob32.h"
#include "engine/screens/VXLMessageViewJob33.h"
#include "engine/screens/VXLMessageViewJob34.h"
#include "engine/screens/VXLMessageViewJob35.h"
#include "engine/screens/VXLProgressJob.h"
#include "engine/screens/VXLSpinnerJob.h"
#include "engine/screens/VXLThreadListJob.h"
#include "tests/support/ScreenText.h"

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
    logIndex_ = pool_->logStart(*this, handed_);
    if (CVXLClient* client = pool_->client())
        client->queueUINotification(pool_->newLayout(), kUIRequestNewLayout);
}

void ScriptedUiJob::onEvent(CVXLEvent* event)
{
    if (event != &startEvent() && event != &stopEvent())
        pool_->logReceived(logIndex_, event->effectiveCode());
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
    if (realTypes.count(typeId)) {
        switch (typeId) {
        case CVXLErrorJob::kTypeId:
            return new RecordedUiJob<CVXLErrorJob>(this);
        case CVXLComposeJob::kTypeId:
            return new RecordedUiJob<CVXLComposeJob>(this);
        case CVXLInformationJob::kTypeId:
            return new RecordedUiJob<CVXLInformationJob>(this);
        case CVXLProgressJob::kTypeId:
            return new RecordedUiJob<CVXLProgressJob>(this);
        case CVXLSpinnerJob::kTypeId:
            return new RecordedUiJob<CVXLSpinnerJob>(this);
        case CVXLFavoritePositionJob::kTypeId:
            return new RecordedUiJob<CVXLFavoritePositionJob>(this);
        case 12:
            return new RecordedUiJob<CVXLMediaBrowseJob12>(this);
        case CVXLAlbumSummaryJob::kTypeId:
            return new RecordedUiJob<CVXLAlbumSummaryJob>(this);
        case 14:
            return new RecordedUiJob<CVXLMediaBrowseJob14>(this);
        case CVXLMessageListJob21::kTypeId:
            return new RecordedUiJob<CVXLMessageListJob21>(this);
        case CVXLMessageListJob22::kTypeId:
            return new RecordedUiJob<CVXLMessageListJob22>(this);
        case CVXLMessageListJob23::kTypeId:
            return new RecordedUiJob<CVXLMessageListJob23>(this);
        case CVXLMessageListJob24::kTypeId:
            return new RecordedUiJob<CVXLMessageListJob24>(this);
        case CVXLMessageListJob25::kTypeId:
            return new RecordedUiJob<CVXLMessageListJob25>(this);
        case CVXLMessageListJob26::kTypeId:
            return new RecordedUiJob<CVXLMessageListJob26>(this);
        case CVXLMessageSummaryJob::kTypeId:
            return new RecordedUiJob<CVXLMessageSummaryJob>(this);
        case CMessageSummaryGetter::kTypeId:
            return new RecordedUiJob<CMessageSummaryGetter>(this);
        case CVXLThreadListJob::kTypeId:
            return new RecordedUiJob<CVXLThreadListJob>(this);
        case CVXLMessageViewJob31::kTypeId:
            return new RecordedUiJob<CVXLMessageViewJob31>(this);
        case CVXLMessageViewJob32::kTypeId:
            return new RecordedUiJob<CVXLMessageViewJob32>(this);
        case CVXLMessageViewJob33::kTypeId:
            return new RecordedUiJob<CVXLMessageViewJob33>(this);
        case CVXLMessageViewJob34::kTypeId:
            return new RecordedUiJob<CVXLMessageViewJob34>(this);
        case CVXLMessageViewJob35::kTypeId:
            return new RecordedUiJob<CVXLMessageViewJob35>(this);
        case CVXLAlbumPickJob36::kTypeId:
            return new RecordedUiJob<CVXLAlbumPickJob36>(this);
        case CVXLAlbumPickJob37::kTypeId:
            return new RecordedUiJob<CVXLAlbumPickJob37>(this);
        case CVXLMediaBrowseJob38::kTypeId:
            return new RecordedUiJob<CVXLMediaBrowseJob38>(this);
        default:
            break;
        }
    }
    return new ScriptedUiJob(typeId, this);
}

int ScriptedUiJobPool::logStart(CVXLUiJob& job, const std::map<std::string, std::string>& handed)
{
    const int index = static_cast<int>(shown.size());
    shown.push_back({job.typeId(), handed, {}});
    if (CVXLLayout* layout = job.getLayout()) {
        shown.back().screen = screenText(*layout);
        shown.back().layoutType = layout->layoutType();
        shown.back().layoutState = layout->state();
    }
    return index;
}

void ScriptedUiJobPool::logReceived(int index, std::int32_t code)
{
    if (index >= 0 && static_cast<std::size_t>(index) < shown.size())
        shown[static_cast<std::size_t>(index)].received.push_back(code);
}

CVXLLayout* ScriptedUiJobPool::newLayout()
{
    layouts_.push_back(std::make_unique<ScriptedLayout>());
    return layouts_.back().get();
}

bool ScriptedUiJobPool::answer(CVXLUiJobStack& stack)
{
    CVXLUiJob* current = stack.current();
    if (script.empty() || !current || !current->isCurrentActive())
        return false;
    const Step step = script.front();
    auto* job = dynamic_cast<ScriptedUiJob*>(current);
    if (!job) {
        // A real job: the user takes the action with the step's label.
        CVXLLayout* layout = current->getLayout();
        if (!step.label || !layout)
            return false;
        script.pop_front();
        return submitByLabel(*layout, step.label);
    }
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
