#include "engine/transport/storage/VXLStorageProcessor.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/storage/VXLReadStorageTransaction.h"
#include "engine/transport/storage/VXLStorageBlock.h"
#include "engine/transport/storage/VXLStorageObject.h"
#include "engine/transport/storage/VXLStorageSink.h"
#include "engine/transport/storage/VXLWriteStorageTransaction.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

namespace {

bool sameTypeName(const CVXLString& name, const char* type)
{
    const CVXLString other(type);
    return name.length() == other.length() && name.compare(other, false) == 0;
}

} // namespace

CVXLStorageProcessor::CVXLStorageProcessor()
    : callback_(this, kStepOpened)
    , readDone_(this, kStepReadBlock)
    , writeDone_(this, kStepWriteBlock)
{
    setProcessorName(CVXLString("CVXLStorageProcessor"));
}

CVXLStorageProcessor::~CVXLStorageProcessor()
{
    releaseState();
}

bool CVXLStorageProcessor::acceptsTransaction(CVXLTransaction* transaction)
{
    return transaction && !held_
        && (sameTypeName(transaction->typeName(), kReadStorageTransactionType)
            || sameTypeName(transaction->typeName(), kWriteStorageTransactionType));
}

int CVXLStorageProcessor::beginTransaction(CVXLTransaction* transaction)
{
    if (!acceptsTransaction(transaction))
        return 0;
    takeTransaction(transaction);
    held_ = true;
    reading_ = sameTypeName(transaction->typeName(), kReadStorageTransactionType);
    if (reading_) {
        readTransaction_ = static_cast<CVXLReadStorageTransaction*>(transaction);
        readBlock_ = new CVXLStorageBlock(&readDone_);
        storage_ = readTransaction_->storage();
        sink_ = readTransaction_->sink();
    } else {
        writeTransaction_ = static_cast<CVXLWriteStorageTransaction*>(transaction);
        writeBlock_ = new CVXLStorageBlock(&writeDone_);
        if (writeBlock_)
            writeBlock_->bytes() = writeTransaction_->bytes();
        storage_ = writeTransaction_->storage();
    }
    return 1;
}

void CVXLStorageProcessor::init()
{
    CVXLProcessor::init();
    cancelEvent(&callback_);
    cancelEvent(&readDone_);
    cancelEvent(&writeDone_);
    succeeded_ = 0;
    pending_ = false;
    opened_ = false;
    failed_ = false;
    cancelling_ = false;
}

void CVXLStorageProcessor::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    if (code == kEventStop || code == kEventCancelTransaction)
        return CVXLProcessor::onEvent(event);
    const bool internal = event == &callback_ || event == &readDone_ || event == &writeDone_;
    const std::int32_t status = event->result();
    finishEvent(event);
    if (stopRequested())
        return;
    if (code == kEventStart)
        return startTransfer();
    if (!internal)
        return;
    pending_ = false;
    switch (code) {
    case kStepOpened:
        return onOpened(status);
    case kStepReadBlock:
        return onReadBlock(status);
    case kStepWriteBlock:
        return onWriteBlock(status);
    case kStepClosed:
        return onClosed(status);
    }
}

void CVXLStorageProcessor::startTransfer()
{
    const bool reading = reading_;
    if (storage_.isEmpty() || (reading ? !readBlock_ || !sink_ : !writeBlock_))
        return fail();
    callback_.setRequestCode(kStepOpened);
    callback_.setReplyCode(kStepOpened);
    pending_ = true;
    storage_->open(&callback_, reading ? CVXLStorageObject::kOpenRead : CVXLStorageObject::kOpenWrite);
}

void CVXLStorageProcessor::onOpened(std::int32_t status)
{
    if (status != static_cast<std::int32_t>(kPlatformOk))
        return fail();
    opened_ = true;
    if (cancelling_)
        return closeStorage();
    if (reading_)
        return readNext();
    writeNext();
}

void CVXLStorageProcessor::readNext()
{
    pending_ = true;
    storage_->read(readBlock_, kBlockBytes);
}

void CVXLStorageProcessor::writeNext()
{
    pending_ = true;
    storage_->write(writeBlock_);
}

void CVXLStorageProcessor::onReadBlock(std::int32_t status)
{
    CVXLByteBuffer& bytes = readBlock_->bytes();
    if (bytes.length() != 0 && sink_ && !sink_->write(bytes.data(), bytes.length()))
        return fail();
    bytes.clear();
    if (status == static_cast<std::int32_t>(kPlatformEndOfData)) {
        delete readBlock_;
        readBlock_ = nullptr;
        return closeStorage();
    }
    if (status != static_cast<std::int32_t>(kPlatformOk))
        return fail();
    if (cancelling_)
        return closeStorage();
    readNext();
}

void CVXLStorageProcessor::onWriteBlock(std::int32_t status)
{
    if (status != static_cast<std::int32_t>(kPlatformOk))
        return fail();
    CVXLByteBuffer& bytes = writeBlock_->bytes();
    const std::uint32_t left = bytes.length();
    const std::uint32_t written = writeBlock_->written() < left ? writeBlock_->written() : left;
    if (written != 0 && !bytes.remove(0, written))
        return fail();
    if (bytes.length() == 0) {
        delete writeBlock_;
        writeBlock_ = nullptr;
        return closeStorage();
    }
    // An object that takes nothing would be asked for ever.
    if (written == 0 || cancelling_)
        return written == 0 ? fail() : closeStorage();
    writeNext();
}

void CVXLStorageProcessor::closeStorage()
{
    callback_.setRequestCode(kStepClosed);
    callback_.setReplyCode(kStepClosed);
    pending_ = true;
    storage_->close(&callback_);
}

void CVXLStorageProcessor::onClosed(std::int32_t status)
{
    opened_ = false;
    if (status == static_cast<std::int32_t>(kPlatformOk) && !failed_)
        succeeded_ = 1;
    end();
}

// A failure after the object was opened still closes it, so that nothing it
// holds stays open; the transfer has failed whatever the close says.
void CVXLStorageProcessor::fail()
{
    succeeded_ = 0;
    failed_ = true;
    if (opened_)
        return closeStorage();
    end();
}

void CVXLStorageProcessor::end()
{
    if (cancelling_)
        return finish(kResultCancelled);
    finish(succeeded_ == 1 ? kResultSucceeded : kResultStorageFailed);
}

void CVXLStorageProcessor::onCancel()
{
    if (cancelling_ || !held_ || stopRequested())
        return;
    cancelling_ = true;
    // A transaction that is going away takes its sink with it.
    if (!transaction())
        sink_ = nullptr;
    // With an operation under way the transfer ends when it reports.
    if (!pending_)
        end();
}

void CVXLStorageProcessor::releaseState()
{
    if (pending_ && !storage_.isEmpty())
        storage_->abandon();
    pending_ = false;
    cancelEvent(&callback_);
    cancelEvent(&readDone_);
    cancelEvent(&writeDone_);
    delete readBlock_;
    readBlock_ = nullptr;
    delete writeBlock_;
    writeBlock_ = nullptr;
    storage_.reset();
    readTransaction_ = nullptr;
    writeTransaction_ = nullptr;
    sink_ = nullptr;
    reading_ = false;
    held_ = false;
}

void CVXLStorageProcessor::finishTransaction()
{
    releaseState();
    CVXLProcessor::finishTransaction();
}
