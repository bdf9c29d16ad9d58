#include "engine/media/VXLMediaRef.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/JobRunner.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigReader.h"
#include "engine/transfer/VXLOemXferDestSink.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstring>

namespace {

// The configuration items that size a preview or a view, with the values
// shipped in the configuration file.
struct WantedSizeItems {
    bool video;
    std::int32_t sizeClass;
    std::int32_t widthItem, heightItem, mimeItem;
    const char* width;
    const char* height;
    const char* mimeType;
};

constexpr WantedSizeItems kWantedSizeItems[] = {
    {false, CVXLMediaRef::kSizePreview, 17, 18, 20, "100", "100", "image/"},
    {false, CVXLMediaRef::kSizeView, 25, 26, 28, "160", "220", "image/"},
    {true, CVXLMediaRef::kSizePreview, 21, 22, 24, "100", "100", "image/"},
    {true, CVXLMediaRef::kSizeView, 29, 30, 32, "160", "220", "video/"},
};

bool readItem(const CVXLConfigReader* config, std::int32_t item, const char* shipped, CVXLString* text)
{
    if (config)
        return config->readItem(item, text);
    *text = shipped;
    return true;
}

bool startsWith(const CVXLString& text, const char* prefix)
{
    return std::strncmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

// An empty wanted type matches nothing.
bool matches(const CVXLRendition& slot, const CVXLString& wanted)
{
    return wanted.length() != 0 && startsWith(slot.mimeType, wanted.c_str());
}

// An unknown side counts as 1, so -1 x 220 is 220 and not a product near
// 2^32 that would beat every real rendition.
std::uint32_t areaOf(const CVXLRendition& slot)
{
    const std::uint32_t width = slot.width == -1 ? 1u : static_cast<std::uint32_t>(slot.width);
    const std::uint32_t height = slot.height == -1 ? 1u : static_cast<std::uint32_t>(slot.height);
    return width * height;
}

bool withinLimit(std::int32_t side, std::int32_t limit)
{
    return side == -1 || limit == -1 || side <= limit;
}

} // namespace

CVXLMediaRef::CVXLMediaRef() = default;

CVXLMediaRef::~CVXLMediaRef()
{
    delete sink_;
}

const CVXLEventHandler* CVXLMediaRef::sourceTree() const
{
    for (const CVXLRendition& slot : renditions_) {
        if (slot.inUse())
            return slot.sourceJob;
    }
    return nullptr;
}

void CVXLMediaRef::setMimeType(const char* mimeType)
{
    mimeType_ = mimeType ? mimeType : "";
}

int CVXLMediaRef::release()
{
    if (--references_ > 0)
        return 0;
    if (isActive()) {
        stop();
        return 0;
    }
    return 1;
}

void CVXLMediaRef::addRendition(const CVXLString& location, const CVXLString& mimeType,
    CVXLEventHandler* sourceJob, std::int32_t width, std::int32_t height, std::int32_t lengthHint,
    bool original)
{
    for (CVXLRendition& slot : renditions_) {
        if (slot.inUse())
            continue;
        slot.location = location;
        slot.mimeType = mimeType;
        slot.sourceJob = sourceJob;
        slot.width = width;
        slot.height = height;
        slot.lengthHint = lengthHint;
        slot.original = original;
        return;
    }
}

void CVXLMediaRef::wantedSize(
    std::int32_t sizeClass, std::int32_t* width, std::int32_t* height, CVXLString* mimeType) const
{
    *width = -1;
    *height = -1;
    mimeType->clear();
    const bool video = startsWith(mimeType_, "video/");
    if (!video && !startsWith(mimeType_, "image/"))
        return;
    if (sizeClass == kSizeOriginal) {
        *mimeType = mimeType_;
        return;
    }
    const CVXLEventHandler* tree = sourceTree();
    const CVXLConfigReader* config = tree ? tree->config() : nullptr;
    for (const WantedSizeItems& items : kWantedSizeItems) {
        if (items.video != video || items.sizeClass != sizeClass)
            continue;
        CVXLString text;
        if (readItem(config, items.widthItem, items.width, &text))
            *width = text.toInt();
        if (readItem(config, items.heightItem, items.height, &text))
            *height = text.toInt();
        if (readItem(config, items.mimeItem, items.mimeType, &text))
            *mimeType = text;
        return;
    }
}

const CVXLRendition* CVXLMediaRef::selectRendition(std::int32_t sizeClass) const
{
    std::int32_t width = -1;
    std::int32_t height = -1;
    CVXLString wanted;
    wantedSize(sizeClass, &width, &height, &wanted);
    const CVXLRendition* best = nullptr;
    if (sizeClass == kSizeOriginal) {
        std::uint32_t bestArea = 0;
        for (const CVXLRendition& slot : renditions_) {
            // A free slot is never chosen: its read request would go to no job.
            if (!slot.inUse())
                continue;
            if (slot.original || (slot.width == -1 && slot.height == -1))
                return &slot;
            const std::uint32_t area = matches(slot, wanted) ? areaOf(slot) : 0;
            if (area > bestArea) {
                best = &slot;
                bestArea = area;
            }
        }
        return best;
    }
    for (const CVXLRendition& slot : renditions_) {
        const bool sizeFits = exact_ || (withinLimit(slot.width, width) && withinLimit(slot.height, height));
        if (!slot.inUse() || !sizeFits || !matches(slot, wanted))
            continue;
        if (!best) {
            best = &slot;
            continue;
        }
        const std::uint32_t area = areaOf(slot);
        const std::uint32_t bestArea = areaOf(*best);
        if (area > bestArea) {
            best = &slot;
        } else if (area == bestArea) {
            if (best->original)
                best = &slot;
            break;
        }
    }
    return best;
}

const char* CVXLMediaRef::getRenditionName(std::int32_t sizeClass) const
{
    const CVXLRendition* slot = selectRendition(sizeClass);
    return slot ? slot->location.c_str() : nullptr;
}

std::int32_t CVXLMediaRef::getRenditionWidth(std::int32_t sizeClass) const
{
    const CVXLRendition* slot = selectRendition(sizeClass);
    return slot ? slot->width : -1;
}

std::int32_t CVXLMediaRef::getRenditionHeight(std::int32_t sizeClass) const
{
    const CVXLRendition* slot = selectRendition(sizeClass);
    return slot ? slot->height : -1;
}

int CVXLMediaRef::hasRendition(std::int32_t sizeClass) const
{
    return selectRendition(sizeClass) ? 1 : 0;
}

void CVXLMediaRef::setSizeClass(std::int32_t sizeClass)
{
    preparing_.kind = sizeClass;
    preparing_.rendition = selectRendition(sizeClass);
}

// The last match wins. Only slots in use count, for the same reason as in
// the choice by size class.
void CVXLMediaRef::prepareExact(
    std::int32_t kind, std::int32_t width, std::int32_t height, const char* mimeType)
{
    preparing_.kind = kind;
    preparing_.rendition = nullptr;
    for (const CVXLRendition& slot : renditions_) {
        if (slot.inUse() && slot.mimeType == (mimeType ? mimeType : "") && slot.width == width
            && slot.height == height)
            preparing_.rendition = &slot;
    }
    exact_ = true;
}

int CVXLMediaRef::setListener(CVXLOemXferDestination* observer)
{
    if (!observer)
        return 0;
    preparing_.observer = observer;
    return 1;
}

void CVXLMediaRef::setRequestPath(const CVXLString& path)
{
    preparing_.targetPath = path;
}

int CVXLMediaRef::submitRequest()
{
    const bool accepted = preparing_.rendition && preparing_.observer && queued_ < kMaxQueuedRequests;
    if (accepted)
        queue_[queued_++] = preparing_;
    preparing_ = Request();
    if (!accepted)
        return 0;
    startNext();
    return 1;
}

void CVXLMediaRef::removeQueued(std::uint32_t index)
{
    for (std::uint32_t i = index; i + 1 < queued_; ++i)
        queue_[i] = queue_[i + 1];
    queue_[--queued_] = Request();
}

void CVXLMediaRef::startNext()
{
    while (!busy_ && queued_ > 0) {
        const Request request = queue_[0];
        removeQueued(0);
        if (!isActive() && !handedToRunner_) {
            CJobRunner* runner = request.rendition->sourceJob->jobRunner();
            if (!runner) {
                VXL_LOG_FAILURE("media reference: no Job Runner to serve a request; ended");
                request.observer->endTransfer();
                continue;
            }
            handedToRunner_ = true;
            runner->runJob(this);
        }
        currentKind_ = request.kind;
        currentRendition_ = request.rendition;
        observer_ = request.observer;
        retain();
        busy_ = true;
        readRequest_.job = nullptr;
        readRequest_.fileName = currentRendition_->location;
        readRequest_.first = mimeType_;
        readRequest_.kind = request.kind;
        readRequest_.outputMimeType = currentRendition_->mimeType;
        readRequest_.second = request.targetPath;
        readRequest_.parameterA = request.parameterA;
        readRequest_.parameterB = request.parameterB;
        readRequest_.exact = exact_;
        readRequest_.width = exact_ ? currentRendition_->width : 0;
        readRequest_.height = exact_ ? currentRendition_->height : 0;
        post(currentRendition_->sourceJob, &readRequest_);
    }
}

void CVXLMediaRef::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kReadAnswered:
        return onReadAnswered(event);
    case kTransferRan:
        return onTransferRan(event);
    case kTransferClosed:
        return onTransferClosed(event);
    case CVXLMediaCancelRequest::kCode:
        return onCancel(event);
    case kEventStop:
        return onStop(event);
    default:
        finishEvent(event);
    }
}

