#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLBase64Decoder.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mime/VXLMimeMultipartParser.h"
#include "engine/transport/mime/VXLMimePartSink.h"

#include <cstdint>

class CVXLMessage;
class CVXLMultipartBody;

// Replaces the text MIME containers of a received message's body by the
// parts they enclose: first the multipart.related part of a multipart.mixed
// message, then each OMA DRM message part. The new parts refer to their data
// in the container's file; a base64 part of a DRM message is decoded into
// memory instead. Whoever reads the container feeds its bytes to parser().
class CVXLMimeBodySplitter : public CVXLObject, public CVXLMimePartSink {
public:
    CVXLMimeBodySplitter() = default;
    ~CVXLMimeBodySplitter() override = default;

    // Picks the last multipart.related part of a multipart.mixed message as
    // the container and marks every part "X-QV-MEMO-DATA"; false when there
    // is none (the body is left as it was).
    bool beginRelated(CVXLMessage& message);
    // Picks the last DRM message part not split yet, marked "X-QV-DRM".
    bool beginDrm();
    // Ends the pass over the container: it leaves the body when at least one
    // part took its place.
    void endContainer();
    void clear();

    bool splittingRelated() const { return relatedFound_; }
    bool splittingDrm() const { return drmFound_; }
    // The container being split; its data lie in its file (data start, data
    // size) or, without a file name, in its body buffer.
    const CVXLEntityRef& container() const { return container_; }
    const CVXLString& boundary() const { return boundary_; }
    CVXLMimeMultipartParser& parser() { return parser_; }

    // The boundary parameter of an entity, one double quote removed at
    // either end; "" when it has none.
    static CVXLString boundaryOf(const CVXLMimeEntity& entity);

    bool partBegun(const CVXLHeaderMap& headers, std::uint32_t dataStart) override;
    bool partData(const std::uint8_t* bytes, std::uint32_t length) override;
    bool partEnded(std::uint32_t dataSize) override;

private:
    void takeContainer(std::uint32_t index);

    CVXLMultipartBody* body_ = nullptr;
    CVXLEntityRef bodyRef_;
    CVXLEntityRef container_;
    std::uint32_t index_ = 0;
    bool relatedFound_ = false;
    bool drmFound_ = false;
    CVXLString boundary_;
    CVXLMimeMultipartParser parser_;
    CVXLEntityRef current_;
    std::uint32_t partsAdded_ = 0;
    bool decoding_ = false;
    // The container lies in memory: its parts' data are copied out of it.
    bool collecting_ = false;
    CVXLBase64Decoder decoder_;
    CVXLByteBuffer decoded_;
};
