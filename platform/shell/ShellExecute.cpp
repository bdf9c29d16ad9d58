#include "platform/shell/ShellExecute.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/Process.h"
#include "platform/kernel/TextCodec.h"

#include <vector>

namespace tessel::shell {

namespace {

std::string phoneStyle(const std::u16string& path)
{
    std::string text = kernel::wideToUtf8(path);
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return text;
}

// One call, one log line, whatever the texts hold.
std::string oneLine(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> splitAtBlanks(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

} // namespace

bool shellExecuteEx(ShellExecuteInfo* info)
{
    if (!info)
        return false;
    const std::string file = phoneStyle(info->file);
    const std::string parameters = kernel::wideToUtf8(info->parameters);
    std::string line = "file=" + oneLine(file) + " parameters=" + oneLine(parameters)
        + " verb=" + oneLine(kernel::wideToUtf8(info->verb)) + " show=" + std::to_string(info->show);
    bool ok = false;
    if (info->size != kShellExecuteInfoSize) {
        line += " -> refused: record size " + std::to_string(info->size);
    } else if (kernel::equalsIgnoringAsciiCase(file, kBrowserProgram)) {
        ok = true;
        line += " -> browser, recorded";
    } else {
        const int pid = kernel::startProcess(file, splitAtBlanks(parameters));
        ok = pid > 0;
        line += ok ? " -> started" : " -> not started: no program of the device";
        if (ok && (info->mask & kSeeMaskNoCloseProcess))
            info->process = pid;
    }
    kernel::appendDeviceLog("shellexec", line);
    return ok;
}

} // namespace tessel::shell
