#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

// A transfer source fed by a producer that pushes blocks of its own: the
// first push begins the transfer with the producer's total, each block goes
// out in the chunk sizes the sink asks for, and the end goes out once the
// producer has said so. onPushConsumed tells the producer that the block's
// last chunk was taken by the sink, so at most one block is ever held.
class CVXLPushToSourceAdapterBase : public CVXLXferJobBase {
public:
    enum PushPhase : std::int32_t {
        kNotBegun = 0,
        kDrained = 1,
        kSinkWaiting = 2,
        kDataAvailable = 3,
    };

    const char* name() const override { return "CVXLPushToSourceAdapterBase"; }
    void onOpen() override;
    void produceChunk(std::int32_t size) override;
    void onSourceFinished(bool succeeded) override;

    virtual void push(const CVXLByteBuffer& data, std::int32_t total);
    virtual void onPushConsumed();
    // The producer has no more blocks; once only.
    void endOfPush();

    PushPhase pushPhase() const { return phase_; }
    bool endPushed() const { return endPushed_; }

private:
    void sendPushed(std::int32_t size);

    PushPhase phase_ = kNotBegun;
    CVXLByteBuffer pushed_;
    std::uint32_t remaining_ = 0;
    std::int32_t waitingSize_ = 0;
    bool endPushed_ = false;
    // The block's last chunk is out; the producer hears of it when the sink
    // asks for more, that is, when the sink has taken those bytes.
    bool consumedUnreported_ = false;
};
