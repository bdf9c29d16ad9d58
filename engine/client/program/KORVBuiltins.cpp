#include "engine/client/program/KORVBuiltins.h"

#include "engine/client/machine/KORVFunctionHelper.h"
#include "engine/client/machine/StackMachine.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLScenarioProgram.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/client/program/KORVAlbumSummaryRequest.h"
#include "engine/client/program/Producer.h"
#include "engine/client/scenario/KORVScenarioLoad.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/base/VXLVariant.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/messaging/threads/VXLThreadRequests.h"
#include "engine/screens/VXLUiJob.h"

namespace {

// "_ev_cracker" selectors.
constexpr int kCrackNumber = 0;
constexpr int kCrackText = 1;

constexpr std::uint32_t kLocusMask = 0xFFFF;

CKORVBuiltins& self(void* context)
{
    return *static_cast<CKORVBuiltins*>(context);
}

// An empty stack does not occur in a compiled program; it reads as empty.
CVXLVariant pop(CKORVFunctionHelper& helper)
{
    CVXLVariant value;
    helper.values().pop(value);
    return value;
}

int push(CKORVFunctionHelper& helper, const CVXLVariant& value)
{
    helper.values().push(value);
    return 1;
}

int pushFlag(CKORVFunctionHelper& helper, bool flag)
{
    return push(helper, CVXLVariant(flag ? 1 : 0));
}

int pushNumber(CKORVFunctionHelper& helper, std::uint32_t number)
{
    return push(helper, CVXLVariant(static_cast<int>(number)));
}

// References are pushed as the address of the object's engine-object base,
// so that a reader can ask for its class; the run may read them back.
CVXLVariant referenceTo(CKORVFunctionHelper& helper, const CVXLObject* object)
{
    helper.handOut(object);
    return CVXLVariant(static_cast<const void*>(object));
}

// Only a reference handed to this run is taken for an object; any other
// address (moved by "+", from another run) reads as null and is never cast.
CVXLObject* objectOf(CKORVFunctionHelper& helper, const CVXLVariant& value)
{
    if (value.kind() != CVXLVariant::kReference || !helper.isHandedOut(value.reference()))
        return nullptr;
    return static_cast<CVXLObject*>(value.reference());
}

CVXLEvent* eventOf(CKORVFunctionHelper& helper, const CVXLVariant& value)
{
    return dynamic_cast<CVXLEvent*>(objectOf(helper, value));
}

CVXLUiJob* currentJob(CKORVFunctionHelper& helper)
{
    CVXLUiJobStack* stack = helper.uiJobs();
    return stack ? stack->current() : nullptr;
}

int printValues(CKORVFunctionHelper& helper, void* context)
{
    const int count = pop(helper).toInt();
    const std::uint32_t n = count > 0 ? static_cast<std::uint32_t>(count) : 0;
    // The first value is the deepest; the line is built in the order written.
    CVXLValueStack reversed(n < helper.values().count() ? n : helper.values().count());
    CVXLVariant value;
    for (std::uint32_t i = 0; i < n && helper.values().pop(value); ++i)
        reversed.push(value);
    CVXLString line;
    while (reversed.pop(value))
        line += value.toString();
    self(context).services().trace(line);
    return 1;
}

int resetGlobalContacts(CKORVFunctionHelper&, void* context)
{
    self(context).services().resetGlobalContacts();
    return 1;
}

int enqueueReturnToIdle(CKORVFunctionHelper&, void* context)
{
    self(context).services().queueReturnToIdle();
    return 1;
}

// Built-ins 3 and 4 are one operation.
int getMessageId(CKORVFunctionHelper& helper, void* context)
{
    return push(helper, self(context).services().messageId(objectOf(helper, pop(helper))));
}

int setResumeEvent(CKORVFunctionHelper& helper, void*)
{
    helper.setPendingResume(pop(helper).toInt());
    return 1;
}

// The activity event is in progress at the Producer, which hands it on; an
// event that is not (or no job to take it) stays where it is.
int fwdToUiJob(CKORVFunctionHelper& helper, void*)
{
    CVXLEvent* event = eventOf(helper, pop(helper));
    CVXLUiJob* job = currentJob(helper);
    CVXLEventHandler* producer = helper.machine()->parent();
    if (event && job && producer && producer->findPending(event->effectiveCode()) == event) {
        if (auto* owner = dynamic_cast<CProducer*>(producer))
            owner->handOnActivity(job, event);
        else
            producer->forward(job, event);
    }
    return 1;
}

int sendToUiJob(CKORVFunctionHelper& helper, void*)
{
    const int code = pop(helper).toInt();
    if (CVXLUiJobStack* stack = helper.uiJobs())
        stack->sendToCurrent(code);
    return 1;
}

int sendSelf(CKORVFunctionHelper& helper, void*)
{
    helper.sendToMachine(pop(helper).toInt());
    return 1;
}

int assertTrue(CKORVFunctionHelper& helper, void*)
{
    if (pop(helper).isFalse())
        helper.machine()->fail(kResultMachineAssertionFailed);
    return 1;
}

int getCaptureAlbumLocation(CKORVFunctionHelper& helper, void* context)
{
    CKORVServices& services = self(context).services();
    return pushNumber(helper, services.storeLocation(services.captureLocation()));
}

int getStorageLocationFromAlbum(CKORVFunctionHelper& helper, void* context)
{
    CVXLObject* album = objectOf(helper, pop(helper));
    if (auto* record = dynamic_cast<CKORVAlbumSummaryRequest*>(album))
        return pushNumber(helper, record->location());
    return pushNumber(helper, album ? self(context).services().albumLocation(album) : 0);
}

int getDefaultLocalAlbumLocation(CKORVFunctionHelper& helper, void* context)
{
    CKORVServices& services = self(context).services();
    return pushNumber(helper, services.storeLocation(services.defaultLocalStoreId()));
}

int copyOemContacts(CKORVFunctionHelper&, void* context)
{
    self(context).services().copyPhoneContactsToGlobal();
    return 1;
}

int mamDeselectAll(CKORVFunctionHelper&, void* context)
{
    self(context).services().deselectAllMedia();
    return 1;
}

// Unwinds to the nearest caller of the given name: the frames above it are
// dropped, the UI jobs of the screen functions among them are released (the
// program goes on once they have gone) and the value becomes the result of
// the call the named function had made. With no such caller nothing changes.
int returnTo(CKORVFunctionHelper& helper, void*)
{
    const CVXLVariant value = pop(helper);
    const CVXLString name = pop(helper).toString();
    CStackMachine* machine = helper.machine();
    CVXLInterpreter& interpreter = machine->interpreter();
    const CVXLScenarioProgram* program = machine->program();
    if (!program)
        return 1;
    std::uint32_t screens = 0;
    for (std::uint32_t depth = 0;; ++depth) {
        CVXLInterpreter::FrameInfo frame {};
        CVXLInterpreter::FrameInfo caller {};
        if (!interpreter.frameAt(depth, frame))
            return 1;
        const VXLFunctionRecord* unwound = program->function(frame.function);
        if (unwound && unwound->screen)
            ++screens;
        if (frame.returnOffset == CVXLInterpreter::kNotRunning || !interpreter.frameAt(depth + 1, caller))
            return 1;
        if (program->functionName(caller.function) != name)
            continue;
        interpreter.unwindFrames(depth + 1, frame.returnOffset);
        const VXLFunctionRecord* target = program->function(caller.function);
        if (target && target->screen)
            helper.setPendingResume(kResumeAfterSubflow);
        helper.values().push(value);
        CVXLUiJobStack* stack = helper.uiJobs();
        if (screens == 0 || !stack)
            return 1;
        // The target first: jobs that never started are given back at once.
        stack->setResume(machine, kEventContinue);
        stack->pop(screens);
        return 0;
    }
}

// A configured scenario needs no configuration step first. Reading: the
// definition has no "scenCfg", or its "cfg" marks the configuration done
// (CScenarioLayout::isConfigured).
int isScenarioConfigured(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).isConfigured());
}

