#include "engine/transport/mime/VXLMimeEntity.h"

namespace {
const CVXLString kContentType("Content-Type");
const CVXLString kContentId("Content-ID");
const CVXLString kContentLocation("Content-Location");
} // namespace

CVXLMimeEntity::CVXLMimeEntity(std::int32_t kind) : kind_(kind) {}

CVXLMimeEntity::~CVXLMimeEntity() = default;

CVXLHeaderMap& CVXLMimeEntity::headers() { return mimeHeaders_; }

void CVXLMimeEntity::setHeaders(const CVXLHeaderMap& other) { mimeHeaders_ = other; }

void CVXLMimeEntity::setContentType(const CVXLString& type) { mimeHeaders_.add(kContentType, type); }

const CVXLString& CVXLMimeEntity::contentType() const { return mimeHeaders_.value(kContentType); }

const CVXLString& CVXLMimeEntity::contentId() const { return mimeHeaders_.value(kContentId); }

const CVXLString& CVXLMimeEntity::contentLocation() const { return mimeHeaders_.value(kContentLocation); }

const CVXLString& CVXLMimeEntity::header(const CVXLString& name) const { return mimeHeaders_.value(name); }

bool CVXLMimeEntity::addHeader(const CVXLString& name, const CVXLString& value)
{
    return mimeHeaders_.add(name, value);
}
