#include "engine/client/VXLClient.h"

#include "engine/client/VXLTextTable.h"
#include "engine/client/scenario/ScenarioXmlFileReader.h"
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/files/VXLFileDeleteRequest.h"
#include "engine/screens/VXLUiJobPool.h"

namespace {

// The engine's one root; null until create and again once it is deleted.
CVXLClient* gInstance = nullptr;

} // namespace

CVXLClient* CVXLClient::create(CVXLPlatformFactory* factory)
{
    if (!gInstance)
        gInstance = new CVXLClient(factory);
    return gInstance;
}

CVXLClient* CVXLClient::instance()
{
    return gInstance;
}

CVXLClient::CVXLClient(CVXLPlatformFactory* factory)
    : factory_(factory)
    , readRequest_(kReplySettingsRead)
    , writeRequest_(kReplyRunMarkerWritten)
    , scenarioManager_(new CScenarioXmlFileReader(&fileStoreManager_))
{
    setRoot(this);
    setClock(&engineClock_);
    setJobRunner(&jobRunner_);
    setConfig(&mediaConfigFace_);
    settingsSaver_.setFileStoreManager(&fileStoreManager_);
    settings_.setConfigListener(this);
    scenarioManager_.setClient(&scenarioFace_);
    threadDB_.setFileStoreManager(&fileStoreManager_);
    threadDB_.setServices(&threadDBFace_);
    messageStoreManager_.setThreadDB(&threadDB_);
    messageStoreManager_.setServices(&messageStoreFace_);
    wapPushQueue_.setFileStoreManager(&fileStoreManager_);
    wapPushQueue_.setServices(&pushQueueFace_);
    wapPushSource_.setQueue(&wapPushQueue_);
    outboundQueue_.setServices(&outboundFace_);
    outboundQueue_.setFileStoreManager(&fileStoreManager_);
    outboundQueue_.setThreadDatabase(&threadDB_);
    outboundQueue_.setProducer(&producer_);
    outboundQueue_.setLocalMediaManager(&localMediaManager_);
    outboundQueue_.setOnlineMediaManager(&onlineMediaManager_);
    outboundQueue_.setSelectionSource(&mediaAccessManager_);
    COutboundSender& sender = getOutboundSender();
    sender.setFileStoreManager(&fileStoreManager_);
    sender.setVraxJob(&vraxJob_);
    sender.setInboundManager(&inboundManager_);
    sender.setCounters(&counters_);
    sender.setUploadManager(&mediaUploadManager_);
    outboundQueue_.setBackgroundUploader(&backgroundUploadManager_);
    backgroundUploadManager_.setOutboundQueue(&outboundQueue_);
    inboundManager_.setOutboundQueue(&outboundQueue_);
    premiumInbox_.setFileStoreManager(&fileStoreManager_);
    premiumInbox_.setMessageStore(&messageStoreManager_);
    premiumInbox_.setServices(&premiumFace_);
    premiumInbox_.setRequestSender(this);
    messageStoreManager_.setPremiumInbox(&premiumInbox_);
    inboundManager_.setPremiumInbox(&premiumInbox_);
    expirationJob_.setMessageStore(&messageStoreManager_);
    expirationJob_.setServices(&premiumFace_);
    producer_.setBuiltinInstaller(&CKORVBuiltins::installInto, &builtins_);
    setUiJobPool(new CVXLUiJobPool);
    settings_.setPersistentString(kPersForegroundActive, "1");
    settings_.setPersistentString(kPersDatacommActive, "1");
}

CVXLClient::~CVXLClient()
{
    if (gInstance == this)
        gInstance = nullptr;
    // The pool's jobs outlive the face they were wired to: their layouts
    // read it as the pool deletes them.
    if (uiJobPool_.pool)
        uiJobPool_.pool->setServices(nullptr);
    if (factory_)
        factory_->destroyClock(clock_);
    clock_ = nullptr;
    // Records still queued were never disposed of by a tick.
    while (CVXLObject* request = requestQueue_.popFront())
        delete request;
    shownRequest_ = nullptr;
    links_.deleteAll();
    while (CVXLList::Node* node = objectList_.head()) {
        CVXLObject* object = node->object;
        objectList_.remove(object);
        delete object;
    }
    inboundManager_.releaseMessageStore();
    if (factory_) {
        factory_->destroyMediaSource(mediaSource_);
        factory_->destroyMessageStore(messageStore_);
    }
    mediaSource_ = nullptr;
    messageStore_ = nullptr;
}

