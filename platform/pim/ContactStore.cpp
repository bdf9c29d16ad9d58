#include "platform/pim/ContactStore.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace tessel::pim {

namespace {

constexpr std::size_t kPhoneDigits = 10;

// The last 10 digits of the text, digits only.
std::string phoneKey(const std::string& text)
{
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits.size() > kPhoneDigits ? digits.substr(digits.size() - kPhoneDigits) : digits;
}

void logSkipped(std::size_t line, const std::string& why)
{
    kernel::appendDeviceLog("pim", "contacts.txt line " + std::to_string(line) + ": " + why);
}

bool parseOid(const std::string& text, std::uint32_t* oid)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value == 0 || value > 0xFFFFFFFFull)
        return false;
    *oid = static_cast<std::uint32_t>(value);
    return true;
}

} // namespace

std::string Contact::property(std::uint32_t tag) const
{
    switch (tag) {
    case kPropEmail1:
        return email1;
    case kPropEmail2:
        return email2;
    case kPropEmail3:
        return email3;
    case kPropMobile:
        return mobile;
    default:
        return {};
    }
}

bool ContactStore::logon()
{
    contacts_.clear();
    const std::string path = kernel::deviceRoot() + "/contacts.txt";
    std::ifstream file(path);
    if (!file.is_open()) {
        struct stat st { };
        if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
            return true;
        kernel::appendDeviceLog("pim", "contacts.txt cannot be read");
        return false;
    }
    Contact* current = nullptr;
    bool skipping = false;
    std::string line;
    for (std::size_t number = 1; std::getline(file, line); ++number) {
        const std::string text = kernel::trimBlanks(line);
        if (text.empty() || text[0] == '#')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            logSkipped(number, "not \"key = value\"");
            continue;
        }
        const std::string key = kernel::trimBlanks(line.substr(0, equals));
        const std::string value = kernel::trimBlanks(line.substr(equals + 1));
        if (key == "oid") {
            std::uint32_t oid = 0;
            skipping = !parseOid(value, &oid) || itemFromOid(oid);
            if (skipping) {
                logSkipped(
                    number, "object id \"" + value + "\" is not a new positive number; contact skipped");
                current = nullptr;
                continue;
            }
            contacts_.emplace_back();
            current = &contacts_.back();
            current->oid = oid;
            continue;
        }
        if (skipping)
            continue;
        if (!current) {
            logSkipped(number, "\"" + key + "\" before the first oid");
            continue;
        }
        if (key == "file-as")
            current->fileAs = value;
        else if (key == "name")
            current->name = value;
        else if (key == "email1")
            current->email1 = value;
        else if (key == "email2")
            current->email2 = value;
        else if (key == "email3")
            current->email3 = value;
        else if (key == "mobile")
            current->mobile = value;
        else
            logSkipped(number, "unknown key \"" + key + "\"");
    }
    return true;
}

void ContactStore::logoff()
{
    contacts_.clear();
}

bool ContactStore::defaultFolder(int folder, std::vector<Contact>* items) const
{
    items->clear();
    if (folder != kFolderContacts)
        return false;
    *items = contacts_;
    return true;
}

const Contact* ContactStore::item(std::size_t index) const
{
    return index >= 1 && index <= contacts_.size() ? &contacts_[index - 1] : nullptr;
}

const Contact* ContactStore::itemFromOid(std::uint32_t oid) const
{
    for (const Contact& contact : contacts_)
        if (contact.oid == oid)
            return &contact;
    return nullptr;
}

const Contact* ContactStore::findByPhone(const std::string& address) const
{
    const std::string key = phoneKey(address);
    if (key.empty() || address.find('@') != std::string::npos)
        return nullptr;
    for (const Contact& contact : contacts_)
        if (phoneKey(contact.mobile) == key)
            return &contact;
    return nullptr;
}

const Contact* ContactStore::findByEmail(const std::string& address) const
{
    const std::string wanted = kernel::trimBlanks(address);
    if (wanted.empty())
        return nullptr;
    for (const Contact& contact : contacts_)
        for (const std::string* email : {&contact.email1, &contact.email2, &contact.email3})
            if (kernel::equalsIgnoringAsciiCase(*email, wanted))
                return &contact;
    return nullptr;
}

const Contact* ContactStore::findMatching(const std::string& address) const
{
    const Contact* byPhone = findByPhone(address);
    return byPhone ? byPhone : findByEmail(address);
}

} // namespace tessel::pim
