#include "platform/mapi/MessageFolderFiles.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/FolderLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>

namespace tessel::mapi {

namespace {

constexpr std::size_t kIdDigits = 32;
constexpr const char* kSuffix = ".msg";

std::vector<std::string> listNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> listIds(const std::string& folder)
{
    std::vector<std::string> ids;
    const std::size_t suffix = std::char_traits<char>::length(kSuffix);
    for (const std::string& name : listNames(folder)) {
        if (name.size() != kIdDigits + suffix || name.compare(kIdDigits, suffix, kSuffix) != 0)
            continue;
        std::string id = name.substr(0, kIdDigits);
        if (MessageFolderFiles::validId(id))
            ids.push_back(std::move(id));
    }
    return ids;
}

// 0 read, 1 missing, 2 unreadable or too large.
int readWhole(const std::string& path, std::string* contents)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 1 : 2;
    contents->clear();
    char buffer[65536];
    int result = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 || contents->size() + static_cast<std::size_t>(n) > kMaxMessageFileBytes) {
            result = 2;
            break;
        }
        contents->append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

// Under the exclusive lock no write is under way, so a temporary file is
// what a killed writer left behind.
void removeLeftovers(const std::string& folder)
{
    for (const std::string& name : listNames(folder))
        if (name.size() > 5 && name[0] == '.' && name.compare(name.size() - 4, 4, ".tmp") == 0) {
            ::unlink((folder + "/" + name).c_str());
            kernel::appendDeviceLog("mapi", "removed an unfinished write: " + folder + "/" + name);
        }
}

void logDamaged(const std::string& path, const std::string& why)
{
    kernel::appendDeviceLog("mapi", "skipped damaged message " + path + ": " + why);
}

} // namespace

MessageFolderFiles::MessageFolderFiles(std::string hostFolder)
    : folder_(std::move(hostFolder))
{
    kernel::makeHostFolders(folder_);
}

std::vector<std::string> MessageFolderFiles::ids() const
{
    kernel::FolderLock lock(folder_, false);
    return listIds(folder_);
}

bool MessageFolderFiles::contains(const std::string& id) const
{
    struct stat st { };
    return validId(id) && ::stat((folder_ + "/" + id + kSuffix).c_str(), &st) == 0;
}

std::vector<MessageFolderFiles::Entry> MessageFolderFiles::readAll() const
{
    std::vector<Entry> entries;
    kernel::FolderLock lock(folder_, false);
    if (!lock.held())
        return entries;
    std::string contents;
    std::string why;
    for (std::string& id : listIds(folder_)) {
        const std::string path = folder_ + "/" + id + kSuffix;
        Entry entry;
        const int got = readWhole(path, &contents);
        if (got == 1)
            continue;
        if (got == 2) {
            logDamaged(path, "unreadable");
            continue;
        }
        if (!parseMessageRecord(contents, &entry.record, &why)) {
            logDamaged(path, why);
            continue;
        }
        entry.id = std::move(id);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::uint32_t MessageFolderFiles::read(const std::string& id, MessageRecord* record) const
{
    if (!validId(id))
        return kMapiNotFound;
    kernel::FolderLock lock(folder_, false);
    const std::string path = folder_ + "/" + id + kSuffix;
    std::string contents;
    std::string why;
    const int got = readWhole(path, &contents);
    if (got == 1)
        return kMapiNotFound;
    if (got == 2 || !parseMessageRecord(contents, record, &why)) {
        logDamaged(path, got == 2 ? "unreadable" : why);
        return kMapiCorruptData;
    }
    return kMapiOk;
}

bool MessageFolderFiles::write(const std::string& id, const MessageRecord& record) const
{
    if (!validId(id))
        return false;
    kernel::FolderLock lock(folder_, true);
    if (!lock.held())
        return false;
    removeLeftovers(folder_);
    const std::string path = folder_ + "/" + id + kSuffix;
    const std::string temp = folder_ + "/." + id + "." + std::to_string(::getpid()) + ".tmp";
    if (!kernel::replaceFileWhole(path, temp, formatMessageRecord(record))) {
        kernel::appendDeviceLog("mapi", "could not store message " + path);
        return false;
    }
    return true;
}

std::size_t MessageFolderFiles::remove(const std::vector<std::string>& ids) const
{
    kernel::FolderLock lock(folder_, true);
    if (!lock.held())
        return 0;
    std::size_t removed = 0;
    for (const std::string& id : ids)
        if (validId(id) && ::unlink((folder_ + "/" + id + kSuffix).c_str()) == 0)
            ++removed;
    return removed;
}

std::string MessageFolderFiles::newId()
{
    static thread_local std::mt19937_64 generator {std::random_device {}()};
    constexpr const char* kHex = "0123456789abcdef";
    std::string id;
    for (std::size_t i = 0; i < kIdDigits; ++i)
        id += kHex[generator() & 0xF];
    return id;
}

bool MessageFolderFiles::validId(const std::string& id)
{
    return id.size() == kIdDigits && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

} // namespace tessel::mapi
