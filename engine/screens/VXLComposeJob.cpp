#include "engine/screens/VXLComposeJob.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "engine/screens/VXLScreenServices.h"

#include <vector>

namespace {

// Selected items whose MIME type begins with the prefix.
std::int32_t countSelected(CVXLScreenServices* screen, const char* prefix)
{
    CMediaAccessManager* media = screen ? screen->mediaAccess() : nullptr;
    if (!media)
        return 0;
    std::int32_t count = 0;
    for (const CVXLMediaItem* item : media->selectedMedia()) {
        const CVXLMediaRef* ref = item ? item->mediaRef().get() : nullptr;
        if (ref && ref->getMimeType().find(prefix) == 0)
            ++count;
    }
    return count;
}

// How many of a kind the field takes: its limit for the type (one not
// written does not limit, -1); a scenario without the field takes none.
std::int32_t limitOf(const CScenarioField* field, std::int32_t typeCode)
{
    if (!field)
        return 0;
    const CScenarioFieldDescription& description = field->fieldDescription();
    const int at = description.typeIndex(typeCode);
    const std::uint32_t index = at < 0 ? 0 : static_cast<std::uint32_t>(at);
    return description.upperLimit(index);
}

bool exceeds(std::int32_t count, std::int32_t limit)
{
    return limit >= 0 && count > limit;
}

std::uint32_t recipientCount(CVXLScreenServices* screen)
{
    CVXLContactListElement* contacts = screen ? screen->globalContacts() : nullptr;
    return contacts ? contacts->count() : 0;
}

} // namespace

CVXLComposeJob::CVXLComposeJob()
    : CVXLUiJob(&CVXLComposeJob::Initial, kFirstExternalCode)
{
}

CVXLComposeJob::~CVXLComposeJob()
{
    dropVoiceMemo();
    helpList_.clear();
    helpTexts_.deleteAll();
}

bool CVXLComposeJob::isRecipientScenario() const
{
    return isRecipientVariable(scenarioName_.c_str());
}

void CVXLComposeJob::init()
{
    CVXLUiJob::init();
    const bool accepted = layout_.prepare();
    layout_.setOwner(this);
    layout_.setMediaLink(CVXLString(), CVXLString());
    if (!accepted)
        return;
    layout_.setState(0);
    scenario_.clear();
    helpLink_ = CVXLString();
    threadId_ = CVXLString();
    summary_ = nullptr;
    album_ = CVXLAlbum();
    layout_.setAlbum(nullptr);
    exitAfterSubmit_ = false;
    submitAccepted_ = false;
    scenarioName_ = property(kPropertyScenario).toString();
    gcOp_ = hasProperty(kPropertyGcOp) ? property(kPropertyGcOp).toInt() : 0;
    if (gcOp_ == 1)
        summary_ = dynamic_cast<CVXLMessageSummary*>(
            static_cast<CVXLObject*>(property(kPropertyMessageSummary).reference()));
    if (gcOp_ == 2)
        if (auto* album
            = dynamic_cast<CVXLAlbum*>(static_cast<CVXLObject*>(property(kPropertyAlbum).reference())))
            album_ = *album;
    if (gcOp_ == 3) {
        layout_.setState(3);
        const CVXLString destination = property(kPropertyDestination).toString();
        CVXLString link, type;
        if (services() && services()->coolSiteIcon(destination, &link, &type))
            layout_.setMediaLink(link, type);
    }
    setActivityFlag(true);
    if (services())
        services()->beginActivity();
}

void CVXLComposeJob::endActivity()
{
    if (!activityFlag())
        return;
    setActivityFlag(false);
    if (services())
        services()->endActivity();
}

void CVXLComposeJob::dropVoiceMemo()
{
    delete memo_;
    memo_ = nullptr;
    submitEvent_.voiceMemo = nullptr;
}

std::int32_t CVXLComposeJob::onFinished()
{
    const std::int32_t state = CVXLUiJob::onFinished();
    // The program reads the thread once the job has told it 57.
    if (threadId_.length() > 0)
        setProperty(kPropertyThread, CVXLVariant(threadId_));
    layout_.setAlbum(nullptr);
    album_ = CVXLAlbum();
    endActivity();
    dropVoiceMemo();
    helpList_.clear();
    helpTexts_.deleteAll();
    summary_ = nullptr;
    return state;
}

