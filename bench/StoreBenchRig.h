#pragma once

#include "bench/EngineBenchRig.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transport/mime/VXLMimeEntity.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

// What the message store benchmarks share: a store manager over the current
// device root's message store, started, and the parts they store.
class StoreBenchServices : public CMessageStoreManager::Services {
public:
    StoreBenchServices(std::uint32_t limit, std::uint32_t epoch)
        : limit_(limit)
        , epoch_(epoch)
    {
    }
    std::uint32_t messageLimit() override { return limit_; }
    void setCounter(const char*, std::uint32_t) override { }
    void setHasNewMessages() override { }
    std::uint32_t nowSeconds() override { return epoch_ + ++ticks_ / 10; }

private:
    std::uint32_t limit_;
    std::uint32_t epoch_;
    std::uint32_t ticks_ = 0;
};

// With the thread database the start reconciles the two: a saved database
// (in the file store) knows every message, an empty one (its file lost) has
// every message's summary read and its threads found again.
struct StoreBenchRig {
    StoreBenchRig(bool reconcile, bool saved, std::uint32_t limit, std::uint32_t epoch)
        : services(limit, epoch)
    {
        manager.setStore(&store);
        manager.setServices(&services);
        if (saved) {
            files.setFileStore(&fileStore);
            threads.setFileStoreManager(&files);
            root.startChild(&files);
        }
        if (reconcile) {
            manager.setThreadDB(&threads);
            root.startChild(&threads);
        }
        withThreads = reconcile;
        root.startChild(&requester);
        root.startChild(&manager);
        runUntilIdle(root);
    }
    ~StoreBenchRig()
    {
        manager.stop();
        if (withThreads)
            threads.stop();
        runUntilIdle(root);
    }
    StoreBenchRig(const StoreBenchRig&) = delete;
    StoreBenchRig& operator=(const StoreBenchRig&) = delete;

    void send(CVXLEvent& request)
    {
        requester.post(&manager, &request);
        runUntilIdle(root);
    }

    // The ids of `size` inbox summaries from the 100th on, each summary's
    // segments read and its record filled; false when the window is short.
    bool readSummaryWindow(std::uint32_t size)
    {
        CStoreIdListQuery window(92);
        window.kind = 0;
        window.start = 100;
        window.size = size;
        send(window);
        for (std::uint32_t i = 0; i < window.ids.count(); ++i) {
            CStoreReadRequest read(93);
            read.mode = 4;
            read.read.messageId = window.ids.at(static_cast<int>(i));
            send(read);
            CVXLMessageSummary summary;
            summary.fill(read.read, 1700000000u);
            benchmark::DoNotOptimize(summary.getTotalMediaParts());
        }
        return window.ids.count() == size;
    }

    BenchRoot root;
    CVXLPlatformMessageStore store;
    CVXLPlatformFileStore fileStore;
    CVXLFileStoreManager files;
    StoreBenchServices services;
    CVXLThreadDB threads;
    CMessageStoreManager manager;
    CVXLEventHandler requester;
    bool withThreads = false;
};

// A body part of `size` bytes of one type.
inline CVXLEntityRef storeBenchPart(const char* type, std::size_t size)
{
    auto* entity = new CVXLMimeEntity;
    entity->addHeader("Content-Type", type);
    CVXLByteBuffer body;
    const std::string bytes(size, 'x');
    body.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    entity->setBodyBuffer(body);
    return CVXLEntityRef(entity);
}
