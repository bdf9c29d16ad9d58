#include "engine/transport/mms/VXLWspDecode.h"

#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "engine/transport/mms/VXLWspDecodeTransaction.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"

#include <cstdint>

CVXLWspDecode::CVXLWspDecode()
    : CVXLStreamStepProcessor(kStepOpened)
{
}

CVXLWspDecode::~CVXLWspDecode() = default;

const char* CVXLWspDecode::name() const
{
    return "CVXLWspDecode";
}

bool CVXLWspDecode::acceptsTransaction(CVXLTransaction* transaction)
{
    return transaction && !isBusy()
        && (transaction->typeName() == kWspDecodeTransactionType
            || transaction->typeName() == kWspDecodeMboxDescTransactionType);
}

int CVXLWspDecode::beginTransaction(CVXLTransaction* transaction)
{
    if (!acceptsTransaction(transaction))
        return 0;
    // Both type names are decode transactions.
    auto* decode = static_cast<CVXLWspDecodeTransaction*>(transaction);
    takeTransaction(transaction);
    pdu_ = decode->getPdu();
    if (pdu_.isEmpty()) {
        pdu_ = CVXLPduRef(new CVXLMmsPdu);
        decode->setPdu(pdu_);
    }
    // The bytes lie in the input message's body entity; a message without
    // one may carry them itself.
    const CVXLMessage& message = decode->message();
    const CVXLMimeEntity* source = message.body().isEmpty() ? &message : message.body().get();
    // A ranged body is decoded where it lies, without a copy.
    if (source->bodySource().length()) {
        input_ = source->bodySource();
        inputStart_ = source->bodySourceStart();
        inputLength_ = source->bodyLength();
    } else {
        input_ = source->bodyBuffer();
        inputStart_ = 0;
        inputLength_ = input_.length();
    }
    fileName_ = source->fileName();
    dataStart_ = source->dataStart();
    dataSize_ = source->dataSize();
    return 1;
}

void CVXLWspDecode::init()
{
    CVXLStreamStepProcessor::init();
    requested_ = 0;
    readFailed_ = false;
}

void CVXLWspDecode::finishTransaction()
{
    pdu_.reset();
    input_ = CVXLByteBuffer();
    inputStart_ = 0;
    inputLength_ = 0;
    fileName_.clear();
    CVXLStreamStepProcessor::finishTransaction();
}

void CVXLWspDecode::onStep(std::int32_t step, std::int32_t result)
{
    switch (step) {
    case kStepOpened:
        return streamOpened(result, dataStart_);
    case kStepSeekDone:
        return seekDone(result);
    case kStepReadComplete:
        return readComplete(result);
    default:
        return finish(kResultTransactionFailed);
    }
}

void CVXLWspDecode::start()
{
    if (inputLength_ > 0)
        return decodeInput();
    if (fileName_.length() == 0)
        return finish(kResultNotFound);
    // The whole range in one block: growing by appends would hold up to
    // twice the message at the last one.
    if (dataSize_ > 0 && dataSize_ <= kMaxInputBytes)
        input_ = CVXLByteBuffer(dataSize_);
    if (!openForReading(fileName_))
        return finish(kResultTransactionFailed);
}

// One window per step; a data size of 0 means up to the end of the file.
void CVXLWspDecode::readMore()
{
    std::uint32_t size = kReadWindowBytes;
    if (dataSize_ > 0 && dataSize_ - input_.length() < size)
        size = dataSize_ - input_.length();
    if (size > kMaxInputBytes - input_.length())
        return finish(kResultTransactionFailed);
    requested_ = size;
    stream()->read(this, size);
}

void CVXLWspDecode::dataArrived(const std::uint8_t* bytes, std::uint32_t count)
{
    if (count > requested_)
        count = requested_;
    if (!input_.append(bytes, count))
        readFailed_ = true;
}

void CVXLWspDecode::complete(std::uint32_t status)
{
    nextStep(kStepReadComplete)->call(status);
}

void CVXLWspDecode::readComplete(std::int32_t status)
{
    if (status != static_cast<std::int32_t>(kPlatformOk)
        && status != static_cast<std::int32_t>(kPlatformEndOfData))
        return finish(status);
    if (readFailed_)
        return finish(kResultTransactionFailed);
    const bool wholeRange = dataSize_ > 0 && input_.length() >= dataSize_;
    if (status == static_cast<std::int32_t>(kPlatformOk) && !wholeRange)
        return readMore();
    closeStream();
    decodeInput();
}

void CVXLWspDecode::decodeInput()
{
    const std::uint32_t length = inputLength_ ? inputLength_ : input_.length();
    if (length == 0)
        return finish(kResultTransactionFailed);
    CVXLWspPduDecoder decoder;
    if (!decoder.decode(input_, inputStart_, length, *pdu_.get(), fileName_, dataStart_))
        return finish(kResultTransactionFailed);
    auto* transaction = static_cast<CVXLWspDecodeTransaction*>(this->transaction());
    if (transaction)
        transaction->setPdu(pdu_);
    finish(kResultSucceeded);
}
