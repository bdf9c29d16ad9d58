#include "engine/core/platform/VXLPlatformFileStream.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/DeviceRoot.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <string_view>

namespace {

std::atomic<std::uint32_t> gTemporaryCount {0};
constexpr const char* kTemporaryMark = ".tmp-";
// Folders below a store are a few levels deep; the sweep goes no deeper.
constexpr int kMaxSweepDepth = 8;
constexpr std::size_t kCopyChunkBytes = 64 * 1024;

std::string parentOf(const std::string& hostPath)
{
    std::size_t slash = hostPath.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : hostPath.substr(0, slash);
}

void syncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A name that listings skip (it starts with ".") and no other writer uses.
std::string temporaryFor(const std::string& hostPath)
{
    std::size_t slash = hostPath.rfind('/');
    return hostPath.substr(0, slash + 1) + "." + hostPath.substr(slash + 1) + ".tmp-"
        + std::to_string(::getpid()) + "-" + std::to_string(gTemporaryCount.fetch_add(1));
}

bool allDigits(std::string_view text)
{
    if (text.empty() || text.size() > 10)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The pid of a name temporaryFor made, or 0 for any other name.
pid_t temporaryOwner(std::string_view name)
{
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (name.size() < 2 || name[0] != '.' || mark == std::string_view::npos || mark < 2)
        return 0;
    const std::string_view tail = name.substr(mark + std::char_traits<char>::length(kTemporaryMark));
    const std::size_t dash = tail.find('-');
    if (dash == std::string_view::npos || !allDigits(tail.substr(0, dash))
        || !allDigits(tail.substr(dash + 1)))
        return 0;
    const unsigned long pid = std::stoul(std::string(tail.substr(0, dash)));
    return pid > 0 && pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;
}

bool processAlive(pid_t pid)
{
    return pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH;
}

std::uint32_t sweepHostFolder(const std::string& folder, int depth)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    std::uint32_t removed = 0;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth < kMaxSweepDepth)
                removed += sweepHostFolder(path, depth + 1);
            continue;
        }
        const pid_t owner = temporaryOwner(name);
        if (S_ISREG(st.st_mode) && owner != 0 && !processAlive(owner) && ::unlink(path.c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

bool writeAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies from into a temporary beside to, then renames it over to.
bool copyReplacing(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const std::string temporary = temporaryFor(to);
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = out >= 0;
    std::string chunk(kCopyChunkBytes, '\0');
    while (ok) {
        const ssize_t n = ::read(in, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = writeAll(out, chunk.data(), static_cast<std::size_t>(n));
    }
    ::close(in);
    if (out >= 0) {
        ok = ::fsync(out) == 0 && ok;
        ok = ::close(out) == 0 && ok;
    }
    if (ok && ::rename(temporary.c_str(), to.c_str()) == 0) {
        syncFolder(parentOf(to));
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

} // namespace

bool platformKeepCopy(const CVXLString& folder, const char* name, const char* copyName)
{
    CVXLString from;
    CVXLString to;
    std::string hostFrom;
    std::string hostTo;
    return platformJoinName(folder, name, PlatformNameRule::InFolder, &from)
        && platformJoinName(folder, copyName, PlatformNameRule::InFolder, &to)
        && tessel::kernel::mapPhonePath(from.c_str(), &hostFrom)
        && tessel::kernel::mapPhonePath(to.c_str(), &hostTo) && copyReplacing(hostFrom, hostTo);
}

std::uint32_t platformSweepTemporaries(const CVXLString& folder)
{
    std::string host;
    return tessel::kernel::mapPhonePath(folder.c_str(), &host) ? sweepHostFolder(host, 0) : 0;
}

CVXLPlatformFileStream::CVXLPlatformFileStream(const CVXLString& folder, PlatformNameRule rule)
    : folder_(folder)
    , rule_(rule)
{
}

CVXLPlatformFileStream::~CVXLPlatformFileStream()
{
    // A replace never closed is abandoned: the old file stays.
    discardTemporary();
    if (fd_ >= 0)
        ::close(fd_);
}

void CVXLPlatformFileStream::discardTemporary()
{
    if (temporaryPath_.length() > 0)
        ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

void CVXLPlatformFileStream::open(const char* name, std::uint32_t mode, CVXLCallback* sink)
{
    if (fd_ >= 0)
        return vxlReport(sink, kPlatformAlreadyOpen);
    CVXLString phonePath;
    std::string host;
    const bool named = hostPathOf_ ? hostPathOf_(name, &host)
                                   : platformJoinName(folder_, name, rule_, &phonePath)
            && tessel::kernel::mapPhonePath(phonePath.c_str(), &host);
    if (mode > kStreamReplace || !named)
        return vxlReport(sink, kPlatformOpenFailed);
    if (mode != kStreamRead && !tessel::kernel::makeHostFolders(parentOf(host)))
        return vxlReport(sink, kPlatformOpenFailed);

    int flags = O_CLOEXEC;
    std::string target = host;
    switch (mode) {
    case kStreamRead:
        flags |= O_RDONLY;
        break;
    case kStreamWrite:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case kStreamAppend:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        break;
    default:
        flags |= O_WRONLY | O_CREAT | O_EXCL;
        target = temporaryFor(host);
        break;
    }
    int fd;
    do {
        fd = ::open(target.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0)
        return vxlReport(sink, kPlatformOpenFailed);
    fd_ = fd;
    mode_ = mode;
    writeFailed_ = false;
    hostPath_ = host.c_str();
    if (mode == kStreamReplace)
        temporaryPath_ = target.c_str();
    vxlReport(sink, kPlatformOk);
}

void CVXLPlatformFileStream::close(CVXLCallback* sink)
{
    if (fd_ >= 0 && mode_ == kStreamReplace) {
        bool ok = !writeFailed_ && ::fsync(fd_) == 0;
        ok = ::close(fd_) == 0 && ok;
        fd_ = -1;
        if (ok && ::rename(temporaryPath_.c_str(), hostPath_.c_str()) == 0) {
            temporaryPath_.clear();
            syncFolder(parentOf(hostPath_.c_str()));
            return vxlReport(sink, kPlatformOk);
        }
        discardTemporary();
        return vxlReport(sink, kPlatformCloseFailed);
    }
    if (fd_ < 0)
        return vxlReport(sink, kPlatformNotOpen);
    int result = ::close(fd_);
    fd_ = -1;
    vxlReport(sink, result == 0 ? kPlatformOk : kPlatformCloseFailed);
}

void CVXLPlatformFileStream::read(CVXLDataSink* sink, std::uint32_t size)
{
    if (!sink)
        return;
    if (fd_ < 0)
        return sink->complete(kPlatformNotOpen);
    if (size == 0)
        return sink->complete(kPlatformOk);
    auto* buffer = static_cast<std::uint8_t*>(vxlAlloc(size));
    if (!buffer)
        return sink->complete(kPlatformNoBuffer);
    std::uint32_t got = 0;
    bool failed = false;
    while (got < size) {
        ssize_t n = ::read(fd_, buffer + got, size - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            failed = n < 0;
            break;
        }
    }
    if (got > 0)
        sink->dataArrived(buffer, got);
    vxlFree(buffer);
    if (failed)
        sink->complete(kPlatformReadFailed);
    else
        sink->complete(got > 0 ? kPlatformOk : kPlatformEndOfData);
}

void CVXLPlatformFileStream::write(CVXLSinkInterface* source)
{
    if (!source)
        return;
    if (fd_ < 0)
        return source->consume(0, kPlatformNotOpen);
    const std::uint32_t length = source->getLength();
    const std::uint8_t* data = source->getData();
    if (length > 0 && !data)
        return source->consume(0, kPlatformWriteFailed);
    std::uint32_t written = 0;
    while (written < length) {
        ssize_t n = ::write(fd_, data + written, length - written);
        if (n > 0)
            written += static_cast<std::uint32_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    if (written < length) {
        writeFailed_ = true;
        return source->consume(written, kPlatformWriteFailed);
    }
    source->consume(written, kPlatformOk);
}

void CVXLPlatformFileStream::flush(CVXLCallback* sink)
{
    // A replace is synced by its close; a read has nothing to sync.
    if (fd_ < 0 || mode_ == kStreamRead || mode_ == kStreamReplace)
        return vxlReport(sink, kPlatformOk);
    int result;
    do {
        result = ::fdatasync(fd_);
    } while (result != 0 && errno == EINTR);
    vxlReport(sink, result == 0 && !writeFailed_ ? kPlatformOk : kPlatformWriteFailed);
}

void CVXLPlatformFileStream::seek(std::int32_t offset, bool fromCurrent, CVXLCallback* sink)
{
    if (fd_ < 0)
        return vxlReport(sink, kPlatformNotOpen);
    off_t position = ::lseek(fd_, offset, fromCurrent ? SEEK_CUR : SEEK_SET);
    vxlReport(sink, position < 0 ? kPlatformSeekFailed : kPlatformOk);
}

void CVXLPlatformFileStream::deleteFile(const char* name, CVXLCallback* sink)
{
    vxlReport(sink, platformDeleteName(folder_, name, rule_));
}
