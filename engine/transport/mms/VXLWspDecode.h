#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/tasks/VXLStreamStepProcessor.h"

#include <cstdint>

// Runs "WSPDECODETRANSACTION"s and "WSPDECODEMMBOXDESCTRANSACTION"s: takes
// the input bytes from the input message's body entity, or reads its file
// range through the message store one window per step, and decodes them
// with the decoder core into the transaction's result PDU. Parts keep the
// input file's name and their position in it; decoded from memory their data
// are a range of the input, decoded from a file window by window a part gets
// a copy of data that lie wholly in its window, and a larger part keeps only
// its place in the file.
class CVXLWspDecode : public CVXLStreamStepProcessor, private CVXLDataSink {
public:
    static constexpr std::uint32_t kReadWindowBytes = 51200;
    // A file range of unknown size, and the header fields of a PDU, are held
    // in memory up to this; beyond it they are refused.
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
    void decodeWindow(bool last);
    void readWindowAt(std::uint32_t position);

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
    // A file range of known size is decoded window by window: the window
    // being read, where it starts in the range and how long it is.
    CVXLWspPduDecoder windows_;
    bool windowed_ = false;
    std::uint32_t windowStart_ = 0;
    std::uint32_t windowLength_ = 0;
    std::uint32_t windowRoom_ = kReadWindowBytes;
};
