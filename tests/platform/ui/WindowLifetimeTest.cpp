#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestChild.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <string>

namespace {

// Namespace-scope objects: which of them is built first, these or the
// window system's own, is up to the linker.
tessel::ui::Window gTop;
tessel::ui::Window gChild;

// A window that lives in a static object, with a child and a timer, is
// still alive when the process ends: its destructor then runs after every
// other static of the window system has been built, and must not touch one
// that is already gone.
TESSEL_TEST_CHILD(staticWindowAtExit)
{
    if (!gTop.create(u"STATIC", u"top") || !gChild.create(u"STATIC", u"child", &gTop, 7))
        return 3;
    if (!tessel::ui::setTimer(gTop.handle(), 1, 60000))
        return 4;
    return 0;
}

TEST(WindowLifetime, AWindowStillAliveAtExitEndsTheProcessCleanly)
{
    TempDeviceRoot root;
    const pid_t pid
        = testSpawn({testChildProgram(), testChildFlag("staticWindowAtExit")}, root.hostPath("out"));
    ASSERT_GT(pid, 0);
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << ": " << root.readFile("out");
}

} // namespace
