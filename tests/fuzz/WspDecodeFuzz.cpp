// libFuzzer target: the PDU decoder over arbitrary bytes, then the encoder
// over whatever it decoded; the same bytes decoded window by window (small
// windows, as the decode job reads a file) give the same outcome and parts.
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const CVXLMultipartBody* partsOf(const CVXLMmsPdu& pdu)
{
    const CVXLMimeEntity* body = pdu.body().get();
    return body && body->kind() == CVXLMimeEntity::kMultipart ? static_cast<const CVXLMultipartBody*>(body)
                                                              : nullptr;
}

// Window by window from a copy of each window, so that nothing reads past it.
bool decodeInWindows(const std::uint8_t* data, std::uint32_t length, std::uint32_t window, CVXLMmsPdu& pdu)
{
    using Result = CVXLWspPduDecoder::WindowResult;
    CVXLWspPduDecoder decoder;
    decoder.beginWindows(pdu, length, "fuzz", 0);
    std::uint32_t room = window;
    for (std::uint32_t start = 0;;) {
        const std::uint32_t n = length - start < room ? length - start : room;
        auto* copy = static_cast<std::uint8_t*>(std::malloc(n ? n : 1));
        std::memcpy(copy, data + start, n);
        const Result result = decoder.decodeWindow(copy, n);
        std::free(copy);
        if (result != Result::kNeedWindow)
            return result == Result::kDone;
        const std::uint32_t next = decoder.resumePosition();
        if (next < start || next > length || (next == start && n == length - start))
            std::abort();
        room = next == start ? 2 * room : window;
        start = next;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 0x100000)
        return 0;
    // The first byte picks the window size.
    const std::uint32_t window = 8 + data[0] % 64;
    ++data;
    --size;
    CVXLMmsPdu pdu;
    CVXLWspPduDecoder decoder;
    const std::uint32_t length = static_cast<std::uint32_t>(size);
    const bool decoded = decoder.decode(data, length, pdu, "fuzz", 0);
    CVXLMmsPdu windowed;
    if (decodeInWindows(data, length, window, windowed) != decoded)
        std::abort();
    if (!decoded) {
        if (decoder.errorPosition() > length)
            std::abort();
        return 0;
    }
    const CVXLMultipartBody* whole = partsOf(pdu);
    const CVXLMultipartBody* windows = partsOf(windowed);
    if (!whole != !windows || (whole && whole->partCount() != windows->partCount()))
        std::abort();
    for (std::uint32_t i = 0; whole && i < whole->partCount(); ++i) {
        const CVXLMimeEntity& a = *whole->partAt(i).get();
        const CVXLMimeEntity& b = *windows->partAt(i).get();
        if (a.dataStart() != b.dataStart() || a.dataSize() != b.dataSize()
            || a.contentType() != b.contentType())
            std::abort();
        if (b.bodyLength()
            && (b.bodyLength() != a.bodyLength()
                || std::memcmp(a.bodyData(), b.bodyData(), a.bodyLength()) != 0))
            std::abort();
    }
    if (const CVXLMimeEntity* body = pdu.body().get(); body && body->kind() == CVXLMimeEntity::kMultipart) {
        const auto& multipart = static_cast<const CVXLMultipartBody&>(*body);
        for (std::uint32_t i = 0; i < multipart.partCount(); ++i) {
            const CVXLEntityRef part = multipart.partAt(i);
            if (std::uint64_t(part->dataStart()) + part->dataSize() > length)
                std::abort();
        }
    }
    CVXLByteBuffer out;
    CVXLWspPduEncoder::encode(pdu, out);
    return 0;
}
