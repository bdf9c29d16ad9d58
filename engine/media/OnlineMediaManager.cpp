#include "engine/media/OnlineMediaManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaReadRequest.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/media/VXLOnlineMediaRequest.h"

#include <cstdlib>
#include <cstring>

namespace {

std::int32_t clampPage(std::int32_t size, std::int32_t low, std::int32_t high)
{
    return size < low ? low : (size > high ? high : size);
}

} // namespace

COnlineMediaManager::~COnlineMediaManager()
{
    // Adapters still running are children, stopped and finished before.
    for (COnlineFetchBatch* batch : batches_)
        delete batch;
}

void COnlineMediaManager::markListsStale()
{
    albumsValid_ = false;
    contentsValid_ = false;
}

void COnlineMediaManager::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStart)
        return onStart(event);
    if (code == kEventStop || code == kEventCancelNotice) {
        // A request waiting for the service protocol job is answered with 24
        // once its exchange is cancelled.
        if (current_ && vrax_)
            cancelEventsWith(vrax_);
        if (current_)
            complete(kResultCancelled);
        std::vector<CVXLMediaReadRequest*> waiting;
        waiting.swap(collecting_);
        for (CVXLMediaReadRequest* request : waiting) {
            request->setResult(kResultCancelled);
            finishEvent(request);
        }
        return CVXLEventHandler::onEvent(event);
    }
    if (event->kind() == kEventReply)
        return onReply(event);
    if (code == kFlushBatch) {
        finishEvent(event);
        return flushBatch();
    }
    if (code == kEventFileStoreOpenForReading) {
        if (auto* read = dynamic_cast<CVXLMediaReadRequest*>(event))
            return fetch(read);
    }
    if (code == kEventXferCloseDone || code == kEventLocalAlbumBySelector
        || code == kEventLocalDeleteItemDone) {
        event->setResult(kResultSucceeded);
        return finishEvent(event);
    }
    // Collected fetches go before anything that may wait for an exchange.
    flushBatch();
    onRequest(event);
}

void COnlineMediaManager::onStart(CVXLEvent* event)
{
    CVXLString text;
    if (owner_) {
        vrax_ = owner_->vraxJob();
        if (owner_->configItem(kCfgMediaBrowserWindowSize, &text))
            mediaPageSize_ = static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 10));
    }
    albumPageSize_ = clampPage(mediaPageSize_, kMinPage, kMaxAlbumPage);
    markListsStale();
    for (CVRAXJobRequest* request : {&listRequest_, &contentsRequest_, &albumRequest_, &itemRequest_})
        request->repeatPermitted = 1;
    listRequest_.page = &albums_;
    contentsRequest_.page = &contents_;
    albumRequest_.operation = &operation_;
    itemRequest_.operation = &operation_;
    finishEvent(event);
}

void COnlineMediaManager::complete(std::int32_t result, const CVXLString& text)
{
    CVXLEvent* request = current_;
    current_ = nullptr;
    if (!request)
        return;
    request->setResult(result, text);
    finishEvent(request);
}

void COnlineMediaManager::send(CVRAXJobRequest& request, std::int32_t replyCode)
{
    request.setReplyCode(replyCode);
    request.serverErrorCode = 0;
    request.serverErrorText = CVXLString();
    post(vrax_, &request);
}

void COnlineMediaManager::onRequest(CVXLEvent* event)
{
    current_ = event;
    auto* request = dynamic_cast<CVXLOnlineMediaRequest*>(event);
    if (!request || !vrax_) {
        VXL_LOG_INFO("online media: request %x refused: %s", static_cast<unsigned>(event->requestCode()),
            request ? "no service protocol job" : "not an online media request");
        return complete(kResultFailed);
    }
    switch (event->requestCode()) {
    case kEventMediaCount:
        return albumList(request);
    case kEventMediaAlbumAt:
        return albumAt(request);
    case kEventMediaItemAt:
        return itemAt(request);
    case kEventOnlineDeleteAlbum:
    case kEventOnlineCreateAlbum:
    case kEventOnlineRenameAlbum:
        return albumOperation(request);
    case kEventOnlineItemOperation:
        return itemOperation(request);
    case kEventMediaItemSave:
        return updateItem(request);
    case kEventOnlineUploadItem:
        return upload(request);
    default:
        // Rendition fetches among them: answered, never left waiting.
        VXL_LOG_INFO(
            "online media: request %x is not served here", static_cast<unsigned>(event->requestCode()));
        return complete(kResultFailed);
    }
}

