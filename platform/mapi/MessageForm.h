#pragma once

#include "platform/com/Unknown.h"
#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <string>

// The messaging application's form interfaces: for a message class it asks
// a form library's provider for a read form (shown in a window of the
// application) and for a compose form; a form talks back through the
// application's message site. Slots in the phone's order. The message
// object stays the application's: a form keeps a pointer to it while the
// application keeps it.
namespace tessel::mapi {

class MapiMessage;

inline constexpr com::Guid kIidFormProvider = com::guid("{F1BB10ED-4B19-4208-9C9C-80EE715DD976}");
inline constexpr com::Guid kIidMessageForm = com::guid("{501A8BFB-D672-4B34-BACF-85C42051868E}");

// Compose kinds of the compose form: the two replies; anything else is a
// new message or a forward.
inline constexpr std::uint32_t kComposeReply = 1;
inline constexpr std::uint32_t kComposeReplyAll = 2;
inline constexpr std::uint32_t kComposeForward = 3;

// The fields of a compose form.
struct ComposeFormFields {
    std::u16string to;
    std::u16string subject;
    std::u16string body;
};

class IMessageForm;

class IMessageSite : public com::IUnknown {
public:
    // A form passes an action on to the application.
    virtual com::HResult formAction(std::uint32_t action, IMessageForm* form, MapiMessage* message) = 0;
    // The form closes.
    virtual com::HResult formClosing(IMessageForm* form, MapiMessage* message, std::uint32_t savedValue) = 0;
    virtual com::HResult siteCall(std::uint32_t what) = 0;
};

class IMessageForm : public com::IUnknown {
public:
    virtual com::HResult setMessage(std::uint32_t value, MapiMessage* message) = 0;
    virtual com::HResult close() = 0;
    virtual com::HResult query(std::uint32_t what, std::uint32_t* answer) = 0;
    virtual com::HResult activate() = 0;
    virtual com::HResult doAction(std::uint32_t action, std::uint32_t* result) = 0;
    virtual com::HResult supportedActions(std::uint32_t flags, std::uint32_t* result) = 0;
    virtual com::HResult createView(ui::WindowHandle parent) = 0;
    virtual com::HResult deactivate() = 0;
    virtual com::HResult refresh() = 0;
    virtual com::HResult siteCall(std::uint32_t what) = 0;
    virtual com::HResult setSavedValue(std::uint32_t value) = 0;
    virtual std::int64_t windowMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) = 0;
};

class IFormProvider : public com::IUnknown {
public:
    // 0 (read) or 1 (unread) for the message flags.
    virtual com::HResult messageStatusIcon(std::uint32_t messageFlags, std::int32_t* icon) = 0;
    virtual com::HResult composeForm(IMessageSite* site, MapiMessage* message, std::uint32_t composeKind,
        MapiMessage* repliedTo, const ComposeFormFields* fields, IMessageForm** form, com::IUnknown** extra)
        = 0;
    virtual com::HResult readForm(
        IMessageSite* site, MapiMessage* message, ui::WindowHandle parent, IMessageForm** form)
        = 0;
    virtual com::HResult setMessageClass(const char16_t* messageClass) = 0;
};

} // namespace tessel::mapi
