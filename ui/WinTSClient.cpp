#include "ui/WinTSClient.h"

#include "engine/client/VXLConfigItems.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/menu/GlobalMenuList.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/TextCodec.h"
#include "platform/kernel/ThreadTimers.h"
#include "platform/phone/TelephonyLine.h"
#include "platform/tesselres/TesselRes.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <unistd.h>

#include <cstdio>

using tessel::kernel::kWaitForever;
using tessel::kernel::wideToUtf8;

namespace {

constexpr std::size_t kPhoneNumberDigits = 10;
constexpr int kNaiCapacity = 256;
constexpr std::size_t kMaxOemText = 255;
constexpr const char* kTelephonyApplication = "ExTapi_Lib";
constexpr const char* kPhoneStateKey = "System\\State\\Phone";
constexpr const char* kNaiPlaceholder = "<NAI>";
// The carrier's default proxy password; its host is device.conf's carrier.proxy.
constexpr const char* kProxyPassword = "qtz";
constexpr int kProxyPort = 80;
// The operating system the phone reports, and the program's file version.
constexpr int kOsPlatformId = 3;
constexpr int kOsMajor = 5;
constexpr int kOsMinor = 2;
constexpr int kFileVersion[4] = {1, 0, 0, 0};

struct GlobalMenu {
    const char* name;
    int id;
};
constexpr GlobalMenu kGlobalMenus[] = {
    {"GLOBAL_PICTURES", 0},
    {"GLOBAL_MESSAGING", 2},
    {"SETTINGS_AND_INFO", 3},
    {"CAPTURE_OPTIONS", 4},
    {"CAMERA_OPTIONS", 5},
    {"SCREEN_SAVER_MEDIA_SELECT", 6},
    {"SEND_MESSAGE_CONTACTS", 7},
    {"SEND_MESSAGE_VOICE_MEMO", 8},
    {"SEND_MESSAGE_DOWNLOADS", 9},
    {"SEND_MESSAGE_GENERIC", 10},
    {"SEND_MESSAGE_SMS", 11},
    {"FAVORITES", 13},
    {"ADD_A_FAVORITE", 14},
    {"FUN", 15},
};

// Blanks and ":" would split the description's fields.
std::string fieldText(std::string text)
{
    for (char& c : text) {
        if (c == ' ' || c == ':')
            c = '_';
    }
    return text;
}

std::string operatorName()
{
    std::string name;
    tessel::kernel::registryQueryText(
        tessel::kernel::RegistryHive::LocalMachine, kPhoneStateKey, "Current Operator Name", &name);
    return name;
}

std::string oemText()
{
    std::string text = tessel::kernel::deviceFacts().oemInfo;
    if (text.size() > kMaxOemText)
        text.resize(kMaxOemText);
    return text;
}

std::string phoneInfo()
{
    char text[600];
    std::snprintf(text, sizeof text, "WinTS:%s:%s :OS-%d.%d.%d", fieldText(oemText()).c_str(),
        fieldText(operatorName()).c_str(), kOsPlatformId, kOsMajor, kOsMinor);
    return text;
}

std::string phoneInfo2()
{
    char version[64];
    std::snprintf(version, sizeof version, "%d.%d.%d.%d", kFileVersion[0], kFileVersion[1], kFileVersion[2],
        kFileVersion[3]);
    char text[700];
    std::snprintf(text, sizeof text, "WinTS:%s:%s:OS-%d.%d.%d  APP-%s:", fieldText(oemText()).c_str(),
        fieldText(operatorName()).c_str(), kOsPlatformId, kOsMajor, kOsMinor, version);
    return text;
}

std::string cellularNumber()
{
    const std::uint32_t devices = tessel::phone::lineInitialize(kTelephonyApplication);
    for (std::uint32_t device = 0; device < devices; ++device) {
        std::string name;
        if (!tessel::phone::lineDeviceName(device, &name) || name != tessel::phone::kCellularLineName)
            continue;
        std::string number;
        if (!tessel::phone::lineAddressNumber(device, 0, &number))
            return {};
        if (number.size() > kPhoneNumberDigits)
            number.erase(0, number.size() - kPhoneNumberDigits);
        return number;
    }
    return {};
}

bool equalsIgnoringCase(const std::u16string& a, const char* b)
{
    return tessel::kernel::equalsIgnoringAsciiCase(wideToUtf8(a), b);
}

} // namespace

