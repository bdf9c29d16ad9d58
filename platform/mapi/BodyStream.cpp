#include "platform/mapi/BodyStream.h"

#include "platform/kernel/TextCodec.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/PropValue.h"

#include <algorithm>
#include <cstring>

namespace tessel::mapi {

BodyStream::BodyStream(MapiMessage* message, std::string bytes)
    : message_(message)
    , bytes_(std::move(bytes))
{
}

std::uint32_t BodyStream::read(void* buffer, std::uint32_t size)
{
    const std::size_t count = std::min<std::size_t>(size, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return static_cast<std::uint32_t>(count);
}

std::uint32_t BodyStream::write(const void* data, std::uint32_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    if (position_ + size > bytes_.size())
        bytes_.resize(position_ + size);
    std::memcpy(bytes_.data() + position_, bytes, size);
    position_ += size;
    return size;
}

std::uint32_t BodyStream::commit()
{
    message_->putBody(kernel::utf16BytesToUtf8Lossy(bytes_));
    return kMapiOk;
}

} // namespace tessel::mapi
