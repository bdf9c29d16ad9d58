#pragma once

#include <string>

// The shell folders that the program asks for, as phone paths.
namespace tessel::shell {

inline constexpr int kCsidlMyVideo = 14;
inline constexpr int kCsidlMyPictures = 39;

// The folder's phone path ("\My Documents\My Pictures"); with create, made
// to exist in the device root. False for an unknown folder, or when create
// is asked and the folder cannot be made.
bool shellFolderPath(int csidl, std::u16string* path, bool create);

} // namespace tessel::shell
