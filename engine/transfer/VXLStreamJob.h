#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/transfer/VXLXferJobBase.h"

// Base of the file stream source and sink: the platform stream they work on
// (made and closed by its store, not by the job) and the file's name.
class CVXLStreamJob : public CVXLXferJobBase {
public:
    const char* name() const override { return "CVXLStreamJob"; }

    void setFileStore(CVXLPlatformFile* file) { file_ = file; }
    CVXLPlatformFile* fileStore() const { return file_; }
    void setPath(const CVXLString& path) { path_ = path; }
    const CVXLString& path() const { return path_; }

private:
    CVXLPlatformFile* file_ = nullptr;
    CVXLString path_;
};
