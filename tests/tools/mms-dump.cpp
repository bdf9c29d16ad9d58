// mms-dump: decodes a binary MMS PDU with the engine's decoder and prints
// its header fields (one per line, named as in the MMS field table, with
// their parameters) and its body parts (type, name, Content-ID,
// Content-Location and size).
//
// Usage: mms-dump FILE [OFFSET]
// Exit status: 0 decoded, 1 the PDU could not be decoded, 2 usage or I/O.

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLWspPduDecoder.h"
#include "engine/transport/mms/VXLWspTables.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const char* fieldName(std::int32_t code)
{
    for (const VXLMmsFieldRow* row = kVxlMmsFieldTable; row->code != kVxlTableEnd; ++row) {
        if (row->code == code)
            return row->name;
    }
    return "?";
}

void printParameters(const CVXLMmsPdu& pdu, const CVXLString& key, int n)
{
    const std::uint32_t count = pdu.parameterCount(key, n);
    for (std::uint32_t k = 0; k < count; ++k) {
        const CVXLString name = pdu.parameterName(key, n, static_cast<int>(k));
        const CVXLString* value = pdu.parameter(key, name, n);
        std::printf(" [%s=%s]",
            name == kMmsParamToken         ? "token"
                : name == kMmsParamCharset ? "charset"
                                           : name.c_str(),
            value ? value->c_str() : "");
    }
}

void printEntityHeaders(const CVXLMimeEntity& entity, const char* indent)
{
    const CVXLHeaderMap& headers = entity.mimeHeaders();
    for (std::uint32_t i = 0; i < headers.nameCount(); ++i) {
        const CVXLString name = headers.nameAt(static_cast<int>(i));
        if (name == "Content-Type" || name == "Content-ID" || name == "Content-Location")
            continue;
        for (std::uint32_t v = 0; v < headers.valueCount(name); ++v)
            std::printf("%s%s: %s\n", indent, name.c_str(), headers.value(name, static_cast<int>(v)).c_str());
    }
}

void printPart(std::uint32_t index, const CVXLMimeEntity& part)
{
    const CVXLString& name = part.header("name").length() ? part.header("name") : part.header("Name");
    std::printf("part %u: type=%s name=%s content-id=%s content-location=%s size=%u offset=%u\n", index,
        part.contentType().c_str(), name.c_str(), part.contentId().c_str(), part.contentLocation().c_str(),
        part.dataSize(), part.dataStart());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mms-dump FILE [OFFSET]\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::fprintf(stderr, "mms-dump: cannot open %s\n", argv[1]);
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    const unsigned long offset = argc == 3 ? std::strtoul(argv[2], nullptr, 0) : 0;
    if (offset > bytes.size() || bytes.size() - offset > 0xFFFFFFFFu) {
        std::fprintf(
            stderr, "mms-dump: offset %lu lies beyond the %zu bytes of %s\n", offset, bytes.size(), argv[1]);
        return 2;
    }

    CVXLMmsPdu pdu;
    CVXLWspPduDecoder decoder;
    const std::uint32_t length = static_cast<std::uint32_t>(bytes.size() - offset);
    if (!decoder.decode(bytes.data() + offset, length, pdu, argv[1], static_cast<std::uint32_t>(offset))) {
        std::fprintf(stderr, "mms-dump: %s: not a decodable MMS PDU: %s at byte %u\n", argv[1],
            decoder.errorText(), decoder.errorPosition() + static_cast<std::uint32_t>(offset));
        return 1;
    }

    for (std::uint32_t i = 0; i < pdu.headerCount(); ++i) {
        const CVXLString key = pdu.headerName(static_cast<int>(i));
        for (std::uint32_t v = 0; v < pdu.valueCount(key); ++v) {
            std::printf("%s: %s", fieldName(key.toInt()), pdu.headerValue(key, static_cast<int>(v)).c_str());
            printParameters(pdu, key, static_cast<int>(v));
            std::printf("\n");
        }
    }
    const CVXLMimeEntity* body = pdu.body().get();
    if (!body) {
        std::printf("body: none\n");
        return 0;
    }
    if (body->kind() != CVXLMimeEntity::kMultipart) {
        std::printf("body: single\n");
        printPart(1, *body);
        printEntityHeaders(*body, "  ");
        return 0;
    }
    const auto& multipart = static_cast<const CVXLMultipartBody&>(*body);
    std::printf("body: %s, %u parts\n", body->contentType().c_str(), multipart.partCount());
    printEntityHeaders(*body, "  ");
    for (std::uint32_t i = 0; i < multipart.partCount(); ++i) {
        const CVXLEntityRef part = multipart.partAt(i);
        printPart(i + 1, *part.get());
        printEntityHeaders(*part.get(), "  ");
    }
    return 0;
}
