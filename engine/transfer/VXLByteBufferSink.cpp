#include "engine/transfer/VXLByteBufferSink.h"

void CVXLByteBufferSink::onBegin(std::int32_t)
{
    buffer_.clear();
    completeBegin(true, kXferSinkChunkSize);
}

void CVXLByteBufferSink::onData(const CVXLByteBuffer& buffer)
{
    if (buffer.length() == 0)
        return completeData(true);
    completeData(buffer_.append(buffer.data(), buffer.length()));
}

void CVXLByteBufferSink::onEnd(bool)
{
    completeSink(kResultSucceeded, CVXLString());
}