CWinTSClient::CWinTSClient(CWinTSEngine& engine)
    : base_(u"CWinTSClient")
    , engine_(engine)
    , queue_(tessel::ui::MessageQueue::make())
    , sockets_([this] { postThreadMessage(kMsgSocketsReady, 0, 0); })
{
    std::uint32_t value = 0;
    registryReadDword(u"Debug", u"Heartbeat", &value, 0);
    heartbeat_ = value != 0;
    registryReadDword(u"Debug", u"MemoryMonitor", &value, 0);
    memoryMonitor_ = value != 0;
    registryReadDword(u"Debug", u"FastStartup", &value, 0);
    const bool fastStartup = value != 0;
    fastStartupDone_ = !fastStartup;
    registryReadDword(u"Debug", u"LongRunInterval", &longRunInterval_, kWaitForever);
    registryReadDword(u"Debug", u"TightLoopLimit", &tightLoopLimit_, kDefaultTightLoopLimit);
    std::uint32_t memoryFloorKb = kDefaultMemoryFloorKb;
    registryReadDword(u"Debug", u"MemoryFloor", &memoryFloorKb, kDefaultMemoryFloorKb);

    memoryAtStart_ = tessel::kernel::memoryStatus();
    watermarks_ = memoryAtStart_;
    if ((memoryAtStart_.availPhys >> 10) < memoryFloorKb)
        refuseStart(u"Memory is low.  Norvane Tessel cannot launch.");

    std::uint32_t forceReset = 0;
    registryReadDword(u"", u"ForceReset", &forceReset, 0);
    if (forceReset != 0) {
        registryWriteDword(u"", u"ForceReset", 0);
        ResetConfiguration();
    }

    if (!engine_.create())
        winTSAssert("the engine could not be created");
    ConfigureEngine();

    if (fastStartup) {
        fastStartupLock_ = tessel::kernel::semaphoreCreate("WINTS_mFastStartupSemaphore", 1, 1);
        if (fastStartupLock_)
            tessel::kernel::semaphoreWait(fastStartupLock_, kFastStartupTakeMs);
    }
    shuttingDown_ = false;
}

CWinTSClient::~CWinTSClient()
{
    if (!loopEnded_) {
        queue_->postQuit(0);
        resume();
    }
    join();
    if (const std::uint32_t id = timerId_.exchange(0))
        tessel::kernel::killThreadTimer(id);
    if (fastStartupLock_)
        tessel::kernel::semaphoreClose(fastStartupLock_);
    if (memoryMonitor_) {
        registryWriteDword(u"Debug", u"WaterMark_Phys", static_cast<std::uint32_t>(watermarks_.availPhys));
        registryWriteDword(
            u"Debug", u"WaterMark_MemoryPage", static_cast<std::uint32_t>(watermarks_.availPageFile));
        registryWriteDword(
            u"Debug", u"WaterMark_MemoryVirtual", static_cast<std::uint32_t>(watermarks_.availVirtual));
        registryWriteDword(u"Debug", u"WaterMark_MemoryLoad", watermarks_.memoryLoad);
    }
}

void CWinTSClient::refuseStart(const std::u16string& message)
{
    winTSLog(kLogFailure, wideToUtf8(message));
    ShowHtmlNotification(message);
    QuitApplication();
    quitRequested_ = true;
}

void CWinTSClient::ResetConfiguration()
{
    // The folder the engine's file store uses, its default included.
    const CVXLString folder = platformFileStoreFolder();
    for (const char* name : {"_vxl.reg", "vxlcfg.xml"}) {
        std::string host;
        if (!tessel::kernel::mapPhonePath(std::string(folder.c_str()) + "\\" + name, &host))
            continue;
        if (::unlink(host.c_str()) == 0)
            winTSLog(kLogInfo, std::string("ForceReset deleted ") + folder.c_str() + "\\" + name);
    }
}

