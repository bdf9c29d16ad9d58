#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/platform/VXLSinkInterface.h"
#include "engine/transfer/VXLOemXferDestination.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

// The sink that hands a transfer to a user-interface destination: the begin
// waits for the destination's answer, and each chunk is offered until the
// destination has consumed all of it. The destination always hears
// endTransfer once, also when the sink is reset or deleted mid-transfer.
class CVXLOemXferDestSink : public CVXLXferJobBase, private CVXLSinkInterface {
public:
    CVXLOemXferDestSink();
    ~CVXLOemXferDestSink() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLOemXferDestSink"; }
    void restart() override;
    void onBegin(std::int32_t total) override;
    void onData(const CVXLByteBuffer& buffer) override;
    void onEnd(bool complete) override;

    void setOutsideDestination(CVXLOemXferDestination* destination) { outside_ = destination; }
    CVXLOemXferDestination* outsideDestination() const { return outside_; }
    // Ends the transfer from the sink's side: the begin or chunk waiting, or
    // else the next one, is refused with 24.
    void cancelTransfer();

private:
    static constexpr std::int32_t kBeginAnswered = 4;
    static constexpr std::int32_t kOfferAgain = 5;

    const std::uint8_t* getData() override;
    std::uint32_t getLength() override;
    void consume(std::uint32_t count, std::uint32_t error) override;

    void offer();
    void endChunk(bool success, std::int32_t failCode);
    void forgetDestination();

    CVXLOemXferDestination* outside_ = nullptr;
    CVXLCallbackEvent callback_;
    CVXLSimpleEvent offerAgain_ {kOfferAgain};
    // The chunk being offered; the destination's consume moves the offset
    // rather than removing bytes, so a destination that takes a little at a
    // time does not copy the rest of the chunk on every call.
    CVXLByteBuffer chunk_;
    std::uint32_t offset_ = 0;
    bool chunkPending_ = false;
    bool offering_ = false;
    bool offerAgainNow_ = false;
    bool cancelled_ = false;
};
