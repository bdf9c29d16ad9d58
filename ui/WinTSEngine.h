#pragma once

#include <cstdint>
#include <string>

class CGlobalMenuList;
class CVXLLayout;
class CVXLUIRequest;

// The calls the engine host thread makes on the engine root: the real one
// (CWinTSEngineClient) or a scripted one in tests.
class CWinTSEngine {
public:
    virtual ~CWinTSEngine() = default;

    // Creates and initialises the engine; false when it cannot be made.
    virtual bool create() = 0;
    // 0 work left, 1 idle, 3 fatal error, 4 terminated.
    virtual std::int32_t tick() = 0;
    virtual std::uint32_t getWaitTime() = 0;
    virtual bool hasUIRequest() = 0;
    // The head screen request; the engine keeps it and frees it on a later step.
    virtual CVXLUIRequest* popUIRequest() = 0;
    virtual void releaseLayout(CVXLLayout* layout) = 0;
    virtual void requestShutdown() = 0;
    virtual void requestSuspend(int what) = 0;
    virtual void requestResume(int what) = 0;
    virtual std::int32_t getErrorCode() = 0;
    virtual void setConfigString(int item, const std::string& text) = 0;
    virtual void setConfigNumber(int item, std::uint32_t number) = 0;
    // The global menu filled for the menu id; null when there is none.
    virtual CGlobalMenuList* buildGlobalMenu(int menuId) = 0;
};
