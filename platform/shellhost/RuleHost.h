#pragma once

#include <cstdint>
#include <string>

// The SMS rule host: a text message arrives in the SMS store's Inbox and is
// handed to the library's rule client before anyone sees it.
namespace tessel::shellhost {

class TesselFmLibrary;

class RuleHost {
public:
    explicit RuleHost(const TesselFmLibrary& library)
        : library_(library)
    {
    }

    // Stores a text message from sender (its text as the subject, as the
    // phone keeps it) and runs the rule client on it; 0 when it ran, with
    // its handled result in *handled.
    int receive(const std::string& sender, const std::string& text, std::int32_t* handled);

private:
    const TesselFmLibrary& library_;
};

} // namespace tessel::shellhost
