#pragma once

#include <string>

// A test program can also be the second process of its own tests: run as
// `<program> --tessel-child=NAME args...` it calls the entry registered
// under NAME instead of the tests, with the arguments after the flag, and
// exits with what it answers. Tests start it through testChildArgv.
using TestChildEntry = int (*)(int argc, char** argv);

bool registerTestChild(const char* name, TestChildEntry entry);

// When argv names a child, runs it and stores its status in *status.
bool runTestChildIfAsked(int argc, char** argv, int* status);

// The command line that starts this program as the child NAME.
std::string testChildProgram();
std::string testChildFlag(const char* name);

#define TESSEL_TEST_CHILD(id)                                                                                \
    static int id##Entry(int argc, char** argv);                                                             \
    [[maybe_unused]] static const bool id##Registered = registerTestChild(#id, id##Entry);                   \
    static int id##Entry([[maybe_unused]] int argc, [[maybe_unused]] char** argv)