// Reading: "scenCfg" is present and names a link (hasConfigScenario).
int hasConfigScenario(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).hasConfigScenario());
}

int getThreadIdFromMessageSummary(CKORVFunctionHelper& helper, void* context)
{
    return push(helper, self(context).services().threadId(objectOf(helper, pop(helper))));
}

void takeScenarioLoad(CKORVFunctionHelper& helper, CVXLEvent* event)
{
    auto* load = dynamic_cast<CKORVScenarioLoad*>(event);
    if (!load || event->kind() != kEventReply)
        return;
    helper.setWaitHandler(nullptr);
    // A scenario the file does not hold, or a file that cannot be read,
    // leaves the definition reset; the program reads it all the same.
    helper.values().push(referenceTo(helper, &load->definition()));
    helper.resumeMachine();
}

int loadScenario(CKORVFunctionHelper& helper, void* context)
{
    const CVXLString id = pop(helper).toString();
    auto* load = new CKORVScenarioLoad(id);
    if (!load || !helper.adoptForRun(load))
        return push(helper, CVXLVariant());
    // The helper keeps it: finishing the reply must not delete it.
    load->setHeapAllocated(false);
    CVXLEventHandler* manager = self(context).services().scenarioManager();
    if (!manager) {
        load->setResult(kResultFailed);
        return push(helper, referenceTo(helper, &load->definition()));
    }
    helper.setWaitHandler(&takeScenarioLoad, manager);
    helper.post(manager, load);
    return 0;
}

