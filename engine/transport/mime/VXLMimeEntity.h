#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLEntityRef.h"

#include <cstdint>

// A MIME entity: headers, and a body held in memory or in a file (the file
// name, the offset of the body in it and its length). Base of messages,
// multipart bodies and parts.
class CVXLMimeEntity : public CVXLObject {
public:
    enum Kind : std::int32_t { kPlain = 0, kMultipart = 1, kMessage = 2 };

    explicit CVXLMimeEntity(std::int32_t kind = kPlain);
    ~CVXLMimeEntity() override;

    // The header set that addHeader writes to: the entity's own, or a
    // message's header map.
    virtual CVXLHeaderMap& headers();
    virtual void setHeaders(const CVXLHeaderMap& other);

    std::int32_t kind() const { return kind_; }

    // MIME headers of the entity itself; names compared exactly.
    const CVXLHeaderMap& mimeHeaders() const { return mimeHeaders_; }
    void setContentType(const CVXLString& type);
    const CVXLString& contentType() const;
    const CVXLString& contentId() const;
    const CVXLString& contentLocation() const;
    // First value of any MIME header; "" when absent.
    const CVXLString& header(const CVXLString& name) const;
    bool addHeader(const CVXLString& name, const CVXLString& value);

    const CVXLString& fileName() const { return fileName_; }
    void setFileName(const CVXLString& name) { fileName_ = name; }
    std::uint32_t dataStart() const { return dataStart_; }
    void setDataStart(std::uint32_t start) { dataStart_ = start; }
    std::uint32_t dataSize() const { return dataSize_; }
    void setDataSize(std::uint32_t size) { dataSize_ = size; }
    const CVXLByteBuffer& bodyBuffer() const { return body_; }
    // The body shares the given buffer's block.
    void setBodyBuffer(const CVXLByteBuffer& buffer) { body_ = buffer; }
    CVXLEntityRef child() const { return child_; }
    void setChild(const CVXLEntityRef& child) { child_ = child; }

    // Content-type parameters live as ordinary headers.
    std::int32_t parameterCount() const { return 0; }
    CVXLString parameterName() const { return CVXLString(); }

protected:
    void setKind(std::int32_t kind) { kind_ = kind; }

private:
    CVXLHeaderMap mimeHeaders_;
    std::int32_t kind_;
    CVXLByteBuffer body_;
    CVXLString fileName_;
    std::uint32_t dataStart_ = 0;
    std::uint32_t dataSize_ = 0;
    CVXLEntityRef child_;
};
