#include "engine/screens/VXLUiJobPool.h"

#include "engine/screens/MessageSummaryGetter.h"
#include "engine/screens/VXLAlbumPickJob36.h"
#include "engine/screens/VXLAlbumPickJob37.h"
#include "engine/screens/VXLAlbumSummaryJob.h"
#include "engine/screens/VXLAlertChoiceJob.h"
#include "engine/screens/VXLAudioJob.h"
#include "engine/screens/VXLCaptureTypeJob.h"
#include "engine/screens/VXLComposeJob.h"
#include "engine/screens/VXLContactChooserJob.h"
#include "engine/screens/VXLDestAlbumJob.h"
#include "engine/screens/VXLDestListRefreshJob.h"
#include "engine/screens/VXLDestinationChooserJob.h"
#include "engine/screens/VXLErrorJob.h"
#include "engine/screens/VXLFailureJob.h"
#include "engine/screens/VXLFavoritePositionJob.h"
#include "engine/screens/VXLFolderListJob.h"
#include "engine/screens/VXLInformationJob.h"
#include "engine/screens/VXLMediaBrowseJob15.h"
#include "engine/screens/VXLMediaBrowseJob38.h"
#include "engine/screens/VXLMediaBrowseJob39.h"
#include "engine/screens/VXLMediaModifyJob.h"
#include "engine/screens/VXLMenuChoiceJob.h"
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
#include "engine/screens/VXLPasswordJob.h"
#include "engine/screens/VXLPreselectedAlbumJob.h"
#include "engine/screens/VXLProgressBarJob.h"
#include "engine/screens/VXLProgressJob.h"
#include "engine/screens/VXLScenarioSupportJob.h"
#include "engine/screens/VXLScreenJob17.h"
#include "engine/screens/VXLSpinnerJob.h"
#include "engine/screens/VXLStorageLocationJob.h"
#include "engine/screens/VXLThreadListJob.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUploadScenarioJob.h"

#include <algorithm>
#include <initializer_list>

// The jobs by value, built in type order and destroyed in reverse.
struct CVXLUiJobPool::Block : public CVXLObject {
    CVXLStorageLocationJob storageLocation;
    CVXLAudioJob audio;
    CVXLAlertChoiceJob alertChoice;
    CVXLContactChooserJob contactChooser;
    CVXLDestinationChooserJob destinations;
    CVXLDestListRefreshJob destinationList;
    CVXLErrorJob error;
    CVXLFavoritePositionJob favorite;
    CVXLFolderListJob folders;
    CVXLComposeJob compose;
    CVXLInformationJob information;
    CVXLMediaBrowseJob12 assignBrowse;
    CVXLAlbumSummaryJob albumSummary;
    CVXLMediaBrowseJob14 deleteBrowse;
    CVXLMediaBrowseJob15 pickLocal;
    CVXLCaptureTypeJob captureChoice;
    CVXLScreenJob17 captureHandOver;
    CVXLDestAlbumJob destAlbum;
    CVXLScenarioSupportJob scenarioSupport;
    CVXLMenuChoiceJob menuChoice;
    CVXLMessageListJob21 inbox;
    CVXLMessageListJob22 pending;
    CVXLMessageListJob23 premium;
    CVXLMessageListJob24 saved;
    CVXLMessageListJob25 sent;
    CVXLMessageListJob26 thread;
    CVXLMediaModifyJob mediaModify;
    CVXLMessageSummaryJob summary;
    CMessageSummaryGetter summaryGetter;
    CVXLThreadListJob threads;
    CVXLMessageViewJob31 inboxView;
    CVXLMessageViewJob32 premiumView;
    CVXLMessageViewJob33 savedView;
    CVXLMessageViewJob34 sentView;
    CVXLMessageViewJob35 threadView;
    CVXLAlbumPickJob36 albumList;
    CVXLAlbumPickJob37 albumPicker;
    CVXLMediaBrowseJob38 onlineBrowse;
    CVXLMediaBrowseJob39 pickOnline;
    CVXLPasswordJob password;
    CVXLFailureJob failure;
    CVXLProgressJob progress;
    CVXLSpinnerJob spinner;
    CVXLProgressBarJob progressBar;
    CVXLPreselectedAlbumJob preselectedAlbum;
    CVXLUploadScenarioJob uploadScenario;
};

CVXLUiJobPool::CVXLUiJobPool()
    : CVXLUiJobPool(true)
{
}