int launchBrowserDestLocation(CKORVFunctionHelper& helper, void* context)
{
    CKORVBuiltins& b = self(context);
    const CScenarioLayout& definition = b.definitionOf(helper, pop(helper));
    if (definition.hasDestinationUrl())
        b.services().queueUrlRequest(definition.destinationUrl());
    return 1;
}

int launchBrowserUriLocation(CKORVFunctionHelper& helper, void* context)
{
    const CVXLString url = pop(helper).toString();
    if (url.length() > 0)
        self(context).services().queueUrlRequest(url);
    return 1;
}

int destinationUrlCheck(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).hasDestinationUrl());
}

// Reading: true unless the configuration is a scenario to run ("lt" "scen"
// with a link); an "http" link is opened in the browser, and a definition
// without a link opens nothing (configScenarioUrlCheck).
int configScenarioUrlCheck(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).configScenarioUrlCheck());
}

// Reading: the "link" of "scenCfg", empty without one (configScenario).
int getConfigScenario(CKORVFunctionHelper& helper, void* context)
{
    return push(helper, self(context).definitionOf(helper, pop(helper)).configScenario());
}

// Reading for 25 and 26: a field carrying images (videos) whose upper limit
// for that type is not written as 0 (supportsImage, supportsVideo).
int scenarioSupportsImage(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).supportsImage());
}

int scenarioSupportsVideo(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).supportsVideo());
}

// Reading: a short-message field is supported and the lower limit of neither
// images nor videos is above 0 (supportsTextOnly).
int scenarioSupportsTextOnly(CKORVFunctionHelper& helper, void* context)
{
    return pushFlag(helper, self(context).definitionOf(helper, pop(helper)).supportsTextOnly());
}

int is3rdPartyUploadSupported(CKORVFunctionHelper& helper, void*)
{
    return pushFlag(helper, true);
}

int refreshDestList(CKORVFunctionHelper&, void* context)
{
    CKORVServices& services = self(context).services();
    services.setSetting(kPersVraxMdnChanged, "false");
    services.setSetting(kPersVraxUrl, "");
    services.setSetting(kPersVraxId, "");
    services.setSetting(kPersVraxVerId, "");
    return 1;
}

