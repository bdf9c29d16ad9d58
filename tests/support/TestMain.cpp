#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestChild.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // A second process of one of the tests: it works in that test's device
    // root, which it inherits.
    int childStatus = 0;
    if (runTestChildIfAsked(argc, argv, &childStatus))
        return childStatus;
    testing::InitGoogleTest(&argc, argv);
    // A device root of the run's own, so that no test writes its logs or
    // files into the user's: cases that need a fresh one still make it.
    const TempDeviceRoot root;
    return RUN_ALL_TESTS();
}