void CVXLMediaRef::onReadAnswered(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    CVXLXferJobBase* source = readRequest_.job;
    readRequest_.job = nullptr;
    finishEvent(reply);
    if (result != kResultSucceeded || !source || !busy_ || sink_) {
        // A job that came with a failure, or after the request was dropped,
        // is still its manager's to close.
        if (source)
            source->stop();
        if (busy_ && !sink_) {
            VXL_LOG_INFO("media reference: reading \"%s\" failed with %d", readRequest_.fileName.c_str(),
                static_cast<int>(result != kResultSucceeded ? result : kResultFailed));
            failCurrent();
        }
        return;
    }
    currentSource_ = source;
    if (currentRendition_->lengthHint != -1)
        source->setAnnouncedTotal(currentRendition_->lengthHint);
    sink_ = new CVXLOemXferDestSink();
    if (!sink_) {
        currentSource_ = nullptr;
        source->stop();
        return failCurrent();
    }
    sink_->setOutsideDestination(observer_);
    source->setDestination(sink_);
    startChild(sink_);
    transferStart_.setReplyCode(kTransferRan);
    post(source, &transferStart_);
}

void CVXLMediaRef::onTransferRan(CVXLEvent* reply)
{
    finishEvent(reply);
    if (currentSource_)
        post(currentSource_, &transferEnd_);
}