int storageLocationToLocus(CKORVFunctionHelper& helper, void*)
{
    return pushNumber(helper, static_cast<std::uint32_t>(pop(helper).toInt()) & kLocusMask);
}

void takeAlbumSummary(CKORVFunctionHelper& helper, CVXLEvent* event)
{
    auto* request = dynamic_cast<CKORVAlbumSummaryRequest*>(event);
    if (!request || event->kind() != kEventReply)
        return;
    helper.setWaitHandler(nullptr);
    if (!request->succeeded())
        request->setSummary(nullptr, 0);
    helper.values().push(referenceTo(helper, request));
    helper.resumeMachine();
}

int localAlbumSummary(CKORVFunctionHelper& helper, void* context)
{
    const auto location = static_cast<std::uint32_t>(pop(helper).toInt());
    auto* request = new CKORVAlbumSummaryRequest(location);
    if (!request || !helper.adoptForRun(request))
        return push(helper, CVXLVariant());
    request->setHeapAllocated(false);
    CVXLEventHandler* manager = self(context).services().localMediaManager();
    if (!manager) {
        request->setResult(kResultFailed);
        return push(helper, referenceTo(helper, request));
    }
    helper.setWaitHandler(&takeAlbumSummary, manager);
    helper.post(manager, request);
    return 0;
}

int evCracker(CKORVFunctionHelper& helper, void* context)
{
    CVXLEvent* event = eventOf(helper, pop(helper));
    const int selector = pop(helper).toInt();
    if (!event)
        return push(helper, CVXLVariant());
    CKORVServices& services = self(context).services();
    if (selector == kCrackNumber)
        return push(helper, CVXLVariant(services.eventNumber(*event)));
    if (selector == kCrackText)
        return push(helper, CVXLVariant(services.eventText(*event)));
    return push(helper, CVXLVariant());
}

int mediaStorageAreaToLocation(CKORVFunctionHelper& helper, void* context)
{
    const auto store = static_cast<std::uint16_t>(pop(helper).toInt());
    return pushNumber(helper, self(context).services().storeLocation(store));
}

int getInternalConfig(CKORVFunctionHelper& helper, void* context)
{
    const int which = pop(helper).toInt();
    const char* key = which == 0 ? kPersAccountMgmt : which == 1 ? kPersMediaBrowse : "";
    return push(helper, self(context).services().setting(key));
}

// Queued also with an empty text, as the program asks for it.
int enqProcessUrlRequest(CKORVFunctionHelper& helper, void* context)
{
    const CVXLString url = pop(helper).toString();
    self(context).services().queueUrlRequest(url);
    return 1;
}

int isMsgNew(CKORVFunctionHelper& helper, void* context)
{
    CVXLEvent* event = eventOf(helper, pop(helper));
    CKORVServices& services = self(context).services();
    return pushFlag(helper, event && services.isMessageNew(services.eventText(*event)));
}

int clearAllNewCounts(CKORVFunctionHelper& helper, void* context)
{
    CVXLEventHandler* database = self(context).services().threadDatabase();
    if (!database)
        return 1;
    // The database reads the request as its own class: every shown thread.
    auto* request = new CThreadClearNewCountsRequest(CKORVBuiltins::kRequestClearNewCounts);
    if (!request)
        return 1;
    request->all = 1;
    request->setHeapAllocated(true);
    request->setReplyWanted(false);
    helper.post(database, request);
    return 1;
}

int showNonNewMessageSummaries(CKORVFunctionHelper& helper, void*)
{
    return pushFlag(helper, false);
}

int vxlGet(CKORVFunctionHelper& helper, void*)
{
    const CVXLString name = pop(helper).toString();
    const auto* value = static_cast<const CVXLVariant*>(helper.machine()->properties().find(name));
    return push(helper, value ? *value : CVXLVariant());
}

int vxlSet(CKORVFunctionHelper& helper, void*)
{
    const CVXLVariant value = pop(helper);
    helper.machine()->properties().set(pop(helper).toString(), value);
    return 1;
}

