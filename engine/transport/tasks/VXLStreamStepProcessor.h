#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transport/tasks/VXLStepProcessor.h"

#include <cstdint>

class CVXLPlatformFileStream;
class CVXLPlatformStore;

// A step processor that reads a range of a file through the message store:
// it opens the file, seeks to where the range starts (or reads at once from
// 0) and then reads as the processor's readMore() says. The stream goes back
// to the store when the transaction ends.
class CVXLStreamStepProcessor : public CVXLStepProcessor {
public:
    ~CVXLStreamStepProcessor() override;

    // The store whose streams read input files.
    void setMessageStore(CVXLPlatformStore* store) { store_ = store; }

    void init() override;

protected:
    static constexpr std::int32_t kStepOpened = 6;
    static constexpr std::int32_t kStepSeekDone = 7;

    using CVXLStepProcessor::CVXLStepProcessor;

    void finishTransaction() override;
    // An event that is neither a step nor the start has no place here.
    void onOtherEvent() override;

    // Opens fileName for reading; the open reports to kStepOpened. False
    // when there is no store or no stream.
    bool openForReading(const CVXLString& fileName);
    // The kStepOpened and kStepSeekDone steps for data that start at
    // dataStart.
    void streamOpened(std::int32_t result, std::uint32_t dataStart);
    void seekDone(std::int32_t result);
    // Asks the stream for the next piece of the range.
    virtual void readMore() = 0;

    CVXLPlatformFileStream* stream() const { return stream_; }
    void closeStream();

private:
    CVXLPlatformStore* store_ = nullptr;
    CVXLPlatformFileStream* stream_ = nullptr;
};
