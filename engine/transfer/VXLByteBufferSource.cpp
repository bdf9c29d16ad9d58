#include "engine/transfer/VXLByteBufferSource.h"

#include "engine/core/platform/VXLPlatformStatus.h"

void CVXLByteBufferSource::onOpen()
{
    offset_ = 0;
    // Transfer sizes are signed 32-bit; a larger buffer is announced unknown.
    const std::uint32_t length = buffer_.length();
    begin(length > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(length));
}

void CVXLByteBufferSource::produceChunk(std::int32_t size)
{
    const std::uint32_t length = buffer_.length();
    if (offset_ >= length)
        return sendEnd();
    const std::uint32_t wanted = size > 0 ? static_cast<std::uint32_t>(size) : kXferSinkChunkSize;
    const std::uint32_t n = wanted < length - offset_ ? wanted : length - offset_;
    CVXLByteBuffer chunk(buffer_, offset_, n);
    if (chunk.length() != n)
        return fail(kPlatformNoBuffer);
    offset_ += n;
    sendChunk(chunk);
}

void CVXLByteBufferSource::onSourceFinished(bool)
{
    buffer_.clear();
    offset_ = 0;
    completeSource();
}