void CVXLClient::init()
{
    membersStarted_ = false;
    shownRequest_ = nullptr;
    if (factory_ && !clock_)
        clock_ = factory_->createClock();
    textTable_ = getTextTable();
    settings_.writeConfigDefaults();
    settings_.setPersistentString(kPersNetSessions, "0");
    fileStoreManager_.setFileStore(getFileStore());
    state_ = State::StartingFileStore;
    stepLifecycle(Step::Enter);
}

void CVXLClient::readFile(const char* name, std::int32_t replyCode)
{
    if (readRequest_.isBusy())
        return;
    readRequest_.fileName = name;
    readRequest_.readLength = 0;
    readRequest_.readStart = 0;
    readRequest_.fileSize = 0;
    readRequest_.buffer.clear();
    readRequest_.setReplyCode(replyCode);
    post(&fileStoreManager_, &readRequest_);
}

void CVXLClient::writeFile(const char* name, const CVXLByteBuffer& bytes, std::int32_t replyCode)
{
    if (writeRequest_.isBusy())
        return;
    writeRequest_.fileName = name;
    writeRequest_.openMode = kFileModeWrite;
    writeRequest_.buffer = bytes;
    writeRequest_.setReplyCode(replyCode);
    post(&fileStoreManager_, &writeRequest_);
}

void CVXLClient::onEvent(CVXLEvent* event)
{
    if (settingsSaver_.onWritten(event))
        return;
    if (event->effectiveCode() == awaitedReply()) {
        stepLifecycle(Step::Done, event);
        return;
    }
    switch (event->effectiveCode()) {
    case kEventPushStep:
        processPendingPush();
        finishEvent(event);
        break;
    case kReplyPushHandled:
        if (event == &pushRequest_)
            pushHandled(event);
        else
            finishEvent(event);
        break;
    case kEventPushTimer:
        finishEvent(event);
        processPendingPush();
        break;
    case kReplyDestinationList:
        if (event == &destinationListRequest_ && event->succeeded())
            pruneCoolSites(destinationListRequest_);
        finishEvent(event);
        break;
    default:
        finishEvent(event);
        break;
    }
}

void CVXLClient::childStarted(CVXLEventHandler* child)
{
    if (child == awaitedChild())
        stepLifecycle(Step::Done);
}

void CVXLClient::childFinished(CVXLEventHandler* child)
{
    if (child == awaitedChild())
        stepLifecycle(Step::Done);
}

std::int32_t CVXLClient::onFinished()
{
    if (factory_) {
        factory_->destroyMediaSource(mediaSource_);
        factory_->destroyMessageStore(messageStore_);
    }
    mediaSource_ = nullptr;
    messageStore_ = nullptr;
    if (state_ == State::StoppingFileStore)
        stepLifecycle(Step::Done);
    return CVXLEventHandler::onFinished();
}

std::int32_t CVXLClient::awaitedReply() const
{
    switch (state_) {
    case State::ReadingSettings:
        return kReplySettingsRead;
    case State::ReadingRunMarker:
        return kReplyRunMarkerRead;
    case State::WritingRunMarker:
        return kReplyRunMarkerWritten;
    case State::LoadingScenario:
        return kReplyScenarioLoaded;
    case State::DeletingRunMarker:
        return kReplyRunMarkerDeleted;
    default:
        return kNoReply;
    }
}

// Children start during start-up and finish during shut-down, so one child
// per state is enough.
CVXLEventHandler* CVXLClient::awaitedChild()
{
    if (const StopRow* row = stopRow(state_))
        return row->waits ? row->child(*this) : nullptr;
    switch (state_) {
    case State::StartingFileStore:
        return &fileStoreManager_;
    case State::StartingScenarioManager:
        return &scenarioManager_;
    case State::StartingDialer:
        return &dialer_;
    default:
        return nullptr;
    }
}

