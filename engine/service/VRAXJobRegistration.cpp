#include "engine/service/VRAXJob.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/transport/http/VXLHttpBodyData.h"

// A choice the server took runs the request again only where the requester
// allows it.
CVXLHsmState CVRAXJob::AwaitChoiceAck(const CVXLEvent* e)
{
    CVXLHsmState answer;
    if (!replyStep(e, choiceAckReply_, &answer))
        return answer;
    const CVRAXJobRequest* request = heldRequest();
    if (request && request->repeatPermitted)
        return transition(&CVRAXJob::RerunRequest);
    return fail(kResultUploadNotRepeated);
}

CVXLHsmState CVRAXJob::ChoicePrompt(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        choicePrompt_.text.clear();
        choicePrompt_.setResult(kResultSucceeded);
        if (!promptHandler_) {
            VXL_LOG_INFO("VRAX job: no prompt handler for a list choice");
            ring_.postSignal(kReplyVraxChoicePrompt);
            choicePrompt_.setResult(kResultFailed);
            return handled();
        }
        post(promptHandler_, &choicePrompt_);
        return handled();
    case kReplyVraxChoicePrompt:
        if (e->result() != kResultSucceeded || choicePrompt_.result() != kResultSucceeded) {
            complete(kResultChoiceDeclined);
            return transition(&CVRAXJob::Idle);
        }
        operations_[1].completion = operations_[0].completion;
        choiceResponse_.setChoice(choicePrompt_.text);
        choiceResponse_.setRequestId(listReplyParser_.header("id"));
        listReplyParser_.reset();
        return transition(&CVRAXJob::SendChoiceResponse);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::PromptCancelled);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::PasswordPrompt(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        environment_.storeVraxId(CVXLString());
        passwordPrompt_.text.clear();
        passwordPrompt_.setResult(kResultSucceeded);
        if (!promptHandler_) {
            VXL_LOG_INFO("VRAX job: no prompt handler for the password");
            passwordPrompt_.setResult(kResultFailed);
            ring_.postSignal(kReplyVraxPasswordPrompt);
            return handled();
        }
        post(promptHandler_, &passwordPrompt_);
        return handled();
    case kReplyVraxPasswordPrompt:
        if (e->result() != kResultSucceeded || passwordPrompt_.result() != kResultSucceeded) {
            complete(kResultCancelled);
            return transition(&CVRAXJob::Idle);
        }
        setSetting(kPersVraxPassword, passwordPrompt_.text);
        ring_.postSignal(held_->effectiveCode());
        return transition(&CVRAXJob::Idle);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::PromptCancelled);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVRAXJob::PromptCancelled(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyVraxChoicePrompt:
    case kReplyVraxPasswordPrompt:
        complete(kResultCancelled);
        return transition(&CVRAXJob::Idle);
    }
    return super(&CVXLHsm::top);
}

// A registration reply may be followed by the configuration file.
CVXLHsmState CVRAXJob::AfterMgmtReply(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventHttpBodyData:
    case kSigGo:
        switch (replyPart_.peekBoundary()) {
        case 0:
            return transition(&CVRAXJob::StoreConfigFile);
        case 2:
            if (!dataEnded_)
                return handled();
            break;
        default:
            break;
        }
        return transition(&CVRAXJob::ConfigDone);
    case kSigHttpDone:
        // Whatever was not peeked yet will not come.
        return transition(&CVRAXJob::ConfigDone);
    }
    return super(&CVRAXJob::Receiving);
}

CVXLHsmState CVRAXJob::StoreConfigFile(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
    case kEventHttpBodyData:
        return openConfigFile();
    }
    return super(&CVRAXJob::Receiving);
}

// The file writer's answer to an open or to a write: either asks for the
// next piece of the configuration part.
CVXLHsmState CVRAXJob::AwaitFileWriter(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigFailure:
        return configPartFailed(e);
    case kReplyPushOpen:
    case kReplyPushWrite:
        return feedConfigFile();
    case kEventHttpBodyData:
    case kSigHttpDone:
        // Bytes wait in the receive buffer until the writer is ready.
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::FeedConfigFile(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigFailure:
        return configPartFailed(e);
    case kEventHttpBodyData:
        return feedConfigFile();
    }
    return super(&CVRAXJob::Receiving);
}

CVXLHsmState CVRAXJob::AwaitConfigPartEnd(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (!httpInProgress())
            ring_.postSignal(kSigHttpDone);
        return handled();
    case kEventHttpBodyData:
        return handled();
    case kSigHttpDone:
        fileClose_.setResult(kResultSucceeded);
        post(&fileWriter_, &fileClose_);
        return transition(&CVRAXJob::AwaitFileClosed);
    }
    return super(&CVRAXJob::Receiving);
}

