#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLPersStore;

// What the service protocol reads of the engine root while it writes a
// request or reads a reply: the configuration items that name the subscriber
// and the device, the engine's UTC clock and the settings tree. The Client
// answers from its own items; tests answer from fields.
class CVRAXEnvironment {
public:
    virtual ~CVRAXEnvironment() = default;

    // Configuration items 7, 6, 8 and 10; "" when absent.
    virtual CVXLString phoneNumber() const = 0;
    virtual CVXLString mobileEmail() const = 0;
    virtual CVXLString language() const = 0;
    virtual CVXLString deviceModel() const = 0;
    // UTC seconds since 1970.
    virtual std::uint32_t currentTime() const = 0;
    virtual CVXLPersStore& settings() = 0;
};
