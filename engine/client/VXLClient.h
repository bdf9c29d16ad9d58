#pragma once

#include "engine/access/BackgroundUploadManager.h"
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaUploadManager.h"
#include "engine/client/KORVClientServices.h"
#include "engine/client/VXLClientEngineClock.h"
#include "engine/client/VXLClientInboundFace.h"
#include "engine/client/VXLClientMediaConfigFace.h"
#include "engine/client/VXLClientMediaFace.h"
#include "engine/client/VXLClientMenuFace.h"
#include "engine/client/VXLClientMessageStoreFace.h"
#include "engine/client/VXLClientNetSettings.h"
#include "engine/client/VXLClientOutboundFace.h"
#include "engine/client/VXLClientPremiumFace.h"
#include "engine/client/VXLClientProducerFace.h"
#include "engine/client/VXLClientPushQueueFace.h"
#include "engine/client/VXLClientScenarioFace.h"
#include "engine/client/VXLClientScreensFace.h"
#include "engine/client/VXLClientSettings.h"
#include "engine/client/VXLClientThreadDBFace.h"
#include "engine/client/VXLClientUploadFace.h"
#include "engine/client/VXLClientVraxFace.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/VXLUIRequestFifo.h"
#include "engine/client/menu/GlobalMenuList.h"
#include "engine/client/program/KORVBuiltins.h"
#include "engine/client/program/Producer.h"
#include "engine/client/scenario/ScenarioClientFace.h"
#include "engine/client/scenario/ScenarioManager.h"
#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/jobs/JobRunner.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLHandlerRegistry.h"
#include "engine/core/jobs/VXLObjectQueue.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/scenario/ScenarioRequestEvent.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/files/VXLFileWriteRequest.h"
#include "engine/files/VXLStateFileSaver.h"
#include "engine/media/LocalMediaManager.h"
#include "engine/media/OnlineMediaManager.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/outbound/OutboundSender.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/push/WapPushQueue.h"
#include "engine/messaging/push/WapPushSource.h"
#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/messaging/store/MessageExpirationJob.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/service/VRAXJob.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"

#include <cstdint>

class CVXLLayout;
class CVXLMenuLink;
class CVXLUiJobPool;
struct VXLTextRow;

// The root of the engine's job tree and its one global entry point. It owns
// every manager as a member for the life of the engine, the settings and the
// configuration items, the queues between the engine and the user interface,
// and the engine counters. The user interface's engine host thread creates
// it, calls init, then ticks it and takes its screen requests.
//
// Managers are members; start-up starts them in this order once the settings,
// the run marker and the scenario configuration are in: network dialer,
// thread database, message store manager, local media manager, online media
// manager, media store manager, Job Runner, VRAX job, Media Access Manager,
// outbound queue manager, background upload manager, media upload manager,
// WAP push queue, premium inbox manager, inbound message manager, Producer,
// message expiration job, message service job. A manager that is not built
// yet is left out of the start and of the shut-down chain.
class CVXLClient : public CVXLEventHandler, private CVXLConfigListener, private CVXLStateFileSaver::Owner {
public:
    // Start-up and shut-down, in this order. Each state waits for one thing
    // (a file request's answer, a child's start or end, the end of the
    // shut-down countdown); when it has come the state's step hands over to
    // the next state, so no step is skipped. A shut-down whose countdown ends
    // during start-up lets the step under way end (a configuration load still
    // out is cancelled) and then goes on at StoppingProducer.
    enum class State {
        StartingFileStore,
        ReadingSettings,
        ReadingRunMarker,
        WritingRunMarker,
        StartingScenarioManager,
        LoadingScenario,
        StartingDialer,
        Running,
        StoppingProducer,
        // Before the managers its requests go to.
        StoppingServiceJob,
        // Before the message store, to which it posts.
        StoppingInboundManager,
        // Before the message store, which they read.
        StoppingExpirationJob,
        StoppingPremiumInbox,
        // Before the thread database, which it tells of every change.
        StoppingMessageStore,
        StoppingThreadDB,
        // Its last state writes are answered before the File Store Manager
        // stops.
        StoppingOutboundQueue,
        // Stops the managers that the thread database's end stops; of them
        // only the Scenario Manager is built.
        StoppingScenarioManager,
        // The push source first, then the queue, whose last saves the File
        // Store Manager answers before the queue ends.
        StoppingWapPushQueue,
        // Before the managers they post to.
        StoppingBackgroundUpload,
        StoppingMediaUpload,
        StoppingJobRunner,
        StoppingVraxJob,
        // Before the local and online media managers, to which it posts.
        StoppingMediaAccess,
        StoppingLocalMedia,
        StoppingOnlineMedia,
        StoppingMediaStore,
        StoppingDialer,
        DeletingRunMarker,
        // Stops the File Store Manager and the Client, which then finishes
        // once its last child has ended.
        StoppingFileStore,
        Terminated,
    };