// The reasons for the order are at the State enum.
const CVXLClient::StopRow CVXLClient::kStopRows[] = {
    {State::StoppingProducer, [](CVXLClient& c) -> CVXLEventHandler* { return &c.producer_; }, true, nullptr},
    {State::StoppingServiceJob, [](CVXLClient& c) -> CVXLEventHandler* { return &c.messageServiceJob_; },
        true, nullptr},
    // Requests it holds are refused; its transactions end with its task
    // processor.
    {State::StoppingInboundManager, [](CVXLClient& c) -> CVXLEventHandler* { return &c.inboundManager_; },
        true, nullptr},
    {State::StoppingExpirationJob, [](CVXLClient& c) -> CVXLEventHandler* { return &c.expirationJob_; }, true,
        nullptr},
    // Its last save is answered by the File Store Manager, which ends last.
    {State::StoppingPremiumInbox, [](CVXLClient& c) -> CVXLEventHandler* { return &c.premiumInbox_; }, true,
        nullptr},
    {State::StoppingMessageStore, [](CVXLClient& c) -> CVXLEventHandler* { return &c.messageStoreManager_; },
        true, nullptr},
    // Its stop saves the database; the other managers stop once it has ended.
    {State::StoppingThreadDB, [](CVXLClient& c) -> CVXLEventHandler* { return &c.threadDB_; }, true, nullptr},
    {State::StoppingOutboundQueue, [](CVXLClient& c) -> CVXLEventHandler* { return &c.outboundQueue_; }, true,
        nullptr},
    // Of the managers that the thread database's end stops only the Scenario
    // Manager is built, and nothing waits for it.
    {State::StoppingScenarioManager, [](CVXLClient& c) -> CVXLEventHandler* { return &c.scenarioManager_; },
        false, nullptr},
    {State::StoppingWapPushQueue, [](CVXLClient& c) -> CVXLEventHandler* { return &c.wapPushQueue_; }, true,
        [](CVXLClient& c) {
            if (c.wapPushSource_.isActive())
                c.wapPushSource_.stop();
            c.cancelEvent(&c.pushTimer_);
        }},
    {State::StoppingBackgroundUpload,
        [](CVXLClient& c) -> CVXLEventHandler* { return &c.backgroundUploadManager_; }, true, nullptr},
    // An upload under way is answered with 24.
    {State::StoppingMediaUpload, [](CVXLClient& c) -> CVXLEventHandler* { return &c.mediaUploadManager_; },
        true, nullptr},
    {State::StoppingJobRunner, [](CVXLClient& c) -> CVXLEventHandler* { return &c.jobRunner_; }, true,
        nullptr},
    // A request it serves is answered with 24 once its HTTP job lets go.
    {State::StoppingVraxJob, [](CVXLClient& c) -> CVXLEventHandler* { return &c.vraxJob_; }, true, nullptr},
    // A request it serves is answered with 24; its member jobs end with it.
    {State::StoppingMediaAccess, [](CVXLClient& c) -> CVXLEventHandler* { return &c.mediaAccessManager_; },
        true, nullptr},
    // Lent source jobs come back once their readers stop them.
    {State::StoppingLocalMedia, [](CVXLClient& c) -> CVXLEventHandler* { return &c.localMediaManager_; },
        true, nullptr},
    {State::StoppingOnlineMedia, [](CVXLClient& c) -> CVXLEventHandler* { return &c.onlineMediaManager_; },
        true, nullptr},
    {State::StoppingMediaStore, [](CVXLClient& c) -> CVXLEventHandler* { return &c.mediaStoreManager_; },
        true, nullptr},
    // The last manager to stop: the others' connections go back to it first.
    {State::StoppingDialer, [](CVXLClient& c) -> CVXLEventHandler* { return &c.dialer_; }, true, nullptr},
};

const CVXLClient::StopRow* CVXLClient::stopRow(State state)
{
    for (const StopRow& row : kStopRows) {
        if (row.state == state)
            return &row;
    }
    return nullptr;
}

void CVXLClient::doStoppingChild(const StopRow& row, Step step)
{
    if (step == Step::Done)
        return moveOn();
    if (row.first)
        row.first(*this);
    CVXLEventHandler* child = row.child(*this);
    if (!child->isActive())
        return moveOn();
    child->stop();
    if (!row.waits)
        moveOn();
}

