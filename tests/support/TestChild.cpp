#include "tests/support/TestChild.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

const char kFlag[] = "--tessel-child=";

std::map<std::string, TestChildEntry>& entries()
{
    static std::map<std::string, TestChildEntry> all;
    return all;
}

} // namespace

bool registerTestChild(const char* name, TestChildEntry entry)
{
    return entries().emplace(name, entry).second;
}

bool runTestChildIfAsked(int argc, char** argv, int* status)
{
    if (argc < 2 || std::strncmp(argv[1], kFlag, sizeof kFlag - 1) != 0)
        return false;
    const auto found = entries().find(argv[1] + sizeof kFlag - 1);
    if (found == entries().end()) {
        std::fprintf(stderr, "no test child named %s\n", argv[1] + sizeof kFlag - 1);
        *status = 2;
        return true;
    }
    *status = found->second(argc - 2, argv + 2);
    return true;
}

std::string testChildProgram()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::string testChildFlag(const char* name)
{
    return std::string(kFlag) + name;
}