CVXLUiJobPool::CVXLUiJobPool(bool preallocate)
{
    if (!preallocate)
        return;
    block_ = new Block;
    if (!block_)
        return;
    for (CVXLUiJob* job : {static_cast<CVXLUiJob*>(&block_->storageLocation),
             static_cast<CVXLUiJob*>(&block_->audio), static_cast<CVXLUiJob*>(&block_->alertChoice),
             static_cast<CVXLUiJob*>(&block_->contactChooser), static_cast<CVXLUiJob*>(&block_->error),
             static_cast<CVXLUiJob*>(&block_->favorite), static_cast<CVXLUiJob*>(&block_->compose),
             static_cast<CVXLUiJob*>(&block_->information), static_cast<CVXLUiJob*>(&block_->assignBrowse),
             static_cast<CVXLUiJob*>(&block_->albumSummary), static_cast<CVXLUiJob*>(&block_->deleteBrowse),
             static_cast<CVXLUiJob*>(&block_->pickLocal), static_cast<CVXLUiJob*>(&block_->captureChoice),
             static_cast<CVXLUiJob*>(&block_->captureHandOver), static_cast<CVXLUiJob*>(&block_->destAlbum),
             static_cast<CVXLUiJob*>(&block_->inbox), static_cast<CVXLUiJob*>(&block_->pending),
             static_cast<CVXLUiJob*>(&block_->premium), static_cast<CVXLUiJob*>(&block_->saved),
             static_cast<CVXLUiJob*>(&block_->sent), static_cast<CVXLUiJob*>(&block_->thread),
             static_cast<CVXLUiJob*>(&block_->mediaModify), static_cast<CVXLUiJob*>(&block_->summary),
             static_cast<CVXLUiJob*>(&block_->summaryGetter), static_cast<CVXLUiJob*>(&block_->threads),
             static_cast<CVXLUiJob*>(&block_->inboxView), static_cast<CVXLUiJob*>(&block_->premiumView),
             static_cast<CVXLUiJob*>(&block_->savedView), static_cast<CVXLUiJob*>(&block_->sentView),
             static_cast<CVXLUiJob*>(&block_->threadView), static_cast<CVXLUiJob*>(&block_->albumList),
             static_cast<CVXLUiJob*>(&block_->albumPicker), static_cast<CVXLUiJob*>(&block_->onlineBrowse),
             static_cast<CVXLUiJob*>(&block_->pickOnline), static_cast<CVXLUiJob*>(&block_->password),
             static_cast<CVXLUiJob*>(&block_->failure), static_cast<CVXLUiJob*>(&block_->progress),
             static_cast<CVXLUiJob*>(&block_->spinner), static_cast<CVXLUiJob*>(&block_->progressBar),
             static_cast<CVXLUiJob*>(&block_->folders), static_cast<CVXLUiJob*>(&block_->scenarioSupport),
             static_cast<CVXLUiJob*>(&block_->menuChoice), static_cast<CVXLUiJob*>(&block_->preselectedAlbum),
             static_cast<CVXLUiJob*>(&block_->uploadScenario), static_cast<CVXLUiJob*>(&block_->destinations),
             static_cast<CVXLUiJob*>(&block_->destinationList)}) {
        job->pooled_ = true;
        job->pool_ = this;
        slots_[job->typeId()] = job;
    }
}

CVXLUiJobPool::~CVXLUiJobPool()
{
    destroyAll();
}

bool CVXLUiJobPool::add(CVXLUiJob* job)
{
    if (!job || destroyed_)
        return false;
    const int type = job->typeId();
    if (type < CVXLUiJob::kMinTypeId || type > CVXLUiJob::kMaxTypeId || slots_[type])
        return false;
    job->pooled_ = true;
    job->inUse_ = false;
    job->pool_ = this;
    slots_[type] = job;
    added_[type] = true;
    return true;
}

CVXLUiJob* CVXLUiJobPool::acquire(int typeId)
{
    if (destroyed_ || typeId < CVXLUiJob::kMinTypeId || typeId > CVXLUiJob::kMaxTypeId)
        return nullptr;
    CVXLUiJob* job = slots_[typeId];
    if (!job || job->inUse_) {
        CVXLUiJob* fresh = job ? job->newInstance() : nullptr;
        job = fresh ? fresh : create(typeId);
        if (!job)
            return nullptr;
        job->pooled_ = false;
        job->pool_ = this;
        fresh_.push_back(job);
    }
    job->inUse_ = true;
    // A child is set up before it starts: its layout reads texts and
    // settings through it already.
    if (CVXLLayout* layout = job->getLayout())
        layout->setOwner(job);
    return job;
}

void CVXLUiJobPool::release(CVXLUiJob* job)
{
    if (!job)
        return;
    auto out = std::find(fresh_.begin(), fresh_.end(), job);
    if (out != fresh_.end()) {
        fresh_.erase(out);
        if (layoutNamed_ && job->getLayout() && layoutNamed_(job->getLayout()))
            held_.push_back(job);
        else
            delete job;
        return;
    }
    if (destroyed_)
        return;
    job->inUse_ = false;
    job->link_ = nullptr;
    job->pushedBy_ = nullptr;
    job->currentActive_ = false;
    job->ended_ = false;
    job->answered_ = false;
    job->properties_.clear();
}

void CVXLUiJobPool::deleteUnnamed()
{
    for (std::size_t i = 0; i < held_.size();) {
        CVXLUiJob* job = held_[i];
        if (layoutNamed_ && layoutNamed_(job->getLayout())) {
            ++i;
            continue;
        }
        held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(i));
        delete job;
    }
}

void CVXLUiJobPool::destroyAll()
{
    for (CVXLUiJob* job : fresh_)
        delete job;
    fresh_.clear();
    for (CVXLUiJob* job : held_)
        delete job;
    held_.clear();
    for (int type = 0; type < kSlotCount; ++type) {
        if (added_[type])
            delete slots_[type];
        slots_[type] = nullptr;
        added_[type] = false;
    }
    delete block_;
    block_ = nullptr;
    destroyed_ = true;
}

CVXLUiJob* CVXLUiJobPool::create(int)
{
    return nullptr;
}
