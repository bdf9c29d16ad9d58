#pragma once

#include "engine/screens/VXLAlbumPickJob.h"

#include <cstdint>

// UI job 37: the album picker. Continue gives the focused album back as
// "picked_album_element" and "picked_album_id" (result 10); a new album is
// created only when the program allowed it ("allow_create_album" 1).
// Nothing is deleted, renamed or sent here.
class CVXLAlbumPickJob37 : public CVXLAlbumPickJob {
public:
    static constexpr int kTypeId = 37;
    static constexpr const char* kPropertyAllowCreate = "allow_create_album";
    static constexpr const char* kPropertyPickedElement = "picked_album_element";
    static constexpr const char* kPropertyPickedId = "picked_album_id";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLAlbumPickJob37; }
    void init() override;
    bool allowsCreate() const { return allowCreate_ != 0; }

protected:
    std::uint32_t startState() const override { return 1; }
    CVXLStateHandler browseState() override;

    CVXLHsmState statePickerBrowse(const CVXLEvent* e);

private:
    std::int32_t allowCreate_ = 0;
};
