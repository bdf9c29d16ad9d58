#pragma once

#include "engine/messaging/push/WapPushQueue.h"
#include "tests/messaging/store/ToolKill.h"
#include "tests/support/FileStoreFixture.h"

#include <random>
#include <string>
#include <utility>
#include <vector>

// One round of the push queue's crash test: tests/tools/msgcrash loads
// "state.wq" and goes on pushing "rROUND-N" (N = 0, 1, ...), popping the head
// once it holds more than ten, until it is killed at a random moment. The
// rounds follow each other in one device root, each loading what the last
// left, so the queue can grow to its cap.
struct PushQueueCrashRound : FileStoreFixture {
    static constexpr const char* kTool = TESSEL_BINARY_DIR "/bin/msgcrash";

    // Runs round `round`; false when the tool was killed before its first
    // save of the round replaced the file (nothing to check). Otherwise
    // `error` is what the file breaks of the queue's rules, empty when none.
    bool run(int round, std::string* error)
    {
        const std::string tag = "r" + std::to_string(round);
        const pid_t pid = testSpawn({kTool, "pushqueue", tag}, root.hostPath("tool.log"));
        if (pid <= 0) {
            *error = "msgcrash did not start";
            return true;
        }
        // Until the tool has saved once this round.
        waitUntil([&] { return readHostFile("state.wq").find(tag + "-") != std::string::npos; });
        killAfter(pid, random, 5, 150);
        if (readHostFile("state.wq").find(tag + "-") == std::string::npos)
            return false;
        const std::string read = runPython(
            "'" TESSEL_SOURCE_DIR "/tests/peers/push_queue_file.py' read '" + hostFile("state.wq") + "'");
        *error = check(read, round);
        held = 0;
        for (std::size_t at = read.find("\"pdu\""); at != std::string::npos;
             at = read.find("\"pdu\"", at + 1))
            ++held;
        return true;
    }

    // The rules the file must keep, read by the peer: one whole queue of at
    // most the cap, this round's push last, every item later than the one
    // before it (a later round, or the same round's later push), and a push
    // missing between two items only where the cap dropped it: in a queue
    // at the cap or one below it (the tool pops one after each push).
    static std::string check(const std::string& read, int round)
    {
        if (read.find("error") != std::string::npos)
            return "the peer does not read the file: " + read;
        // (round, number) of each item, head first.
        std::vector<std::pair<int, int>> items;
        const std::string field = "\"pdu\": \"";
        for (std::size_t at = read.find(field); at != std::string::npos; at = read.find(field, at)) {
            at += field.size();
            std::string pdu;
            for (; at + 1 < read.size() && read[at] != '"'; at += 2)
                pdu += static_cast<char>(std::stoi(read.substr(at, 2), nullptr, 16));
            const std::size_t dash = pdu.find('-');
            if (pdu.size() < 2 || pdu[0] != 'r' || dash == std::string::npos)
                return "an item no round pushed: " + pdu;
            items.emplace_back(std::stoi(pdu.substr(1, dash - 1)), std::stoi(pdu.substr(dash + 1)));
        }
        if (items.empty())
            return "no item: " + read;
        if (items.size() > CWapPushQueue::kMaxItems)
            return std::to_string(items.size()) + " items: " + read;
        if (items.back().first != round)
            return "the last item is not this round's: " + read;
        const bool atCap = items.size() + 1 >= CWapPushQueue::kMaxItems;
        for (std::size_t i = 1; i < items.size(); ++i) {
            const auto& [lastRound, lastNumber] = items[i - 1];
            const auto& [thisRound, thisNumber] = items[i];
            if (thisRound < lastRound || (thisRound == lastRound && thisNumber <= lastNumber))
                return "item " + std::to_string(i) + " is not later than the one before: " + read;
            const bool next = thisRound == lastRound ? thisNumber == lastNumber + 1 : thisNumber == 0;
            if (!next && !atCap)
                return "a push missing before item " + std::to_string(i) + " below the cap: " + read;
        }
        return "";
    }

    std::mt19937 random {5};
    // The items the last checked file held.
    std::size_t held = 0;
};
