#include "platform/phone/TelephonyLine.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceLog.h"

namespace tessel::phone {

std::uint32_t lineInitialize(const std::string& appName)
{
    kernel::appendDeviceLog("phone", "line initialised for " + appName);
    return 1;
}

bool lineDeviceName(std::uint32_t device, std::string* name)
{
    if (device != 0)
        return false;
    *name = kCellularLineName;
    return true;
}

bool lineAddressNumber(std::uint32_t device, std::uint32_t address, std::string* number)
{
    if (device != 0 || address != 0)
        return false;
    *number = kernel::deviceFacts().phoneNumber;
    return !number->empty();
}

} // namespace tessel::phone
