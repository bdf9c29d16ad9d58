#include "engine/transport/mms/VXLWspEncode.h"

#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspEncodeTransaction.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"
#include "engine/transport/mms/VXLWspTables.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

#include <cstdint>

CVXLWspEncode::CVXLWspEncode()
    : CVXLStreamStepProcessor(kStepDone)
{
}

CVXLWspEncode::~CVXLWspEncode() = default;

const char* CVXLWspEncode::name() const
{
    return "CVXLWspEncode";
}

bool CVXLWspEncode::acceptsTransaction(CVXLTransaction* transaction)
{
    return transaction && !isBusy() && transaction->typeName() == kWspEncodeTransactionType;
}

int CVXLWspEncode::beginTransaction(CVXLTransaction* transaction)
{
    if (!acceptsTransaction(transaction))
        return 0;
    // The type name says what the transaction is.
    const CVXLPduRef pdu = static_cast<CVXLWspEncodeTransaction*>(transaction)->pdu();
    CVXLString mmsType;
    wspContentTypeName(CVXLString(kWspContentTypeMmsMessage), mmsType, true);
    if (pdu.isEmpty() || pdu->contentType().compare(mmsType, false) != 0)
        return 0;
    takeTransaction(transaction);
    pdu_ = pdu;
    body_ = pdu->body().get();
    return 1;
}

void CVXLWspEncode::init()
{
    CVXLStreamStepProcessor::init();
    output_ = CVXLByteBuffer();
    partCount_ = 0;
    partIndex_ = 0;
    remaining_ = 0;
    copyFailed_ = false;
    currentPart_.reset();
}

void CVXLWspEncode::finishTransaction()
{
    pdu_.reset();
    body_ = nullptr;
    currentPart_.reset();
    output_ = CVXLByteBuffer();
    CVXLStreamStepProcessor::finishTransaction();
}

void CVXLWspEncode::postStep(std::int32_t step)
{
    nextStep(step)->call(kPlatformOk);
}

void CVXLWspEncode::onStep(std::int32_t step, std::int32_t result)
{
    switch (step) {
    case kStepDone:
        return done();
    case kStepNextPart:
        return nextPart();
    case kStepOpened:
        return streamOpened(result, currentPart_->dataStart());
    case kStepSeekDone:
        return seekDone(result);
    case kStepMoreData:
        return readMore();
    case kStepDataComplete:
        return dataComplete(result);
    default:
        return finish(kResultTransactionFailed);
    }
}

void CVXLWspEncode::start()
{
    if (!CVXLWspPduEncoder::encodeHeaders(*pdu_.get(), output_))
        return finish(kResultTransactionFailed);
    if (!body_)
        return postStep(kStepDone);
    if (!CVXLWspPduEncoder::encodeBodyHeader(*body_, output_))
        return finish(kResultTransactionFailed);
    if (body_->kind() == CVXLMimeEntity::kMultipart) {
        partCount_ = static_cast<CVXLMultipartBody*>(body_)->partCount();
        return postStep(kStepNextPart);
    }
    currentPart_ = pdu_->body();
    copyData(*body_);
}

void CVXLWspEncode::nextPart()
{
    if (partIndex_ >= partCount_)
        return postStep(kStepDone);
    currentPart_ = static_cast<CVXLMultipartBody*>(body_)->partAt(partIndex_++);
    if (currentPart_.isEmpty())
        return finish(kResultTransactionFailed);
    const CVXLMimeEntity& part = *currentPart_.get();
    if (!CVXLWspPduEncoder::encodePartHeader(part, CVXLWspPduEncoder::partDataSize(part), output_))
        return finish(kResultTransactionFailed);
    copyData(part);
}

// The data go out as the part header announced them: the in-memory body
// when there is one, else the file range.
void CVXLWspEncode::copyData(const CVXLMimeEntity& entity)
{
    if (entity.bodyLength() > 0) {
        if (!output_.append(entity.bodyData(), entity.bodyLength()))
            return finish(kResultTransactionFailed);
        return afterCopy();
    }
    remaining_ = entity.dataSize();
    if (remaining_ == 0)
        return afterCopy();
    if (entity.fileName().length() == 0)
        return finish(kResultTransactionFailed);
    copyFailed_ = false;
    if (!openForReading(entity.fileName()))
        return finish(kResultTransactionFailed);
}

void CVXLWspEncode::readMore()
{
    const std::uint32_t size = remaining_ < kReadChunkBytes ? remaining_ : kReadChunkBytes;
    stream()->read(this, size);
}

void CVXLWspEncode::dataArrived(const std::uint8_t* bytes, std::uint32_t count)
{
    if (count > remaining_)
        count = remaining_;
    if (!output_.append(bytes, count))
        copyFailed_ = true;
    remaining_ -= count;
}

void CVXLWspEncode::complete(std::uint32_t status)
{
    const bool more = status == kPlatformOk && remaining_ > 0;
    nextStep(more ? kStepMoreData : kStepDataComplete)->call(status);
}

void CVXLWspEncode::dataComplete(std::int32_t status)
{
    // A file shorter than the size its part header announced would leave a
    // PDU whose lengths lie: that is a failure, not the end of the data.
    if ((status != static_cast<std::int32_t>(kPlatformOk)
            && status != static_cast<std::int32_t>(kPlatformEndOfData))
        || remaining_ > 0 || copyFailed_)
        return finish(kResultTransactionFailed);
    closeStream();
    afterCopy();
}

void CVXLWspEncode::afterCopy()
{
    postStep(body_->kind() == CVXLMimeEntity::kMultipart ? kStepNextPart : kStepDone);
}

void CVXLWspEncode::done()
{
    auto* transaction = static_cast<CVXLWspEncodeTransaction*>(this->transaction());
    auto* entity = new CVXLMimeEntity;
    if (!entity)
        return finish(kResultTransactionFailed);
    entity->setBodyBuffer(output_);
    entity->setContentType(pdu_->contentType());
    const CVXLEntityRef output(entity);
    if (transaction)
        transaction->setOutput(output);
    finish(kResultSucceeded);
}