void COnlineMediaManager::albumList(CVXLOnlineMediaRequest* request)
{
    if (albumsValid_) {
        request->total = albums_.total;
        return complete(kResultSucceeded);
    }
    albums_.setWindow(0, albumPageSize_);
    send(listRequest_, kReplyAlbumList);
}

void COnlineMediaManager::albumAt(CVXLOnlineMediaRequest* request)
{
    if (fillAlbum(request->index, &request->album))
        return complete(kResultSucceeded);
    if (request->index < 0)
        return complete(kNotOnPage);
    albums_.setWindow(request->index, albumPageSize_);
    albumsValid_ = false;
    send(listRequest_, kReplyAlbumPage);
}

bool COnlineMediaManager::fillAlbum(std::int32_t index, CVXLAlbum* album) const
{
    if (!albumsValid_ || index < albums_.offset || index >= albums_.offset + albums_.received)
        return false;
    const std::size_t at = static_cast<std::size_t>(index - albums_.offset);
    if (at >= albums_.albums.size())
        return false;
    const CVRAXPageRequest::Album& entry = albums_.albums[at];
    album->setIdentifier(entry.containerId);
    album->setName(entry.title, true);
    album->setCounter(1, entry.imageCount);
    album->setCounter(2, entry.videoCount);
    album->setCounter(3, static_cast<std::int32_t>(entry.created));
    album->setCounter(4, static_cast<std::int32_t>(entry.changed));
    album->setExtra(index);
    album->commit();
    return true;
}

// Only a page answered with 0 or 68 (the last page) is kept.
void COnlineMediaManager::acceptAlbumPage(std::int32_t result)
{
    albumsValid_ = result == kResultSucceeded || result == kResultLastPage;
    if (albums_.received > albums_.capacity)
        albums_.received = albums_.capacity;
}

void COnlineMediaManager::itemAt(CVXLOnlineMediaRequest* request)
{
    if (buildItem(*request, &request->item))
        return complete(kResultSucceeded);
    if (request->index < 0 || request->containerId.length() == 0)
        return complete(kResultFailed);
    if (request->pageSize > 0)
        mediaPageSize_ = request->pageSize;
    contentsValid_ = false;
    contents_.parentId = request->containerId;
    contents_.mediaBits = request->mediaBits;
    contents_.setWindow(request->index, mediaPageSize_ < kMinPage ? kMinPage : mediaPageSize_);
    send(contentsRequest_, kReplyContents);
}

bool COnlineMediaManager::buildItem(const CVXLOnlineMediaRequest& request, CVXLMediaItem** out)
{
    const std::int32_t index = request.index;
    if (!contentsValid_ || !(contents_.parentId == request.containerId)
        || contents_.mediaBits != request.mediaBits || index < contents_.offset
        || index >= contents_.offset + contents_.received)
        return false;
    const std::size_t at = static_cast<std::size_t>(index - contents_.offset);
    if (at >= contents_.media.size())
        return false;
    const CVRAXPageRequest::Media& entry = contents_.media[at];
    auto* item = new CVXLMediaItem();
    if (!item)
        return false;
    item->setId(entry.uid);
    item->setUid(entry.uid);
    item->setLocation(entry.uid);
    item->setName(entry.title);
    item->setTitle(entry.title);
    item->setFirstAuxFlag(true);
    item->setSecondAuxFlag(true);
    item->setOnline(true);
    item->setIsImage(entry.mimeType.c_str());
    item->setCaptureTime(entry.captureTime);
    item->setUploadTime(entry.uploadTime);
    item->setLatitude(entry.latitude);
    item->setLongitude(entry.longitude);
    item->setWidth(entry.width);
    item->setHeight(entry.height);
    item->setSize(entry.size);
    item->setOwner(this);
    CVXLMediaRefHandle handle;
    addRenditions(handle, entry.uid, entry.mimeType, entry.size);
    item->setMediaRef(handle);
    item->commit();
    *out = item;
    return true;
}

