// Built only in the sanitizer tree: faults planted on purpose, each of which
// the sanitizers must end the program on, with their report.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include <sanitizer/lsan_interface.h>

namespace {

void overflowTheHeap()
{
    char* block = new char[8];
    volatile int past = 8;
    block[past] = 1;
    delete[] block;
}

void useAfterFree()
{
    int* value = new int(1);
    delete value;
    volatile int read = *value;
    (void)read;
}

void overflowASignedInt()
{
    volatile int big = INT_MAX;
    volatile int sum = big + 1;
    (void)sum;
}

void shiftTooFar()
{
    volatile int by = 40;
    volatile int shifted = 1 << by;
    (void)shifted;
}

// Its frame is gone before the check, so no stale copy of the pointer remains.
__attribute__((noinline)) void loseABlock()
{
    volatile char* lost = new char[64];
    lost[0] = 1;
    lost = nullptr;
}

void leak()
{
    loseABlock();
    __lsan_do_leak_check();
}

struct PlantedFault {
    const char* name;
    void (*fault)();
    const char* report;
};

const PlantedFault kPlantedFaults[] = {
    {"heap overflow", overflowTheHeap, "AddressSanitizer: heap-buffer-overflow"},
    {"use after free", useAfterFree, "AddressSanitizer: heap-use-after-free"},
    {"signed overflow", overflowASignedInt, "runtime error: signed integer overflow"},
    {"shift past the width", shiftTooFar, "runtime error: shift exponent 40"},
    {"leak", leak, "LeakSanitizer: detected memory leaks"},
};

TEST(SanitizerDeathTest, PlantedFaultsEndTheProgramWithTheirReport)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const PlantedFault& f : kPlantedFaults)
        EXPECT_DEATH(f.fault(), f.report) << f.name;
}

} // namespace
