// libFuzzer target: the PDU decoder over arbitrary bytes, then the encoder
// over whatever it decoded.
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspPduEncoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0x100000)
        return 0;
    CVXLMmsPdu pdu;
    CVXLWspPduDecoder decoder;
    const std::uint32_t length = static_cast<std::uint32_t>(size);
    if (!decoder.decode(data, length, pdu, "fuzz", 0)) {
        if (decoder.errorPosition() > length)
            std::abort();
        return 0;
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