    // What tick returns.
    static constexpr std::int32_t kTickWorkLeft = 0;
    static constexpr std::int32_t kTickIdle = 1;
    static constexpr std::int32_t kTickTerminated = 4;

    // A slice ends once this many milliseconds have passed since it began.
    static constexpr std::uint32_t kTickSliceMs = 10;
    // Ticks that a shut-down waits for open connections or remaining work.
    static constexpr std::int32_t kShutdownCountdown = 200;
    // The menu id that means "no main menu built".
    static constexpr std::int32_t kNoMenu = 16;

    // Reply codes of the Client's own requests, and its own event codes.
    static constexpr std::int32_t kReplySettingsWritten = 0;
    static constexpr std::int32_t kReplySettingsRead = 1;
    static constexpr std::int32_t kReplyRunMarkerWritten = 2;
    static constexpr std::int32_t kReplyRunMarkerRead = 3;
    static constexpr std::int32_t kReplyRunMarkerDeleted = 4;
    static constexpr std::int32_t kReplyScenarioLoaded = 5;
    static constexpr std::int32_t kEventPushStep = 6;
    static constexpr std::int32_t kReplyPushHandled = 7;
    static constexpr std::int32_t kEventPushTimer = 8;
    static constexpr std::int32_t kReplyDestinationList = 9;
    // The push timer while the queue loads, and after a failed hand-over.
    static constexpr std::uint32_t kPushLoadWaitMs = 4000;
    static constexpr std::uint32_t kPushRetryMs = 120000;
    // Push results that end a push, and the one that leaves it untouched.
    static constexpr std::int32_t kPushResultDropped = 74;
    static constexpr std::int32_t kPushResultKeep = 89;
    // The Scenario Manager's configuration request.
    static constexpr std::int32_t kRequestScenarioLoad = 2;

    static constexpr const char* kSettingsFileName = CVXLPersStore::kFileName;
    static constexpr const char* kRunMarkerFileName = "_vxl.run";
    static constexpr const char* kLibraryVersion = CVXLHttpSettings::kEngineVersion;

    // The first call makes the Client with the factory and makes it the
    // global instance; later calls return that instance. Null when the heap
    // refuses.
    static CVXLClient* create(CVXLPlatformFactory* factory);
    static CVXLClient* instance();

    // The factory is not owned and must outlive the Client.
    explicit CVXLClient(CVXLPlatformFactory* factory);
    ~CVXLClient() override;

    // Takes the clock and the text table, writes the configuration defaults
    // and attaches the File Store Manager; the rest of start-up follows from
    // its start.
    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;
    void childFinished(CVXLEventHandler* child) override;
    void childStarted(CVXLEventHandler* child) override;
    void onUiRequest(std::int32_t code) override;
    const char* name() const override { return "Client"; }

    // Host thread.
    std::int32_t tick();
    std::uint32_t getWaitTime();
    std::uint32_t nextDeadline();
    bool hasUIRequest() const { return requestQueue_.count() != 0; }
    // The head request, left queued until the next tick deletes it.
    CVXLUIRequest* popUIRequest();
    void requestShutdown();
    void requestSuspend(int what);
    int requestResume(int what);
    void releaseLayout(CVXLLayout* layout);