// The item itself, and the preview type the configuration names when the
// item is not of it already.
void COnlineMediaManager::addRenditions(
    CVXLMediaRefHandle& handle, const CVXLString& id, const CVXLString& mimeType, std::int32_t size)
{
    handle.addEntry(id, mimeType, this, -1, -1, size, true);
    handle.setMimeType(mimeType.c_str());
    CVXLString preview;
    const bool video = std::strstr(mimeType.c_str(), "video/") != nullptr;
    if (!owner_ || !owner_->configItem(video ? kCfgVideoPreviewMimeType : kCfgImagePreviewMimeType, &preview)
        || preview.length() == 0)
        return;
    if (std::strncmp(mimeType.c_str(), preview.c_str(), preview.length()) != 0)
        handle.addEntry(id, preview, this, -1, -1, -1, false);
}

void COnlineMediaManager::albumOperation(CVXLOnlineMediaRequest* request)
{
    operation_ = CVRAXContainerOperation();
    std::int32_t reply = kReplyDelete;
    switch (request->requestCode()) {
    case kEventOnlineDeleteAlbum:
        operation_.kind = CVRAXContainerOperation::kDeleteAlbum;
        operation_.containerId = request->text;
        break;
    case kEventOnlineCreateAlbum:
        operation_.kind = CVRAXContainerOperation::kRenameAlbum;
        operation_.text = request->text;
        reply = kReplyCreate;
        break;
    default:
        if (!request->renamed)
            return complete(kResultFailed);
        operation_.kind = CVRAXContainerOperation::kRenameAlbum;
        operation_.containerId = request->renamed->identifier();
        operation_.text = request->renamed->name();
        reply = kReplyRename;
        break;
    }
    send(albumRequest_, reply);
}

void COnlineMediaManager::itemOperation(CVXLOnlineMediaRequest* request)
{
    if (request->kind < CVRAXContainerOperation::kDeleteItems
        || request->kind > CVRAXContainerOperation::kCopyItems)
        return complete(kResultFailed);
    operation_ = CVRAXContainerOperation();
    operation_.kind = request->kind;
    operation_.wholeAlbum = request->wholeAlbum;
    if (!request->wholeAlbum)
        operation_.itemUids = request->uids;
    operation_.containerId = request->containerId;
    operation_.text = request->destinationId;
    operation_.mediaBits = request->mediaBits;
    send(itemRequest_, kReplyItemOperation);
}

void COnlineMediaManager::updateItem(CVXLOnlineMediaRequest* request)
{
    if (!request->item)
        return complete(kResultFailed);
    updateRequest_.item = request->item;
    send(updateRequest_, kReplyUpdate);
}

void COnlineMediaManager::upload(CVXLOnlineMediaRequest* request)
{
    CVXLMediaItem* item = request->item;
    const CVXLMediaRef* ref = item ? item->mediaRef().get() : nullptr;
    if (!item || !ref || !ref->rendition(0).sourceJob) {
        VXL_LOG_INFO("online media: an upload without an item or its media refused");
        return complete(kResultFailed);
    }
    // An online item is already there.
    if (ref->rendition(0).sourceJob == this)
        return complete(kResultSucceeded);
    const std::int32_t mode = !request->firstMode ? CVXLOnlineUploadRequest::kKindUpload
        : request->secondMode                     ? CVXLOnlineUploadRequest::kKindForward
                                                  : CVXLOnlineUploadRequest::kKindShare;
    sink_.setUpload(item, mode, request->text);
    openSource_.job = nullptr;
    openSource_.fileName = ref->rendition(0).location;
    post(ref->rendition(0).sourceJob, &openSource_);
}

void COnlineMediaManager::onSourceOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    CVXLXferJobBase* source = openSource_.job;
    openSource_.job = nullptr;
    finishEvent(reply);
    auto* request = dynamic_cast<CVXLOnlineMediaRequest*>(current_);
    if (result != kResultSucceeded || !source || !request) {
        // A job that came anyway is still its lender's to close.
        if (source)
            source->stop();
        return complete(result != kResultSucceeded ? result : kResultFailed, text);
    }
    source_ = source;
    source->setAnnouncedTotal(request->item->size());
    source->setDestination(&sink_);
    sink_.setProtocolJob(vrax_);
    sink_.restart();
    startChild(&sink_);
    uploading_ = true;
    uploadResult_ = kResultFailed;
    uploadText_ = CVXLString();
    post(source, &runSource_);
}

