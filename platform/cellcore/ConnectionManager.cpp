#include "platform/cellcore/ConnectionManager.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceLog.h"

#include <atomic>
#include <string>

namespace tessel::cellcore {

namespace {

// The one packet-data network of the phone.
constexpr std::uint32_t kInternetNetwork = 1;

std::atomic<ConnectionBehaviour> gBehaviour {ConnectionBehaviour::FromDevice};

ConnectionBehaviour behaviour()
{
    ConnectionBehaviour chosen = gBehaviour.load();
    if (chosen != ConnectionBehaviour::FromDevice)
        return chosen;
    std::string word = kernel::deviceFacts().connection;
    if (word == "nopath")
        return ConnectionBehaviour::NoPath;
    if (word == "refuse")
        return ConnectionBehaviour::Refuse;
    if (word == "timeout")
        return ConnectionBehaviour::TimeOut;
    return ConnectionBehaviour::Up;
}

} // namespace

void setConnectionBehaviour(ConnectionBehaviour chosen)
{
    gBehaviour.store(chosen);
}

bool connectionMapUrl(const char* url, std::uint32_t* network)
{
    if (!url || !*url || behaviour() == ConnectionBehaviour::NoPath)
        return false;
    *network = kInternetNetwork;
    return true;
}

std::uint32_t connectionRequestSync(std::uint32_t network, std::uint32_t priority, std::uint32_t timeoutMs)
{
    std::uint32_t status = kConnectionConnected;
    switch (behaviour()) {
    case ConnectionBehaviour::Refuse:
    case ConnectionBehaviour::NoPath:
        status = kConnectionFailed;
        break;
    case ConnectionBehaviour::TimeOut:
        kernel::sleepMs(timeoutMs);
        status = kConnectionTimedOut;
        break;
    default:
        if (network != kInternetNetwork)
            status = kConnectionFailed;
        break;
    }
    kernel::appendDeviceLog("cellcore",
        "connect network=" + std::to_string(network) + " priority=" + std::to_string(priority)
            + " status=" + std::to_string(status));
    return status;
}

} // namespace tessel::cellcore
