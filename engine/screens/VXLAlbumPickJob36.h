#pragma once

#include "engine/screens/VXLAlbumPickJob.h"

#include <cstdint>

// UI job 36: the online albums, to open one (49), send one (27), create,
// rename or delete one. It starts from a fresh listing: the manager's
// element table emptied and the Online Media Manager's pages dropped.
class CVXLAlbumPickJob36 : public CVXLAlbumPickJob {
public:
    static constexpr int kTypeId = 36;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLAlbumPickJob36; }
    void init() override;

protected:
    std::uint32_t startState() const override { return 0; }
};