    // Engine code: UI request codes, activity, screen requests.
    void pushUIRequestCode(std::int32_t code) { pendingCodes_.push(code); }
    void removeUIRequestCode(std::int32_t code) { pendingCodes_.remove(code); }
    const CVXLUIRequestFifo& pendingCodes() const { return pendingCodes_; }
    void beginActivity();
    void endActivity();
    bool hasNoActivity() const { return activityCount_ == 0; }
    // Kinds NEW_LAYOUT, RELEASE_LAYOUT and UPDATED_LAYOUT; REPLACE_LAYOUT
    // with the layout it takes the place of (which the user interface
    // releases). Other kinds queue nothing.
    void queueUINotification(CVXLLayout* layout, std::uint32_t kind, CVXLLayout* replaced = nullptr);
    void queueReturnToMenu(std::int32_t value);
    void queueUIUrlRequest(const CVXLString& url);
    void queueLinkRequest(int n);
    void queueReturnToIdle();
    void clearLastTickResult();
    std::uint32_t queuedRequestCount() const { return requestQueue_.count(); }

    // The main menu last built for the user interface.
    std::int32_t menuId() const { return menuId_; }
    void setMenuId(std::int32_t menuId) { menuId_ = menuId; }
    // Fills the Global Menu List for a menu: the static rows of that menu,
    // then its stored entries (cool sites, favorites or links).
    CGlobalMenuList& buildGlobalMenu(std::int32_t menuId);

    // The settings and configuration items. A change of items 1, 6, 7 and 8
    // re-checks the service identity; a change of item 41 queues the
    // memory-card notice.
    CVXLClientSettings& settings() { return settings_; }
    const CVXLClientSettings& settings() const { return settings_; }
    // Message counts of a folder by its name.
    std::int32_t getFolderTotalCount(const CVXLString& folder) const;
    std::int32_t getFolderNewCount(const CVXLString& folder) const;

    // Other services.
    std::int32_t getErrorCode() const { return errorCode_; }
    void setErrorCode(std::int32_t code) { errorCode_ = code; }
    std::uint16_t getCaptureLocation() const { return captureLocation_; }
    void setCaptureLocation(std::uint16_t location) { captureLocation_ = location; }
    const char* getLibraryVersion() const { return kLibraryVersion; }
    CVXLCounterTable& getCounters() { return counters_; }
    void runJob(CVXLEventHandler* job) { jobRunner_.runJob(job); }
    // The list owns the link from then on.
    void addLink(CVXLMenuLink* link);
    std::uint32_t linkCount() const { return links_.count(); }
    const VXLTextRow* textTable() const { return textTable_; }

    // Time: the tick's "now" in milliseconds, calendar seconds, and the
    // clock's millisecond reading (0 without a clock).
    std::uint32_t getTickTime() const { return engineClock_.tickTime(); }
    std::uint32_t currentTime();
    std::uint32_t clockMilliseconds();

