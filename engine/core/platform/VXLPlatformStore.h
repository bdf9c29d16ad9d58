#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformFileStream.h"

#include <cstdint>
#include <string>

// A folder of files that the engine lists, reads the details of, deletes and opens
// streams on; the base of the file store and the message store. Every
// outcome goes to the sink the caller passes.
class CVXLPlatformStore : public CVXLObject {
public:
    static constexpr std::uint32_t kMaxOpenStreams = 32;

    // Three calls: the number of entries, folderSpaceLeft, status 0. The
    // entries and their sizes are kept between calls and brought up to date
    // from the system's notes of the folder's changes, one file at a time.
    virtual void info(CVXLCallback* sink);
    // Lists the folder afresh (names starting with "." are skipped, the rest
    // in byte order) and reports entry 0 and status 0, or status 23.
    virtual void first(CVXLNameListener* sink);
    // The entry after the last one reported and status 0, or status 23.
    virtual void next(CVXLNameListener* sink);
    // The file's size (0 when missing), then status 0, or 8 when the file is
    // missing or the name is refused; the file store adds a third call with
    // the status again.
    virtual void itemInfo(const char* name, CVXLCallback* sink);
    // Status 0 when the file was removed or was not there, 1 when it could
    // not be removed or the name is refused.
    virtual void deleteItem(const char* name, CVXLCallback* sink);
    // A new stream on the folder, or null when kMaxOpenStreams are open.
    virtual CVXLPlatformFileStream* openStream();
    // Deletes the stream (closing its file) and counts it off.
    virtual void closeStream(CVXLPlatformFileStream* stream);
    ~CVXLPlatformStore() override;

    const CVXLString& folder() const { return folder_; }
    std::uint32_t openStreams() const { return openStreams_; }

protected:
    // Makes sure the folder exists and sweeps the temporaries of dead
    // processes from it.
    CVXLPlatformStore(const CVXLString& folder, PlatformNameRule rule);

private:
    struct Usage;

    bool listingKept();
    // The host path of a name of the folder; false when the name is refused.
    // `listed` gets the name's spelling when the kept listing answered.
    bool hostPathOf(const char* name, std::string* host, std::string* listed = nullptr);
    void clearNames();
    void reportEntry(CVXLNameListener* sink);

    CVXLString folder_;
    PlatformNameRule rule_;
    CVXLString* names_ = nullptr; // the last listing, owned
    std::uint32_t entryCount_ = 0;
    std::uint32_t cursor_ = 0;
    std::uint32_t openStreams_ = 0;
    Usage* usage_ = nullptr;
};
