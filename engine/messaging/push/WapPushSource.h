#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "platform/push/PushRouter.h"

#include <cstdint>
#include <string>

// Takes MMS notifications from the push router (WSP push datagrams on
// 127.0.0.1) and posts each to the WAP push queue as its request 0, with
// `fetchNow` 0. Datagrams that are no MMS push, or whose notification does
// not decode whole, are logged and dropped: nothing that could never be
// fetched takes a place in the queue. The socket is read when the host's
// wait finds it readable, never on a timer.
class CWapPushSource : public CVXLEventHandler {
public:
    // A poll reads what the socket holds. The bound is far above what its
    // buffer can hold, and only keeps a sender that never stops from holding
    // the engine in one poll.
    static constexpr int kMaxPerPoll = 4096;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "Wap Push Source"; }

    void setQueue(CVXLEventHandler* queue) { queue_ = queue; }
    // The port to listen on; by default device.conf's (none: the source idles).
    void setPort(std::uint16_t port)
    {
        port_ = port;
        portGiven_ = true;
    }
    std::uint16_t boundPort() const { return router_.port(); }
    std::uint32_t taken() const { return taken_; }
    std::uint32_t refused() const { return refused_; }

    // Hands one datagram to the queue; false (logged) when it is refused.
    bool takeDatagram(const std::string& datagram);

private:
    static constexpr std::int32_t kReadable = 1;

    void poll();

    tessel::push::PushRouter router_;
    CVXLCallbackEvent readable_ {this, kReadable};
    // Goes first: nothing tells the event once it is gone.
    CVXLPlatformConnection watch_;
    CVXLEventHandler* queue_ = nullptr;
    std::uint16_t port_ = 0;
    bool portGiven_ = false;
    std::uint32_t taken_ = 0;
    std::uint32_t refused_ = 0;
};
