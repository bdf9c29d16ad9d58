#include "engine/access/UploadQueueRecord.h"

#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string peer()
{
    return std::string(TESSEL_SOURCE_DIR) + "/tests/peers/upload_queue_file.py";
}

// Records written by the independent Python writer read back here, and
// records written here read back there, byte for byte.
TEST(UploadQueueRecord, AgreesWithTheIndependentReaderAndWriter)
{
    FileStoreFixture fixture;
    const std::string path = fixture.hostFile("written.uq");
    FileStoreFixture::runPython(
        peer() + " --write '" + path + "' 0x10003 abcd Album 0x20004 IMG_0001.jpg 'My album'");
    const std::string bytes = fixture.readHostFile("written.uq");
    ASSERT_EQ(bytes.size(), 25u + 16u + 12u + 8u);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());

    CUploadQueueRecord first;
    ASSERT_EQ(first.decode(data, bytes.size()), 25u);
    EXPECT_EQ(first.location, 0x10003u);
    EXPECT_STREQ(first.name.c_str(), "abcd");
    EXPECT_STREQ(first.album.c_str(), "Album");
    CUploadQueueRecord second;
    ASSERT_EQ(second.decode(data + 25, bytes.size() - 25), 36u);
    EXPECT_EQ(second.location, 0x20004u);
    EXPECT_STREQ(second.album.c_str(), "My album");

    std::string mine;
    first.encode(&mine);
    second.encode(&mine);
    EXPECT_EQ(mine, bytes);
    fixture.writeHostFile("mine.uq", mine);
    EXPECT_EQ(FileStoreFixture::runPython(peer() + " --dump '" + fixture.hostFile("mine.uq") + "'"),
        "0 65539 abcd Album\n25 131076 IMG_0001.jpg My album\n");
}

// Anything short of one whole valid record reads as nothing, and the
// record keeps what it held.
TEST(UploadQueueRecord, RefusesWhatIsNotOneWholeRecord)
{
    CUploadQueueRecord good;
    good.location = 0x10003;
    good.name = "abcd";
    good.album = "Album";
    std::string bytes;
    good.encode(&bytes);
    ASSERT_EQ(bytes.size(), 25u);
    struct Case {
        const char* name;
        std::string data;
        std::size_t size;
    } cases[] = {
        {"whole", bytes, 25},
        {"followed by more", bytes + "\xce\xfa", 25},
        {"torn in the album", bytes.substr(0, 24), 0},
        {"torn in the name", bytes.substr(0, 12), 0},
        {"empty", "", 0},
        {"marker bytes swapped", "\xfa\xce" + bytes.substr(2), 0},
        {"name length 0", bytes.substr(0, 6) + std::string(4, '\0') + bytes.substr(10), 0},
        {"name length one short", bytes.substr(0, 6) + std::string("\x04\x00\x00\x00", 4) + bytes.substr(10),
            0},
        {"album length huge", bytes.substr(0, 15) + "\xff\xff\xff\xff" + bytes.substr(19), 0},
        {"no NUL after the album", bytes.substr(0, 24) + "x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUploadQueueRecord record;
        record.name = "kept";
        EXPECT_EQ(record.decode(reinterpret_cast<const std::uint8_t*>(c.data.data()), c.data.size()), c.size);
        EXPECT_STREQ(record.name.c_str(), c.size ? "abcd" : "kept");
    }
}

} // namespace