    // Members.
    CJobRunner& getJobRunner() { return jobRunner_; }
    CVRAXJob& getVraxJob() { return vraxJob_; }
    CVXLNetworkDialer& getNetworkDialer() { return dialer_; }
    CProducer& getProducer() { return producer_; }
    CScenarioManager& getScenarioManager() { return scenarioManager_; }
    CGlobalMenuList& getGlobalMenuList() { return globalMenuList_; }
    // The preallocated UI jobs. The Client owns the pool it is given (from
    // new) and hands it to the Producer's UI-job stack.
    void setUiJobPool(CVXLUiJobPool* pool);
    CVXLUiJobPool* getUiJobPool() const { return uiJobPool_.pool; }
    // Deletes the pooled jobs (the Producer's end, at shut-down).
    void releaseUiJobPool();
    CVXLFileStoreManager& getFileStoreManager() { return fileStoreManager_; }
    CVXLThreadDB& getThreadDB() { return threadDB_; }
    CMessageStoreManager& getMessageStoreManager() { return messageStoreManager_; }
    CWapPushQueue& getWapPushQueue() { return wapPushQueue_; }
    CWapPushSource& getWapPushSource() { return wapPushSource_; }
    // The job that takes the push request (the inbound message manager);
    // without one the pushes stay queued.
    void setPushReceiver(CVXLEventHandler* receiver) { pushReceiver_ = receiver; }
    // The WAP push step: hands the queue's head to the receiver when the
    // queue is loaded, data communication is on and no hand-over or push
    // timer is under way; while the queue loads it arms the timer.
    void processPendingPush();
    bool pushInProgress() const { return pushRequest_.isBusy(); }
    bool pushTimerArmed() const { return pushTimer_.isBusy(); }
    // The push queue's file holds every push taken; false after a failed
    // save, until a later one succeeds (the push timer writes it again).
    bool pushesStored() const { return pushesStored_; }
    CVXLInboundMessageManager& getInboundMessageManager() { return inboundManager_; }
    COutboundQueueManager& getOutboundQueueManager() { return outboundQueue_; }
    COutboundSender& getOutboundSender() { return *static_cast<COutboundSender*>(outboundQueue_.sender()); }
    CPremiumInboxManager& getPremiumInboxManager() { return premiumInbox_; }
    CMessageExpirationJob& getExpirationJob() { return expirationJob_; }
    CMessageServiceJob& getMessageServiceJob() { return messageServiceJob_; }
    CVXLList& getObjectList() { return objectList_; }
    CVXLHandlerRegistry& getResultHandlerRegistry() { return resultHandlers_; }
    // The recipients that the program gathers for the composer and the
    // contact chooser.
    CVXLContactListElement& getGlobalContacts() { return globalContacts_; }
    CVXLPlatformFactory* factory() const { return factory_; }
    // Platform stores, made through the factory on first use.
    CVXLPlatformFileStore* getFileStore();
    CVXLPlatformMediaSource* getMediaSource();
    CLocalMediaManager& getLocalMediaManager() { return localMediaManager_; }
    COnlineMediaManager& getOnlineMediaManager() { return onlineMediaManager_; }
    CMediaAccessManager& getMediaAccessManager() { return mediaAccessManager_; }
    CVXLMediaStoreManager& getMediaStoreManager() { return mediaStoreManager_; }
    CBackgroundUploadManager& getBackgroundUploadManager() { return backgroundUploadManager_; }
    CMediaUploadManager& getMediaUploadManager() { return mediaUploadManager_; }
    CVXLPlatformMessageStore* getMessageStore();

    // Start-up and shut-down state.
    State state() const { return state_; }
    bool membersStarted() const { return membersStarted_; }
    // The configuration request to the Scenario Manager is out.
    bool scenarioPending() const { return state_ == State::LoadingScenario; }
    bool shutdownRequested() const { return shutdownFlag_; }
    std::int32_t shutdownCountdown() const { return shutdownCountdown_; }
    std::uint32_t stepCount() const { return stepCount_; }

private:
    // The faces the Client gives its members reach into it.
    friend class CVXLClientEngineClock;
    friend class CVXLClientScenarioFace;
    friend class CVXLClientProducerFace;
    friend class CVXLClientScreensFace;
    friend class CVXLClientMenuFace;
    friend class CVXLClientThreadDBFace;
    friend class CVXLClientMediaConfigFace;
    friend class CVXLClientMessageStoreFace;
    friend class CVXLClientInboundFace;
    friend class CVXLClientPushQueueFace;
    friend class CVXLClientOutboundFace;
    friend class CVXLClientPremiumFace;
    friend class CVXLClientVraxFace;
    friend class CVXLClientMediaFace;
    friend class CVXLClientUploadFace;

    // The preallocated UI jobs, deleted with the Client.
    struct UiJobPoolHolder {
        UiJobPoolHolder() = default;
        ~UiJobPoolHolder();
        UiJobPoolHolder(const UiJobPoolHolder&) = delete;
        UiJobPoolHolder& operator=(const UiJobPoolHolder&) = delete;

        CVXLUiJobPool* pool = nullptr;
    };

