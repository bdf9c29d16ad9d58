#include "platform/pim/ContactChooser.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/TextCodec.h"
#include "platform/pim/ContactStore.h"
#include "platform/ui/ListPicker.h"

namespace tessel::pim {

namespace {

std::u16string wide(const std::string& utf8)
{
    return kernel::utf8ToWide(utf8);
}

const char* label(std::uint32_t tag)
{
    switch (tag) {
    case kPropEmail1:
        return "E-mail";
    case kPropEmail2:
        return "E-mail 2";
    case kPropEmail3:
        return "E-mail 3";
    case kPropMobile:
        return "Mobile";
    default:
        return "Other";
    }
}

std::vector<std::uint32_t> heldProperties(const Contact& contact, const std::vector<std::uint32_t>& required)
{
    std::vector<std::uint32_t> held;
    for (std::uint32_t tag : required)
        if (!contact.property(tag).empty())
            held.push_back(tag);
    return held;
}

} // namespace

std::uint32_t chooseContact(ui::Window* owner, ChooseContactRequest* request)
{
    ContactStore store;
    if (!store.logon())
        return kPimNotFound;
    const Contact* contact = nullptr;
    if (request->flags & kChooseOneContact) {
        contact = store.itemFromOid(request->oid);
        if (!contact || heldProperties(*contact, request->requiredProperties).empty()) {
            kernel::appendDeviceLog(
                "pim", "chooser: no contact " + std::to_string(request->oid) + " to choose from");
            return kPimNotFound;
        }
    } else {
        std::vector<const Contact*> offered;
        std::vector<std::u16string> rows;
        for (std::size_t i = 1; i <= store.count(); ++i) {
            const Contact* candidate = store.item(i);
            if (heldProperties(*candidate, request->requiredProperties).empty())
                continue;
            offered.push_back(candidate);
            rows.push_back(wide(candidate->fileAs.empty() ? candidate->name : candidate->fileAs));
        }
        const int row = ui::pickFromList(owner, u"Contacts", rows);
        if (row < 0 || static_cast<std::size_t>(row) >= offered.size())
            return kPimCancelled;
        contact = offered[static_cast<std::size_t>(row)];
    }
    const std::vector<std::uint32_t> held = heldProperties(*contact, request->requiredProperties);
    std::vector<std::u16string> rows;
    for (std::uint32_t tag : held)
        rows.push_back(wide(std::string(label(tag)) + ": " + contact->property(tag)));
    const int row
        = ui::pickFromList(owner, wide(contact->fileAs.empty() ? contact->name : contact->fileAs), rows);
    if (row < 0 || static_cast<std::size_t>(row) >= held.size())
        return kPimCancelled;
    request->chosenOid = contact->oid;
    if (request->flags & kChooseReturnName)
        request->name = contact->name;
    if (request->flags & kChooseReturnValue) {
        request->chosenProperty = held[static_cast<std::size_t>(row)];
        request->value = contact->property(request->chosenProperty);
    }
    return kPimOk;
}

} // namespace tessel::pim