void CVXLComposeJob::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    const std::int32_t code = event->effectiveCode();
    if (event->kind() == kEventReply && code >= kReplySubmit && code <= kReplyMediaAdded)
        dispatch(event);
    finishEvent(event);
}

void CVXLComposeJob::onLayoutAction(std::uint32_t eventId)
{
    static constexpr struct {
        std::uint32_t action;
        std::int32_t signal;
    } kSignals[] = {
        {kLayoutActionExit, kSignalKeyExit},
        {kLayoutActionContinue, kSignalKeyContinue},
        {kLayoutActionBack, kSignalKeyBack},
        {kLayoutActionCancel, kSignalKeyCancel},
        {kLayoutActionModify, kSignalKeyModify},
        {kLayoutActionUpdate, kSignalKeyUpdate},
        {kLayoutActionHelp, kSignalKeyHelp},
    };
    for (const auto& entry : kSignals) {
        if (layoutEventId(kLayoutMessageComposer, entry.action) == eventId) {
            postSignal(entry.signal);
            return;
        }
    }
}

void CVXLComposeJob::addMediaFile(const CVXLString& path, std::uint16_t storageId)
{
    CMediaAccessManager* media = services() ? services()->mediaAccess() : nullptr;
    if (!media || mediaEvent_.isBusy())
        return;
    const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    mediaEvent_.location = stores ? stores->locationById(storageId) : 0;
    mediaEvent_.name = CVXLString();
    mediaEvent_.path = path;
    postSignal(kSignalAddingMedia);
    post(media, &mediaEvent_);
}

bool CVXLComposeJob::removeMediaItem(const CVXLMediaItem& item)
{
    CMediaAccessManager* media = services() ? services()->mediaAccess() : nullptr;
    if (!media || !media->isSelected(item))
        return false;
    media->toggleSelection(item);
    postSignal(kSignalRecheck);
    return true;
}

void CVXLComposeJob::stopCurrentChild()
{
    CVXLUiJob* child = currentChild();
    if (!child || child->stopRequested())
        return;
    child->releaseLayout();
    child->stop();
}

CVXLHsmState CVXLComposeJob::finish(std::int32_t result, bool release)
{
    if (release)
        releaseLayout();
    notifyOwner(result);
    return transition(&CVXLComposeJob::Done);
}

std::int32_t CVXLComposeJob::modifyResult()
{
    CVXLScreenServices* s = services();
    std::int32_t filter = kMediaFilterAll;
    switch (layout_.currentFieldKind()) {
    case CVXLLayoutMessageComposer::kKindContacts:
        return kEndModifyRecipients;
    case CVXLLayoutMessageComposer::kKindAlbum:
        return kEndModifyAlbum;
    case CVXLLayoutMessageComposer::kKindVideoList:
        filter = kMediaFilterVideos;
        break;
    case CVXLLayoutMessageComposer::kKindImageList:
        filter = kMediaFilterImages;
        break;
    case CVXLLayoutMessageComposer::kKindMixedList:
        filter = kMediaFilterImagesAndVideos;
        break;
    default:
        break;
    }
    if (s) {
        s->setOneShotFilter(filter);
        s->armNoAutoSelect();
    }
    return kEndModifyMedia;
}

void CVXLComposeJob::prefill()
{
    if (gcOp_ == 1 && summary_)
        if (CScenarioField* subject = scenario_.findField(kFieldSubject)) {
            CVXLString text("Re:");
            text += summary_->subject().c_str();
            subject->values().append(text);
        }
    if (gcOp_ == 2)
        layout_.setAlbum(&album_);
    layout_.build(&scenario_);
}

