#include "ui/WinTSEngineClient.h"

#include "engine/client/VXLClient.h"
#include "engine/core/platform/VXLPlatformFactory.h"

CWinTSEngineClient::CWinTSEngineClient()
    : ownFactory_(std::make_unique<CVXLPlatformFactory>())
    , factory_(ownFactory_.get())
{
}

CWinTSEngineClient::CWinTSEngineClient(CVXLPlatformFactory* factory)
    : factory_(factory)
{
}

CWinTSEngineClient::~CWinTSEngineClient()
{
    delete client_;
}

bool CWinTSEngineClient::create()
{
    if (client_)
        return true;
    client_ = CVXLClient::create(factory_);
    if (!client_)
        return false;
    client_->init();
    return true;
}

std::int32_t CWinTSEngineClient::tick()
{
    return client_ ? client_->tick() : CVXLClient::kTickTerminated;
}

std::uint32_t CWinTSEngineClient::getWaitTime()
{
    return client_ ? client_->getWaitTime() : kNoDeadline;
}

bool CWinTSEngineClient::hasUIRequest()
{
    return client_ && client_->hasUIRequest();
}

CVXLUIRequest* CWinTSEngineClient::popUIRequest()
{
    return client_ ? client_->popUIRequest() : nullptr;
}

void CWinTSEngineClient::releaseLayout(CVXLLayout* layout)
{
    if (client_)
        client_->releaseLayout(layout);
}

void CWinTSEngineClient::requestShutdown()
{
    if (client_)
        client_->requestShutdown();
}

void CWinTSEngineClient::requestSuspend(int what)
{
    if (client_)
        client_->requestSuspend(what);
}

void CWinTSEngineClient::requestResume(int what)
{
    if (client_)
        client_->requestResume(what);
}

std::int32_t CWinTSEngineClient::getErrorCode()
{
    return client_ ? client_->getErrorCode() : 0;
}

void CWinTSEngineClient::setConfigString(int item, const std::string& text)
{
    if (client_)
        client_->settings().setConfigString(item, text.c_str());
}

void CWinTSEngineClient::setConfigNumber(int item, std::uint32_t number)
{
    if (client_)
        client_->settings().setConfigNumber(item, number);
}

CGlobalMenuList* CWinTSEngineClient::buildGlobalMenu(int menuId)
{
    return client_ ? &client_->buildGlobalMenu(menuId) : nullptr;
}
