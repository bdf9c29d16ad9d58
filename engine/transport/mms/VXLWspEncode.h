#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLStreamStepProcessor.h"

#include <cstdint>

class CVXLMimeEntity;

// Runs "WSPENCODETRANSACTION"s: the PDU's header fields, its body header and
// each part's header through the encoder core, with the part data copied
// in between from the parts' files through the message store, one chunk per
// step. The encoded bytes end up in a new entity that the transaction gets
// as its output.
class CVXLWspEncode : public CVXLStreamStepProcessor, private CVXLDataSink {
public:
    static constexpr std::uint32_t kReadChunkBytes = 51200;

    CVXLWspEncode();
    ~CVXLWspEncode() override;

    void init() override;
    const char* name() const override;
    // Refuses a PDU whose Content-Type is not the MMS message type.
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;

private:
    // Internal steps, posted to itself through the internal event, around
    // kStepOpened (6) and kStepSeekDone (7).
    enum Step : std::int32_t {
        kStepDone = 2,
        kStepNextPart = 3,
        kStepMoreData = 8,
        kStepDataComplete = 9,
    };

    void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override;
    void complete(std::uint32_t status) override;

    void postStep(std::int32_t step);
    void start() override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void nextPart();
    void copyData(const CVXLMimeEntity& entity);
    void readMore() override;
    void dataComplete(std::int32_t status);
    void afterCopy();
    void done();

    CVXLPduRef pdu_;
    CVXLMimeEntity* body_ = nullptr;
    CVXLByteBuffer output_;
    std::uint32_t partCount_ = 0;
    std::uint32_t partIndex_ = 0;
    CVXLEntityRef currentPart_;
    std::uint32_t remaining_ = 0;
    bool copyFailed_ = false;
};
