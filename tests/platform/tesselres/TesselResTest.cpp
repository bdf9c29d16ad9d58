#include "platform/tesselres/TesselRes.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string widen(const char* text)
{
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::string narrow(const char16_t* text)
{
    std::string out;
    for (; *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

TEST(TesselRes, StorageCardFolderFollowsTheDevice)
{
    TempDeviceRoot root;
    char16_t folder[260] = u"junk";
    EXPECT_NE(WinTS_GetStorageCard(folder, 260), 0);
    EXPECT_EQ(narrow(folder), "\\Storage Card");
    EXPECT_TRUE(root.exists("Storage Card")) << "the card's folder exists once reported";

    char16_t tiny[5] = u"junk";
    EXPECT_EQ(WinTS_GetStorageCard(tiny, 5), 0);
    EXPECT_EQ(tiny[0], u'\0');

    root.writeDeviceConf("card.present = 0\n");
    EXPECT_EQ(WinTS_GetStorageCard(folder, 260), 0);
    EXPECT_EQ(folder[0], u'\0');
}

TEST(TesselRes, MimeTypeByExtensionIgnoringCase)
{
    struct Case {
        const char* name;
        const char* type; // null: unknown
    } cases[] = {
        {"IMG_0001.JPG", "image/jpeg"},
        {"\\Storage Card\\My Pictures\\photo.jpeg", "image/jpeg"},
        {"\\My Documents\\clip.3gp", "video/3gpp"},
        {"clip.3G2", "video/3gpp2"},
        {"movie.mp4", "video/mp4"},
        {"memo.amr", "audio/AMR"},
        {"memo.wav", "audio/x-wav"},
        {"anim.gif", "image/gif"},
        {"note.txt", "text/plain"},
        {"archive.tar.PNG", "image/png"},
        {"noextension", nullptr},
        {"trailingdot.", nullptr},
        {"folder.jpg\\file", nullptr},
        {"strange.zzqq", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char16_t type[128] = u"junk";
        int known = WinTS_getMimeType(widen(c.name).c_str(), type, 128);
        EXPECT_EQ(known != 0, c.type != nullptr);
        EXPECT_EQ(narrow(type), c.type ? c.type : "");
    }
    char16_t tooSmall[6];
    EXPECT_EQ(WinTS_getMimeType(u"a.jpg", tooSmall, 6), 0);
    EXPECT_EQ(tooSmall[0], u'\0');
    EXPECT_EQ(WinTS_getMimeType(u"\u00e9t\u00e9.jp\u00e9", tooSmall, 6), 0);
    EXPECT_EQ(WinTS_getMimeType(nullptr, tooSmall, 6), 0);
}

} // namespace