    // The platform file store, shared with the File Store Manager and given
    // back to the factory after it.
    struct FileStoreHolder {
        explicit FileStoreHolder(CVXLPlatformFactory* owner)
            : factory(owner)
        {
        }
        ~FileStoreHolder()
        {
            if (factory)
                factory->destroyFileStore(store);
        }
        FileStoreHolder(const FileStoreHolder&) = delete;
        FileStoreHolder& operator=(const FileStoreHolder&) = delete;

        CVXLPlatformFactory* factory;
        CVXLPlatformFileStore* store = nullptr;
    };

    void configChanged(int item) override;
    void refreshTickTime();
    // One step of the whole tree; true when the Client has finished.
    bool stepTree();
    std::int32_t endTick(std::int32_t result);
    void disposeShownRequest();
    // True while a queued or shown screen request names the layout.
    bool requestNamesLayout(const CVXLLayout* layout) const;
    void drainPendingCodes();
    void saveSettingsIfDirty();
    // The settings file's image, and the store's change count it carries:
    // the store stays dirty until that write succeeds.
    void writeState(CVXLByteBuffer& out) override;
    void stateSaved() override;
    void shutdownCountdownStep(bool idle);
    bool appendRequest(CVXLUIRequest* request);

    void readFile(const char* name, std::int32_t replyCode);
    void writeFile(const char* name, const CVXLByteBuffer& bytes, std::int32_t replyCode);
    void requestDestinationList();
    void pruneCoolSites(const CScenarioRequestEvent& reply);

    // A state's step runs when the state is entered and once more when what
    // it waits for has come (Done, with the reply when that is an answer).
    enum class Step { Enter, Done };
    static constexpr std::int32_t kNoReply = -1;
    // What the current state waits for: a reply code (kNoReply for none) or
    // a child's start or end (null for none).
    std::int32_t awaitedReply() const;
    CVXLEventHandler* awaitedChild();
    void beginShutdown();
    // Enters the next state: the one after the current, or StoppingProducer
    // when the shut-down has begun during start-up.
    void moveOn();
    void stepLifecycle(Step step, CVXLEvent* reply = nullptr);
    void doStartingFileStore(Step step);
    void doReadingSettings(Step step, CVXLEvent* reply);
    void doReadingRunMarker(Step step, CVXLEvent* reply);
    void doWritingRunMarker(Step step, CVXLEvent* reply);
    void doStartingScenarioManager(Step step);
    void doLoadingScenario(Step step, CVXLEvent* reply);
    void doStartingDialer(Step step);
    void doRunning(Step step);
    // The shut-down's children, one state each, from StoppingProducer to
    // StoppingDialer: the step stops the child (after the row's first action)
    // and the next state follows its end, or at once when nothing waits for
    // it or it is not running.
    struct StopRow {
        State state;
        CVXLEventHandler* (*child)(CVXLClient&);
        bool waits;
        void (*first)(CVXLClient&);
    };
    static const StopRow kStopRows[];
    static const StopRow* stopRow(State state);
    void doStoppingChild(const StopRow& row, Step step);
    void pushHandled(CVXLEvent* reply);
    void armPushTimer(std::uint32_t delay);
    void doDeletingRunMarker(Step step, CVXLEvent* reply);
    void doStoppingFileStore(Step step);

    CVXLPlatformFactory* factory_;
    CVXLClientEngineClock engineClock_ {this};
    UiJobPoolHolder uiJobPool_;
    bool membersStarted_ = false;
    CVXLClientSettings settings_;
    CVXLFileReadRequest readRequest_;
    CVXLFileWriteRequest writeRequest_;
    CVXLStateFileSaver settingsSaver_ {*this, *this, kSettingsFileName, kReplySettingsWritten};
    std::uint32_t savedChangeCount_ = 0;
    bool settingsWrittenThisTick_ = false;
    CJobRunner jobRunner_;
    CVXLClientNetSettings netSettings_ {&settings_};
    CVXLNetworkDialer dialer_ {factory_, &netSettings_};
    // Declared before the File Store Manager so that the store outlives it.
    FileStoreHolder fileStore_ {factory_};
    CVXLFileStoreManager fileStoreManager_;
    CVXLClientThreadDBFace threadDBFace_ {this};
    CVXLClientMediaConfigFace mediaConfigFace_ {this};
    CVXLThreadDB threadDB_;
    CVXLClientMessageStoreFace messageStoreFace_ {this};

