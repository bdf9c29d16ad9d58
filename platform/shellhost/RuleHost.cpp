#include "platform/shellhost/RuleHost.h"

#include "platform/mapi/EntryId.h"
#include "platform/mapi/MailRuleClient.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageStore.h"
#include "platform/shellhost/TesselFmLibrary.h"

#include <memory>

namespace tessel::shellhost {

namespace {

// The rule client's class, as the phone's registration names it.
constexpr com::Guid kClsidRuleClient = com::guid("{8DCAF4E4-B1DE-4721-BBED-06186ECCA898}");

} // namespace

int RuleHost::receive(const std::string& sender, const std::string& text, std::int32_t* handled)
{
    std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
    if (!session)
        return 1;
    std::unique_ptr<mapi::MessageStore> store;
    std::unique_ptr<mapi::MapiFolder> inbox;
    if (session->openStore(mapi::storeEntryId("SMS"), &store) != mapi::kMapiOk)
        return 1;
    const mapi::PropValue inboxId = store->getProps({mapi::kPropInboxEntryId}).front();
    if (inboxId.isMissing() || store->openFolder(inboxId.text, &inbox) != mapi::kMapiOk)
        return 1;
    std::unique_ptr<mapi::MapiMessage> message = inbox->createMessage();
    message->setProps({
        mapi::PropValue::ofText(mapi::kPropMessageClass, "IPM.SMSText"),
        mapi::PropValue::ofText(mapi::kPropSubject, text),
        mapi::PropValue::ofText(mapi::kPropSenderEmail, sender),
        mapi::PropValue::ofNumber(mapi::kPropMessageFlags, 0),
    });
    if (message->saveChanges() != mapi::kMapiOk)
        return 1;
    const std::string entryId = message->entryId();
    message.reset();

    mapi::IMailRuleClient* client = nullptr;
    if (com::failed(library_.createObject(
            kClsidRuleClient, mapi::kIidMailRuleClient, reinterpret_cast<void**>(&client))))
        return 1;
    std::int32_t access = 0;
    client->initialize(store.get(), &access);
    std::uint32_t eventType = 0;
    *handled = mapi::kRuleNotHandled;
    const com::HResult result
        = client->processMessage(store.get(), static_cast<std::uint32_t>(entryId.size()),
            reinterpret_cast<const std::uint8_t*>(entryId.data()), 0, nullptr, &eventType, handled);
    client->release();
    return com::succeeded(result) ? 0 : 1;
}

} // namespace tessel::shellhost
