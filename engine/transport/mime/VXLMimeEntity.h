#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLEntityRef.h"

#include <cstdint>

// A MIME entity: headers, and a body held in memory or in a file (the file
// name, the offset of the body in it and its length). A body in memory is a
// buffer of its own, or a range of a larger buffer it shares (a part of a
// received PDU lies in the PDU's bytes): bodyData and bodyLength read either
// without copying. Base of messages, multipart bodies and parts.
class CVXLMimeEntity : public CVXLObject {
public:
    enum Kind : std::int32_t { kPlain = 0, kMultipart = 1, kMessage = 2 };

    explicit CVXLMimeEntity(std::int32_t kind = kPlain);
    ~CVXLMimeEntity() override;

    VXL_NEW_WITHOUT_ZERO_FILL(CVXLMimeEntity)

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
    // A body that is a range of a shared buffer is copied out on the first
    // call; readers that can take a pointer use bodyData instead.
    const CVXLByteBuffer& bodyBuffer() const;
    // The body shares the given buffer's block.
    void setBodyBuffer(const CVXLByteBuffer& buffer);
    // The body is dataSize bytes of source from start; the block is shared,
    // not copied, and lives as long as the entity.
    void setBodyRange(const CVXLByteBuffer& source, std::uint32_t start);
    // The body in memory, or null with a length of 0 when only a file holds it.
    const std::uint8_t* bodyData() const;
    std::uint32_t bodyLength() const;
    // The shared buffer a ranged body lies in and where; an empty buffer
    // for a body of its own.
    const CVXLByteBuffer& bodySource() const { return source_; }
    std::uint32_t bodySourceStart() const { return sourceStart_; }
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
    mutable CVXLByteBuffer body_;
    CVXLByteBuffer source_;
    std::uint32_t sourceStart_ = 0;
    CVXLString fileName_;
    std::uint32_t dataStart_ = 0;
    std::uint32_t dataSize_ = 0;
    CVXLEntityRef child_;
};
