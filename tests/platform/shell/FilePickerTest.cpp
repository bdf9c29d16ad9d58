#include "platform/shell/FilePicker.h"
#include "platform/shell/ShellFolder.h"
#include "platform/ui/ListPicker.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace tessel;
using namespace tessel::shell;
using namespace std::string_literals;

namespace {

std::u16string pictureFilter()
{
    return u"Tessel Files\0*.jpg;*.png\0"s;
}

} // namespace

TEST(FilePicker, OffersExactlyTheMatchingFilesUnderTheFolderAndNothingThroughALinkOut)
{
    TempDeviceRoot root;
    for (const char* file : {"My Documents/My Pictures/a.jpg", "My Documents/My Pictures/B.JPG",
             "My Documents/My Pictures/c.png", "My Documents/My Pictures/d.gif",
             "My Documents/My Pictures/jpg", "My Documents/My Pictures/e.jpg.txt",
             "My Documents/My Pictures/Trip/f.Png", "My Documents/notes.jpg"})
        root.writeFile(file, "x");
    // Outside the device root: a file and a folder, reached through links.
    const std::string outside = root.path() + ".outside";
    std::filesystem::create_directories(outside + "/dir");
    {
        FILE* f = std::fopen((outside + "/secret.jpg").c_str(), "w");
        std::fclose(f);
        f = std::fopen((outside + "/dir/deep.jpg").c_str(), "w");
        std::fclose(f);
    }
    ::symlink((outside + "/secret.jpg").c_str(), root.hostPath("My Documents/My Pictures/link.jpg").c_str());
    ::symlink((outside + "/dir").c_str(), root.hostPath("My Documents/My Pictures/linkdir").c_str());
    ::symlink(root.hostPath("My Documents/My Pictures/a.jpg").c_str(),
        root.hostPath("My Documents/My Pictures/inside.jpg").c_str());

    EXPECT_EQ(pickerFiles(u"\\my documents\\my pictures", filterPatterns(pictureFilter(), 1)),
        (std::vector<std::u16string> {u"\\my documents\\my pictures\\B.JPG",
            u"\\my documents\\my pictures\\Trip\\f.Png", u"\\my documents\\my pictures\\a.jpg",
            u"\\my documents\\my pictures\\c.png", u"\\my documents\\my pictures\\inside.jpg"}));

    // Picking answers the phone path and the name; the rows are the paths below the folder.
    OpenFileNameEx ofn;
    ofn.filter = pictureFilter();
    ofn.initialDir = u"\\My Documents\\My Pictures";
    ofn.title = u"Select Image to Post";
    ui::scriptPickerAnswer(1);
    ASSERT_TRUE(getOpenFileNameEx(&ofn));
    EXPECT_EQ(ofn.file, u"\\My Documents\\My Pictures\\Trip\\f.Png");
    EXPECT_EQ(ofn.fileTitle, u"f.Png");

    ui::scriptPickerAnswer(-1);
    EXPECT_FALSE(getOpenFileNameEx(&ofn)) << "cancelled";
    EXPECT_TRUE(ofn.file.empty());
    // With no one to choose, the picker is cancelled under its title.
    EXPECT_FALSE(getOpenFileNameEx(&ofn));
    const std::vector<std::string> logged = testLines(root.readFile("log/picker.log"));
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(
        logged.front(), "not offered, it leads out of the device: \\my documents\\my pictures\\link.jpg");
    EXPECT_EQ(logged.back(), "Select Image to Post: cancelled, no one to choose");

    // With no folder given, the whole of My Documents.
    OpenFileNameEx whole;
    whole.filter = u"All\0*.*\0Pictures\0*.JPG\0"s;
    whole.filterIndex = 2;
    ui::scriptPickerAnswer(3);
    ASSERT_TRUE(getOpenFileNameEx(&whole));
    EXPECT_EQ(whole.file, u"\\My Documents\\notes.jpg");

    OpenFileNameEx wrongSize = ofn;
    wrongSize.size = 76;
    EXPECT_FALSE(getOpenFileNameEx(&wrongSize));
    std::filesystem::remove_all(outside);
}

