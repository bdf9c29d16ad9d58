#include "engine/transport/mime/VXLMimeBodySplitter.h"

#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mime/VXLMultipartBody.h"

namespace {

const CVXLString kContentType("Content-Type");
const CVXLString kBoundary("boundary");
const CVXLString kTransferEncoding("Content-Transfer-Encoding");
const CVXLString kMixedType("application/vnd.wap.multipart.mixed");
const CVXLString kRelatedType("application/vnd.wap.multipart.related");
const CVXLString kDrmType("application/vnd.oma.drm.message");
const CVXLString kMemoData("X-QV-MEMO-DATA");
const CVXLString kDrmMark("X-QV-DRM");
const CVXLString kDrmContentId("X-QV-DRM-Content-ID");
const CVXLString kDrmContentType("X-QV-DRM-Content-Type");
const CVXLString kDrmContentLocation("X-QV-DRM-Content-Location");
const CVXLString kTrue("TRUE");
const CVXLString kBase64("base64");

bool sameText(const CVXLString& a, const CVXLString& b)
{
    return a.length() == b.length() && a.compare(b, false) == 0;
}

bool hasType(const CVXLMimeEntity& entity, const CVXLString& type)
{
    return sameText(entity.contentType(), type);
}

CVXLString withoutBlanks(const CVXLString& text)
{
    std::uint32_t from = 0, to = text.length();
    const char* c = text.c_str();
    while (from < to && (c[from] == ' ' || c[from] == '\t'))
        ++from;
    while (to > from && (c[to - 1] == ' ' || c[to - 1] == '\t'))
        --to;
    return text.substr(static_cast<int>(from), to - from);
}

} // namespace

CVXLString CVXLMimeBodySplitter::boundaryOf(const CVXLMimeEntity& entity)
{
    CVXLString boundary = entity.mimeHeaders().value(kBoundary, 0, true);
    if (boundary.length() != 0 && boundary.c_str()[0] == '"')
        boundary.remove(0, 1);
    if (boundary.length() != 0 && boundary.c_str()[boundary.length() - 1] == '"')
        boundary.remove(static_cast<int>(boundary.length() - 1), 1);
    return boundary;
}

void CVXLMimeBodySplitter::clear()
{
    body_ = nullptr;
    bodyRef_.reset();
    container_.reset();
    current_.reset();
    relatedFound_ = false;
    drmFound_ = false;
    partsAdded_ = 0;
    decoding_ = false;
    collecting_ = false;
    decoded_.clear();
}

bool CVXLMimeBodySplitter::beginRelated(CVXLMessage& message)
{
    clear();
    bodyRef_ = message.body();
    if (bodyRef_.isEmpty() || bodyRef_->kind() != CVXLMimeEntity::kMultipart)
        return false;
    body_ = static_cast<CVXLMultipartBody*>(bodyRef_.get());
    // A decoded PDU keeps the multipart type with its body; a message built
    // in memory may carry it among its own headers.
    const bool mixed = hasType(*body_, kMixedType)
        || sameText(message.messageHeaders().value(kContentType, 0, true), kMixedType);
    if (!mixed)
        return false;
    for (std::uint32_t i = 0; i < body_->partCount(); ++i) {
        const CVXLEntityRef part = body_->partAt(i);
        if (!part.isEmpty() && hasType(*part.get(), kRelatedType)) {
            takeContainer(i);
            relatedFound_ = true;
        }
    }
    if (!relatedFound_)
        return false;
    for (std::uint32_t i = 0; i < body_->partCount(); ++i) {
        const CVXLEntityRef part = body_->partAt(i);
        if (!part.isEmpty())
            part->addHeader(kMemoData, kTrue);
    }
    return true;
}

bool CVXLMimeBodySplitter::beginDrm()
{
    relatedFound_ = false;
    drmFound_ = false;
    if (!body_)
        return false;
    for (std::uint32_t i = 0; i < body_->partCount(); ++i) {
        const CVXLEntityRef part = body_->partAt(i);
        // A DRM part already split (or found empty) stays as it is, or the
        // passes would never end.
        if (!part.isEmpty() && hasType(*part.get(), kDrmType) && !part->mimeHeaders().contains(kDrmMark)) {
            takeContainer(i);
            drmFound_ = true;
        }
    }
    if (drmFound_)
        container_->addHeader(kDrmMark, kTrue);
    return drmFound_;
}

void CVXLMimeBodySplitter::takeContainer(std::uint32_t index)
{
    index_ = index;
    container_ = body_->partAt(index);
    boundary_ = boundaryOf(*container_.get());
    current_.reset();
    partsAdded_ = 0;
    parser_.begin(boundary_, container_->dataSize(), this);
}

void CVXLMimeBodySplitter::endContainer()
{
    if (body_ && !container_.isEmpty() && partsAdded_ != 0 && body_->partAt(index_).get() == container_.get())
        body_->removePart(index_);
    container_.reset();
    current_.reset();
    relatedFound_ = false;
    drmFound_ = false;
    partsAdded_ = 0;
}

bool CVXLMimeBodySplitter::partBegun(const CVXLHeaderMap& headers, std::uint32_t dataStart)
{
    if (!body_ || container_.isEmpty())
        return false;
    CVXLMimeEntity* part = new CVXLMimeEntity();
    if (!part)
        return false;
    current_ = CVXLEntityRef(part);
    part->setFileName(container_->fileName());
    part->setDataStart(container_->dataStart() + dataStart);
    if (drmFound_) {
        part->addHeader(kDrmContentId, container_->contentId());
        part->addHeader(kDrmContentType, container_->contentType());
        part->addHeader(kDrmContentLocation, container_->contentLocation());
    }
    for (std::uint32_t n = 0; n < headers.nameCount(); ++n) {
        const CVXLString name = headers.nameAt(static_cast<int>(n));
        for (std::uint32_t v = 0; v < headers.valueCount(name); ++v) {
            if (!part->addHeader(name, headers.value(name, static_cast<int>(v))))
                return false;
        }
    }
    decoding_ = drmFound_ && sameText(withoutBlanks(headers.value(kTransferEncoding, 0, true)), kBase64);
    collecting_ = !decoding_ && container_->fileName().length() == 0;
    decoder_.reset();
    decoded_.clear();
    // The parts of a DRM message take its place in order; those of a related
    // container go after the message's other parts.
    const bool added
        = drmFound_ ? body_->insertPart(index_ + 1 + partsAdded_, current_) : body_->appendPart(current_);
    if (!added)
        return false;
    ++partsAdded_;
    return true;
}

bool CVXLMimeBodySplitter::partData(const std::uint8_t* bytes, std::uint32_t length)
{
    if (decoding_)
        return decoder_.feed(bytes, length, decoded_);
    return !collecting_ || decoded_.append(bytes, length);
}

bool CVXLMimeBodySplitter::partEnded(std::uint32_t dataSize)
{
    if (current_.isEmpty())
        return false;
    if (decoding_) {
        if (!decoder_.finish(decoded_))
            return false;
        // The decoded bytes are the part's data now; the encoded text in the
        // file must not be read as them.
        current_->setBodyBuffer(decoded_);
        current_->setDataSize(decoded_.length());
        current_->setFileName(CVXLString());
        decoded_ = CVXLByteBuffer();
        decoding_ = false;
    } else if (collecting_) {
        // Without a file the offsets name no place the data could be read
        // from again.
        current_->setBodyBuffer(decoded_);
        current_->setDataSize(decoded_.length());
        decoded_ = CVXLByteBuffer();
        collecting_ = false;
    } else {
        current_->setDataSize(dataSize);
    }
    current_.reset();
    return true;
}
