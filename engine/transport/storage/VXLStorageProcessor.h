#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/transport/storage/VXLStorageRef.h"
#include "engine/transport/tasks/VXLProcessor.h"

#include <cstdint>

class CVXLReadStorageTransaction;
class CVXLStorageBlock;
class CVXLStorageSink;
class CVXLWriteStorageTransaction;

// Runs "CVXLReadStorageTransaction"s (a stored object into a sink) and
// "CVXLWriteStorageTransaction"s (a buffer into a stored object) through the
// storage object's asynchronous open, read or write, and close, in blocks of
// at most kBlockBytes. Listeners hear 0 when the transfer ended well, 24
// when it was cancelled, 1 otherwise. An object once opened is closed again
// on every path but a stop from outside, which abandons the operation in
// progress.
class CVXLStorageProcessor : public CVXLProcessor {
public:
    static constexpr std::uint32_t kBlockBytes = 10240;

    CVXLStorageProcessor();
    ~CVXLStorageProcessor() override;

    void init() override;
    void onEvent(CVXLEvent* event) override;
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;
    // Cancel ends the transfer at the next block: the object is closed and
    // the listener hears 24.
    void onCancel() override;

private:
    enum Step : std::int32_t {
        kStepOpened = 1,
        kStepClosed = 2,
        kStepReadBlock = 3,
        kStepWriteBlock = 4,
    };

    void startTransfer();
    void onOpened(std::int32_t status);
    void onReadBlock(std::int32_t status);
    void onWriteBlock(std::int32_t status);
    void onClosed(std::int32_t status);
    void readNext();
    void writeNext();
    void closeStorage();
    void fail();
    void end();
    void releaseState();

    CVXLReadStorageTransaction* readTransaction_ = nullptr;
    CVXLWriteStorageTransaction* writeTransaction_ = nullptr;
    // The read transaction's sink; dropped when the transaction goes away.
    CVXLStorageSink* sink_ = nullptr;
    bool reading_ = false;
    bool held_ = false; // a transaction was begun and has not finished
    CVXLStorageRef storage_;
    CVXLStorageBlock* writeBlock_ = nullptr;
    CVXLStorageBlock* readBlock_ = nullptr;
    std::int32_t succeeded_ = 0;
    CVXLCallbackEvent callback_;
    CVXLCallbackEvent readDone_;
    CVXLCallbackEvent writeDone_;
    bool pending_ = false; // a storage operation has not reported yet
    bool opened_ = false;
    bool failed_ = false;
    bool cancelling_ = false;
};
