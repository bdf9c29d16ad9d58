#include "platform/phone/DeviceControl.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"

namespace tessel::phone {

bool firstFlashCard(std::string* phonePath)
{
    phonePath->clear();
    std::string host;
    if (!kernel::deviceFacts().memoryCardPresent || !kernel::mapPhonePath(kStorageCard, &host)
        || !kernel::makeHostFolders(host))
        return false;
    *phonePath = kStorageCard;
    return true;
}

bool kernelIoControl(std::uint32_t code)
{
    if (code != kIoctlReboot)
        return false;
    kernel::appendDeviceLog("reboot", "reboot");
    return true;
}

} // namespace tessel::phone
