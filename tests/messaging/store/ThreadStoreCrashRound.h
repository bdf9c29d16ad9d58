#pragma once

#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "tests/messaging/store/ToolKill.h"
#include "tests/support/FileStoreFixture.h"
#include "tests/support/ThreadStoreRig.h"

#include <chrono>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <thread>

// Rounds of a large message store and its thread database killed at random
// moments: tests/tools/msgcrash "threadstore N" fills the inbox to N messages,
// then stores one and deletes the oldest for ever while the database saves
// every few changes. Each round starts from what the last one left; after
// each kill a fresh engine loads both, reconciled, and nothing stored may be
// missing or counted twice.
struct ThreadStoreCrashRound : FileStoreFixture {
    static constexpr const char* kTool = TESSEL_BINARY_DIR "/bin/msgcrash";

    explicit ThreadStoreCrashRound(std::uint32_t size)
        : size(size)
    {
    }

    // One round; what the store and database after it break of the rules,
    // empty when nothing.
    std::string run()
    {
        const std::string journal = root.hostPath("journal.txt");
        root.writeFile("journal.txt", "");
        const pid_t pid = testSpawn({kTool, "threadstore", std::to_string(size)}, journal);
        if (pid <= 0)
            return "msgcrash did not start";
        // A first round fills the store: allow a minute per thousand messages.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30 + size / 1000 * 60);
        while (readHost(journal).find("filled") == std::string::npos
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        killAfter(pid, random, 5, 300);
        const std::string said = readHost(journal);
        if (said.find("filled") == std::string::npos)
            return "the tool did not fill the store in time: " + said.substr(0, 200);
        std::istringstream lines(said);
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t space = line.find(' ');
            const std::string what = line.substr(0, space);
            const std::string id = space == std::string::npos ? "" : line.substr(space + 1);
            if (what == "stored")
                held.insert(id);
            else if (what == "deleting" || what == "deleted")
                held.erase(id);
        }
        ++rounds;
        return check();
    }

    std::string check()
    {
        JobTreeDriver engine;
        CVXLPlatformMessageStore messages;
        ThreadStoreRig rig(&store, &messages);
        engine.attach(&rig.files);
        engine.attach(&rig.db);
        engine.attach(&rig.manager);
        for (int i = 0; i < 100 && !rig.ready(); ++i)
            engine.runUntilIdle();
        std::string error = rules(rig.manager, rig.db);
        rig.manager.stop();
        rig.db.stop();
        engine.runUntilIdle();
        rig.files.stop();
        engine.runUntilIdle();
        return error;
    }

    std::string rules(const CMessageStoreManager& manager, const CVXLThreadDB& db) const
    {
        if (!manager.loaded())
            return "the store did not load";
        std::set<std::string> inbox;
        for (std::uint32_t i = 0; i < manager.boxCount(0); ++i) {
            const std::string id = manager.boxIdAt(0, i).c_str();
            if (!inbox.insert(id).second)
                return "the inbox lists " + id + " twice";
            if (!db.findMessage(id.c_str()))
                return "the thread database lost " + id;
        }
        for (const std::string& id : held) {
            if (!inbox.count(id))
                return "the store lost " + id;
        }
        if (db.messageCount() != inbox.size())
            return "the thread database holds " + std::to_string(db.messageCount()) + " messages, the inbox "
                + std::to_string(inbox.size());
        for (std::uint32_t i = 0; i < db.shownCount() + db.hiddenCount(); ++i) {
            const CVXLThreadEntry* thread = i < db.shownCount()
                ? db.shownAt(static_cast<int>(i))
                : db.hiddenAt(static_cast<int>(i - db.shownCount()));
            std::set<const CVXLThreadMessageEntry*> seen;
            for (std::uint32_t m = 0; m < thread->messages.count(); ++m) {
                const CVXLThreadMessageEntry* message = thread->messageAt(static_cast<int>(m));
                if (!seen.insert(message).second)
                    return std::string("thread ") + thread->address.c_str() + " lists "
                        + message->messageId.c_str() + " twice";
                if (!thread->holds(message))
                    return std::string(message->messageId.c_str()) + " does not name its thread "
                        + thread->address.c_str();
            }
        }
        return "";
    }

    std::string readHost(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::uint32_t size;
    std::mt19937 random {45};
    // Stored and never asked to be deleted: these must be there.
    std::set<std::string> held;
    int rounds = 0;
};
