#pragma once

#include "platform/ui/Bitmap.h"

#include <string>

// `--snapshots DIR`: each frame handed over becomes DIR/NNNN.png (0001
// first), whole under a temporary name, then renamed.
namespace tessel::ui {

class SnapshotWriter {
public:
    explicit SnapshotWriter(std::string folder);

    // False when the folder cannot be made or the file not written.
    bool write(const Bitmap& frame);
    int written() const { return written_; }
    std::string pathOf(int number) const;

private:
    std::string folder_;
    int written_ = 0;
};

} // namespace tessel::ui
