#include "engine/core/text/VXLUri.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

std::array<int, 4> octetsOf(const CVXLUri& uri)
{
    const std::uint32_t value = uri.ipv4Octets();
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

struct Case {
    const char* address;
    const char* scheme;
    const char* authority;
    const char* userInfo;
    const char* hostPort;
    const char* hostName;
    const char* ipv4;
    std::array<int, 4> octets;
    const char* port;
    int portNumber;
    const char* path;
    const char* query;
    const char* fragment;
};

const Case kCases[] = {
    // address, scheme, authority, userInfo, hostPort, hostName, ipv4, octets, port, number, path, query,
    // fragment
    {"HTTP://Www.Example.COM/index.html", "http", "Www.Example.COM", "", "www.example.com", "www.example.com",
        "", {0, 0, 0, 0}, "80", 80, "/index.html", "", ""},
    {"https://u@h:443", "https", "u@h:443", "u", "h:443", "h", "", {0, 0, 0, 0}, "443", 443, "", "", ""},
    {"http://10.1.2.3:8080/a?b=c#d", "http", "10.1.2.3:8080", "", "10.1.2.3:8080", "", "10.1.2.3",
        {10, 1, 2, 3}, "8080", 8080, "/a", "b=c", "d"},
    {"http://001.002.003.254/", "http", "001.002.003.254", "", "001.002.003.254", "", "001.002.003.254",
        {1, 2, 3, 254}, "80", 80, "/", "", ""},
    {"http://[FE80::1]:81/x", "http", "[FE80::1]:81", "", "[fe80::1]:81", "", "", {0, 0, 0, 0}, "81", 81,
        "/x", "", ""},
    {"http://256.1.1.1/", "http", "256.1.1.1", "", "256.1.1.1", "256.1.1.1", "", {0, 0, 0, 0}, "80", 80, "/",
        "", ""},
    {"ftp://user:pw@files.example.org", "ftp", "user:pw@files.example.org", "user:pw", "files.example.org",
        "files.example.org", "", {0, 0, 0, 0}, "21", 21, "", "", ""},
    {"telnet://h:", "telnet", "h:", "", "h:", "h", "", {0, 0, 0, 0}, "23", 23, "", "", ""},
    {"HTTPS://USER@HOST", "https", "USER@HOST", "USER", "host", "host", "", {0, 0, 0, 0}, "443", 443, "", "",
        ""},
    {"http://a@b@c/", "http", "a@b@c", "a@b", "c", "c", "", {0, 0, 0, 0}, "80", 80, "/", "", ""},
    {"//example.com:8000/path", "", "example.com:8000", "", "example.com:8000", "example.com", "",
        {0, 0, 0, 0}, "8000", 8000, "/path", "", ""},
    {"http://h:65535", "http", "h:65535", "", "h:65535", "h", "", {0, 0, 0, 0}, "65535", 65535, "", "", ""},
    {"http://h:00080", "http", "h:00080", "", "h:00080", "h", "", {0, 0, 0, 0}, "00080", 80, "", "", ""},
    // A port that does not fit 16 bits is no port, and no default either.
    {"http://h:65536/", "http", "h:65536", "", "h:65536", "h", "", {0, 0, 0, 0}, "", 0, "/", "", ""},
    {"http://h:99999999999/", "http", "h:99999999999", "", "h:99999999999", "h", "", {0, 0, 0, 0}, "", 0, "/",
        "", ""},
    {"gopher://h/", "gopher", "h", "", "h", "h", "", {0, 0, 0, 0}, "", 0, "/", "", ""},
    {"mailto:someone@example.com", "mailto", "", "", "", "", "", {0, 0, 0, 0}, "", 0, "someone@example.com",
        "", ""},
    {"rel/path?q=1#top", "", "", "", "", "", "", {0, 0, 0, 0}, "", 0, "rel/path", "q=1", "top"},
    {"/a/b#f?g", "", "", "", "", "", "", {0, 0, 0, 0}, "", 0, "/a/b", "", "f?g"},
    {"", "", "", "", "", "", "", {0, 0, 0, 0}, "", 0, "", "", ""},
};

void expectParts(const CVXLUri& uri, const Case& c)
{
    SCOPED_TRACE(c.address);
    EXPECT_STREQ(uri.scheme().c_str(), c.scheme);
    EXPECT_STREQ(uri.authority().c_str(), c.authority);
    EXPECT_STREQ(uri.userInfo().c_str(), c.userInfo);
    EXPECT_STREQ(uri.hostPort().c_str(), c.hostPort);
    EXPECT_STREQ(uri.hostName().c_str(), c.hostName);
    EXPECT_STREQ(uri.ipv4Address().c_str(), c.ipv4);
    EXPECT_EQ(octetsOf(uri), c.octets);
    EXPECT_STREQ(uri.port().c_str(), c.port);
    EXPECT_EQ(uri.portNumber(), c.portNumber);
    EXPECT_STREQ(uri.path().c_str(), c.path);
    EXPECT_STREQ(uri.query().c_str(), c.query);
    EXPECT_STREQ(uri.fragment().c_str(), c.fragment);
    EXPECT_EQ(uri.hasUserInfo(), *c.userInfo != 0);
    EXPECT_EQ(uri.hasHostName(), *c.hostName != 0);
    EXPECT_EQ(uri.hasIpv4Address(), *c.ipv4 != 0);
}

TEST(VXLUri, SplitsAddressesIntoTheirParts)
{
    for (const Case& c : kCases)
        expectParts(CVXLUri(CVXLString(c.address)), c);
}

// Every address stays split correctly while another one is split in between:
// the parts of one must not come from the other's last run.
TEST(VXLUri, TwoAddressesAliveAtOnceKeepTheirOwnParts)
{
    const std::size_t n = sizeof kCases / sizeof kCases[0];
    for (std::size_t i = 0; i < n; ++i) {
        const Case& first = kCases[i];
        const Case& second = kCases[(i + 7) % n];
        CVXLUri a(CVXLString(first.address));
        EXPECT_STREQ(a.path().c_str(), first.path); // a is split now
        CVXLUri b(CVXLString(second.address));
        expectParts(b, second);
        expectParts(a, first);
    }
}

TEST(VXLUri, ChangesOfTheTextAreSplitAgain)
{
    CVXLUri uri(CVXLString("http://h/a"));
    EXPECT_STREQ(uri.path().c_str(), "/a");
    uri += "?x=1";
    EXPECT_STREQ(uri.path().c_str(), "/a");
    EXPECT_STREQ(uri.query().c_str(), "x=1");
    uri = CVXLString("https://other:8443/");
    EXPECT_STREQ(uri.hostName().c_str(), "other");
    EXPECT_EQ(uri.portNumber(), 8443);
    const CVXLUri& self = uri;
    uri = self;
    EXPECT_STREQ(uri.scheme().c_str(), "https") << "self-assignment keeps the address";

    // Copies and assignments hold the shared patterns; any destruction order
    // leaves the survivors working.
    auto* first = new CVXLUri(CVXLString("http://one/"));
    auto* copy = new CVXLUri(*first);
    CVXLUri assigned;
    assigned = *copy;
    delete first;
    EXPECT_STREQ(copy->hostName().c_str(), "one");
    delete copy;
    EXPECT_STREQ(assigned.hostName().c_str(), "one");

    CVXLUri empty;
    EXPECT_STREQ(empty.path().c_str(), "");
    EXPECT_STREQ(empty.port().c_str(), "");
}

} // namespace
