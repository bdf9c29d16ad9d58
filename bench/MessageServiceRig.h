#pragma once

#include "bench/EngineBenchRig.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transport/mime/VXLMimeEntity.h"

#include <string>

// The store, the thread database and a message service job on one device
// root of the benchmark's own, filled once with `messages` messages with a
// picture each from `correspondents` senders in turn.
struct MessageServiceRig {
    class Services : public CMessageStoreManager::Services {
    public:
        explicit Services(std::uint32_t limit)
            : limit_(limit)
        {
        }
        std::uint32_t messageLimit() override { return limit_; }
        void setCounter(const char*, std::uint32_t) override { }
        void setHasNewMessages() override { }
        std::uint32_t nowSeconds() override { return 1700000000u + ++ticks_ / 10; }

    private:
        std::uint32_t limit_;
        std::uint32_t ticks_ = 0;
    };

    MessageServiceRig(int messages, int correspondents)
        : services(static_cast<std::uint32_t>(messages) + 10)
    {
        useBenchDeviceRoot();
        manager.setStore(&store);
        manager.setServices(&services);
        manager.setThreadDB(&threads);
        job.setStore(&manager);
        job.setThreadDB(&threads);
        job.setServices(&services);
        root.startChild(&threads);
        root.startChild(&requester);
        root.startChild(&manager);
        root.startChild(&job);
        runUntilIdle(root);
        const std::string bytes(2000, 'x');
        for (int n = 0; n < messages; ++n) {
            CVXLMessage message;
            message.addHeader(
                "X-QV-From-Address", ("+1555" + std::to_string(1000 + n % correspondents)).c_str());
            message.addHeader("X-QV-Message-Sent-Time", std::to_string(1699000000 + n).c_str());
            message.addHeader("X-QV-Image-Count", "1");
            message.addHeader("X-QV-MessageText-Summary", "A short text of the message");
            auto* picture = new CVXLMimeEntity;
            picture->addHeader("Content-Type", "image/jpeg");
            CVXLByteBuffer body;
            body.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
            picture->setBodyBuffer(body);
            message.setBody(CVXLEntityRef(picture));
            CStoreMessageRequest store(90);
            store.message = &message;
            send(&manager, store);
        }
    }
    void send(CVXLEventHandler* target, CVXLEvent& request)
    {
        requester.post(target, &request);
        runUntilIdle(root);
    }

    BenchRoot root;
    CVXLPlatformMessageStore store;
    Services services;
    CVXLThreadDB threads;
    CMessageStoreManager manager;
    CMessageServiceJob job;
    CVXLEventHandler requester;
};
