#pragma once

#include <string>
#include <string_view>

// A fresh, empty device root for one test: made under $TMPDIR (or /tmp),
// installed as this process's device root (and so of the processes it
// starts), removed with everything in it at the end. One at a time per
// process.
class TempDeviceRoot {
public:
    TempDeviceRoot();
    // Takes on a root made by another process (a test's child engine):
    // installed like a fresh one, but left in place at the end.
    explicit TempDeviceRoot(const std::string& existing);
    ~TempDeviceRoot();
    TempDeviceRoot(const TempDeviceRoot&) = delete;
    TempDeviceRoot& operator=(const TempDeviceRoot&) = delete;

    // Host path of the root, and of a path below it ("log/cellcore.log").
    const std::string& path() const { return path_; }
    std::string hostPath(std::string_view relative) const;

    // Writes a file below the root, making its folders first.
    bool writeFile(std::string_view relative, std::string_view contents) const;
    // The file's contents; empty when it is missing.
    std::string readFile(std::string_view relative) const;
    bool exists(std::string_view relative) const;
    bool makeFolder(std::string_view relative) const;

    void writeDeviceConf(std::string_view text) const { writeFile("device.conf", text); }

    // Links the program <name> of the build (a test tool of tests/tools, or
    // tessel itself) into the root under the phone path phoneName
    // ("\windows\tessel.exe"), by default "\windows\<name>", and answers
    // that path; empty when the link cannot be made.
    std::string installTool(const char* name, std::string_view phoneName = {}) const;

private:
    std::string path_;
    std::string savedRootVariable_;
    bool hadRootVariable_ = false;
    bool owned_ = true;
};
