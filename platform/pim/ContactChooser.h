#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessel::ui {
class Window;
}

// The phone's contact chooser: a modal list of the contacts that hold one of
// the required properties (by file-as name), then a modal list of that
// contact's non-empty required properties ("Mobile: 425 555 0100"). With
// kChooseOneContact the first list is skipped and the contact is the one
// with the request's object id. Both lists are platform/ui pickers: keys,
// a front end or a test's script answer them; Cancel fails the choice.
namespace tessel::pim {

inline constexpr std::uint32_t kChooseOneContact = 0x04;
inline constexpr std::uint32_t kChooseReturnName = 0x08;
inline constexpr std::uint32_t kChooseReturnValue = 0x10;

inline constexpr std::uint32_t kPimOk = 0;
inline constexpr std::uint32_t kPimCancelled = 0x80004004;
inline constexpr std::uint32_t kPimNotFound = 0x80070490;

struct ChooseContactRequest {
    std::uint32_t flags = kChooseReturnName | kChooseReturnValue;
    std::uint32_t oid = 0; // with kChooseOneContact
    std::vector<std::uint32_t> requiredProperties;
    // Answers: the contact's object id, its name (with kChooseReturnName),
    // the chosen property and its value (with kChooseReturnValue).
    std::uint32_t chosenOid = 0;
    std::string name;
    std::uint32_t chosenProperty = 0;
    std::string value;
};

// kPimOk with the answers filled; kPimCancelled when a list was cancelled;
// kPimNotFound when the object id names no contact or the contact holds
// none of the required properties.
std::uint32_t chooseContact(ui::Window* owner, ChooseContactRequest* request);

} // namespace tessel::pim
