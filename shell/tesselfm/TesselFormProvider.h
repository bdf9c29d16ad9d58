#pragma once

#include "platform/mapi/MessageForm.h"

#include <atomic>
#include <cstdint>
#include <string>

// The form provider for the message class "IPM.SMSText.Tessel": its read
// form is the notice with "View Tessel"; its compose form is never shown,
// composing, replying and forwarding become launch requests for the
// program, with the message's attachment saved where the program can take
// it.
namespace tessel::fm {

inline constexpr std::size_t kMaxAttachmentPathChars = 260;

class CTesselFormProvider : public mapi::IFormProvider {
public:
    CTesselFormProvider() = default;

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult messageStatusIcon(std::uint32_t messageFlags, std::int32_t* icon) override;
    com::HResult composeForm(mapi::IMessageSite* site, mapi::MapiMessage* message, std::uint32_t composeKind,
        mapi::MapiMessage* repliedTo, const mapi::ComposeFormFields* fields, mapi::IMessageForm** form,
        com::IUnknown** extra) override;
    com::HResult readForm(mapi::IMessageSite* site, mapi::MapiMessage* message, ui::WindowHandle parent,
        mapi::IMessageForm** form) override;
    com::HResult setMessageClass(const char16_t* messageClass) override;

    // The first attachment of the message as a file the program can open
    // (a phone path), or empty: the one file of its name under "\My
    // Documents", else the storage card's "\My Documents", else its
    // "\DCIM"; else the volatile folder's copy; else its data written to a
    // new file under "\Temp\". Only the name's last component counts; a
    // name that is empty, "." or ".." gives nothing, and no file is ever
    // replaced.
    static std::u16string SaveAttachment(mapi::MapiMessage* message);
    // The files of that name in the tree of folder (a phone path), the
    // volatile folder and links to folders left out.
    static void FindFileInTree(
        const std::string& folder, const std::string& name, std::string* found, int* count);

private:
    ~CTesselFormProvider() override = default;

    std::atomic<std::uint32_t> refs_ {1};
    std::u16string messageClass_;
    std::u16string attachmentPath_;
};

} // namespace tessel::fm