    CVXLClientInboundFace inboundFace_ {this};
    CMessageStoreManager messageStoreManager_;
    CVXLClientPushQueueFace pushQueueFace_ {this};
    bool pushesStored_ = true;
    CWapPushQueue wapPushQueue_;
    CWapPushSource wapPushSource_;
    CPushRequest pushRequest_ {kReplyPushHandled};
    CVXLSimpleEvent pushTimer_ {kEventPushTimer};
    CVXLEventHandler* pushReceiver_ = nullptr;
    CVXLInboundMessageManager inboundManager_;
    CVXLClientOutboundFace outboundFace_ {this};
    // Owns its sender.
    COutboundQueueManager outboundQueue_ {std::make_unique<COutboundSender>()};
    CVXLClientPremiumFace premiumFace_ {this};
    CPremiumInboxManager premiumInbox_;
    CMessageExpirationJob expirationJob_;
    CVXLClientScenarioFace scenarioFace_ {this};
    CScenarioManager scenarioManager_;
    // Declared before the Producer so the table outlives its machines.
    CKORVClientServices builtinServices_ {this};
    CKORVBuiltins builtins_ {&builtinServices_};
    CVXLClientProducerFace producerFace_ {this};
    CProducer producer_ {&producerFace_};
    CMessageServiceJob messageServiceJob_;
    CVXLClientMenuFace menuFace_ {this};
    CVXLClientScreensFace screensFace_ {this};

    CVXLClientVraxFace vraxFace_ {this};
    CVRAXJob vraxJob_ {vraxFace_};
    CVXLClientMediaFace mediaFace_ {this};
    CVXLMediaStoreManager mediaStoreManager_;
    CLocalMediaManager localMediaManager_;
    COnlineMediaManager onlineMediaManager_;
    CMediaAccessManager mediaAccessManager_;
    CVXLClientUploadFace uploadFace_ {this};
    CMediaUploadManager mediaUploadManager_;
    CBackgroundUploadManager backgroundUploadManager_;
    CGlobalMenuList globalMenuList_ {&producer_, &menuFace_};
    CVXLPlatformClock* clock_ = nullptr;
    CVXLPlatformMediaSource* mediaSource_ = nullptr;
    CVXLPlatformMessageStore* messageStore_ = nullptr;
    CVXLUIRequest* shownRequest_ = nullptr;
    CVXLObjectQueue requestQueue_;
    CVXLList objectList_;
    CVXLHandlerRegistry resultHandlers_;
    CVXLContactListElement globalContacts_;
    // Left by a composer for the next media browse; -1 when none.
    std::int32_t oneShotFilter_ = -1;
    bool noAutoSelect_ = false;
    std::int32_t menuId_ = kNoMenu;
    CVXLUIRequestFifo pendingCodes_;
    CVXLPtrArray links_;
    std::int32_t shutdownCountdown_ = 0;
    bool shutdownFlag_ = false;
    // The countdown has ended; the shut-down's states follow.
    bool shutdownBegun_ = false;
    State state_ = State::StartingFileStore;
    // The byte the run marker is rewritten with.
    std::uint8_t nextRunCount_ = 0;
    CVXLEvent scenarioLoadRequest_ {kRequestScenarioLoad, kReplyScenarioLoaded};
    CScenarioRequestEvent destinationListRequest_ {kReplyDestinationList};
    CVXLCounterTable counters_;
    std::uint32_t stepCount_ = 0;
    std::int32_t lastTickResult_ = kTickWorkLeft;
    std::int32_t activityCount_ = 0;
    std::int32_t errorCode_ = 0;
    std::uint16_t captureLocation_ = 0;
    const VXLTextRow* textTable_ = nullptr;
};