CVXLHsmState CVRAXJob::AwaitFileClosed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReplyPushClose:
        if (!scenarioManager_) {
            VXL_LOG_INFO("VRAX job: no Scenario Manager to reload the configuration");
            return transition(&CVRAXJob::ConfigDone);
        }
        post(scenarioManager_, &configReload_);
        return transition(&CVRAXJob::AwaitConfigReload);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CVRAXJob::StopAfterReply);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::AwaitConfigReload(const CVXLEvent* e)
{
    if (signalOf(e) == kReplyScenarioReload) {
        if (e->result() != kResultSucceeded)
            return fail(e->result());
        return transition(&CVRAXJob::ConfigDone);
    }
    return super(&CVRAXJob::Exchange);
}

CVXLHsmState CVRAXJob::ConfigDone(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        ring_.postSignal(kSigGo);
        return handled();
    case kSigGo:
        return afterRegistration();
    case kSigHttpDone:
    case kEventHttpBodyData:
        return handled();
    }
    return super(&CVRAXJob::Exchange);
}

// A reply that registered nothing would make every rerun register again.
CVXLHsmState CVRAXJob::onMgmtReplyRead()
{
    if (setting(kPersVraxId).length() == 0)
        return fail(kResultVraxNoResult);
    if (replyPart_.peekBoundary() == 0)
        return transition(&CVRAXJob::StoreConfigFile);
    return transition(&CVRAXJob::AfterMgmtReply);
}

CVXLHsmState CVRAXJob::openConfigFile()
{
    const std::int32_t step = replyPart_.step();
    if (step == CVRAXReplyPart::kNeedMore)
        return needMoreReply(dataEnded_);
    if (step != CVRAXReplyPart::kPartRead || replyPart_.isVraxDocument())
        return fail(kResultVraxFraming);
    if (!fileWriter_.isActive())
        startChild(&fileWriter_);
    fileWriter_.setProgressKeys(kPersDestlistProgressTotal, kPersDestlistProgressCurrent);
    fileWriter_.setSettingsStore(&environment_.settings());
    fileWriter_.setFileStoreManager(fileStoreManager_);
    transferRemaining_ = replyPart_.contentLength();
    fileOpen_.fileName = kConfigFileName;
    fileOpen_.expectedTotal = static_cast<std::int32_t>(transferRemaining_);
    fileOpen_.setResult(kResultSucceeded);
    post(&fileWriter_, &fileOpen_);
    return transition(&CVRAXJob::AwaitFileWriter);
}

// Hands what has arrived of the configuration part to the file writer, one
// write at a time.
CVXLHsmState CVRAXJob::feedConfigFile()
{
    fileBuffer_.clear();
    const CVXLScanResult taken = replyPart_.takeContent(fileBuffer_);
    if (fileBuffer_.length() > transferRemaining_)
        fileBuffer_.truncate(transferRemaining_);
    transferRemaining_ -= fileBuffer_.length();
    if (fileBuffer_.length() != 0) {
        fileWrite_.expectedTotal = fileOpen_.expectedTotal;
        fileWrite_.setResult(kResultSucceeded);
        post(&fileWriter_, &fileWrite_);
        return transition(&CVRAXJob::AwaitFileWriter);
    }
    if (taken == CVXLScanResult::Done || transferRemaining_ == 0)
        return transition(&CVRAXJob::AwaitConfigPartEnd);
    if (taken == CVXLScanResult::Malformed)
        return fail(kResultVraxFraming);
    if (dataEnded_ || !httpInProgress())
        return fail(kResultVraxReplyCut);
    return transition(&CVRAXJob::FeedConfigFile);
}

// The exchange broke off while the configuration part was owed bytes: the
// part is cut short, whatever the connection's own failure was.
CVXLHsmState CVRAXJob::configPartFailed(const CVXLEvent* e)
{
    if (!httpEnded_ || e->result() == kResultCancelled)
        return fail(e->result());
    VXL_LOG_INFO(
        "VRAX job: the reply ended with %d inside the configuration part", static_cast<int>(e->result()));
    return fail(kResultVraxReplyCut);
}

CVXLHsmState CVRAXJob::afterRegistration()
{
    if (held_ && held_->effectiveCode() == kEventVraxRegister)
        return transition(&CVRAXJob::Done);
    return transition(&CVRAXJob::RerunRequest);
}

// The file writer drops its copy when stopped; it is started again for the
// next configuration file.
void CVRAXJob::stopFileWriter()
{
    if (fileWriter_.isActive() && (fileOpen_.isBusy() || fileWrite_.isBusy() || fileWriter_.isOpen()))
        fileWriter_.stop();
}

void CVRAXJob::setSetting(const char* key, const CVXLString& value)
{
    environment_.settings().set(key, value);
}

CVXLString CVRAXJob::setting(const char* key) const
{
    CVXLString value;
    environment_.settings().get(key, &value);
    return value;
}

bool CVRAXJob::isRegistered() const
{
    return setting(kPersVraxId).length() != 0 && setting(kPersVraxRegComplete) == "1";
}