bool CVXLComposeJob::checksPass()
{
    for (std::uint32_t i = 0; i < scenario_.fieldCount(); ++i) {
        const CScenarioField* field = scenario_.fieldAt(i);
        const CScenarioFieldDescription& description = field->fieldDescription();
        if (description.typeCode() != kFieldTypeList)
            continue;
        for (std::uint32_t t = 0; t < description.typeNameCount(); ++t) {
            const std::int32_t kind = scenarioFieldTypeOf(description.typeName(t).c_str());
            const char* prefix = kind == kFieldImages ? "image/" : kind == kFieldVideos ? "video/" : nullptr;
            const std::int32_t limit = description.upperLimit(t);
            if (prefix && exceeds(countSelected(services(), prefix), limit)) {
                showInfoText(field->values().at(0), kNoticeFieldText, 0, 1);
                return false;
            }
        }
        break;
    }
    const struct {
        std::int32_t type;
        std::int32_t count;
        std::int32_t error;
    } checks[] = {
        {kFieldVideos, countSelected(services(), "video/"), kErrorNoVideos},
        {kFieldImages, countSelected(services(), "image/"), kErrorNoImages},
        {kFieldAddressList, static_cast<std::int32_t>(recipientCount(services())), kErrorNoContacts},
    };
    for (const auto& check : checks) {
        const CScenarioField* field = scenario_.findField(check.type);
        if (!exceeds(check.count, limitOf(field, check.type)))
            continue;
        if (field)
            showInfoText(field->values().at(0), kNoticeFieldText, 0, 1);
        else
            showError(check.error);
        return false;
    }
    return true;
}

void CVXLComposeJob::fillConfigRecord()
{
    configRecord_ = CVRAXMessageRecord();
    configRecord_.priority = static_cast<std::int32_t>(layout_.preparedFlag());
    configRecord_.scenarioId = scenario_.id();
    configRecord_.cookie = scenario_.cookie();
    for (std::uint32_t i = 0; i < scenario_.fieldCount(); ++i) {
        const CScenarioField* source = scenario_.fieldAt(i);
        CVRAXMessageRecord::Field field;
        field.id = source->fieldId();
        field.type = source->fieldDescription().typeCode();
        field.outgoing = source->outgoing();
        for (std::uint32_t v = 0; v < source->values().count(); ++v)
            field.values.insertAt(source->values().at(static_cast<int>(v)), -1);
        configRecord_.fields.push_back(field);
    }
}

CVXLHsmState CVXLComposeJob::submit()
{
    if (!layout_.validate(false))
        return transition(&CVXLComposeJob::Incomplete);
    CVXLScreenServices* s = services();
    if (isConfiguration()) {
        CVXLEventHandler* vrax = s ? s->vraxJob() : nullptr;
        if (!vrax || configEvent_.isBusy())
            return handled();
        fillConfigRecord();
        configEvent_.message = &configRecord_;
        configEvent_.serverErrorCode = 0;
        configEvent_.serverErrorText = CVXLString();
        post(vrax, &configEvent_);
    } else {
        COutboundQueueManager* queue = s ? s->outboundQueue() : nullptr;
        if (!queue || submitEvent_.isBusy())
            return handled();
        submitEvent_.screen = &scenario_;
        submitEvent_.recipients.clear();
        if (CVXLContactListElement* contacts = s->globalContacts())
            for (std::uint32_t i = 0; i < contacts->count(); ++i)
                if (const CVXLAddressee* entry = contacts->at(i))
                    submitEvent_.recipients.insertAt(entry->address(), -1);
        dropVoiceMemo();
        memo_ = layout_.takeAudio();
        submitEvent_.voiceMemo = dynamic_cast<COutboundVoiceMemo*>(memo_);
        if (memo_ && !submitEvent_.voiceMemo)
            VXL_LOG_INFO("composer: an audio annotation that cannot be read was left out");
        submitEvent_.priority = static_cast<std::uint8_t>(layout_.preparedFlag());
        post(queue, &submitEvent_);
    }
    return transition(&CVXLComposeJob::Sending);
}

CVXLHsmState CVXLComposeJob::Initial(const CVXLEvent*)
{
    setState(&CVXLComposeJob::Composing);
    return handled();
}

