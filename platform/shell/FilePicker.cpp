#include "platform/shell/FilePicker.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/ListPicker.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tessel::shell {

namespace fs = std::filesystem;

namespace {

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::u16string widen(const std::string& utf8)
{
    const std::string bytes = kernel::utf8ToUtf16Bytes(utf8);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(
            static_cast<std::uint8_t>(bytes[i]) | static_cast<std::uint8_t>(bytes[i + 1]) << 8));
    return text;
}

std::u16string normalisedFolder(const std::u16string& folder)
{
    std::u16string path = folder.empty() ? kDefaultPickerFolder : folder;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    while (!path.empty() && path.back() == u'\\')
        path.pop_back();
    if (path.empty() || path.front() != u'\\')
        path.insert(path.begin(), u'\\');
    return path;
}

bool insideRoot(const fs::path& path, const fs::path& root)
{
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    if (error)
        return false;
    auto r = root.begin();
    auto p = real.begin();
    for (; r != root.end(); ++r, ++p) {
        if (p == real.end() || *p != *r)
            return false;
    }
    return true;
}

} // namespace

std::vector<std::u16string> filterPatterns(const std::u16string& filter, std::uint32_t index)
{
    std::vector<std::u16string> parts;
    std::size_t at = 0;
    while (at < filter.size()) {
        const std::size_t end = filter.find(u'\0', at);
        parts.push_back(filter.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at));
        if (end == std::u16string::npos)
            break;
        at = end + 1;
        if (at < filter.size() && filter[at] == u'\0')
            break;
    }
    const std::size_t pairs = parts.size() / 2;
    if (pairs == 0)
        return {};
    const std::size_t pair = (index == 0 || index > pairs) ? 0 : index - 1;
    std::vector<std::u16string> patterns;
    const std::u16string& text = parts[pair * 2 + 1];
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find(u';', from);
        if (end == std::u16string::npos)
            end = text.size();
        std::u16string pattern = text.substr(from, end - from);
        pattern.erase(0, pattern.find_first_not_of(u' '));
        pattern.erase(pattern.find_last_not_of(u' ') + 1);
        if (!pattern.empty())
            patterns.push_back(pattern);
        from = end + 1;
    }
    return patterns;
}

bool matchesPattern(const std::u16string& name, const std::u16string& pattern)
{
    // Iterative match with one backtrack point per "*".
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::u16string::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

std::vector<std::u16string> pickerFiles(
    const std::u16string& folder, const std::vector<std::u16string>& patterns)
{
    const std::u16string phoneFolder = normalisedFolder(folder);
    std::string hostFolder;
    std::vector<std::u16string> files;
    std::error_code error;
    if (!kernel::mapPhonePath(kernel::wideToUtf8(phoneFolder), &hostFolder)
        || !fs::is_directory(hostFolder, error))
        return files;
    const fs::path root = fs::canonical(kernel::deviceRoot(), error);
    if (error || !insideRoot(hostFolder, root))
        return files;

    fs::recursive_directory_iterator it(hostFolder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::directory_entry& entry = *it;
        std::error_code status;
        if (!entry.is_regular_file(status))
            continue;
        const std::u16string name = widen(entry.path().filename().string());
        if (!patterns.empty() && std::none_of(patterns.begin(), patterns.end(), [&](const std::u16string& p) {
                return matchesPattern(name, p);
            }))
            continue;
        // By the names as listed: a link inside the root keeps its own name.
        std::u16string phonePath = phoneFolder;
        for (const fs::path& part : entry.path().lexically_relative(hostFolder))
            phonePath += u'\\' + widen(part.string());
        if (!insideRoot(entry.path(), root)) {
            kernel::appendDeviceLog(
                "picker", "not offered, it leads out of the device: " + kernel::wideToUtf8(phonePath));
            continue;
        }
        files.push_back(phonePath);
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool getOpenFileNameEx(OpenFileNameEx* ofn)
{
    if (!ofn || ofn->size != kOpenFileNameExSize)
        return false;
    ofn->file.clear();
    ofn->fileTitle.clear();
    const std::u16string folder = normalisedFolder(ofn->initialDir);
    // The picker shows no difference for its flags: they are recorded.
    char flags[48];
    std::snprintf(flags, sizeof flags, ": flags 0x%X, extended 0x%X", ofn->flags, ofn->exFlags);
    kernel::appendDeviceLog("openfile", kernel::wideToUtf8(folder) + flags);
    const std::vector<std::u16string> files
        = pickerFiles(folder, filterPatterns(ofn->filter, ofn->filterIndex));
    std::vector<std::u16string> rows;
    for (const std::u16string& file : files)
        rows.push_back(file.substr(folder.size() + 1));
    const std::u16string title = ofn->title.empty() ? kDefaultPickerTitle : ofn->title;
    const int row = ui::pickFromList(ui::windowFromHandle(ofn->owner), title, rows);
    if (row < 0 || row >= static_cast<int>(files.size()))
        return false;
    const std::u16string& path = files[static_cast<std::size_t>(row)];
    const std::u16string name = path.substr(path.rfind(u'\\') + 1);
    if (path.size() + 1 > static_cast<std::size_t>(std::max(ofn->fileCapacity, 0))
        || name.size() + 1 > static_cast<std::size_t>(std::max(ofn->fileTitleCapacity, 0))) {
        kernel::appendDeviceLog("picker", "the chosen path does not fit: " + kernel::wideToUtf8(path));
        return false;
    }
    ofn->file = path;
    ofn->fileTitle = name;
    return true;
}

} // namespace tessel::shell
