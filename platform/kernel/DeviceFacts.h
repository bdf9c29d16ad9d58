#pragma once

#include <string>

// What the phone knows about itself, read from "device.conf" in the device
// root: one "key = value" per line, "#" starts a comment, unknown keys are
// kept for other stand-ins. Missing keys take the defaults below; a number
// that does not parse whole or is out of range keeps the default, and is
// logged to log/device.log.
//
//   platform           smartphone | pocketpc          (smartphone)
//   screen.width       pixels                         (240)
//   screen.height      pixels                         (320)
//   phone.number       the phone's own number         (4255550100)
//   phone.nai          network access identifier      (4255550100@nai.tessel.test)
//   phone.operator     current operator name          (Tessel Mobile)
//   card.present       1 when a memory card is in, or 0   (1)
//   cellular.available 0 when no cellular system, or 1 (1)
//   connection         up | nopath | refuse | timeout (up)
//   push.port          UDP port of the push router on 127.0.0.1 (none)
//   oem.info           the OEM's text for the device, at most 255 characters,
//                      no control characters          (Tessel Phone)
//   carrier.proxy      host of the carrier's built-in proxy: a host name
//                      or an IPv4 address             (proxy.tessel.test)
// A text key that breaks its rule keeps the default too, and is logged.
namespace tessel::kernel {

struct DeviceFacts {
    bool pocketPc = false;
    int screenWidth = 240;
    int screenHeight = 320;
    std::string phoneNumber = "4255550100";
    std::string nai = "4255550100@nai.tessel.test";
    std::string operatorName = "Tessel Mobile";
    bool memoryCardPresent = true;
    bool cellularAvailable = true;
    std::string connection = "up";
    std::string oemInfo = "Tessel Phone";
    std::string carrierProxy = "proxy.tessel.test";
};

// Read afresh on each call (the file is small; tests rewrite it).
DeviceFacts deviceFacts();

// The raw value of a key, or fallback when the file or the key is missing.
std::string deviceFact(const char* key, const char* fallback);

} // namespace tessel::kernel