CVXLHsmState CVXLComposeJob::Composing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit: {
        const COutboundQueueManager* queue = services() ? services()->outboundQueue() : nullptr;
        if (isRecipientScenario() && queue && queue->isFull())
            setState(&CVXLComposeJob::QueueFull);
        else
            setState(&CVXLComposeJob::LoadingScenario);
        return handled();
    }
    case kSignalProgramIgnored:
        return handled();
    case kSignalProgramExit:
    case kSignalKeyExit:
        return finish(kEndExit);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLComposeJob::QueueFull(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showInfo(kNoticeQueueFull, 0, 1);
        return handled();
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::LoadingScenario(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        CVXLEventHandler* manager = services() ? services()->scenarioManager() : nullptr;
        startChild43();
        if (!manager || scenarioRequest_.isBusy()) {
            VXL_LOG_FAILURE("composer: no Scenario Manager to load \"%s\" from", scenarioName_.c_str());
            return handled();
        }
        scenarioRequest_.setText(scenarioName_);
        scenarioRequest_.setLayout(&scenario_);
        post(manager, &scenarioRequest_);
        return handled();
    }
    case kSignalExit:
        stopCurrentChild();
        return handled();
    case kReplyScenario:
        if (!e->succeeded()) {
            showError(e->result());
            return transition(&CVXLComposeJob::LoadFailed);
        }
        prefill();
        if (scenario_.onlyHelpOrTitleVisible())
            return submit();
        if (!isConfiguration() && !checksPass())
            return transition(&CVXLComposeJob::StartRefused);
        stopCurrentChild();
        showLayout();
        return transition(&CVXLComposeJob::Editing);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::LoadFailed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return finish(kEndBack, false);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::StartRefused(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::Editing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalKeyContinue:
        return submit();
    case kSignalKeyBack:
        return finish(kEndBack);
    case kSignalKeyExit:
    case kSignalProgramExit:
    case kSignalProgramClose:
        return finish(kEndExit);
    case kSignalKeyCancel:
        return finish(kEndCancel);
    case kSignalKeyModify:
        notifyOwner(modifyResult());
        return handled();
    case kSignalKeyUpdate:
    case kSignalResend:
        refreshLayout();
        return handled();
    case kSignalKeyHelp:
        return transition(&CVXLComposeJob::ComposerHelp);
    case kSignalAddingMedia:
        return transition(&CVXLComposeJob::AddingMedia);
    case kReplyMediaAdded:
        postSignal(kSignalRecheck);
        return handled();
    case kSignalRecheck:
        if (gcOp_ == 2)
            if (auto* album
                = dynamic_cast<CVXLAlbum*>(static_cast<CVXLObject*>(property(kPropertyAlbum).reference()))) {
                album_ = *album;
                layout_.setAlbum(&album_);
            }
        if (services())
            services()->setOneShotFilter(kMediaFilterAll);
        if (!checksPass())
            return transition(&CVXLComposeJob::EditRefused);
        layout_.rebuildCurrentField();
        refreshLayout();
        return handled();
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::EditRefused(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
        notifyOwner(modifyResult());
        return transition(&CVXLComposeJob::Editing);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::ComposerHelp(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        const CScenarioField* help = scenario_.findField(kFieldHelp);
        helpList_.clear();
        helpTexts_.deleteAll();
        helpLink_ = CVXLString();
        if (!help) {
            // Nothing to show: back to the composer at once.
            postSignal(kChildBack);
            return handled();
        }
        for (std::uint32_t i = 0; i < help->values().count(); ++i) {
            auto* text = new CVXLDisplayTextElement;
            if (!text || !helpTexts_.insertAt(text, -1)) {
                delete text;
                break;
            }
            text->setRecordText(help->values().at(static_cast<int>(i)));
            helpList_.append(text);
        }
        if (help->hasHelp())
            helpLink_ = help->helpUrl();
        const CVXLMediaRefHandle none;
        showInfoWithMedia(help->values().at(0), layout_.mediaLink().length() > 0 ? layout_.mediaRef() : none,
            helpList_, 1, layout_.getTitle());
        return handled();
    }
    case kChildContinue:
        if (helpLink_.length() > 0 && services())
            services()->queueUrlRequest(helpLink_);
        return finish(kEndExit);
    case kChildBack:
    case kChildCancel:
        refreshLayout();
        return transition(&CVXLComposeJob::Editing);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::AddingMedia(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild43();
        return handled();
    case kSignalExit:
        stopCurrentChild();
        return handled();
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return handled();
    case kReplyMediaAdded:
        postSignal(kSignalRecheck);
        return transition(&CVXLComposeJob::Editing);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::Incomplete(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        showInfoText(scenario_.errorText(), kNoticeFieldText, 0, 1);
        return handled();
    case kChildContinue:
    case kChildBack:
        refreshLayout();
        return transition(&CVXLComposeJob::Editing);
    case kChildCancel:
        return finish(kEndBack);
    case kChildExit:
        return finish(kEndExit);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::Sending(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        startChild43();
        return handled();
    case kSignalExit:
        stopCurrentChild();
        return handled();
    case kReplySubmit:
    case kReplyConfigure: {
        submitAccepted_ = e->succeeded();
        endActivity();
        if (s == kReplySubmit) {
            if (submitAccepted_) {
                // The queue has copied the memo into the message's audio file.
                dropVoiceMemo();
            } else {
                // The message stays as it was composed, memo included.
                submitEvent_.voiceMemo = nullptr;
                layout_.restoreAudio(memo_);
                memo_ = nullptr;
            }
            if (exitAfterSubmit_) {
                stopCurrentChild();
                return finish(kEndExit);
            }
        }
        std::uint32_t notice;
        if (s == kReplyConfigure)
            notice = submitAccepted_ ? kNoticeConfigured : kNoticeConfigFailed;
        else if (submitAccepted_)
            notice = isRecipientScenario() ? kNoticeBeingSent : kNoticeMediaSent;
        else {
            const COutboundQueueManager* queue = services() ? services()->outboundQueue() : nullptr;
            notice = queue && queue->isFull() ? kNoticeQueueFull : kNoticeSendFailed;
        }
        showInfo(notice, 0, 1);
        return transition(&CVXLComposeJob::SentNotice);
    }
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit: {
        if (!isConfiguration()) {
            // A posted submit is never taken back: its answer is awaited.
            if (s == kChildExit)
                exitAfterSubmit_ = true;
            return handled();
        }
        if (!configEvent_.isBusy())
            return handled();
        cancelEventsWith(services() ? services()->vraxJob() : nullptr);
        if (s == kChildExit) {
            stopCurrentChild();
            return finish(kEndExit);
        }
        refreshLayout();
        return transition(&CVXLComposeJob::Editing);
    }
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::SentNotice(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalProgramExit:
    case kChildExit:
        return finish(kEndExit);
    case kChildContinue:
        if (!submitAccepted_) {
            refreshLayout();
            return transition(&CVXLComposeJob::Editing);
        }
        [[fallthrough]];
    case kChildBack:
    case kChildCancel:
        if (!submitAccepted_)
            return finish(kEndBack);
        if (!isConfiguration() && isRecipientScenario() && !(services() && services()->configOption53()))
            return transition(&CVXLComposeJob::ThreadHandoff);
        return finish(kEndSent);
    }
    return super(&CVXLComposeJob::Composing);
}

// No spinner here: the job's own signal waits until a child screen has
// gone, so behind a spinner it would wait for ever.
CVXLHsmState CVXLComposeJob::ThreadHandoff(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry: {
        CVXLContactListElement* contacts = services() ? services()->globalContacts() : nullptr;
        const CVXLAddressee* first = contacts && contacts->count() > 0 ? contacts->at(0) : nullptr;
        if (first) {
            threadId_ = first->address();
            setProperty(kPropertyThread, CVXLVariant(threadId_));
            postSignal(kSignalThreadSet);
        } else {
            postSignal(kSignalNoThread);
        }
        return handled();
    }
    case kSignalThreadSet:
        return finish(kEndSentToThread);
    case kSignalNoThread:
        return finish(kEndSent);
    }
    return super(&CVXLComposeJob::Composing);
}

CVXLHsmState CVXLComposeJob::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
