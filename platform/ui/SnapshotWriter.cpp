#include "platform/ui/SnapshotWriter.h"

#include "platform/ui/PngFile.h"

#include <cstdio>
#include <filesystem>

namespace tessel::ui {

SnapshotWriter::SnapshotWriter(std::string folder)
    : folder_(std::move(folder))
{
}

std::string SnapshotWriter::pathOf(int number) const
{
    char name[32];
    std::snprintf(name, sizeof name, "%04d.png", number);
    return (std::filesystem::path(folder_) / name).string();
}

bool SnapshotWriter::write(const Bitmap& frame)
{
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error || !writePng(pathOf(written_ + 1), frame))
        return false;
    ++written_;
    return true;
}

} // namespace tessel::ui