// The source job belongs to the job that made it, which closes and deletes
// it when it stops; the sink's end finishes the request.
void CVXLMediaRef::onTransferClosed(CVXLEvent* reply)
{
    finishEvent(reply);
    currentRendition_ = nullptr;
    if (CVXLXferJobBase* source = currentSource_) {
        currentSource_ = nullptr;
        source->stop();
    }
    if (sink_)
        sink_->stop();
}

void CVXLMediaRef::onCancel(CVXLEvent* event)
{
    CVXLOemXferDestination* target = static_cast<CVXLMediaCancelRequest*>(event)->observer;
    finishEvent(event);
    if (!target)
        return;
    for (std::uint32_t i = 0; i < queued_; ++i) {
        if (queue_[i].observer == target) {
            removeQueued(i);
            target->endTransfer();
            return;
        }
    }
    if (sink_ && sink_->outsideDestination() == target) {
        cancelEventsWith(currentSource_);
        // The source would go on feeding the sink; refusing the next chunk
        // makes it abort, and the transfer winds down as any failed one.
        sink_->cancelTransfer();
        return;
    }
    if (busy_ && !sink_ && target == observer_ && currentRendition_)
        cancelEventsWith(currentRendition_->sourceJob);
}

void CVXLMediaRef::onStop(CVXLEvent* event)
{
    while (queued_ > 0) {
        CVXLOemXferDestination* waiting = queue_[0].observer;
        removeQueued(0);
        VXL_LOG_INFO("media reference stopped: a waiting request is ended unserved");
        waiting->endTransfer();
    }
    if (busy_ && sink_) {
        // The sink is stopped with the other children and ends the request
        // when the source has wound down.
        sink_->cancelTransfer();
    } else if (busy_) {
        if (currentRendition_)
            cancelEventsWith(currentRendition_->sourceJob);
        failCurrent();
    }
    finishEvent(event);
}

void CVXLMediaRef::failCurrent()
{
    if (CVXLOemXferDestination* observer = observer_) {
        observer_ = nullptr;
        observer->endTransfer();
    }
    finishCurrent();
}

void CVXLMediaRef::childFinished(CVXLEventHandler* child)
{
    if (child == sink_)
        finishCurrent();
}

void CVXLMediaRef::finishCurrent()
{
    busy_ = false;
    delete sink_;
    sink_ = nullptr;
    observer_ = nullptr;
    currentRendition_ = nullptr;
    if (CVXLXferJobBase* source = currentSource_) {
        currentSource_ = nullptr;
        cancelEventsWith(source);
        source->stop();
    }
    startNext();
    // The request's own reference; at zero the job stops itself.
    release();
}