void CWinTSClient::ConfigureEngine()
{
    const std::string info = phoneInfo();
    if (!info.empty())
        engine_.setConfigString(kCfgHttpUserAgent, info);

    std::u16string name;
    for (std::uint32_t index = 0; registryReadKey(u"ClientConfig", index, &name); ++index)
        OnConfigurationRequest(name);

    const std::string number = cellularNumber();
    if (!number.empty()) {
        engine_.setConfigString(kCfgUserIdentity, number);
        registryWrite(u"Debug", u"phone", tessel::kernel::utf8ToWide(number));
    } else {
        refuseStart(
            u"Tessel credentials could not be read (1).  Verify that your wireless connection is available.");
    }

    char16_t naiBuffer[kNaiCapacity] = {};
    std::string nai;
    if (WinTS_GetNAI(naiBuffer, kNaiCapacity)) {
        nai = wideToUtf8(naiBuffer);
        engine_.setConfigString(kCfgMobileEmail, nai);
        registryWrite(u"Debug", u"nai", naiBuffer);
    } else {
        refuseStart(
            u"Tessel credentials could not be read (2).  Verify that your wireless connection is available.");
    }

    std::string proxy = std::string("http://") + kNaiPlaceholder + ":" + kProxyPassword + "@"
        + tessel::kernel::deviceFacts().carrierProxy + ":" + std::to_string(kProxyPort);
    std::u16string configured;
    if (registryRead(u"ClientConfig", u"VXLCFG_PROXY_URI", &configured) && !configured.empty())
        proxy = wideToUtf8(configured);
    if (proxy.find(kNaiPlaceholder) != std::string::npos) {
        const std::string placeholder = kNaiPlaceholder;
        for (std::size_t at = proxy.find(placeholder); at != std::string::npos;
             at = proxy.find(placeholder, at + nai.size()))
            proxy.replace(at, placeholder.size(), nai);
        engine_.setConfigString(kCfgProxyUri, proxy);
        registryWrite(u"Debug", u"proxy", tessel::kernel::utf8ToWide(proxy));
    }

    const std::string info2 = phoneInfo2();
    if (!info2.empty())
        engine_.setConfigString(kCfgDeviceModel, info2);
}

void CWinTSClient::OnConfigurationRequest(const std::u16string& name)
{
    for (int item = kConfigItemFirst; item <= kConfigItemLast; ++item) {
        const CVXLConfigItemInfo* info = vxlConfigItemInfo(item);
        if (!info || !info->registryName || !equalsIgnoringCase(name, info->registryName))
            continue;
        if (info->type == kConfigText) {
            std::u16string text;
            registryRead(u"ClientConfig", name, &text);
            engine_.setConfigString(item, wideToUtf8(text));
        } else {
            std::uint32_t number = 0;
            registryReadDword(u"ClientConfig", name, &number, 0);
            engine_.setConfigNumber(item, number);
        }
        return;
    }
    winTSLog(kLogWarning, "Unknown Configuration Request: " + wideToUtf8(name));
}

bool CWinTSClient::createThread(bool suspended)
{
    return thread_.start(&CWinTSClient::entry, this, suspended);
}

void CWinTSClient::resume()
{
    thread_.resume();
}

bool CWinTSClient::join()
{
    return thread_.join();
}

std::uint32_t CWinTSClient::threadId() const
{
    return queue_->id();
}

bool CWinTSClient::postThreadMessage(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    return tessel::ui::postThreadMessage(threadId(), id, wParam, lParam);
}

void CWinTSClient::SetWindow(tessel::ui::WindowHandle window, std::uint32_t activityId,
    std::uint32_t shutdownId, std::uint32_t dontRunId)
{
    activityId_ = activityId;
    shutdownId_ = shutdownId;
    dontRunId_ = dontRunId;
    window_ = window;
}

bool CWinTSClient::waitForFastStartup()
{
    if (!fastStartupLock_)
        return true;
    if (tessel::kernel::semaphoreWait(fastStartupLock_, kFastStartupWaitMs)
        != tessel::kernel::SemaphoreWait::Taken)
        return false;
    tessel::kernel::semaphoreRelease(fastStartupLock_, 1, nullptr);
    winTSLog(kLogTrace, "waitForFastStartup Semaphore Released");
    return true;
}

