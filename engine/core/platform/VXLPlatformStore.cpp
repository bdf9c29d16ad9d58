#include "engine/core/platform/VXLPlatformStore.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/DeviceRoot.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// The folder's entries whose names do not start with "."; false when the
// folder cannot be listed.
bool listFolder(const CVXLString& folder, std::vector<std::string>* names)
{
    std::string host;
    if (!tessel::kernel::mapPhonePath(folder.c_str(), &host))
        return false;
    DIR* dir = ::opendir(host.c_str());
    if (!dir)
        return false;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names->emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return true;
}

// Cuts a name to the bytes a report may carry, never inside a character.
std::string reportable(std::string name)
{
    if (name.size() <= kMaxReportedNameBytes)
        return name;
    std::size_t cut = kMaxReportedNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    name.resize(cut);
    return name;
}

} // namespace

// The folder's entries and the sizes of its files, listed once and then kept
// up to date from the changes the system notes for the folder (by this
// process or any other): only the files named there are looked at again.
struct CVXLPlatformStore::Usage {
    static constexpr std::uint32_t kChanges
        = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB;
    static constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

    ~Usage() { stop(); }

    void stop()
    {
        if (changes >= 0)
            ::close(changes);
        changes = -1;
        known = false;
        sizes.clear();
        folded.clear();
        bytes = 0;
    }

    // The watch first, so that nothing changed during the listing is missed.
    bool start(const std::string& folder)
    {
        stop();
        host = folder;
        root = tessel::kernel::deviceRoot();
        owner = ::getpid();
        struct stat st;
        if (::stat(host.c_str(), &st) != 0)
            return false;
        device = st.st_dev;
        inode = st.st_ino;
        changes = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (changes < 0)
            return false;
        if (::inotify_add_watch(changes, host.c_str(), kChanges | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR)
            < 0) {
            stop();
            return false;
        }
        DIR* dir = ::opendir(host.c_str());
        if (!dir) {
            stop();
            return false;
        }
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                note(entry->d_name);
        }
        ::closedir(dir);
        known = true;
        return true;
    }

    // False when the notes were lost or the folder went: then only a new
    // listing tells.
    bool catchUp()
    {
        std::set<std::string> changed;
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t got = ::read(changes, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && errno == EAGAIN)
                break;
            if (got <= 0)
                return false;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & (IN_Q_OVERFLOW | kFolderGone))
                    return false;
                if (event->len > 0 && event->name[0] != '.')
                    changed.insert(event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        for (const std::string& name : changed)
            note(name);
        return true;
    }

    void note(const std::string& name)
    {
        const auto at = sizes.find(name);
        if (at != sizes.end()) {
            if (at->second > 0)
                bytes -= at->second;
            sizes.erase(at);
            folded.erase({foldCase(name), name});
        }
        struct stat st;
        if (::stat((host + "/" + name).c_str(), &st) != 0)
            return;
        const std::int64_t size = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : -1;
        sizes.emplace(name, size);
        folded.emplace(foldCase(name), name);
        if (size > 0)
            bytes += size;
    }

    // The entry spelled like name as the device root's map finds it: the
    // exact spelling, else the smallest match ignoring ASCII case, else the
    // name itself.
    std::string spelling(const std::string& name) const
    {
        if (sizes.count(name))
            return name;
        const std::string key = foldCase(name);
        const auto match = folded.lower_bound({key, std::string()});
        return match != folded.end() && match->first == key ? match->second : name;
    }

    static std::string foldCase(std::string name)
    {
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return name;
    }

    int changes = -1;
    bool known = false;
    std::string host;
    std::string root; // the device root the folder was mapped under
    pid_t owner = 0; // a forked child shares the notes and must not read them
    dev_t device = 0;
    ino_t inode = 0;
    std::unordered_map<std::string, std::int64_t> sizes; // -1: not a file
    std::set<std::pair<std::string, std::string>> folded; // (case folded, name)
    std::int64_t bytes = 0;
};

CVXLPlatformStore::CVXLPlatformStore(const CVXLString& folder, PlatformNameRule rule)
    : folder_(folder)
    , rule_(rule)
{
    platformMakeFolder(folder_);
    // Replaces cut off by a kill leave their temporaries behind; only this
    // process's own start can tell they are dead.
    if (const std::uint32_t removed = platformSweepTemporaries(folder_))
        VXL_LOG_INFO("store %s: removed %u temporaries of ended processes", folder_.c_str(), removed);
}

CVXLPlatformStore::~CVXLPlatformStore()
{
    clearNames();
    delete usage_;
}

void CVXLPlatformStore::clearNames()
{
    for (std::uint32_t i = 0; i < entryCount_; ++i)
        names_[i].~CVXLString();
    vxlFree(names_);
    names_ = nullptr;
    entryCount_ = 0;
    cursor_ = 0;
}

