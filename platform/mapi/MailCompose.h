#pragma once

#include <cstdint>
#include <string>

// The phone's own message composer. Here it only records what it was
// asked to open, as one line of log/compose.log:
//   to=<to> subject=<subject> body=<body> account=<account> class=<class>
// each text with "%", control characters and blanks escaped as %xx.
namespace tessel::mapi {

struct ComposeFields {
    std::string to;
    std::string subject;
    std::string body;
    std::string account;
    std::string messageClass;
};

// kMapiOk once recorded.
std::uint32_t mailComposeMessage(const ComposeFields& fields);

} // namespace tessel::mapi
