#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// Free functions of the platform layer, shared by its objects.

// How a store's streams turn a name into a path.
enum class PlatformNameRule {
    // The file store: the name always lies in the folder; a leading "\" only
    // saves the separator ("first\second\file" makes sub-folders).
    InFolder,
    // The message store and the media source: a name that starts with "\" is
    // a whole path the engine built, refused when it reaches into the file
    // store (the engine's settings and state); other names lie in the folder.
    NameOrPath,
};

// The store budget: 100 MiB for a folder's files together.
inline constexpr std::int64_t kFolderBudget = 0x6400000;
// Answer for a folder that cannot be listed.
inline constexpr std::uint32_t kFolderSpaceUnknown = 1024000;
// Folder names longer than this are refused (the phone's limit).
inline constexpr std::uint32_t kMaxFolderCharacters = 259;
// Names reported by listings are cut to this many bytes.
inline constexpr std::uint32_t kMaxReportedNameBytes = 1023;

// Budget left in a folder: kFolderBudget less the sizes of its files (names
// starting with "." are not counted), no more than the disk's free space;
// 0 when used up; kFolderSpaceUnknown when the folder cannot be listed.
std::uint32_t folderSpaceLeft(const CVXLString& folder);
// The same for a host folder whose files are known to hold usedBytes.
std::uint32_t folderSpaceLeftAfter(const char* hostFolder, std::int64_t usedBytes);

// UTC seconds since 1970-01-01 (the kernel clock).
std::uint32_t platformClockSeconds();
// The kernel's millisecond tick count.
std::uint32_t platformTickCount();

// Brings up the packet-data path through the connection manager:
// kPlatformOk, or kPlatformNoNetworkPath.
std::uint32_t platformCheckNetworkPath();

// Joins a name to a folder by the rule. False when the name must not be
// used: empty, with a ".." or "." component or a "/", or (NameOrPath) a
// relative name with a "\" in it, which came from outside and would leave
// the folder, or a whole path into the file store.
bool platformJoinName(const CVXLString& folder, const char* name, PlatformNameRule rule, CVXLString* path);

// Deletes the file a name joins to: kPlatformOk, also when it was not
// there, or kPlatformDeleteFailed.
std::uint32_t platformDeleteName(const CVXLString& folder, const char* name, PlatformNameRule rule);

// Makes sure a phone folder exists, creating every missing level.
bool platformMakeFolder(const CVXLString& folder);

// The MIME type of a file by its name's extension (WinTS_getMimeType);
// false, and the type left alone, when none is known.
bool platformMimeTypeOf(const char* fileName, CVXLString* type);

// The host path of a phone path; false when the path is refused.
bool platformHostPath(const CVXLString& phonePath, CVXLString* hostPath);

// The stores' folders: the registry's "FileStore" value, and the memory
// card's folder followed by its "MessageStore" value (section Path of the
// product key). A value that is missing, empty, too long or not a usable
// path gives a default folder in the device root.
CVXLString platformFileStoreFolder();
CVXLString platformMessageStoreFolder();