// True when the kept listing is up to date. The folder is mapped and listed
// afresh when the device root changed, the folder is no longer the one
// watched, the notes were lost, or in a forked child (whose reads would take
// its parent's notes).
bool CVXLPlatformStore::listingKept()
{
    if (!usage_)
        usage_ = new (std::nothrow) Usage;
    if (!usage_)
        return false;
    if (usage_->known && usage_->owner == ::getpid() && usage_->root == tessel::kernel::deviceRoot()) {
        struct stat st;
        if (::stat(usage_->host.c_str(), &st) == 0 && st.st_dev == usage_->device
            && st.st_ino == usage_->inode && usage_->catchUp())
            return true;
    }
    std::string host;
    return tessel::kernel::mapPhonePath(folder_.c_str(), &host) && usage_->start(host);
}

bool CVXLPlatformStore::hostPathOf(const char* name, std::string* host, std::string* listed)
{
    CVXLString phonePath;
    if (!platformJoinName(folder_, name, rule_, &phonePath))
        return false;
    // Only a plain name of this folder is in the listing.
    if (name[0] != '.' && !std::strchr(name, '\\') && listingKept()) {
        const std::string spelled = usage_->spelling(name);
        *host = usage_->host + "/" + spelled;
        if (listed)
            *listed = spelled;
        return true;
    }
    return tessel::kernel::mapPhonePath(phonePath.c_str(), host);
}

void CVXLPlatformStore::info(CVXLCallback* sink)
{
    if (!listingKept()) {
        std::vector<std::string> names;
        listFolder(folder_, &names);
        vxlReport(sink, static_cast<std::uint32_t>(names.size()));
        vxlReport(sink, folderSpaceLeft(folder_));
        vxlReport(sink, kPlatformOk);
        return;
    }
    vxlReport(sink, static_cast<std::uint32_t>(usage_->sizes.size()));
    vxlReport(sink, folderSpaceLeftAfter(usage_->host.c_str(), usage_->bytes));
    vxlReport(sink, kPlatformOk);
}

void CVXLPlatformStore::first(CVXLNameListener* sink)
{
    clearNames();
    std::vector<std::string> names;
    if (listFolder(folder_, &names) && !names.empty()) {
        // The system lists in no stable order; callers page through the list.
        std::sort(names.begin(), names.end());
        names_ = static_cast<CVXLString*>(
            vxlAlloc(static_cast<std::uint32_t>(names.size() * sizeof(CVXLString))));
        if (names_) {
            for (const std::string& name : names)
                new (&names_[entryCount_++]) CVXLString(reportable(name).c_str());
        }
    }
    cursor_ = 0;
    reportEntry(sink);
}

void CVXLPlatformStore::next(CVXLNameListener* sink)
{
    if (cursor_ < entryCount_)
        ++cursor_;
    reportEntry(sink);
}

void CVXLPlatformStore::reportEntry(CVXLNameListener* sink)
{
    if (!sink)
        return;
    if (cursor_ >= entryCount_)
        return sink->done(kPlatformNoMoreEntries);
    sink->setName(names_[cursor_].c_str());
    sink->done(kPlatformOk);
}

void CVXLPlatformStore::itemInfo(const char* name, CVXLCallback* sink)
{
    std::string host;
    std::string listed;
    struct stat st;
    std::uint32_t status = kPlatformNoSuchItem;
    std::int64_t found = -1; // -1: missing or not a file
    if (hostPathOf(name, &host, &listed)) {
        if (!listed.empty()) {
            const auto kept = usage_->sizes.find(listed);
            found = kept != usage_->sizes.end() ? kept->second : -1;
        } else if (::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            found = static_cast<std::int64_t>(st.st_size);
        }
    }
    std::uint32_t size = 0;
    if (found >= 0) {
        status = kPlatformOk;
        size = found > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(found);
    }
    vxlReport(sink, size);
    vxlReport(sink, status);
    // The file store's reader takes its result from a third call.
    if (rule_ == PlatformNameRule::InFolder)
        vxlReport(sink, status);
}

void CVXLPlatformStore::deleteItem(const char* name, CVXLCallback* sink)
{
    std::string host;
    if (!hostPathOf(name, &host))
        return vxlReport(sink, kPlatformDeleteFailed);
    vxlReport(sink, ::unlink(host.c_str()) == 0 || errno == ENOENT ? kPlatformOk : kPlatformDeleteFailed);
}

CVXLPlatformFileStream* CVXLPlatformStore::openStream()
{
    if (openStreams_ >= kMaxOpenStreams)
        return nullptr;
    auto* stream = new CVXLPlatformFileStream(folder_, rule_);
    if (!stream)
        return nullptr;
    stream->setHostPathOf([this](const char* name, std::string* host) { return hostPathOf(name, host); });
    ++openStreams_;
    return stream;
}

void CVXLPlatformStore::closeStream(CVXLPlatformFileStream* stream)
{
    if (!stream)
        return;
    delete stream;
    if (openStreams_ > 0)
        --openStreams_;
}