int uijGet(CKORVFunctionHelper& helper, void*)
{
    const CVXLString name = pop(helper).toString();
    CVXLUiJob* job = currentJob(helper);
    const CVXLVariant value = job ? job->property(name) : CVXLVariant();
    if (value.kind() == CVXLVariant::kReference)
        helper.handOut(value.reference());
    return push(helper, value);
}

int uijSet(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant value = pop(helper);
    const CVXLString name = pop(helper).toString();
    // A job reads a reference as an object: only one handed to this run.
    if (value.kind() == CVXLVariant::kReference && !objectOf(helper, value))
        value = CVXLVariant(static_cast<const void*>(nullptr));
    if (CVXLUiJob* job = currentJob(helper))
        job->setProperty(name, value);
    return 1;
}

// A type the pool cannot give would leave the program talking to its
// caller's screen (and releasing it at the return), so the run stops instead.
int switchToUiJob(CKORVFunctionHelper& helper, void*)
{
    const int type = pop(helper).toInt();
    helper.setPendingResume(kNoResumeEvent);
    if (type == 0)
        return 1;
    CVXLUiJobStack* stack = helper.uiJobs();
    if (!stack || !stack->push(type, helper.machine())) {
        VXL_LOG_FAILURE("switch_to_uijob: no UI job of type %d", type);
        helper.machine()->fail(kResultMachineBadProgram);
    }
    return 1;
}

int uiJobGo(CKORVFunctionHelper& helper, void*)
{
    if (CVXLUiJobStack* stack = helper.uiJobs())
        stack->startCurrent(helper.machine());
    return 1;
}

int waitForNextEvent(CKORVFunctionHelper& helper, void*)
{
    return helper.waitForNextEvent();
}

constexpr KORVBuiltin kTable[CKORVBuiltins::kCount] = {
    printValues,
    resetGlobalContacts,
    enqueueReturnToIdle,
    getMessageId,
    getMessageId,
    setResumeEvent,
    fwdToUiJob,
    sendToUiJob,
    sendSelf,
    assertTrue,
    getCaptureAlbumLocation,
    getStorageLocationFromAlbum,
    getDefaultLocalAlbumLocation,
    copyOemContacts,
    mamDeselectAll,
    returnTo,
    isScenarioConfigured,
    hasConfigScenario,
    getThreadIdFromMessageSummary,
    loadScenario,
    launchBrowserDestLocation,
    launchBrowserUriLocation,
    destinationUrlCheck,
    configScenarioUrlCheck,
    getConfigScenario,
    scenarioSupportsImage,
    scenarioSupportsVideo,
    scenarioSupportsTextOnly,
    is3rdPartyUploadSupported,
    refreshDestList,
    storageLocationToLocus,
    localAlbumSummary,
    evCracker,
    mediaStorageAreaToLocation,
    getInternalConfig,
    enqProcessUrlRequest,
    isMsgNew,
    clearAllNewCounts,
    showNonNewMessageSummaries,
    vxlGet,
    vxlSet,
    uijGet,
    uijSet,
    switchToUiJob,
    uiJobGo,
    waitForNextEvent,
};

} // namespace

CKORVBuiltins::CKORVBuiltins(CKORVServices* services)
    : services_(services ? services : &none_)
{
}

CKORVBuiltins::~CKORVBuiltins() = default;

void CKORVBuiltins::install(CKORVFunctionHelper& helper)
{
    for (std::uint32_t i = 0; i < kCount; ++i)
        helper.setBuiltin(i, kTable[i], this);
}

void CKORVBuiltins::installInto(CKORVFunctionHelper& helper, void* context)
{
    if (context)
        static_cast<CKORVBuiltins*>(context)->install(helper);
}

const CScenarioLayout& CKORVBuiltins::definitionOf(
    CKORVFunctionHelper& helper, const CVXLVariant& reference) const
{
    const auto* definition = dynamic_cast<const CScenarioLayout*>(objectOf(helper, reference));
    return definition ? *definition : emptyDefinition_;
}