void COnlineMediaManager::onSourceRan(CVXLEvent* reply)
{
    uploadResult_ = reply->result();
    uploadText_ = reply->resultText();
    finishEvent(reply);
    // The service protocol job answered before it asked for any bytes: there
    // was nothing to send.
    if (uploadResult_ != kResultSucceeded && sink_.completedWithoutData()) {
        uploadResult_ = kResultSucceeded;
        uploadText_ = CVXLString();
    }
    if (auto* request = dynamic_cast<CVXLOnlineMediaRequest*>(current_))
        request->status = 0;
    contentsValid_ = false;
    if (source_)
        post(source_, &closeSource_);
    else
        sink_.stop();
}

void COnlineMediaManager::onSourceClosed(CVXLEvent* reply)
{
    finishEvent(reply);
    // The lent source goes back to its lender; the sink's end answers the
    // upload.
    if (CVXLXferJobBase* source = source_) {
        source_ = nullptr;
        source->stop();
    }
    sink_.stop();
}

void COnlineMediaManager::childFinished(CVXLEventHandler* child)
{
    CVXLEventHandler::childFinished(child);
    if (adapterFinished(child))
        return;
    if (child != &sink_ || !uploading_)
        return;
    uploading_ = false;
    if (source_) {
        // The sink ended before the source was closed (a stop).
        cancelEventsWith(source_);
        source_->stop();
        source_ = nullptr;
        uploadResult_ = kResultCancelled;
    }
    complete(uploadResult_, uploadText_);
}

// A request joins the batch when the batch is empty, or has room and asks for
// the same destination and the same rendition as the first one: the batch
// is sent with the first request's rendition for all.
bool COnlineMediaManager::joins(const CVXLMediaReadRequest& request) const
{
    if (collecting_.empty())
        return true;
    const CVXLMediaReadRequest& first = *collecting_.front();
    return collecting_.size() < static_cast<std::size_t>(CVRAXFetchBatch::kMaxSlots)
        && first.second == request.second && first.outputMimeType == request.outputMimeType
        && first.kind == request.kind && first.parameterA == request.parameterA
        && first.parameterB == request.parameterB && first.exact == request.exact
        && (!first.exact || (first.width == request.width && first.height == request.height));
}

