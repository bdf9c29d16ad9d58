// libFuzzer target: the body splitter over a related container and the DRM
// messages found in it. Input: one byte of window size, one byte of boundary
// length, the boundary, then the container's bytes.
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mime/VXLMimeBodySplitter.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mime/VXLMultipartBody.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uint32_t kStart = 100;

void feed(CVXLMimeMultipartParser& parser, const std::uint8_t* bytes, std::uint32_t length, std::uint32_t cap)
{
    while (parser.status() == CVXLScanResult::NeedMore) {
        const std::uint32_t at = parser.readOffset();
        std::uint32_t n = parser.readSize() < cap ? parser.readSize() : cap;
        if (at > length)
            std::abort();
        if (n > length - at)
            n = length - at;
        parser.feed(bytes + at, n);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || size > 0x40000)
        return 0;
    const std::uint32_t cap = data[0] ? data[0] : 5120;
    const std::uint32_t boundaryLength = data[1];
    if (size < 2u + boundaryLength)
        return 0;
    CVXLString boundary;
    boundary.appendBytes(data + 2, boundaryLength);
    const std::uint8_t* container = data + 2 + boundaryLength;
    const std::uint32_t length = static_cast<std::uint32_t>(size - 2 - boundaryLength);

    CVXLMessage message;
    CVXLMultipartBody* body = new CVXLMultipartBody();
    message.setBody(CVXLEntityRef(body));
    body->setContentType("application/vnd.wap.multipart.mixed");
    CVXLMimeEntity* related = new CVXLMimeEntity();
    body->appendPart(CVXLEntityRef(related));
    related->setContentType("application/vnd.wap.multipart.related");
    related->addHeader("boundary", boundary);
    related->setFileName("fuzz");
    related->setDataStart(kStart);
    related->setDataSize(length);

    CVXLMimeBodySplitter splitter;
    bool found = splitter.beginRelated(message);
    for (int passes = 0; passes < 64; ++passes) {
        if (found) {
            const CVXLMimeEntity& at = *splitter.container().get();
            if (at.fileName().length() == 0) {
                feed(splitter.parser(), at.bodyBuffer().data(), at.bodyBuffer().length(), cap);
            } else {
                if (at.dataStart() < kStart
                    || at.dataStart() - kStart + std::uint64_t(at.dataSize()) > length)
                    std::abort();
                feed(splitter.parser(), container + (at.dataStart() - kStart), at.dataSize(), cap);
            }
            splitter.endContainer();
        }
        found = splitter.beginDrm();
        if (!found)
            break;
    }
    for (std::uint32_t i = 0; i < body->partCount(); ++i) {
        const CVXLEntityRef part = body->partAt(i);
        if (part->fileName().length() != 0
            && (part->dataStart() < kStart
                || part->dataStart() - kStart + std::uint64_t(part->dataSize()) > length))
            std::abort();
    }
    return 0;
}
