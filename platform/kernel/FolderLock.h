#pragma once

#include <string>

// A flock on a folder's ".lock" file, held for the object's life: shared
// for readers, exclusive for writers, across threads and processes alike
// (each lock opens the file itself, and flock locks belong to the open).
// And the whole-file replace that state files are written with.
namespace tessel::kernel {

class FolderLock {
public:
    FolderLock(const std::string& folder, bool exclusive);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Writes text whole to temp (in path's folder), syncs it, renames it over
// path and syncs the folder, so a crash leaves the old file or the new one.
// False, with temp removed, when any step fails.
bool replaceFileWhole(const std::string& path, const std::string& temp, const std::string& text);

} // namespace tessel::kernel