// The countdown's end. From Running the shut-down begins at once; during
// start-up the step under way ends first (a configuration load still out is
// cancelled, so that nothing is left pointing at the manager) and moveOn then
// turns to the shut-down.
void CVXLClient::beginShutdown()
{
    if (shutdownBegun_)
        return;
    shutdownBegun_ = true;
    if (state_ == State::Running)
        stepLifecycle(Step::Done);
    else if (state_ == State::LoadingScenario)
        cancelEventsWith(&scenarioManager_);
}

void CVXLClient::moveOn()
{
    if (state_ == State::Terminated)
        return;
    if (state_ < State::Running && shutdownBegun_)
        state_ = State::StoppingProducer;
    else
        state_ = static_cast<State>(static_cast<int>(state_) + 1);
    stepLifecycle(Step::Enter);
}

void CVXLClient::stepLifecycle(Step step, CVXLEvent* reply)
{
    if (const StopRow* row = stopRow(state_))
        return doStoppingChild(*row, step);
    switch (state_) {
    case State::StartingFileStore:
        return doStartingFileStore(step);
    case State::ReadingSettings:
        return doReadingSettings(step, reply);
    case State::ReadingRunMarker:
        return doReadingRunMarker(step, reply);
    case State::WritingRunMarker:
        return doWritingRunMarker(step, reply);
    case State::StartingScenarioManager:
        return doStartingScenarioManager(step);
    case State::LoadingScenario:
        return doLoadingScenario(step, reply);
    case State::StartingDialer:
        return doStartingDialer(step);
    case State::Running:
        return doRunning(step);
    case State::DeletingRunMarker:
        return doDeletingRunMarker(step, reply);
    case State::StoppingFileStore:
        return doStoppingFileStore(step);
    case State::Terminated:
    default:
        return;
    }
}

void CVXLClient::doStartingFileStore(Step step)
{
    if (step == Step::Enter)
        startChild(&fileStoreManager_);
    else
        moveOn();
}

void CVXLClient::doReadingSettings(Step step, CVXLEvent* reply)
{
    if (step == Step::Enter) {
        readFile(kSettingsFileName, kReplySettingsRead);
        return;
    }
    if (reply->succeeded()) {
        CVXLByteStream reader(readRequest_.buffer);
        // A damaged file is kept aside before a save can replace it with
        // the part that loaded; without that copy nothing is saved.
        if (!settings_.store().load(reader)) {
            const bool kept = settingsSaver_.keepDamagedCopy();
            if (!kept)
                VXL_LOG_FAILURE("settings: %s not copied aside; saves held", kSettingsFileName);
            settings_.store().holdSaves(!kept);
        }
        settings_.store().clearDirty(settings_.store().changeCount());
        if (!settings_.checkIdentity())
            settings_.setPersistentString(kPersVraxMdnChanged, "true");
    }
    finishEvent(reply);
    moveOn();
}

// The run marker exists only while the engine runs; its byte counts the runs
// in a row that ended without a clean shut-down.
void CVXLClient::doReadingRunMarker(Step step, CVXLEvent* reply)
{
    if (step == Step::Enter) {
        readFile(kRunMarkerFileName, kReplyRunMarkerRead);
        return;
    }
    std::uint32_t count = 0;
    if (reply->succeeded()) {
        const CVXLByteBuffer& bytes = readRequest_.buffer;
        count = bytes.length() != 0 ? bytes.data()[0] : 0;
        if (count == 0)
            count = 1;
    }
    finishEvent(reply);
    CVXLString text;
    text.setUnsigned(count);
    settings_.setPersistentString(kPersShutdownFailCount, text);
    nextRunCount_ = static_cast<std::uint8_t>((count + 1) & 0xFF);
    moveOn();
}

void CVXLClient::doWritingRunMarker(Step step, CVXLEvent* reply)
{
    if (step == Step::Enter) {
        CVXLByteBuffer marker;
        marker.append(&nextRunCount_, 1);
        writeFile(kRunMarkerFileName, marker, kReplyRunMarkerWritten);
        return;
    }
    finishEvent(reply);
    moveOn();
}

void CVXLClient::doStartingScenarioManager(Step step)
{
    if (step == Step::Enter)
        startChild(&scenarioManager_);
    else
        moveOn();
}