void CWinTSClient::ArmTimer(std::uint32_t ms)
{
    if (ms == kWaitForever || loopEnded_)
        return;
    ms = std::min(ms, longRunInterval_);
    wait_ = ms;
    if (const std::uint32_t old = timerId_.exchange(0))
        tessel::kernel::killThreadTimer(old);
    const std::uint32_t id = tessel::kernel::setThreadTimer(ms, &CWinTSClient::TimerProc, this);
    timerId_ = id;
}

void CWinTSClient::TimerProc(void* self, std::uint32_t timerId)
{
    auto* client = static_cast<CWinTSClient*>(self);
    tessel::kernel::killThreadTimer(timerId);
    std::uint32_t expected = timerId;
    client->timerId_.compare_exchange_strong(expected, 0);
    if (client->timerEventPending_.exchange(true))
        return;
    if (!client->postThreadMessage(tessel::ui::kWmTimer, CWinTSClient::kTimerId, 0))
        client->timerEventPending_ = false;
}

int CWinTSClient::GlobalMenuId(const std::u16string& name)
{
    for (const GlobalMenu& menu : kGlobalMenus) {
        if (equalsIgnoringCase(name, menu.name))
            return menu.id;
    }
    winTSLog(kLogWarning, "Global Menu not supported: " + wideToUtf8(name));
    return kNoGlobalMenu;
}

void CWinTSClient::SelectGlobalMenu(const std::u16string& name, const std::u16string& value)
{
    menuId_ = GlobalMenuId(name);
    menuValue_ = value;
    menuName_ = name;
}

CGlobalMenuList* CWinTSClient::GetCoolSites()
{
    // Waits as long as it takes: this runs on the user-interface thread,
    // which holds the lock already while it dispatches.
    lock_.lock(kWaitForever);
    CGlobalMenuList* menu = engine_.buildGlobalMenu(menuId_);
    lock_.unlock();
    return menu;
}

void CWinTSClient::RunGlobalMenuOption(
    const std::u16string& name, std::uint32_t index, const std::u16string& value)
{
    SelectGlobalMenu(name, value);
    CGlobalMenuList* menu = GetCoolSites();
    if (!menu || menu->getEntryCount() < index + 1) {
        winTSAssert(
            "Global Menu Option " + std::to_string(index) + " of " + wideToUtf8(name) + " is not there");
        ArmTimer(1);
        return;
    }
    for (std::uint32_t i = 0; i < menu->getEntryCount(); ++i) {
        const CGlobalMenuEntry* entry = menu->entryAt(i);
        winTSLog(kLogTrace,
            "Global Menu Option " + std::to_string(i) + ": " + std::to_string(entry->getMenuEntryType())
                + ": " + entry->caption().c_str());
    }
    CGlobalMenuEntry* entry = menu->entryAt(index);
    const std::int32_t type = entry->getMenuEntryType();
    if (type == kMenuEntrySelectedMedia) {
        // The chosen file goes with the entry, as a file from the phone.
        if (!value.empty())
            menu->setSelectedMedia(wideToUtf8(value).c_str(), 1);
    } else if (type != kMenuEntryPlain && type != kMenuEntryCoolSite) {
        winTSAssert("menuEntry->getMenuEntryType(): " + std::to_string(type));
    }
    winTSLog(kLogInfo,
        "Global Menu Option " + std::to_string(index) + " of " + wideToUtf8(name)
            + " runs: " + entry->caption().c_str());
    menu->runEntry(entry);
    ArmTimer(1);
}

void CWinTSClient::entry(void* self)
{
    static_cast<CWinTSClient*>(self)->run();
}

void CWinTSClient::run()
{
    queue_->bind();
    winTSLog(kLogTrace, "InitInstance");
    if (!sockets_.start())
        winTSLog(
            kLogFailure, "the socket waker did not start: the engine sees its sockets only on its timer");
    ArmTimer(1);
    tessel::ui::Message message;
    while (tessel::ui::getMessage(&message)) {
        if (message.window != 0)
            continue;
        switch (message.id) {
        case tessel::ui::kWmTimer:
            OnTimer();
            break;
        case kMsgReleaseLayout:
            OnReleaseLayoutRequest(message);
            break;
        case kMsgShutdown:
            OnShutdownRequest(message);
            break;
        case kMsgDeactivate:
            OnDeactivateRequest(message);
            break;
        case kMsgActivate:
            OnActivateRequest(message);
            break;
        case kMsgSocketsReady:
            OnSocketsReady(message);
            break;
        default:
            break;
        }
    }
    sockets_.stop();
    loopEnded_ = true;
    if (const std::uint32_t id = timerId_.exchange(0))
        tessel::kernel::killThreadTimer(id);
    queue_->close();
    winTSLog(kLogTrace, "ExitInstance");
}

