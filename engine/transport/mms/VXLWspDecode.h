#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLStreamStepProcessor.h"

#include <cstdint>

// Runs "WSPDECODETRANSACTION"s and "WSPDECODEMMBOXDESCTRANSACTION"s: takes
// the input bytes from the input message's body entity, or reads its file
// range through the message store one window per step, and decodes them
// with the decoder core into the transaction's result PDU. Parts keep the
// input file's name and their position in it, and their data as a range of
// the input.
class CVXLWspDecode : public CVXLStreamStepProcessor, private CVXLDataSink {
public:
    static constexpr std::uint32_t kReadWindowBytes = 51200;
    // Input beyond this is refused rather than held in memory.
    static constexpr std::uint32_t kMaxInputBytes = 0x1000000;

    CVXLWspDecode();
    ~CVXLWspDecode() override;

    void init() override;
    const char* name() const override;
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;

private:
    // After kStepOpened and kStepSeekDone.
    enum Step : std::int32_t {
        kStepReadComplete = 9,
    };

    void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override;
    void complete(std::uint32_t status) override;

    void start() override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void readMore() override;
    void readComplete(std::int32_t status);
    void decodeInput();

    CVXLPduRef pdu_;
    CVXLString fileName_;
    std::uint32_t dataStart_ = 0;
    std::uint32_t dataSize_ = 0;
    // The input in memory: input_ from inputStart_, inputLength_ bytes when
    // the entity held them, else all of input_ as read from the file.
    CVXLByteBuffer input_;
    std::uint32_t inputStart_ = 0;
    std::uint32_t inputLength_ = 0;
    std::uint32_t requested_ = 0;
    bool readFailed_ = false;
};
