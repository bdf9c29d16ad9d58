#include "engine/transport/mime/VXLMimeEntity.h"

namespace {
const CVXLString kContentType("Content-Type");
const CVXLString kContentId("Content-ID");
const CVXLString kContentLocation("Content-Location");
} // namespace

CVXLMimeEntity::CVXLMimeEntity(std::int32_t kind)
    : kind_(kind)
{
}

CVXLMimeEntity::~CVXLMimeEntity() = default;

CVXLHeaderMap& CVXLMimeEntity::headers()
{
    return mimeHeaders_;
}

void CVXLMimeEntity::setHeaders(const CVXLHeaderMap& other)
{
    mimeHeaders_ = other;
}

void CVXLMimeEntity::setContentType(const CVXLString& type)
{
    mimeHeaders_.add(kContentType, type);
}

const CVXLString& CVXLMimeEntity::contentType() const
{
    return mimeHeaders_.value(kContentType);
}

const CVXLString& CVXLMimeEntity::contentId() const
{
    return mimeHeaders_.value(kContentId);
}

const CVXLString& CVXLMimeEntity::contentLocation() const
{
    return mimeHeaders_.value(kContentLocation);
}

const CVXLString& CVXLMimeEntity::header(const CVXLString& name) const
{
    return mimeHeaders_.value(name);
}

bool CVXLMimeEntity::addHeader(const CVXLString& name, const CVXLString& value)
{
    return mimeHeaders_.add(name, value);
}

const CVXLByteBuffer& CVXLMimeEntity::bodyBuffer() const
{
    if (!body_.length() && source_.length() && dataSize_)
        body_ = CVXLByteBuffer(source_, sourceStart_, dataSize_);
    return body_;
}

void CVXLMimeEntity::setBodyBuffer(const CVXLByteBuffer& buffer)
{
    body_ = buffer;
    source_ = CVXLByteBuffer();
    sourceStart_ = 0;
}

void CVXLMimeEntity::setBodyRange(const CVXLByteBuffer& source, std::uint32_t start)
{
    body_ = CVXLByteBuffer();
    source_ = source;
    sourceStart_ = start;
}

const std::uint8_t* CVXLMimeEntity::bodyData() const
{
    if (body_.length())
        return body_.data();
    return source_.length() && dataSize_ ? source_.at(sourceStart_) : nullptr;
}

std::uint32_t CVXLMimeEntity::bodyLength() const
{
    if (body_.length())
        return body_.length();
    return source_.length() && dataSize_ ? dataSize_ : 0;
}