// The composer's filter holds the patterns of a setting that is empty by
// default: with none, every file of the folder is offered.
TEST(FilePicker, AFilterWithoutPatternsOffersEveryFile)
{
    TempDeviceRoot root;
    for (const char* file : {"My Documents/My Pictures/sunset.png", "My Documents/My Pictures/sea.png",
             "My Documents/My Pictures/Trip/notes.txt", "My Documents/other.png"})
        root.writeFile(file, "x");
    for (const std::u16string& filter : {u"Tessel Files\0\0"s, u""s}) {
        OpenFileNameEx ofn;
        ofn.filter = filter;
        ofn.initialDir = u"\\My Documents\\My Pictures";
        ui::scriptPickerAnswer(2);
        ASSERT_TRUE(getOpenFileNameEx(&ofn));
        EXPECT_EQ(ofn.file, u"\\My Documents\\My Pictures\\sunset.png");
        EXPECT_EQ(pickerFiles(ofn.initialDir, filterPatterns(filter, 1)),
            (std::vector<std::u16string> {u"\\My Documents\\My Pictures\\Trip\\notes.txt",
                u"\\My Documents\\My Pictures\\sea.png", u"\\My Documents\\My Pictures\\sunset.png"}));
    }
}

TEST(FilePicker, PatternsAndFilterPairs)
{
    struct Case {
        const char16_t* name;
        const char16_t* pattern;
        bool matches;
    } cases[] = {
        {u"a.jpg", u"*.jpg", true},
        {u"A.JPG", u"*.jpg", true},
        {u"a.jpeg", u"*.jpg", false},
        {u"a.jpg.txt", u"*.jpg", false},
        {u"jpg", u"*.jpg", false},
        {u".jpg", u"*.jpg", true},
        {u"IMG_0001.jpg", u"IMG_????.*", true},
        {u"IMG_01.jpg", u"IMG_????.*", false},
        {u"x", u"*", true},
        {u"", u"*", true},
        {u"a*b", u"a*b", true},
        {u"ab", u"*a*b*", true},
        {u"aXbXc", u"*b*c", true},
        {u"\u00C9.jpg", u"\u00E9.jpg", false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(matchesPattern(cases[i].name, cases[i].pattern), cases[i].matches) << "case " << i;

    const std::u16string filter = u"Pictures\0*.jpg; *.png\0Videos\0*.3gp\0"s;
    EXPECT_EQ(filterPatterns(filter, 1), (std::vector<std::u16string> {u"*.jpg", u"*.png"}));
    EXPECT_EQ(filterPatterns(filter, 2), (std::vector<std::u16string> {u"*.3gp"}));
    EXPECT_EQ(filterPatterns(filter, 7), (std::vector<std::u16string> {u"*.jpg", u"*.png"}))
        << "past the end: the first";
    EXPECT_TRUE(filterPatterns(u"only a description"s, 1).empty());
}

TEST(ShellFolder, PicturesAndVideosAreFoldersOfMyDocumentsMadeOnRequest)
{
    TempDeviceRoot root;
    struct Case {
        int csidl;
        const char16_t* path;
        const char* host;
    } cases[] = {
        {kCsidlMyPictures, u"\\My Documents\\My Pictures", "My Documents/My Pictures"},
        {kCsidlMyVideo, u"\\My Documents\\My Videos", "My Documents/My Videos"},
    };
    for (const Case& c : cases) {
        std::u16string path;
        EXPECT_TRUE(shellFolderPath(c.csidl, &path, false));
        EXPECT_EQ(path, c.path);
        EXPECT_FALSE(root.exists(c.host)) << "made only when asked";
        EXPECT_TRUE(shellFolderPath(c.csidl, &path, true));
        EXPECT_TRUE(root.exists(c.host));
    }
    std::u16string path = u"junk";
    EXPECT_FALSE(shellFolderPath(5, &path, true));
    EXPECT_TRUE(path.empty());
}
