#pragma once

#include "platform/com/Unknown.h"

#include <cstdint>

// The messaging store's rule-client interface: a host hands each new text
// message of a store to its rule clients, which may rewrite it. The slots
// in the phone's order (after IUnknown's three).
namespace tessel::mapi {

class MessageStore;

inline constexpr com::Guid kIidMailRuleClient = com::guid("{96D2552D-B83B-4B48-8E89-DCC26512DBA4}");

// What a client answers Initialize with: it reads and writes messages.
inline constexpr std::int32_t kRuleAccessReadWrite = 2;
// ProcessMessage's handled result.
inline constexpr std::int32_t kRuleNotHandled = 0;
inline constexpr std::int32_t kRuleHandledContinue = 2;
// ProcessMessage's event type result: the message was modified.
inline constexpr std::uint32_t kRuleEventModified = 16;

class IMailRuleClient : public com::IUnknown {
public:
    virtual com::HResult initialize(MessageStore* store, std::int32_t* access) = 0;
    virtual com::HResult processMessage(MessageStore* store, std::uint32_t entryIdSize,
        const std::uint8_t* entryId, std::uint32_t folderIdSize, const std::uint8_t* folderId,
        std::uint32_t* eventType, std::int32_t* handled)
        = 0;
};

} // namespace tessel::mapi
