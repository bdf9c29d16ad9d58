#pragma once

#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <string>
#include <vector>

// The shell's extended file-open picker: a modal list, titled as asked, of
// the files under the initial folder (and its subfolders) whose names match
// the chosen filter's patterns ("*.jpg;*.png", ASCII case ignored; a filter
// without patterns, or none, offers every file). It
// answers the chosen file's phone path, and records the folder and the
// flags it was opened with in log/openfile.log. A file reached through a link that
// leads out of the device root is never offered; linked folders are not
// entered.
namespace tessel::shell {

inline constexpr std::uint32_t kOpenFileNameExSize = 84;
inline constexpr int kMaxPathChars = 260;
inline constexpr const char16_t* kDefaultPickerFolder = u"\\My Documents";
inline constexpr const char16_t* kDefaultPickerTitle = u"Open";

struct OpenFileNameEx {
    std::uint32_t size = kOpenFileNameExSize;
    ui::WindowHandle owner = 0;
    // Pairs of description and patterns, each ended by a NUL: u"Pictures\0*.jpg;*.png\0"s.
    std::u16string filter;
    std::uint32_t filterIndex = 1; // 1: the first pair
    std::u16string file; // out: the chosen file's phone path
    int fileCapacity = kMaxPathChars;
    std::u16string fileTitle; // out: its name
    int fileTitleCapacity = kMaxPathChars;
    std::u16string initialDir; // empty: kDefaultPickerFolder
    std::u16string title; // empty: kDefaultPickerTitle
    std::uint32_t flags = 0;
    std::uint32_t exFlags = 0;
};

// The patterns of pair `index` (1-based; 0 and past the end take the
// first), split at ";".
std::vector<std::u16string> filterPatterns(const std::u16string& filter, std::uint32_t index);

// "*" any run, "?" one character, ASCII case ignored.
bool matchesPattern(const std::u16string& name, const std::u16string& pattern);

// The phone paths the picker offers, in order (every file when there are
// no patterns).
std::vector<std::u16string> pickerFiles(
    const std::u16string& folder, const std::vector<std::u16string>& patterns);

// True with file and fileTitle set when the user picks a file; false when
// cancelled, with a wrong record size, or when the path would not fit.
bool getOpenFileNameEx(OpenFileNameEx* ofn);

} // namespace tessel::shell
