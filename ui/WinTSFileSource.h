#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/records/OutboundQueueRequests.h"

#include <cstdint>
#include <cstdio>
#include <string>

// A file offered to the engine to send (a recorded voice memo): read in the
// chunks the engine asks for, on the engine's host thread. It holds its
// file open from open to close or its end; the file itself is left where
// it is.
class CWinTSFileSource : public CVXLObject, public COutboundVoiceMemo {
public:
    static constexpr int kMaxMimeType = 128;

    // A phone path.
    explicit CWinTSFileSource(const std::u16string& path);
    ~CWinTSFileSource() override;
    CWinTSFileSource(const CWinTSFileSource&) = delete;
    CWinTSFileSource& operator=(const CWinTSFileSource&) = delete;

    void open(CVXLCallback* callback) override;
    void close() override;
    void read(CVXLOemXferReader* reader, std::int32_t size) override;
    // Reports 0 at once; the read position stays where it is.
    void rewind(CVXLCallback* callback) override;
    std::int32_t getSize() override;
    const char16_t* getMimeType() override { return mimeType_.c_str(); }
    // The file's own name, without its folder.
    CVXLString memoName() const override;
    void submitFailed(std::int32_t step) override;

    const std::u16string& path() const { return path_; }

private:
    std::u16string path_;
    std::FILE* file_ = nullptr;
    std::u16string mimeType_;
};
