// A second process for tests of the phone's message store. Exit status 2
// means bad usage.
//
//   mapicrash replace ID SPIN   rewrites the Inbox message ID again and
//                               again, its body alternating between 4,000
//                               "a"s and 9,000 "b"s, and is killed by
//                               SIGKILL after SPIN turns of a busy loop
//   mapicrash write N CLASS     stores N new messages of that class in the
//                               Inbox, one at a time

#include "SelfKill.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageFolderFiles.h"
#include "platform/mapi/MessageStore.h"

#include <cstdlib>
#include <string>

using namespace tessel::mapi;

namespace {

std::unique_ptr<MapiFolder> openInbox()
{
    auto session = MapiSession::logon();
    if (!session)
        return nullptr;
    const auto stores = session->storeTable({kPropDisplayName, kPropEntryId});
    for (const PropRow& row : stores) {
        if (row[0].text != "SMS")
            continue;
        std::unique_ptr<MessageStore> store;
        std::unique_ptr<MapiFolder> inbox;
        if (session->openStore(row[1].text, &store) == kMapiOk
            && store->openFolder(store->getProps({kPropInboxEntryId})[0].text, &inbox) == kMapiOk)
            return inbox;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "replace" && argc == 4) {
        MessageFolderFiles files(tessel::kernel::deviceFolder("mapi") + "/SMS/Inbox");
        std::atomic<bool> started {false};
        killAfterSpin(std::strtoul(argv[3], nullptr, 10), started);
        MessageRecord record;
        for (unsigned long n = 0;; ++n) {
            record.props = {PropValue::ofText(kPropMessageClass, "IPM.SMSText"),
                PropValue::ofText(kPropBody, n % 2 ? std::string(9000, 'b') : std::string(4000, 'a'))};
            files.write(argv[2], record);
            started = true;
        }
    }
    if (verb == "write" && argc == 4) {
        auto inbox = openInbox();
        if (!inbox)
            return 1;
        const long count = std::strtol(argv[2], nullptr, 10);
        for (long n = 0; n < count; ++n) {
            auto message = inbox->createMessage();
            message->setProps({PropValue::ofText(kPropMessageClass, argv[3]),
                PropValue::ofText(kPropSubject, "c++ " + std::to_string(n))});
            if (message->saveChanges() != kMapiOk)
                return 1;
        }
        return 0;
    }
    return 2;
}
