#include "tests/support/ExternalTool.h"

#include "tests/support/TestProcess.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

std::string findProgram(const char* program, const char* pathVariable)
{
    const std::string name = program;
    if (name.find('/') != std::string::npos)
        return access(program, X_OK) == 0 ? name : std::string();
    const std::string path = pathVariable ? pathVariable : "";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t colon = path.find(':', start);
        if (colon == std::string::npos)
            colon = path.size();
        const std::string dir = colon > start ? path.substr(start, colon - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = colon + 1;
    }
    return {};
}

std::string shellQuoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

const ExternalTool& testToolSquid()
{
    static const ExternalTool tool {"squid", "/usr/sbin/squid", "/usr/lib/squid/basic_ncsa_auth", "-v"};
    return tool;
}

const ExternalTool& testToolTshark()
{
    static const ExternalTool tool {"tshark", "tshark", "", "-v"};
    return tool;
}

const ExternalTool& testToolTmux()
{
    static const ExternalTool tool {"tmux", "tmux", "", "-V"};
    return tool;
}

const ExternalTool& testToolConvert()
{
    static const ExternalTool tool {"ImageMagick convert", "convert", "", "-version"};
    return tool;
}

const ExternalTool& testToolJpegtran()
{
    static const ExternalTool tool {"jpegtran", "jpegtran", "", "-version"};
    return tool;
}

const ExternalTool& testToolIdentify()
{
    static const ExternalTool tool {"ImageMagick identify", "identify", "", "-version"};
    return tool;
}

const ExternalTool& testToolImport()
{
    static const ExternalTool tool {"ImageMagick import", "import", "", "-version"};
    return tool;
}

const ExternalTool& testToolCompare()
{
    static const ExternalTool tool {"ImageMagick compare", "compare", "", "-version"};
    return tool;
}

const ExternalTool& testToolPngcheck()
{
    static const ExternalTool tool {"pngcheck", "pngcheck", "", "-h"};
    return tool;
}

const ExternalTool& testToolXvfbRun()
{
    static const ExternalTool tool {"xvfb-run", "xvfb-run", "", "--help"};
    return tool;
}

const ExternalTool& testToolXdotool()
{
    static const ExternalTool tool {"xdotool", "xdotool", "", "--version"};
    return tool;
}

const ExternalTool& testToolXmllint()
{
    static const ExternalTool tool {"xmllint", "xmllint", "", "--version"};
    return tool;
}

const ExternalTool& testToolSox()
{
    static const ExternalTool tool {"sox", "sox", "", "--version"};
    return tool;
}

ToolCheck testCheckTool(const ExternalTool& tool, const char* pathVariable, const char* ciVariable)
{
    ToolCheck check;
    check.path = findProgram(tool.program, pathVariable);
    const bool companion = tool.companion[0] == '\0' || access(tool.companion, X_OK) == 0;
    if (check.path.empty() || !companion) {
        const bool ci = ciVariable != nullptr && std::string(ciVariable) == "true";
        check.verdict = ci ? ToolVerdict::Fail : ToolVerdict::Skip;
        check.message = std::string(tool.name) + " is not installed ("
            + (check.path.empty() ? tool.program : tool.companion) + " not found)"
            + (ci ? "; CI=true needs it" : "");
        return check;
    }
    const TestCommandResult run = testRunCommand(shellQuoted(check.path) + " " + tool.probe + " 2>&1");
    if (run.status != 0) {
        check.verdict = ToolVerdict::Fail;
        check.message = std::string(tool.name) + " is installed at " + check.path + " but '" + tool.probe
            + "' exited with " + std::to_string(run.status) + ": " + run.output;
        return check;
    }
    check.verdict = ToolVerdict::Ready;
    return check;
}

const ToolCheck& testCheckTool(const ExternalTool& tool)
{
    static std::mutex lock;
    static std::map<const ExternalTool*, ToolCheck> checked;
    const std::lock_guard<std::mutex> hold(lock);
    auto it = checked.find(&tool);
    if (it == checked.end())
        it = checked.emplace(&tool, testCheckTool(tool, std::getenv("PATH"), std::getenv("CI"))).first;
    return it->second;
}