void CWinTSClient::OnTimer()
{
    timerEventPending_ = false;
    if (wait_ == kWaitForever || loopEnded_)
        return;
    if (!lock_.lock(lockWaitMs_)) {
        winTSAssert("OnTimer: the engine lock was not taken in time; trying again");
        ArmTimer(kLockRetryMs);
        return;
    }
    requestOut_ = false;
    for (std::uint32_t steps = 0;;) {
        RunEngineStep();
        if (!fastStartupDone_ && wait_ > kFastStartupDoneWaitMs) {
            winTSLog(kLogInfo, "FAST STARTUP COMPLETE");
            fastStartupDone_ = true;
            if (fastStartupLock_)
                tessel::kernel::semaphoreRelease(fastStartupLock_, 1, nullptr);
        }
        ++steps;
        if (wait_ == 0) {
            if (steps >= tightLoopLimit_)
                wait_ = kTightLoopWaitMs;
            if (wait_ == 0)
                continue;
        }
        if (!fastStartupDone_)
            continue;
        break;
    }
    PublishSockets();
    lock_.unlock();
    ArmTimer(wait_);
}

bool CWinTSClient::RunEngineStep()
{
    bool posted = false;
    stepStart_ = tessel::kernel::tickCount();
    runStatus_ = engine_.tick();
    if (heartbeat_)
        heartbeatRed_ = !heartbeatRed_;
    if (memoryMonitor_)
        monitorMemory();
    switch (runStatus_) {
    case kStatusWorkLeft:
    case kStatusIdle:
        wait_ = engine_.getWaitTime();
        if (engine_.hasUIRequest()) {
            CVXLUIRequest* request = engine_.popUIRequest();
            if (request) {
                winTSLog(kLogTrace, std::string("Request ") + request->kindName());
                requestOut_ = true;
                post(activityId_, reinterpret_cast<std::uintptr_t>(request));
                wait_ = kWaitForever;
                posted = true;
            }
        }
        break;
    case kStatusFatal:
        fatalErrorCode_ = engine_.getErrorCode();
        winTSLog(kLogFailure, "FATAL_ERROR " + std::to_string(fatalErrorCode_));
        engine_.requestShutdown();
        wait_ = engine_.getWaitTime();
        break;
    case kStatusTerminated:
        winTSLog(kLogInfo, "....Terminated....");
        wait_ = kWaitForever;
        engineEnded_ = true;
        post(shutdownId_, 0);
        endLoop();
        break;
    default:
        // Shut down and keep stepping until the engine has ended: without a
        // timer the engine would never get there.
        winTSLog(kLogFailure, "Unknown mRunStatus " + std::to_string(runStatus_));
        engine_.requestShutdown();
        wait_ = engine_.getWaitTime();
        break;
    }
    if (shuttingDown_ && !posted && runStatus_ != kStatusTerminated && wait_ >= kSillyShutdownWaitMs) {
        winTSLog(kLogWarning, "Silly wait during shutdown");
        engineEnded_ = true;
        post(shutdownId_, 0);
        endLoop();
        wait_ = kWaitForever;
    }
    if (!posted && wait_ >= kLongIdleWaitMs)
        post(dontRunId_, 0);
    return !posted;
}

void CWinTSClient::endLoop()
{
    tessel::ui::postQuitMessage(0);
}

void CWinTSClient::post(std::uint32_t id, std::uint64_t wParam)
{
    const tessel::ui::WindowHandle window = window_;
    if (window == 0 || !tessel::ui::postMessage(window, id, wParam, 0))
        winTSLog(kLogFailure, "no window took message " + std::to_string(id));
}

