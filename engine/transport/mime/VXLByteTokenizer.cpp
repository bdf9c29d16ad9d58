#include "engine/transport/mime/VXLByteTokenizer.h"

void CVXLByteTokenizer::setBuffer(CVXLByteBuffer* buffer)
{
    buffer_ = buffer;
    reset();
}

void CVXLByteTokenizer::reset()
{
    start_ = 0;
    length_ = 0;
}

void CVXLByteTokenizer::consume()
{
    const std::uint32_t end = start_ + length_;
    if (end != 0 && buffer_)
        buffer_->remove(0, end);
    start_ = 0;
    length_ = 0;
    consumed(end);
}

CVXLString CVXLByteTokenizer::tokenText() const
{
    CVXLString text;
    if (buffer_ && length_ != 0 && start_ + length_ <= buffer_->length())
        text.appendBytes(buffer_->data() + start_, length_);
    return text;
}

CVXLByteBuffer CVXLByteTokenizer::tokenBytes() const
{
    if (!buffer_ || length_ == 0 || start_ + length_ > buffer_->length())
        return CVXLByteBuffer();
    CVXLByteBuffer out(length_);
    out.append(buffer_->data() + start_, length_);
    return out;
}
