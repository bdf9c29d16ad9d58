#pragma once

#include "platform/mapi/MessageForm.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Static.h"

#include <memory>
#include <string>

// The messaging application's window of one open message. A message of a
// class the library serves is shown by the library's read form; any other
// by its text. Reply and Forward hand the message to the library's compose
// form.
namespace tessel::mapi {
class MapiMessage;
}

namespace tessel::shellhost {

class TesselFmLibrary;
class MessageSite;

inline constexpr const char16_t* kFormClass = u"IPM.SMSText.Tessel";

class ReadDialog : public ui::Dialog {
public:
    ReadDialog(const TesselFmLibrary& library, std::unique_ptr<mapi::MapiMessage> message);
    ~ReadDialog() override;

    // The compose form of the library for the message: a reply (kind
    // mapi::kComposeReply) or a forward.
    static void compose(const TesselFmLibrary& library, mapi::MapiMessage* message, std::uint32_t kind);
    // The message's class, subject and body.
    static std::u16string messageText(mapi::MapiMessage* message, std::uint32_t tag);

protected:
    void onCreate() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    void releaseForm();

    const TesselFmLibrary& library_;
    std::unique_ptr<mapi::MapiMessage> message_;
    MessageSite* site_ = nullptr;
    mapi::IMessageForm* form_ = nullptr;
    ui::Static text_;
};

} // namespace tessel::shellhost
