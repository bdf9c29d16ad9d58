#include "tests/support/ScriptedNetwork.h"

#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/net/VXLCloseRequest.h"
#include "engine/transport/net/VXLConnectRequest.h"
#include "engine/transport/net/VXLReceiveRequest.h"
#include "engine/transport/net/VXLSendRequest.h"

#include <cstring>

namespace {

constexpr std::int32_t kDueSignal = 100;

const char* kindName(ScriptedNetwork::Kind kind)
{
    switch (kind) {
    case ScriptedNetwork::Kind::Dial:
        return "dial";
    case ScriptedNetwork::Kind::Close:
        return "close";
    case ScriptedNetwork::Kind::Write:
        return "write";
    case ScriptedNetwork::Kind::Read:
        return "read";
    case ScriptedNetwork::Kind::Fail:
        return "fail";
    case ScriptedNetwork::Kind::Stall:
        return "stall";
    }
    return "?";
}

std::string hostPort(const CVXLConnectRequest& request)
{
    std::string host = request.hostName.c_str();
    if (host.empty()) {
        std::uint8_t octets[4];
        std::memcpy(octets, &request.address, sizeof octets);
        for (int i = 0; i < 4; ++i)
            host += (i ? "." : "") + std::to_string(octets[i]);
    }
    return host + ":" + std::to_string(request.port);
}

} // namespace

// The dialer, or one connection it handed out. It holds at most one request
// unanswered: until its step's time, or for ever when the step stalls.
class ScriptedNetwork::Face : public CVXLEventHandler {
public:
    Face(ScriptedNetwork& network, bool isDialer)
        : network(network)
        , isDialer(isDialer)
    {
    }

    const char* name() const override { return isDialer ? "Scripted dialer" : "Scripted connection"; }

    void onEvent(CVXLEvent* event) override
    {
        const std::int32_t code = event->effectiveCode();
        if (event == &due) {
            finishEvent(event);
            CVXLEvent* request = held;
            held = nullptr;
            if (request)
                network.answer(*this, request, heldStep);
            return;
        }
        if (code == kEventCancelNotice) {
            if (held && static_cast<CVXLCancelNotice*>(event)->cancelled() == held) {
                cancelEvent(&due);
                held->setResult(kResultCancelled);
                finishEvent(held);
                held = nullptr;
                ++network.cancelled_;
            }
            finishEvent(event);
            return;
        }
        const bool request = isDialer ? code == CVXLConnectRequest::kCode || code == CVXLCloseRequest::kCode
                                      : code == CVXLReceiveRequest::kCode || code == CVXLSendRequest::kCode;
        if (event->kind() == kEventRequest && request) {
            network.onRequest(*this, event);
            return;
        }
        finishEvent(event);
    }

    const char* requestName(const CVXLEvent* event) const
    {
        if (isDialer)
            return event->requestCode() == CVXLConnectRequest::kCode ? "connect" : "close";
        return event->requestCode() == CVXLReceiveRequest::kCode ? "receive" : "send";
    }

    ScriptedNetwork& network;
    const bool isDialer;
    bool closed = false;
    CVXLEvent* held = nullptr;
    Step heldStep {Kind::Stall, ""};
    CVXLSimpleEvent due {kDueSignal};
};

ScriptedNetwork::Step ScriptedNetwork::peerClose(std::uint32_t at)
{
    return fail(static_cast<std::int32_t>(kPlatformPeerClosed), at);
}

ScriptedNetwork::ScriptedNetwork(JobTreeDriver& driver)
    : driver_(driver)
    , dialer_(new Face(*this, true))
    , start_(driver.now())
{
}

ScriptedNetwork::~ScriptedNetwork()
{
    // Connections are children of the dialer: they go first.
    connections_.clear();
    dialer_.reset();
}

int ScriptedNetwork::openConnections() const
{
    int open = 0;
    for (const auto& connection : connections_)
        open += connection->closed ? 0 : 1;
    return open;
}

int ScriptedNetwork::heldRequests() const
{
    int held = dialer_->held ? 1 : 0;
    for (const auto& connection : connections_)
        held += connection->held ? 1 : 0;
    return held;
}

CVXLEventHandler* ScriptedNetwork::dialer()
{
    return dialer_.get();
}

void ScriptedNetwork::setScript(std::vector<Step> steps)
{
    steps_ = std::move(steps);
    next_ = 0;
    start_ = driver_.now();
}

