#include "platform/kernel/DeviceLog.h"

#include "platform/kernel/DeviceRoot.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace tessel::kernel {

void appendDeviceLog(const char* name, std::string_view line)
{
    std::string folder = deviceFolder("log");
    if (folder.empty())
        return;
    std::string path = folder + "/" + name + ".log";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // One write per line, so lines of concurrent writers never interleave.
    std::string text(line);
    text += '\n';
    [[maybe_unused]] ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

} // namespace tessel::kernel
