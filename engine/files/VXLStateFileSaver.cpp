#include "engine/files/VXLStateFileSaver.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/files/VXLFileStoreManager.h"

CVXLStateFileSaver::CVXLStateFileSaver(
    CVXLEventHandler& handler, Owner& owner, const char* fileName, std::int32_t replyCode)
    : handler_(handler)
    , owner_(owner)
    , fileName_(fileName)
    , write_(replyCode)
{
    write_.setHeapAllocated(false);
}

void CVXLStateFileSaver::setFileStoreManager(CVXLFileStoreManager* files)
{
    files_ = files;
}

std::uint32_t CVXLStateFileSaver::save()
{
    if (!files_ || handler_.runState() == kHandlerFinished)
        return 0;
    ++asked_;
    if (write_.isBusy()) {
        pending_ = true;
        return asked_;
    }
    startWrite();
    return asked_;
}

void CVXLStateFileSaver::startWrite()
{
    pending_ = false;
    carrying_ = asked_;
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
    lastCarried_ = carrying_;
    lastResult_ = result;
    if (result != 0) {
        failed_ = true;
        ++failures_;
        VXL_LOG_FAILURE("%s: %s not written (%d)", handler_.name(), fileName_.c_str(), result);
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
    auto* manager = dynamic_cast<CVXLFileStoreManager*>(files_);
    CVXLPlatformStore* store = manager ? manager->fileStore() : nullptr;
    CVXLString copy(fileName_);
    copy += ".bad";
    const bool kept = store && platformKeepCopy(store->folder(), fileName_.c_str(), copy.c_str());
    if (kept)
        VXL_LOG_FAILURE("%s: damaged %s kept as %s", handler_.name(), fileName_.c_str(), copy.c_str());
    else
        VXL_LOG_FAILURE("%s: damaged %s not copied", handler_.name(), fileName_.c_str());
    return kept;
}