void ScriptedNetwork::onRequest(Face& face, CVXLEvent* event)
{
    const std::string what = face.requestName(event);
    if (next_ == steps_.size()) {
        mismatches_ += what + " after the last step\n";
        event->setResult(kMismatch);
        face.finishEvent(event);
        return;
    }
    Step step = steps_[next_];
    const bool fits = step.kind == Kind::Fail || step.kind == Kind::Stall
        || (what == "connect" && step.kind == Kind::Dial) || (what == "close" && step.kind == Kind::Close)
        || (what == "send" && step.kind == Kind::Write) || (what == "receive" && step.kind == Kind::Read);
    const std::string at = " (step " + std::to_string(next_ + 1) + ")";
    if (!fits || (!face.isDialer && face.closed)) {
        mismatches_ += what
            + (fits ? " on a closed connection" : " where the script has " + std::string(kindName(step.kind)))
            + at + "\n";
        ++next_;
        event->setResult(kMismatch);
        face.finishEvent(event);
        return;
    }
    if (step.kind == Kind::Dial && hostPort(*static_cast<CVXLConnectRequest*>(event)) != step.bytes)
        mismatches_ += "dial to " + hostPort(*static_cast<CVXLConnectRequest*>(event)) + ", not " + step.bytes
            + at + "\n";
    if (step.kind == Kind::Write) {
        const CVXLByteBuffer* buffer = static_cast<CVXLSendRequest*>(event)->buffer;
        const std::string bytes
            = buffer ? std::string(reinterpret_cast<const char*>(buffer->data()), buffer->length()) : "";
        if (bytes.compare(0, step.bytes.size(), step.bytes) != 0)
            mismatches_ += "wrote \"" + bytes.substr(0, 60) + "\", not \"" + step.bytes + "\"" + at + "\n";
    }
    // A socket hands out no more than the receive asks for; the rest waits.
    const std::uint32_t wanted
        = step.kind == Kind::Read ? static_cast<CVXLReceiveRequest*>(event)->wanted : 0;
    if (step.kind == Kind::Read && step.repeat != 0) {
        const std::uint64_t n = step.repeat < wanted ? step.repeat : wanted;
        step.bytes.assign(static_cast<std::size_t>(n), step.bytes[0]);
        steps_[next_].repeat -= n;
        if (steps_[next_].repeat == 0)
            ++next_;
    } else if (step.kind == Kind::Read && step.bytes.size() > wanted) {
        steps_[next_].bytes.erase(0, wanted);
        step.bytes.resize(wanted);
    } else {
        ++next_;
    }
    const std::uint32_t elapsed = driver_.now() - start_;
    if (step.kind == Kind::Stall || step.at > elapsed) {
        face.held = event;
        face.heldStep = step;
        if (step.kind != Kind::Stall)
            face.postDelayed(&face.due, step.at - elapsed);
        return;
    }
    answer(face, event, step);
}

void ScriptedNetwork::answer(Face& face, CVXLEvent* event, const Step& step)
{
    std::int32_t result = kResultSucceeded;
    switch (step.kind) {
    case Kind::Dial:
        dialed(face, event);
        break;
    case Kind::Close:
        for (auto& connection : connections_) {
            if (connection.get() == static_cast<CVXLCloseRequest*>(event)->connection)
                connection->closed = true;
        }
        break;
    case Kind::Write: {
        auto* send = static_cast<CVXLSendRequest*>(event);
        send->sent = send->buffer ? send->buffer->length() : 0;
        if (send->buffer)
            written_.append(reinterpret_cast<const char*>(send->buffer->data()), send->buffer->length());
        break;
    }
    case Kind::Read: {
        auto* receive = static_cast<CVXLReceiveRequest*>(event);
        receive->received = static_cast<std::uint32_t>(step.bytes.size());
        if (receive->buffer)
            receive->buffer->append(step.bytes.data(), receive->received);
        break;
    }
    case Kind::Fail:
    case Kind::Stall:
        result = step.result;
        break;
    }
    event->setResult(result);
    face.finishEvent(event);
}

void ScriptedNetwork::dialed(Face& dialer, CVXLEvent* event)
{
    connections_.push_back(std::make_unique<Face>(*this, false));
    dialer.startChild(connections_.back().get());
    static_cast<CVXLConnectRequest*>(event)->connection = connections_.back().get();
}
