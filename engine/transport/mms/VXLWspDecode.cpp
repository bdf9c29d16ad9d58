#include "engine/transport/mms/VXLWspDecode.h"

#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspDecodeTransaction.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

#include <climits>
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
    // The decoder lets go of a body it was filling.
    windows_ = CVXLWspPduDecoder();
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
    // A range of known size goes window by window; one that runs to the end
    // of the file is read whole.
    windowed_ = dataSize_ > 0;
    if (windowed_) {
        windows_.beginWindows(*pdu_.get(), dataSize_, fileName_, dataStart_);
        windowStart_ = 0;
        windowRoom_ = kReadWindowBytes;
        windowLength_ = dataSize_ < windowRoom_ ? dataSize_ : windowRoom_;
        input_ = CVXLByteBuffer(windowLength_);
    }
    if (!openForReading(fileName_))
        return finish(kResultTransactionFailed);
}

void CVXLWspDecode::readMore()
{
    std::uint32_t size = kReadWindowBytes;
    if (windowed_) {
        size = windowLength_ - input_.length();
    } else {
        // A data size of 0 means up to the end of the file.
        if (size > kMaxInputBytes - input_.length())
            return finish(kResultTransactionFailed);
    }
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
    const bool atEnd = status == static_cast<std::int32_t>(kPlatformEndOfData);
    if (windowed_) {
        if (!atEnd && input_.length() < windowLength_)
            return readMore();
        return decodeWindow(atEnd && input_.length() < windowLength_);
    }
    if (!atEnd)
        return readMore();
    closeStream();
    decodeInput();
}

void CVXLWspDecode::decodeWindow(bool last)
{
    using Result = CVXLWspPduDecoder::WindowResult;
    const Result result = windows_.decodeWindow(input_.data(), input_.length(), last);
    if (result == Result::kFailed)
        return finish(kResultTransactionFailed);
    if (result == Result::kDone) {
        closeStream();
        auto* transaction = static_cast<CVXLWspDecodeTransaction*>(this->transaction());
        if (transaction)
            transaction->setPdu(pdu_);
        return finish(kResultSucceeded);
    }
    const std::uint32_t next = windows_.resumePosition();
    if (next == windowStart_) {
        // The header fields or one entry's headers need a larger window.
        if (last || windowRoom_ >= kMaxInputBytes)
            return finish(kResultTransactionFailed);
        windowRoom_ *= 2;
    } else {
        windowRoom_ = kReadWindowBytes;
    }
    readWindowAt(next);
}

void CVXLWspDecode::readWindowAt(std::uint32_t position)
{
    windowStart_ = position;
    const std::uint32_t left = dataSize_ - position;
    windowLength_ = left < windowRoom_ ? left : windowRoom_;
    // Parts hold copies, never the window: its block is free to reuse.
    input_.truncate(0);
    const std::uint64_t at = static_cast<std::uint64_t>(dataStart_) + position;
    if (windowLength_ == 0 || at > INT32_MAX)
        return finish(kResultTransactionFailed);
    stream()->seek(static_cast<std::int32_t>(at), false, nextStep(kStepSeekDone));
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
