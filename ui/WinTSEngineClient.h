#pragma once

#include "ui/WinTSEngine.h"

#include <memory>

class CVXLClient;
class CVXLPlatformFactory;

// The engine host thread's calls on the real engine: the platform factory
// and the Client made over it, deleted with this object.
class CWinTSEngineClient : public CWinTSEngine {
public:
    CWinTSEngineClient();
    // A factory of the caller's (a test's driven clock); not owned.
    explicit CWinTSEngineClient(CVXLPlatformFactory* factory);
    ~CWinTSEngineClient() override;

    CVXLClient* client() const { return client_; }

    bool create() override;
    std::int32_t tick() override;
    std::uint32_t getWaitTime() override;
    bool hasUIRequest() override;
    CVXLUIRequest* popUIRequest() override;
    void releaseLayout(CVXLLayout* layout) override;
    void requestShutdown() override;
    void requestSuspend(int what) override;
    void requestResume(int what) override;
    std::int32_t getErrorCode() override;
    void setConfigString(int item, const std::string& text) override;
    void setConfigNumber(int item, std::uint32_t number) override;
    CGlobalMenuList* buildGlobalMenu(int menuId) override;

private:
    std::unique_ptr<CVXLPlatformFactory> ownFactory_;
    CVXLPlatformFactory* factory_;
    CVXLClient* client_ = nullptr;
};