void CWinTSClient::monitorMemory()
{
    const tessel::kernel::MemoryStatus now = tessel::kernel::memoryStatus();
    auto usedKb = [](std::uint64_t start, std::uint64_t current) {
        return static_cast<long long>(
            (static_cast<std::int64_t>(start) - static_cast<std::int64_t>(current)) >> 10);
    };
    if (now.availPageFile < watermarks_.availPageFile) {
        winTSLog(kLogInfo,
            "MEMORY ALERT: Page File "
                + std::to_string(usedKb(memoryAtStart_.availPageFile, now.availPageFile)) + "K ");
        watermarks_.availPageFile = now.availPageFile;
    }
    if (now.availPhys < watermarks_.availPhys) {
        winTSLog(kLogInfo,
            "MEMORY ALERT: Physical " + std::to_string(usedKb(memoryAtStart_.availPhys, now.availPhys))
                + "K");
        watermarks_.availPhys = now.availPhys;
    }
    if (now.availVirtual < watermarks_.availVirtual) {
        winTSLog(kLogInfo,
            "MEMORY ALERT: Virtual " + std::to_string(usedKb(memoryAtStart_.availVirtual, now.availVirtual))
                + "K");
        watermarks_.availVirtual = now.availVirtual;
    }
    if (now.memoryLoad > watermarks_.memoryLoad) {
        winTSLog(kLogInfo, "MEMORY ALERT: dwMemoryLoad " + std::to_string(now.memoryLoad));
        watermarks_.memoryLoad = now.memoryLoad;
    }
}

// Takes the engine lock for a thread message; when the wait runs out the
// message is posted again rather than handled unlocked.
bool CWinTSClient::lockEngine(const tessel::ui::Message& message)
{
    if (lock_.lock(lockWaitMs_))
        return true;
    winTSAssert("thread message " + std::to_string(message.id)
        + ": the engine lock was not taken in time; posted again");
    postThreadMessage(message.id, message.wParam, message.lParam);
    return false;
}

void CWinTSClient::OnReleaseLayoutRequest(const tessel::ui::Message& message)
{
    winTSLog(kLogTrace, "OnReleaseLayoutRequest");
    if (!lockEngine(message))
        return;
    engine_.releaseLayout(reinterpret_cast<CVXLLayout*>(static_cast<std::uintptr_t>(message.wParam)));
    lock_.unlock();
    ArmTimer(1);
}

void CWinTSClient::OnShutdownRequest(const tessel::ui::Message& message)
{
    winTSLog(kLogTrace, "OnShutdownRequest");
    if (!lockEngine(message))
        return;
    engine_.requestShutdown();
    lock_.unlock();
    shuttingDown_ = true;
    ArmTimer(1);
}

void CWinTSClient::OnDeactivateRequest(const tessel::ui::Message& message)
{
    winTSLog(kLogTrace, "OnDeactivateRequest");
    if (!lockEngine(message))
        return;
    engine_.requestSuspend(static_cast<int>(message.wParam));
    lock_.unlock();
    ArmTimer(1);
}

void CWinTSClient::OnActivateRequest(const tessel::ui::Message& message)
{
    winTSLog(kLogTrace, "OnActivateRequest");
    if (!lockEngine(message))
        return;
    engine_.requestResume(static_cast<int>(message.wParam));
    lock_.unlock();
    ArmTimer(1);
}

// The connections whose sockets are ready are told (their jobs get their
// wake-ups) and the engine runs; while a screen request is out the engine
// waits for the user interface, which runs it once it has the request.
void CWinTSClient::OnSocketsReady(const tessel::ui::Message& message)
{
    if (loopEnded_ || !lockEngine(message))
        return;
    CVXLPlatformConnection::waitForSockets(0);
    const bool run = !requestOut_;
    if (!run)
        PublishSockets();
    lock_.unlock();
    if (run)
        ArmTimer(1);
}

void CWinTSClient::PublishSockets()
{
    tessel::sockets::SocketWatch watches[2 * CVXLPlatformConnection::kMaxWatching];
    sockets_.publish(
        watches, CVXLPlatformConnection::watchedSockets(watches, 2 * CVXLPlatformConnection::kMaxWatching));
}