// A configuration that cannot be read (1000) still lets the engine start.
void CVXLClient::doLoadingScenario(Step step, CVXLEvent* reply)
{
    if (step == Step::Enter) {
        post(&scenarioManager_, &scenarioLoadRequest_);
        return;
    }
    finishEvent(reply);
    settings_.setPersistentString(kPersVraxMdnChanged, "false");
    moveOn();
}

// The first manager to start: the others may connect from their start.
void CVXLClient::doStartingDialer(Step step)
{
    if (step == Step::Done)
        return moveOn();
    netSettings_ = settings_.httpSettings();
    startChild(&dialer_);
}

void CVXLClient::doRunning(Step step)
{
    if (step == Step::Done) {
        moveOn();
        return;
    }
    startChild(&threadDB_);
    messageStoreManager_.setStore(getMessageStore());
    startChild(&messageStoreManager_);
    localMediaManager_.setOwner(&mediaFace_);
    startChild(&localMediaManager_);
    onlineMediaManager_.setOwner(&mediaFace_);
    startChild(&onlineMediaManager_);
    mediaStoreManager_.setOwner(&mediaFace_);
    CVXLMediaStoreManager::setInstance(&mediaStoreManager_);
    startChild(&mediaStoreManager_);
    startChild(&jobRunner_);
    vraxJob_.setPromptHandler(&producer_);
    vraxJob_.setScenarioManager(&scenarioManager_);
    vraxJob_.setFileStoreManager(&fileStoreManager_);
    vraxJob_.setDialer(&dialer_);
    vraxJob_.setHttpSettings(&netSettings_);
    startChild(&vraxJob_);
    mediaAccessManager_.setOwner(&mediaFace_);
    CMediaAccessManager::setInstance(&mediaAccessManager_);
    startChild(&mediaAccessManager_);
    backgroundUploadManager_.setOwner(&uploadFace_);
    startChild(&backgroundUploadManager_);
    mediaUploadManager_.setOwner(&uploadFace_);
    onlineMediaManager_.setUploadRecorder(&mediaUploadManager_);
    startChild(&mediaUploadManager_);
    outboundQueue_.setPlatformStore(getFileStore());
    startChild(&outboundQueue_);
    inboundManager_.setStoreTarget(&messageStoreManager_);
    inboundManager_.setProducer(&producer_);
    inboundManager_.setServices(&inboundFace_);
    inboundManager_.setDialer(&dialer_);
    inboundManager_.setHttpSettings(&netSettings_);
    inboundManager_.setSettingsStore(&settings_.store());
    inboundManager_.setMessageStore(getMessageStore());
    startChild(&premiumInbox_);
    startChild(&inboundManager_);
    setPushReceiver(&inboundManager_);
    startChild(&wapPushQueue_);
    startChild(&wapPushSource_);
    startChild(&producer_);
    startChild(&expirationJob_);
    messageServiceJob_.setStore(&messageStoreManager_);
    messageServiceJob_.setInbound(&inboundManager_);
    messageServiceJob_.setThreadDB(&threadDB_);
    messageServiceJob_.setOnlineMedia(&onlineMediaManager_);
    messageServiceJob_.setServices(&messageStoreFace_);
    messageServiceJob_.setOutboundQueue(&outboundQueue_);
    premiumInbox_.setServiceJob(&messageServiceJob_);
    startChild(&messageServiceJob_);
    processPendingPush();
    membersStarted_ = true;
}

void CVXLClient::doDeletingRunMarker(Step step, CVXLEvent* reply)
{
    if (step == Step::Done) {
        finishEvent(reply);
        moveOn();
        return;
    }
    auto* request = new CVXLFileDeleteRequest(kReplyRunMarkerDeleted);
    if (!request || !fileStoreManager_.isActive()) {
        // Nothing can answer the delete: go on as if it had been answered.
        delete request;
        moveOn();
        return;
    }
    request->fileName = kRunMarkerFileName;
    post(&fileStoreManager_, request);
}

// The Client finishes once its last child has ended (onFinished).
void CVXLClient::doStoppingFileStore(Step step)
{
    if (step == Step::Done) {
        moveOn();
        return;
    }
    if (fileStoreManager_.isActive())
        fileStoreManager_.stop();
    stop();
}

CVXLClient::UiJobPoolHolder::~UiJobPoolHolder()
{
    delete pool;
}
