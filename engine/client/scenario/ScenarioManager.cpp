#include "engine/client/scenario/ScenarioManager.h"

#include "engine/client/scenario/ScenarioClientFace.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioRequestEvent.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "engine/core/settings/VXLPersKeys.h"

CScenarioManager::CScenarioManager(CScenarioFileReader* reader)
    : reader_(reader)
{
}

CScenarioManager::~CScenarioManager()
{
    parser_.end();
    delete reader_;
}

void CScenarioManager::setReader(CScenarioFileReader* reader)
{
    if (reader == reader_)
        return;
    delete reader_;
    reader_ = reader;
    readerRunning_ = false;
    startPending_ = false;
    if (reader_ && parent()) {
        reader_->setListener(this);
        startChild(reader_);
    }
}

void CScenarioManager::setClient(CScenarioClientFace* client)
{
    client_ = client;
    parser_.setClient(client);
}

void CScenarioManager::init()
{
    if (!reader_)
        return;
    reader_->setListener(this);
    startChild(reader_);
}

void CScenarioManager::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kRequestDestinations:
        beginDestinations(event);
        return;
    case kRequestScenario:
        beginScenario(event);
        return;
    case kRequestConfiguration:
        beginConfiguration(event);
        return;
    case kRequestRefreshMenu:
        if (client_)
            client_->pushUIRequest(kUIRequestMenuChanged);
        finishEvent(event);
        return;
    case kEventCancelNotice:
        onCancelNotice(event);
        return;
    case kEventStop:
        // The requester of a running pass must still get its answer.
        failPass(kResultCancelled);
        break;
    default:
        break;
    }
    CVXLEventHandler::onEvent(event);
}

void CScenarioManager::beginDestinations(CVXLEvent* event)
{
    auto* request = dynamic_cast<CScenarioRequestEvent*>(event);
    if (!request) {
        event->setResult(kResultFailed);
        finishEvent(event);
        return;
    }
    request->setEntries(nullptr);
    request_ = event;
    parser_.beginDestinations(request->text());
    startReading();
}

void CScenarioManager::beginScenario(CVXLEvent* event)
{
    auto* request = dynamic_cast<CScenarioResultEvent*>(event);
    if (!request || !request->layout()) {
        event->setResult(kResultFailed);
        finishEvent(event);
        return;
    }
    request_ = event;
    parser_.beginScenario(request->text(), request->layout());
    startReading();
}

void CScenarioManager::beginConfiguration(CVXLEvent* event)
{
    request_ = event;
    CVXLString mdnChanged;
    if (client_ && client_->getSetting(kPersVraxMdnChanged, mdnChanged) && mdnChanged == "true") {
        completeRequest();
        return;
    }
    parser_.beginConfiguration();
    startReading();
}

void CScenarioManager::onCancelNotice(CVXLEvent* event)
{
    auto* notice = dynamic_cast<CVXLCancelNotice*>(event);
    CVXLEvent* cancelled = notice ? notice->cancelled() : nullptr;
    finishEvent(event);
    // Only the request of the running pass is answered here; the queue
    // answers the others.
    if (parser_.pass() == CScenarioFileParser::kPassNone || !request_ || cancelled != request_)
        return;
    parser_.end();
    stopReadingNow();
    completeRequest();
}

void CScenarioManager::startReading()
{
    if (!reader_) {
        failPass();
        return;
    }
    if (readerRunning_) {
        startPending_ = true;
        readingStopped_ = true;
        return;
    }
    readingStopped_ = false;
    readerRunning_ = true;
    reader_->setPath(kFileName);
    reader_->beginReading();
}

void CScenarioManager::stopReadingNow()
{
    if (readerRunning_ && !readingStopped_) {
        readingStopped_ = true;
        reader_->stopReading();
    }
}

void CScenarioManager::completeRequest()
{
    CVXLEvent* event = request_;
    request_ = nullptr;
    if (event)
        finishEvent(event);
}

void CScenarioManager::failPass(std::int32_t result)
{
    if (parser_.pass() == CScenarioFileParser::kPassNone)
        return;
    parser_.end();
    stopReadingNow();
    if (request_)
        request_->setResult(result);
    completeRequest();
}

void CScenarioManager::afterCallback()
{
    if (parser_.failed())
        failPass();
    else if (parser_.stopWanted())
        stopReadingNow();
}

void CScenarioManager::element(const CVXLString& name, bool start)
{
    if (!takesInput())
        return;
    parser_.element(name, start);
    afterCallback();
}

void CScenarioManager::text(const CVXLString& text)
{
    if (!takesInput())
        return;
    parser_.text(text);
    afterCallback();
}

void CScenarioManager::attribute(const CVXLString& name, const CVXLString& value)
{
    if (!takesInput())
        return;
    parser_.attribute(name, value);
    afterCallback();
}

void CScenarioManager::finished(std::int32_t result)
{
    if (!readerRunning_)
        return;
    readerRunning_ = false;
    if (startPending_) {
        startPending_ = false;
        readingStopped_ = false;
        readerRunning_ = true;
        reader_->setPath(kFileName);
        reader_->beginReading();
        return;
    }
    const std::int32_t pass = parser_.pass();
    if (pass == CScenarioFileParser::kPassNone)
        return;
    // 24 counts as a complete reading only when the manager stopped it; a
    // file cut short or not well-formed must not pass for a short one.
    const bool complete = result == kResultSucceeded || (result == kResultCancelled && readingStopped_);
    // A configuration counts only whole: a file cut inside it changes nothing.
    if (!complete || parser_.failed()
        || (pass == CScenarioFileParser::kPassConfiguration && !parser_.applyConfiguration())) {
        failPass();
        return;
    }
    const bool matched = parser_.matched();
    parser_.end();
    switch (pass) {
    case CScenarioFileParser::kPassConfiguration:
        completeRequest();
        if (!notice_.isBusy())
            post(this, &notice_);
        break;
    case CScenarioFileParser::kPassDestinations:
        if (auto* request = dynamic_cast<CScenarioRequestEvent*>(request_))
            request->setEntries(&parser_.entries());
        completeRequest();
        break;
    case CScenarioFileParser::kPassScenario:
        if (!matched && request_)
            request_->setResult(kResultScenarioUnavailable, kScenarioUnavailableText);
        completeRequest();
        break;
    default:
        break;
    }
}