void COnlineMediaManager::fetch(CVXLMediaReadRequest* request)
{
    request->job = nullptr;
    if (!vrax_) {
        VXL_LOG_INFO(
            "online media: a fetch of \"%s\" refused: no service protocol job", request->fileName.c_str());
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    if (!joins(*request))
        flushBatch();
    if (collecting_.empty() && !flushEvent_.isBusy())
        post(this, &flushEvent_, true);
    collecting_.push_back(request);
    if (collecting_.size() == static_cast<std::size_t>(CVRAXFetchBatch::kMaxSlots))
        return flushBatch();
    // The request waits for the batch; further requests come in meanwhile.
    resume();
}

void COnlineMediaManager::flushBatch()
{
    if (collecting_.empty())
        return;
    std::vector<CVXLMediaReadRequest*> requests;
    requests.swap(collecting_);
    auto* batch = new COnlineFetchBatch(kReplyFetch);
    for (CVXLMediaReadRequest* request : requests) {
        const std::int32_t index = batch->record.count;
        auto* adapter = new CVXLOnlineMediaSourceAdapterJob(batch, index);
        adapter->names[0] = request->fileName;
        adapter->names[1] = request->first;
        adapter->names[2] = request->second;
        CVRAXFetchBatch::Slot& slot = batch->record.slots[index];
        slot.itemId = request->fileName;
        slot.contentId = request->fileName;
        slot.mimeType = request->first;
        slot.outputMimeType = request->outputMimeType;
        slot.kind = request->kind;
        slot.orientation = request->parameterA;
        slot.scaling = request->parameterB;
        slot.explicitSize = request->exact;
        slot.width = request->width;
        slot.height = request->height;
        slot.target = adapter;
        batch->adapters[index] = adapter;
        ++batch->live;
        ++batch->record.count;
        startChild(adapter);
        request->job = adapter;
        request->setResult(kResultSucceeded);
        finishEvent(request);
    }
    batches_.push_back(batch);
    batch->request.serverErrorCode = 0;
    batch->request.serverErrorText = CVXLString();
    post(vrax_, &batch->request);
}

// The batch's exchange is over; the batch goes when its adapters have too.
void COnlineMediaManager::onFetchReplied(CVXLEvent* reply)
{
    finishEvent(reply);
    for (auto at = batches_.begin(); at != batches_.end(); ++at) {
        COnlineFetchBatch* batch = *at;
        if (&batch->request != reply)
            continue;
        batch->replied = true;
        if (batch->finished()) {
            batches_.erase(at);
            delete batch;
        }
        return;
    }
}

bool COnlineMediaManager::adapterFinished(CVXLEventHandler* child)
{
    for (auto at = batches_.begin(); at != batches_.end(); ++at) {
        COnlineFetchBatch* batch = *at;
        const std::int32_t slot = batch->slotOf(child);
        if (slot < 0)
            continue;
        batch->forget(slot);
        delete child;
        if (batch->finished()) {
            batches_.erase(at);
            delete batch;
        }
        return true;
    }
    return false;
}

void COnlineMediaManager::onReply(CVXLEvent* reply)
{
    switch (reply->effectiveCode()) {
    case kFlushBatch:
        return finishEvent(reply);
    case kReplyFetch:
        if (dynamic_cast<CVRAXJobRequest*>(reply) && reply->requestCode() == kEventVraxFetchMedia)
            return onFetchReplied(reply);
        break;
    case kReplySourceOpened:
        return onSourceOpened(reply);
    case kEventXferRunDone:
        return onSourceRan(reply);
    case kEventXferCloseDone:
        return onSourceClosed(reply);
    default:
        break;
    }
    // Finishing the reply clears its outcome: read it first.
    const std::int32_t code = reply->replyCode();
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    const auto* exchange = dynamic_cast<const CVRAXJobRequest*>(reply);
    const std::int32_t serverCode = exchange ? exchange->serverErrorCode : 0;
    finishEvent(reply);
    auto* request = dynamic_cast<CVXLOnlineMediaRequest*>(current_);
    if (!request)
        return;
    const bool succeeded = result == kResultSucceeded;
    switch (code) {
    case kReplyAlbumList:
        acceptAlbumPage(result);
        contentsValid_ = false;
        request->total = albums_.total;
        return complete(result == kResultLastPage ? kResultSucceeded : result, text);
    case kReplyAlbumPage:
        acceptAlbumPage(result);
        if (fillAlbum(request->index, &request->album)) {
            contentsValid_ = false;
            return complete(kResultSucceeded);
        }
        if (!albumsValid_)
            return complete(result, text);
        return complete(kNotOnPage);
    case kReplyContents:
        contentsValid_ = succeeded;
        if (contents_.received > contents_.capacity)
            contents_.received = contents_.capacity;
        if (buildItem(*request, &request->item))
            return complete(kResultSucceeded);
        if (!succeeded)
            return complete(result, text);
        return complete(kNotOnPage);
    case kReplyRename:
        if (request->renamed) {
            if (succeeded)
                request->renamed->commit();
            else
                request->renamed->setName(request->renamed->committedName(), false);
        }
        [[fallthrough]];
    case kReplyCreate:
    case kReplyDelete:
        if (succeeded) {
            markListsStale();
            if (code == kReplyCreate)
                request->text = operation_.containerId;
        }
        return complete(result, text);
    case kReplyItemOperation:
        if (result == kResultNetworkNotice && serverCode == kNothingToDo)
            return complete(kResultSucceeded);
        markListsStale();
        return complete(result, text);
    case kReplyUpdate:
        if (succeeded && request->item)
            request->item->commit();
        contentsValid_ = false;
        return complete(result, text);
    default:
        return;
    }
}
