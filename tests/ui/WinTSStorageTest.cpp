#include "ui/WinTSStorage.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

bool isFolder(const std::string& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(WinTSStorage, StorePathsFollowThePathSectionAndTheCard)
{
    struct Case {
        const char* conf;
        const char16_t* value; // null: no value
        const char16_t* path;
        const char* folder; // made in the root
    };
    const Case cases[] = {
        {"card.present = 1\n", u"!\\Temp\\Tessel", u"\\Temp\\Tessel", "Temp/Tessel"},
        {"card.present = 0\n", u"!\\Temp\\Tessel", u"\\Temp\\Tessel", "Temp/Tessel"},
        {"card.present = 1\n", u"\\Tessel\\Tmp", u"\\Storage Card\\Tessel\\Tmp", "Storage Card/Tessel/Tmp"},
        {"card.present = 0\n", u"\\Tessel\\Tmp", u"\\Tessel\\Tmp", "Tessel/Tmp"},
        {"card.present = 1\n", nullptr, u"\\Storage Card", "Storage Card"},
        {"card.present = 0\n", nullptr, u"", ""},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        root.writeDeviceConf(c.conf);
        if (c.value)
            registryWrite(u"Path", u"TempStore", c.value);
        EXPECT_EQ(GetStoragePath(u"TempStore"), c.path) << c.conf << c.folder;
        EXPECT_TRUE(isFolder(root.hostPath(c.folder))) << c.folder;
    }
}

TEST(WinTSStorage, TemporaryAndSupportNamesGoOnFromTheStoredNumbers)
{
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 0\n");
    registryWrite(u"Path", u"TempStore", u"!\\Temp");
    registryWrite(u"Path", u"SupportStore", u"!\\Support");
    EXPECT_EQ(NextTempFileName(), u"\\Temp\\WTS1.tmp") << "after a fresh install";
    EXPECT_EQ(NextTempFileName(), u"\\Temp\\WTS2.tmp");
    EXPECT_EQ(NextSupportFileName(), u"\\Support\\WTS1");
    // A later run reads the numbers where the last one left them.
    std::uint32_t stored = 0;
    registryReadDword(u"UIConfig", u"nextTempName", &stored, 0);
    EXPECT_EQ(stored, 2u);
    registryWriteDword(u"UIConfig", u"nextTempName", 0x7FFFFFFF);
    EXPECT_EQ(NextTempFileName(), u"\\Temp\\WTS2147483648.tmp") << "the numbers grow on, unsigned";
    EXPECT_EQ(NextSupportFileName(), u"\\Support\\WTS2");
}

TEST(WinTSStorage, DeleteTempFilesDeletesOnlyTheProgramsOwnNames)
{
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 1\n");
    // No TempStore value: the temporary folder is the card's root, where the
    // user keeps files of their own.
    const std::u16string first = NextTempFileName();
    EXPECT_EQ(first, u"\\Storage Card\\WTS1.tmp");
    const char* ours[] = {"Storage Card/WTS1.tmp", "Storage Card/wts17.TMP", "Storage Card/WTS3.wav"};
    const char* theirs[] = {"Storage Card/holiday.jpg", "Storage Card/WTS.tmp", "Storage Card/WTS1.tmp.bak",
        "Storage Card/WTSx.tmp", "Storage Card/notes/WTS2.tmp", "Storage Card/WTS4"};
    for (const char* file : ours)
        root.writeFile(file, "ours");
    for (const char* file : theirs)
        root.writeFile(file, "theirs");
    DeleteTempFiles();
    for (const char* file : ours)
        EXPECT_FALSE(root.exists(file)) << file;
    for (const char* file : theirs)
        EXPECT_TRUE(root.exists(file)) << file;
}

} // namespace
