#include "engine/files/VXLStateFileSaver.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/files/VXLFileStoreManager.h"

CVXLStateFileSaver::CVXLStateFileSaver(CVXLEventHandler& handler, Owner& owner, const char* fileName, std::int32_t replyCode)
    : handler_(handler)
    , owner_(owner)
    , fileName_(fileName)
    , write_(replyCode)
{
    write_.setHeapAllocated(false);
}

void CVXLStateFileSaver::save()
{
    if (!files_ || handler_.runState() == kHandlerFinished)
        return;
    if (write_.isBusy()) {
        pending_ = true;
        return;
    }
    startWrite();
}

void CVXLStateFileSaver::startWrite()
{
    pending_ = false;
    write_.fileName = fileName_;
    write_.openMode = kFileModeWrite;
    write_.buffer.clear();
    owner_.writeState(write_.buffer);
    handler_.post(files_, &write_);
}

bool CVXLStateFileSaver::onWritten(CVXLEvent* reply)
{
    if (reply != &write_)
        return false;
    const std::int32_t result = reply->result();
    write_.buffer.clear();
    handler_.finishEvent(reply);
    if (result != 0) {
        failed_ = true;
        ++failures_;
        VXL_LOG_FAILURE("%s: %s not written (%d)", handler_.name(), fileName_, result);
    } else {
        failed_ = false;
    }
    // A save asked meanwhile writes the state as it is now.
    if (pending_ && handler_.runState() != kHandlerFinished)
        startWrite();
    else
        pending_ = false;
    if (result != 0)
        owner_.stateNotSaved(result);
    else
        owner_.stateSaved();
    return true;
}

bool CVXLStateFileSaver::keepDamagedCopy() const
{
    CVXLPlatformStore* store = files_ ? files_->fileStore() : nullptr;
    if (!store)
        return false;
    CVXLString copy(fileName_);
    copy += ".bad";
    const bool kept = platformKeepCopy(store->folder(), fileName_, copy.c_str());
    VXL_LOG_FAILURE("%s: damaged %s %s", handler_.name(), fileName_, kept ? "kept aside as .bad" : "not copied");
    return kept;
}
