// Reads fuzzed bytes as records of the background upload queue, record by
// record as the manager walks its cursor. A record that reads is whole
// inside the bytes and writes back to exactly them; one that does not
// leaves the record as it was and stops the walk.
#include "engine/access/UploadQueueRecord.h"
#include "tests/fuzz/FuzzBytes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    while (at < size) {
        CUploadQueueRecord record;
        record.location = 7;
        record.name = "untouched";
        const std::size_t length = record.decode(data + at, size - at);
        if (length == 0) {
            FUZZ_CHECK(record.location == 7);
            FUZZ_CHECK(record.name == "untouched");
            FUZZ_CHECK(record.album.length() == 0);
            return 0;
        }
        FUZZ_CHECK(length <= size - at);
        FUZZ_CHECK(length == record.encodedSize());
        std::string again;
        record.encode(&again);
        FUZZ_CHECK(again.size() == length && std::memcmp(again.data(), data + at, length) == 0);
        at += length;
    }
    return 0;
}
