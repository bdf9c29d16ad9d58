#include "ui/WinTSFileSource.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/TesselRes.h"
#include "ui/WinTSLog.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <vector>

namespace {

bool hostPathOf(const std::u16string& path, std::string* host)
{
    return tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(path), host);
}

} // namespace

CWinTSFileSource::CWinTSFileSource(const std::u16string& path)
    : path_(path)
{
    char16_t type[kMaxMimeType + 1] = {};
    WinTS_getMimeType(path_.c_str(), type, kMaxMimeType + 1);
    mimeType_ = type;
}

CWinTSFileSource::~CWinTSFileSource()
{
    close();
}

void CWinTSFileSource::open(CVXLCallback* callback)
{
    close();
    std::string host;
    if (hostPathOf(path_, &host))
        file_ = std::fopen(host.c_str(), "rb");
    vxlReport(callback, file_ ? 0u : static_cast<std::uint32_t>(kNotOpen));
}

void CWinTSFileSource::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

void CWinTSFileSource::read(CVXLOemXferReader* reader, std::int32_t size)
{
    if (!reader)
        return;
    if (!file_) {
        reader->status(kNotOpen);
        return;
    }
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    } catch (const std::bad_alloc&) {
        reader->status(kReadOutOfMemory);
        return;
    }
    const std::size_t count = buffer.empty() ? 0 : std::fread(buffer.data(), 1, buffer.size(), file_);
    reader->data(buffer.data(), static_cast<std::uint32_t>(count));
    reader->status(count == 0 && (std::feof(file_) || std::ferror(file_)) ? kReadEnd : kReadMore);
}

void CWinTSFileSource::rewind(CVXLCallback* callback)
{
    vxlReport(callback, 0);
}

std::int32_t CWinTSFileSource::getSize()
{
    std::string host;
    struct stat info { };
    if (!hostPathOf(path_, &host) || ::stat(host.c_str(), &info) != 0)
        return 0;
    return static_cast<std::int32_t>(std::min<off_t>(info.st_size, INT32_MAX));
}

CVXLString CWinTSFileSource::memoName() const
{
    const std::size_t slash = path_.find_last_of(u"\\/");
    return tessel::kernel::wideToUtf8(slash == std::u16string::npos ? path_ : path_.substr(slash + 1))
        .c_str();
}

void CWinTSFileSource::submitFailed(std::int32_t step)
{
    winTSLog(kLogFailure,
        "the voice memo " + tessel::kernel::wideToUtf8(path_) + " was not taken (step " + std::to_string(step)
            + ")");
}
