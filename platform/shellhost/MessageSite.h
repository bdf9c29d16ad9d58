#pragma once

#include "platform/mapi/MessageForm.h"

#include <atomic>

// The messaging application's side of a form: what a form passes on is
// written to log/inbox.log.
namespace tessel::shellhost {

class MessageSite : public mapi::IMessageSite {
public:
    MessageSite() = default;

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult formAction(
        std::uint32_t action, mapi::IMessageForm* form, mapi::MapiMessage* message) override;
    com::HResult formClosing(
        mapi::IMessageForm* form, mapi::MapiMessage* message, std::uint32_t savedValue) override;
    com::HResult siteCall(std::uint32_t what) override;

private:
    ~MessageSite() override = default;
    std::atomic<std::uint32_t> refs_ {1};
};

} // namespace tessel::shellhost
