#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/service/VRAXMediaFacts.h"

#include <cstdint>

class CVXLMediaItem;
class CVXLPersStore;

// What the service protocol reads of the engine root while it writes a
// request or reads a reply: the configuration items that name the subscriber
// and the device, the engine's UTC clock and the settings tree, and the few
// things a reply hands back to the root (the service id, a page to show, the
// online id of an uploaded item). The Client answers from its own items;
// tests answer from fields.
class CVRAXEnvironment {
public:
    virtual ~CVRAXEnvironment() = default;

    // Configuration items 7, 6, 8 and 10; "" when absent.
    virtual CVXLString phoneNumber() const = 0;
    virtual CVXLString mobileEmail() const = 0;
    virtual CVXLString language() const = 0;
    virtual CVXLString deviceModel() const = 0;
    // Numbered configuration item (CVXLConfigItem); "" when absent.
    virtual CVXLString configItem(int item) const = 0;
    // UTC seconds since 1970.
    virtual std::uint32_t currentTime() const = 0;
    virtual CVXLPersStore& settings() = 0;

    // The values of a media item that requests carry; the media layer lies
    // above this one, so the root reads them.
    virtual CVRAXMediaFacts mediaFacts(const CVXLMediaItem& item) const = 0;
    // The server's id for an uploaded item: its online uid and its location.
    virtual void setOnlineId(CVXLMediaItem& item, const CVXLString& id) = 0;
    // Stores the service id with its derived key; "" forgets both.
    virtual void storeVraxId(const CVXLString& id) = 0;
    // Queues a page for the user interface to open.
    virtual void queueUrlRequest(const CVXLString& url) = 0;
    // The engine error code: the result of the last request that ended.
    virtual void setErrorCode(std::int32_t code) = 0;
};
