#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// An address held as an engine string that can be asked for its parts:
// scheme, authority, user information, host with port, host name, dotted
// IPv4 host, port, path, query and fragment.
//
// The splitting patterns are compiled once per process and shared by every
// instance (the last one alive deletes them). The address pattern runs
// lazily after each change of the text; each instance keeps the group
// ranges of its own run, so one address's parts never change when another
// address is split.
class CVXLUri : public CVXLString {
public:
    static constexpr std::uint32_t kMaxPort = 65535;

    CVXLUri();
    explicit CVXLUri(const CVXLString& text);
    CVXLUri(const CVXLUri& other);
    CVXLUri& operator=(const CVXLString& text);
    CVXLUri& operator=(const CVXLUri& other);
    ~CVXLUri() override;

    void onChanged() override;

    CVXLString scheme() const; // lower case
    CVXLString authority() const;
    CVXLString path() const;
    CVXLString query() const;
    CVXLString fragment() const;
    CVXLString userInfo() const;
    CVXLString hostPort() const; // lower case
    CVXLString hostName() const; // empty for a bracketed or dotted IPv4 host
    CVXLString ipv4Address() const;
    // The four octets in network byte order: the first octet in the first
    // byte of the value in memory. 0 when the host is not a dotted IPv4 one.
    std::uint32_t ipv4Octets() const;
    // The digits after ':', else the scheme's default port ("http" 80,
    // "https" 443, "ftp" 21, "telnet" 23), else "". Digits above 65535 are
    // no port at all: "" with no default.
    CVXLString port() const;
    // 0 when port() is empty.
    std::uint16_t portNumber() const;

    bool hasUserInfo() const;
    bool hasHostName() const;
    bool hasIpv4Address() const;

private:
    // Address pattern groups kept per instance.
    enum AddressGroup {
        kScheme = 2,
        kAuthority = 4,
        kPath = 5,
        kQuery = 7,
        kFragment = 9,
        kAddressGroups = 10
    };

    static void takePatterns();
    static void releasePatterns();
    void ensureSplit() const;
    CVXLString addressGroup(int n) const;
    // Runs the host pattern over hostPort(); false when it does not match.
    bool splitHost(CVXLString& hostPort) const;

    mutable bool needsMatching_ = true;
    mutable int groupStarts_[kAddressGroups] = {};
    mutable int groupLengths_[kAddressGroups] = {};
};
