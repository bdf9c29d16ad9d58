#include "engine/core/platform/VXLPlatformStore.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/DeviceRoot.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
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

void CVXLPlatformStore::info(CVXLCallback* sink)
{
    std::vector<std::string> names;
    listFolder(folder_, &names);
    vxlReport(sink, static_cast<std::uint32_t>(names.size()));
    vxlReport(sink, folderSpaceLeft(folder_));
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
    CVXLString phonePath;
    std::string host;
    struct stat st;
    std::uint32_t status = kPlatformNoSuchItem;
    std::uint32_t size = 0;
    if (platformJoinName(folder_, name, rule_, &phonePath)
        && tessel::kernel::mapPhonePath(phonePath.c_str(), &host) && ::stat(host.c_str(), &st) == 0
        && S_ISREG(st.st_mode)) {
        status = kPlatformOk;
        size = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(st.st_size);
    }
    vxlReport(sink, size);
    vxlReport(sink, status);
    // The file store's reader takes its result from a third call.
    if (rule_ == PlatformNameRule::InFolder)
        vxlReport(sink, status);
}

void CVXLPlatformStore::deleteItem(const char* name, CVXLCallback* sink)
{
    vxlReport(sink, platformDeleteName(folder_, name, rule_));
}

CVXLPlatformFileStream* CVXLPlatformStore::openStream()
{
    if (openStreams_ >= kMaxOpenStreams)
        return nullptr;
    auto* stream = new CVXLPlatformFileStream(folder_, rule_);
    if (stream)
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
