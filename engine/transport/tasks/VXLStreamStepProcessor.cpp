#include "engine/transport/tasks/VXLStreamStepProcessor.h"

#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

#include <cstdint>

CVXLStreamStepProcessor::~CVXLStreamStepProcessor()
{
    closeStream();
}

void CVXLStreamStepProcessor::init()
{
    CVXLStepProcessor::init();
    closeStream();
}

void CVXLStreamStepProcessor::finishTransaction()
{
    closeStream();
    cancelSteps();
    CVXLStepProcessor::finishTransaction();
}

void CVXLStreamStepProcessor::onOtherEvent()
{
    finish(kResultTransactionFailed);
}

void CVXLStreamStepProcessor::closeStream()
{
    if (stream_ && store_)
        store_->closeStream(stream_);
    stream_ = nullptr;
}

bool CVXLStreamStepProcessor::openForReading(const CVXLString& fileName)
{
    if (!store_)
        return false;
    stream_ = store_->openStream();
    if (!stream_)
        return false;
    stream_->open(fileName.c_str(), kStreamRead, nextStep(kStepOpened));
    return true;
}

void CVXLStreamStepProcessor::streamOpened(std::int32_t result, std::uint32_t dataStart)
{
    if (result != kPlatformOk)
        return finish(result);
    if (dataStart == 0)
        return readMore();
    if (dataStart > INT32_MAX)
        return finish(kResultTransactionFailed);
    stream_->seek(static_cast<std::int32_t>(dataStart), false, nextStep(kStepSeekDone));
}

void CVXLStreamStepProcessor::seekDone(std::int32_t result)
{
    if (result != kPlatformOk)
        return finish(result);
    readMore();
}
