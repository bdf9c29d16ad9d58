#pragma once

#include "platform/mapi/EntryId.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Messages of the SMS store's Inbox written and read back by
// tests/peers/mapistore.py, which knows the store's files on its own.
struct InboxFiles {
    explicit InboxFiles(const TempDeviceRoot& root)
        : root(root)
    {
    }

    using Row = std::vector<std::pair<std::string, std::string>>; // tag, JSON value

    static std::string quoted(const std::string& text)
    {
        std::string out = "'";
        for (char c : text)
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }

    static std::string json(const std::string& text)
    {
        std::string out = "\"";
        for (unsigned char c : text) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c == '\n') {
                out += "\\n";
            } else if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
        return out + "\"";
    }

    static std::string row(const Row& values)
    {
        std::string out = "[";
        for (const auto& [tag, value] : values)
            out += (out.size() > 1 ? ", [\"" : "[\"") + tag + "\", " + value + "]";
        return out + "]";
    }

    std::string inbox() const { return root.hostPath("mapi/SMS/Inbox"); }

    // Stores a message; its id ("" when the peer failed).
    std::string write(const Row& props, const std::vector<Row>& recipients = {},
        const std::vector<Row>& attachments = {}) const
    {
        root.makeFolder("mapi/SMS/Inbox");
        std::string message = "{\"props\": " + row(props) + ", \"recipients\": [";
        for (std::size_t i = 0; i < recipients.size(); ++i)
            message += (i ? ", " : "") + row(recipients[i]);
        message += "], \"attachments\": [";
        for (std::size_t i = 0; i < attachments.size(); ++i)
            message += (i ? ", " : "") + row(attachments[i]);
        message += "]}";
        const TestCommandResult run
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/mapistore.py write "
                + quoted(inbox()) + " " + quoted(message) + " 2>&1");
        return run.status == 0 ? run.output.substr(0, run.output.find('\n')) : std::string();
    }

    std::string entryId(const std::string& id) const
    {
        return tessel::mapi::messageEntryId("SMS", "Inbox", id);
    }
    std::string file(const std::string& id) const { return root.readFile("mapi/SMS/Inbox/" + id + ".msg"); }

    // The message's values as the peer reads them: "message TAG" (or
    // "recipient N TAG", "attachment N TAG") to the JSON value.
    std::map<std::string, std::string> read(const std::string& id) const
    {
        const TestCommandResult run
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/mapistore.py read "
                + quoted(inbox() + "/" + id + ".msg") + " 2>&1");
        std::map<std::string, std::string> values;
        for (const std::string& line : testLines(run.output)) {
            std::size_t at = line.find(' ');
            if (line.compare(0, 8, "message ") != 0)
                at = line.find(' ', at + 1);
            at = line.find(' ', at + 1);
            values[line.substr(0, at)] = line.substr(at + 1);
        }
        return values;
    }

    const TempDeviceRoot& root;
};
