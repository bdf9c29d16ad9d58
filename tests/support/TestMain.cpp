#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A device root of the run's own, so that no test writes its logs or
    // files into the user's: cases that need a fresh one still make it.
    const TempDeviceRoot root;
    return RUN_ALL_TESTS();
}
