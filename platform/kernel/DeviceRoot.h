#pragma once

#include <string>
#include <string_view>

// The phone's file system is one host folder, the device root: $TESSEL_ROOT,
// else $HOME/.local/share/tessel. The program names files phone-style
// ("\My Documents\Tessel\_vxl.reg"); only this map turns such a name into a
// host path.
namespace tessel::kernel {

// Host path of the device root, without a trailing slash.
std::string deviceRoot();

// Makes later calls use hostPath as the device root (tests, one per test);
// an empty path goes back to the environment.
void setDeviceRoot(const std::string& hostPath);

// Maps a phone path to a host path below the device root: "\" separates
// components, empty components are dropped, and each component that exists
// is matched without regard to ASCII case (an exact match wins). Components
// that do not exist yet keep the given spelling. A leading "\" is optional:
// every phone path starts at the device root.
//
// Refused (false): "." or ".." components, "/" (a host path handed in by
// mistake), NUL bytes. So no mapped path leaves the root.
bool mapPhonePath(std::string_view phonePath, std::string* hostPath);

// A host folder below the device root (run/, log/, registry/ ...), created
// with its parents when missing. Empty when it cannot be created.
std::string deviceFolder(const char* relative);

// Creates hostPath and every missing parent folder; true when it exists
// afterwards as a folder.
bool makeHostFolders(const std::string& hostPath);

} // namespace tessel::kernel
