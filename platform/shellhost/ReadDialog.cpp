#include "platform/shellhost/ReadDialog.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/TextCodec.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/PropValue.h"
#include "platform/shellhost/MessageSite.h"
#include "platform/shellhost/TesselFmLibrary.h"

namespace tessel::shellhost {

namespace {

constexpr std::uint32_t kReply = 200;
constexpr std::uint32_t kForward = 201;
constexpr std::uint32_t kBack = 202;
constexpr int kTextId = 300;

} // namespace

ReadDialog::ReadDialog(const TesselFmLibrary& library, std::unique_ptr<mapi::MapiMessage> message)
    : library_(library)
    , message_(std::move(message))
{
}

ReadDialog::~ReadDialog()
{
    releaseForm();
}

std::u16string ReadDialog::messageText(mapi::MapiMessage* message, std::uint32_t tag)
{
    const mapi::PropValue value = message->getProps({tag}).front();
    return value.isMissing() ? std::u16string() : kernel::utf8ToWide(value.text);
}

void ReadDialog::compose(const TesselFmLibrary& library, mapi::MapiMessage* message, std::uint32_t kind)
{
    mapi::IFormProvider* provider = nullptr;
    if (com::failed(library.formProvider(messageText(message, mapi::kPropMessageClass), &provider)))
        return;
    auto* site = new MessageSite;
    const bool reply = kind == mapi::kComposeReply || kind == mapi::kComposeReplyAll;
    mapi::ComposeFormFields fields;
    if (!reply) {
        fields.subject = messageText(message, mapi::kPropSubject);
        fields.body = messageText(message, mapi::kPropBody);
    }
    mapi::IMessageForm* form = nullptr;
    com::IUnknown* extra = nullptr;
    const com::HResult result = provider->composeForm(
        site, reply ? nullptr : message, kind, reply ? message : nullptr, &fields, &form, &extra);
    kernel::appendDeviceLog("inbox",
        std::string(reply ? "reply " : "forward ") + (com::succeeded(result) ? "handed over" : "failed"));
    site->release();
    provider->release();
}

void ReadDialog::onCreate()
{
    const bool formClass = messageText(message_.get(), mapi::kPropMessageClass) == kFormClass;
    auto bar = std::make_shared<ui::Menu>();
    if (formClass) {
        auto options = std::make_shared<ui::Menu>();
        options->add(kForward, u"Forward").add(kBack, u"Back");
        bar->add(kReply, u"Reply").addPopup(u"Menu", options);
    } else {
        bar->add(kBack, u"Back");
    }
    setMenuBar(bar);
    mapi::IFormProvider* provider = nullptr;
    if (formClass && com::succeeded(library_.formProvider(kFormClass, &provider))) {
        site_ = new MessageSite;
        if (com::failed(provider->readForm(site_, message_.get(), handle(), &form_)))
            kernel::appendDeviceLog("inbox", "read form failed");
        provider->release();
    }
    if (!form_)
        text_.create(this, kTextId, messageText(message_.get(), mapi::kPropSubject));
}

void ReadDialog::releaseForm()
{
    if (form_)
        form_->release();
    form_ = nullptr;
    if (site_)
        site_->release();
    site_ = nullptr;
}

std::int64_t ReadDialog::onCommand(std::uint32_t id, std::uint32_t code)
{
    switch (id) {
    case kReply:
        compose(library_, message_.get(), mapi::kComposeReply);
        return 0;
    case kForward:
        compose(library_, message_.get(), mapi::kComposeForward);
        return 0;
    case kBack:
        endDialog(static_cast<int>(ui::kIdCancel));
        return 0;
    default:
        return Dialog::onCommand(id, code);
    }
}

std::int64_t ReadDialog::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    // The read form closes its window by closing ours.
    if (message == ui::kWmClose) {
        endDialog(static_cast<int>(ui::kIdCancel));
        return 0;
    }
    return Dialog::windowProc(message, wParam, lParam);
}

} // namespace tessel::shellhost
