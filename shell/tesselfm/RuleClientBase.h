#pragma once

#include "platform/mapi/MailRuleClient.h"

#include <atomic>
#include <cstdint>

// The common part of the library's SMS rule clients: the interface's
// reference counting and interface query; Initialize and ProcessMessage
// answer "not implemented" until a client overrides them.
namespace tessel::fm {

class CRuleClientBase : public mapi::IMailRuleClient {
public:
    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult initialize(mapi::MessageStore* store, std::int32_t* access) override;
    com::HResult processMessage(mapi::MessageStore* store, std::uint32_t entryIdSize,
        const std::uint8_t* entryId, std::uint32_t folderIdSize, const std::uint8_t* folderId,
        std::uint32_t* eventType, std::int32_t* handled) override;

protected:
    CRuleClientBase() = default;
    ~CRuleClientBase() override;

private:
    std::atomic<std::uint32_t> refs_ {1};
};

} // namespace tessel::fm
