#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The phone's contacts (the Pocket Outlook application object, as far as
// the program asks): "contacts.txt" in the device root, a file a person
// edits by hand, read afresh at each logon. One block per contact, the
// block starting with its object id:
//
//   # comment
//   oid = 101
//   file-as = Smith, Anna
//   name = Anna Smith
//   email1 = anna@example.com        (property 0x0090001F)
//   email2 = ...                     (0x0091001F)
//   email3 = ...                     (0x0092001F)
//   mobile = +1 (425) 555-0100       (0x0096001F)
//
// A line that does not parse, a key before the first "oid", an object id
// that is not a positive number or repeats an earlier one: that line (or
// block) is skipped and logged to log/pim.log. Texts are UTF-8.
namespace tessel::pim {

inline constexpr std::uint32_t kPropEmail1 = 0x0090001F;
inline constexpr std::uint32_t kPropEmail2 = 0x0091001F;
inline constexpr std::uint32_t kPropEmail3 = 0x0092001F;
inline constexpr std::uint32_t kPropMobile = 0x0096001F;
inline constexpr int kFolderContacts = 10;

struct Contact {
    std::uint32_t oid = 0;
    std::string fileAs;
    std::string name;
    std::string email1;
    std::string email2;
    std::string email3;
    std::string mobile;

    // The value of one of the four properties; empty for any other tag.
    std::string property(std::uint32_t tag) const;
};

class ContactStore {
public:
    // Reads the file (a missing file is an empty store); false when it
    // exists but cannot be read.
    bool logon();
    void logoff();

    // The items of a default folder: only kFolderContacts has any.
    bool defaultFolder(int folder, std::vector<Contact>* items) const;
    // Items count from 1, as the phone's collections do; null past the end.
    const Contact* item(std::size_t index) const;
    std::size_t count() const { return contacts_.size(); }
    const Contact* itemFromOid(std::uint32_t oid) const;

    // The first contact whose mobile number ends in the same 10 digits as
    // the address (digits only on both sides; an address holding "@" is no
    // phone number).
    const Contact* findByPhone(const std::string& address) const;
    // The first contact with an e-mail address equal to the address but
    // for the case of ASCII letters.
    const Contact* findByEmail(const std::string& address) const;
    // By phone number, then by e-mail.
    const Contact* findMatching(const std::string& address) const;

private:
    std::vector<Contact> contacts_;
};

} // namespace tessel::pim
