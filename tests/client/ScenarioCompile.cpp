#include "tests/client/ScenarioCompile.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::vector<std::uint8_t> compileScenario(const std::string& source, std::string* errors)
{
    char dir[] = "/tmp/tessel-scenario-XXXXXX";
    if (!mkdtemp(dir))
        return {};
    const std::string base(dir);
    const std::string sourcePath = base + "/test.sc";
    const std::string outPath = base + "/test.p2";
    const std::string logPath = base + "/log.txt";
    std::ofstream(sourcePath) << source;

    const std::string compiler = std::string(TESSEL_BINARY_DIR) + "/bin/scenarioc";
    std::vector<std::string> args = {compiler, "-o", outPath, sourcePath};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, compiler.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);

    std::vector<std::uint8_t> bytes;
    if (status == 0) {
        std::ifstream in(outPath, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (errors) {
        std::ifstream log(logPath);
        std::stringstream text;
        text << log.rdbuf();
        *errors = text.str();
    }
    std::remove(sourcePath.c_str());
    std::remove(outPath.c_str());
    std::remove(logPath.c_str());
    rmdir(dir);
    return bytes;
}
