// The launcher: opens the program into a task named by its one word.
//
//   launcher [Compose | Post2Service | ConfigureService | register]
//
// It writes the matching launch request and hands it to the program,
// starting the program first when it does not run. Only the first word
// counts, compared exactly; no word or any other gives ConfigureService.
// "register" only starts the program (its values are written empty and
// nothing is posted). The exit code is always 0.

#include "shell/LaunchHandoff.h"
#include "ui/LaunchRequest.h"

#include <cstring>

int main(int argc, char** argv)
{
    const char* word = argc > 1 ? argv[1] : "";
    ComposeRequest request;
    std::uint32_t message = kLaunchMessage;
    if (std::strcmp(word, "Compose") == 0) {
        request.messageClass = kLaunchClassTessel;
    } else if (std::strcmp(word, "Post2Service") == 0) {
        request.messageClass = kLaunchClassPost;
    } else if (std::strcmp(word, "register") == 0) {
        message = 0;
    } else {
        request.messageClass = kLaunchClassPost;
        request.to = kLaunchConfigure;
    }
    DeliverLaunch(&request, message, 0, 0);
    return 0;
}
