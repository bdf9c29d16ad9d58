#include "engine/core/text/VXLUri.h"

#include "engine/core/text/VXLRegex.h"

namespace {

constexpr const char* kAddressPattern = "^(([^:/?#]+):)?(//([^/?#]*))?([^?#]*)(\\?([^#]*))?(#(.*))?";
constexpr const char* kAuthorityPattern = "^((.+)@)?(.+)$";
constexpr const char* kHostPattern
    = "^((\\[.+\\])|((0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])\\."
      "(0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])\\."
      "(0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])\\."
      "(0?0?[0-9]|0?[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5]))|([^:]+))(:([0-9]*))?$";

enum AuthorityGroup { kUserInfo = 2, kHostWithPort = 3 };
enum HostGroup { kBracketedHost = 2, kIpv4Host = 3, kFirstOctet = 4, kHostName = 8, kPortDigits = 10 };

struct DefaultPort {
    const char* scheme;
    const char* port;
};
constexpr DefaultPort kDefaultPorts[] = {{"http", "80"}, {"https", "443"}, {"ftp", "21"}, {"telnet", "23"}};

struct PatternSet : CVXLObject {
    int users = 0;
    CVXLRegex address;
    CVXLRegex authority;
    CVXLRegex host;
};

// Engine host thread only.
PatternSet* patterns = nullptr;

// Decimal digits to a number, saturating so a long run cannot wrap.
std::uint32_t digitsValue(const char* digits)
{
    std::uint32_t value = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        value = value * 10 + static_cast<std::uint32_t>(*digits - '0');
        if (value > CVXLUri::kMaxPort)
            return CVXLUri::kMaxPort + 1;
    }
    return value;
}

} // namespace

void CVXLUri::takePatterns()
{
    if (!patterns) {
        auto* set = new PatternSet;
        if (!set)
            return;
        set->address.compile(kAddressPattern);
        set->authority.compile(kAuthorityPattern);
        set->host.compile(kHostPattern);
        patterns = set;
    }
    ++patterns->users;
}

void CVXLUri::releasePatterns()
{
    if (patterns && --patterns->users == 0) {
        delete patterns;
        patterns = nullptr;
    }
}

CVXLUri::CVXLUri()
{
    takePatterns();
}

CVXLUri::CVXLUri(const CVXLString& text)
    : CVXLString(text)
{
    takePatterns();
}

CVXLUri::CVXLUri(const CVXLUri& other)
    : CVXLString(other)
{
    takePatterns();
}

CVXLUri& CVXLUri::operator=(const CVXLString& text)
{
    if (this != &text)
        CVXLString::operator=(text);
    needsMatching_ = true;
    return *this;
}

CVXLUri& CVXLUri::operator=(const CVXLUri& other)
{
    return *this = static_cast<const CVXLString&>(other);
}

CVXLUri::~CVXLUri()
{
    releasePatterns();
}

void CVXLUri::onChanged()
{
    needsMatching_ = true;
}

void CVXLUri::ensureSplit() const
{
    if (!needsMatching_)
        return;
    needsMatching_ = false;
    const bool matched = patterns && patterns->address.exec(c_str());
    for (int n = 0; n < kAddressGroups; ++n) {
        groupStarts_[n] = matched ? patterns->address.groupStart(n) : 0;
        groupLengths_[n] = matched ? patterns->address.groupLength(n) : 0;
    }
}

CVXLString CVXLUri::addressGroup(int n) const
{
    ensureSplit();
    return substr(groupStarts_[n], static_cast<std::uint32_t>(groupLengths_[n]));
}

CVXLString CVXLUri::scheme() const
{
    CVXLString s = addressGroup(kScheme);
    s.toLower();
    return s;
}

CVXLString CVXLUri::authority() const
{
    return addressGroup(kAuthority);
}

CVXLString CVXLUri::path() const
{
    return addressGroup(kPath);
}

CVXLString CVXLUri::query() const
{
    return addressGroup(kQuery);
}

CVXLString CVXLUri::fragment() const
{
    return addressGroup(kFragment);
}

CVXLString CVXLUri::userInfo() const
{
    const CVXLString text = authority();
    if (!patterns || !patterns->authority.exec(text.c_str()))
        return CVXLString();
    return patterns->authority.group(kUserInfo, text);
}

CVXLString CVXLUri::hostPort() const
{
    const CVXLString text = authority();
    if (!patterns || !patterns->authority.exec(text.c_str()))
        return CVXLString();
    CVXLString host = patterns->authority.group(kHostWithPort, text);
    host.toLower();
    return host;
}

bool CVXLUri::splitHost(CVXLString& text) const
{
    text = hostPort();
    return patterns && patterns->host.exec(text.c_str());
}

CVXLString CVXLUri::hostName() const
{
    CVXLString text;
    return splitHost(text) ? patterns->host.group(kHostName, text) : CVXLString();
}

CVXLString CVXLUri::ipv4Address() const
{
    CVXLString text;
    return splitHost(text) ? patterns->host.group(kIpv4Host, text) : CVXLString();
}

std::uint32_t CVXLUri::ipv4Octets() const
{
    CVXLString text;
    if (!splitHost(text) || patterns->host.groupLength(kIpv4Host) == 0)
        return 0;
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i]
            = static_cast<std::uint8_t>(digitsValue(patterns->host.group(kFirstOctet + i, text).c_str()));
    std::uint32_t address = 0;
    vxlMemCopy(&address, bytes, sizeof address);
    return address;
}

CVXLString CVXLUri::port() const
{
    CVXLString text;
    if (splitHost(text)) {
        const CVXLString digits = patterns->host.group(kPortDigits, text);
        if (digits.length() > 0) {
            // A port that does not fit must not fall back to the default and
            // silently reach another service.
            if (digitsValue(digits.c_str()) > kMaxPort)
                return CVXLString();
            return digits;
        }
    }
    const CVXLString name = scheme();
    for (const DefaultPort& d : kDefaultPorts) {
        if (name == d.scheme)
            return CVXLString(d.port);
    }
    return CVXLString();
}

std::uint16_t CVXLUri::portNumber() const
{
    return static_cast<std::uint16_t>(digitsValue(port().c_str()));
}

bool CVXLUri::hasUserInfo() const
{
    return userInfo().length() > 0;
}

bool CVXLUri::hasHostName() const
{
    return hostName().length() > 0;
}

bool CVXLUri::hasIpv4Address() const
{
    return ipv4Address().length() > 0;
}
