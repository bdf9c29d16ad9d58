#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/http/HTTPv2Job.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

// The fuzz targets link only the engine and the platform; the driver has no
// other dependency, so it is compiled in here.
#include "tests/support/JobTreeDriver.cpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Runs a GET through the HTTP job on a driven clock against a connection
// that reads out a fuzzed response: whole, then in fuzzed pieces at fuzzed
// times. The input is
//
//   [read size] [n] n x ([piece size] [delay ms]) response...
//
// (read size 0: the job's default; piece size 0: all the receive asks for).
// Each run must end within a bounded number of steps, leave the job idle
// with its connection closed and nothing held or armed, deliver no more body
// than the reply's framing allows, and both runs must end alike.
namespace {

// At most 32 pieces of at most 255 ms each: 8 s, far below the job's
// low-speed window, so that the pieces alone never change the outcome.
constexpr std::size_t kMaxPieces = 32;
static_assert(kMaxPieces * 255 < CHTTPv2Job::kLowSpeedWindowMs);
constexpr int kMaxRounds = 4096;
// A body read a byte at a time takes a few steps per byte, all at one time.
constexpr int kMaxStepsPerByte = 16;
constexpr int kMaxStepsBesides = 1000;
constexpr std::int32_t kDueSignal = 100;

struct Piece {
    std::uint32_t size; // 0: as much as asked for
    std::uint32_t delayMs;
};

// The dialer and the one connection it lends. The connection hands out the
// response piece by piece; once it is used up, a receive ends with the
// peer's close.
class FuzzNetwork : public CVXLEventHandler {
public:
    FuzzNetwork(std::string response, std::vector<Piece> pieces)
        : connection(*this)
        , response_(std::move(response))
        , pieces_(std::move(pieces))
    {
    }

    const char* name() const override { return "Fuzz dialer"; }

    void onEvent(CVXLEvent* event) override
    {
        if (event->kind() == kEventRequest && event->requestCode() == CVXLConnectRequest::kCode) {
            // The exchange never needs a second connection.
            if (dials++ == 0) {
                startChild(&connection);
                static_cast<CVXLConnectRequest*>(event)->connection = &connection;
            } else {
                event->setResult(kResultConnectFailed);
            }
        } else if (event->kind() == kEventRequest && event->requestCode() == CVXLCloseRequest::kCode) {
            if (static_cast<CVXLCloseRequest*>(event)->connection == &connection)
                closed = true;
        }
        finishEvent(event);
    }

    class Connection : public CVXLEventHandler {
    public:
        explicit Connection(FuzzNetwork& network)
            : network(network)
        {
        }

        const char* name() const override { return "Fuzz connection"; }

        void onEvent(CVXLEvent* event) override
        {
            if (event == &due) {
                finishEvent(event);
                CVXLEvent* receive = held;
                held = nullptr;
                if (receive)
                    network.serve(*static_cast<CVXLReceiveRequest*>(receive));
                return;
            }
            if (event->effectiveCode() == kEventCancelNotice) {
                if (held && static_cast<CVXLCancelNotice*>(event)->cancelled() == held) {
                    cancelEvent(&due);
                    held->setResult(kResultCancelled);
                    finishEvent(held);
                    held = nullptr;
                }
                finishEvent(event);
                return;
            }
            if (event->kind() == kEventRequest && event->requestCode() == CVXLSendRequest::kCode) {
                auto* send = static_cast<CVXLSendRequest*>(event);
                send->sent = send->buffer ? send->buffer->length() : 0;
            } else if (event->kind() == kEventRequest && event->requestCode() == CVXLReceiveRequest::kCode) {
                const std::uint32_t delay = network.nextDelay();
                if (delay != 0) {
                    held = event;
                    postDelayed(&due, delay);
                    return;
                }
                network.serve(*static_cast<CVXLReceiveRequest*>(event));
                return;
            }
            finishEvent(event);
        }

        FuzzNetwork& network;
        CVXLEvent* held = nullptr;
        CVXLSimpleEvent due {kDueSignal};
    };

    std::uint32_t nextDelay() const { return next_ < pieces_.size() ? pieces_[next_].delayMs : 0; }

    void serve(CVXLReceiveRequest& receive)
    {
        std::size_t n = response_.size() - at_;
        if (n > receive.wanted)
            n = receive.wanted;
        if (next_ < pieces_.size()) {
            if (pieces_[next_].size != 0 && n > pieces_[next_].size)
                n = pieces_[next_].size;
            ++next_;
        }
        if (n == 0 && at_ == response_.size()) {
            receive.received = 0;
            receive.setResult(static_cast<std::int32_t>(kPlatformPeerClosed));
        } else {
            receive.received = static_cast<std::uint32_t>(n);
            if (receive.buffer)
                receive.buffer->append(response_.data() + at_, receive.received);
            at_ += n;
        }
        connection.finishEvent(&receive);
    }

    Connection connection;
    int dials = 0;
    bool closed = false;

private:
    std::string response_;
    std::vector<Piece> pieces_;
    std::size_t at_ = 0;
    std::size_t next_ = 0;
};

struct Outcome {
    std::int32_t result = -1;
    int status = 0;
    bool chunked = false;
    bool byLength = false;
    std::uint32_t contentLength = 0;
    std::string body;
};

// The requester: takes the head, gives a sink of the fuzzed read size and
// empties it after each part.
void onRequesterEvent(TraceJob& self, CVXLEvent* event, CVXLEvent* get, std::uint32_t readSize,
    CVXLByteBuffer& sink, Outcome& out)
{
    if (event->effectiveCode() == CVXLHttpResponse::kRequestCode) {
        auto* response = static_cast<CVXLHttpResponse*>(event);
        out.status = response->statusCode();
        out.chunked = response->hasFlag(CVXLHttpResponse::kFlagChunked);
        out.byLength = response->hasFlag(CVXLHttpResponse::kFlagContentLength);
        out.contentLength = response->contentLength();
        response->setSink(&sink);
        response->setReadSize(readSize);
    } else if (event->effectiveCode() == CVXLHttpBodyData::kCode) {
        out.body.append(reinterpret_cast<const char*>(sink.data()), sink.length());
        sink.clear();
    } else if (event == get) {
        out.result = event->result();
    }
    self.finishEvent(event);
}

Outcome run(const std::string& response, std::vector<Piece> pieces, std::uint32_t readSize)
{
    JobTreeDriver driver;
    CVXLHttpSettings settings;
    settings.userAgent = "TesselFuzz/1.0";
    CHTTPv2Job job;
    job.setSettings(&settings);
    TraceJob requester("requester");
    CVXLHttpRequest get(CVXLHttpRequest::kGet, 26);
    CVXLByteBuffer sink;
    Outcome out;
    requester.handler
        = [&](TraceJob& self, CVXLEvent* event) { onRequesterEvent(self, event, &get, readSize, sink, out); };
    FuzzNetwork network(response, std::move(pieces));
    job.setDialer(&network);
    driver.attach(&network);
    driver.attach(&job);
    driver.attach(&requester);
    driver.runUntilIdle();

    get.reset(CVXLString(""));
    get.setUrl(CVXLString("http://a.example/x"));
    requester.post(&job, &get);

    // Until nothing is left to run or armed, within a bounded number of steps
    // and of clock moves.
    const int maxSteps = kMaxStepsBesides + kMaxStepsPerByte * static_cast<int>(response.size());
    int steps = 0;
    for (int round = 0;; ++round) {
        if (round == kMaxRounds)
            __builtin_trap();
        steps += driver.runUntilIdle(maxSteps - steps);
        if (steps >= maxSteps && driver.nextTimeout() == 0)
            __builtin_trap();
        const std::uint32_t wait = driver.nextTimeout();
        if (wait == kNoDeadline)
            break;
        driver.advance(wait);
    }
    if (get.isBusy())
        __builtin_trap(); // unanswered, and nothing will ever answer it
    if (out.result == -1 || !job.isIn(&CHTTPv2Job::Idle) || job.incomingCount() != 0 || network.dials != 1
        || !network.closed || network.connection.held)
        __builtin_trap();
    return out;
}

// Bytes after the first blank line: more than any body can be framed in. A
// bare LF ends a head line as CR LF does, in either line of the pair.
std::size_t afterFirstHead(const std::string& response)
{
    const std::size_t lf = response.find("\n\n");
    const std::size_t crlf = response.find("\n\r\n");
    if (lf == std::string::npos && crlf == std::string::npos)
        return 0;
    const std::size_t end = lf < crlf ? lf + 2 : crlf + 3;
    return response.size() - end;
}

void checkBody(const Outcome& out, const std::string& response)
{
    if (out.result != kResultSucceeded)
        return;
    const std::size_t room = afterFirstHead(response);
    // The shortest chunked body is its last-chunk line and blank line.
    if (out.body.size() > room || (out.chunked && out.body.size() + 3 > room))
        __builtin_trap();
    // A 204 or 304 has no body whatever length its headers name.
    const bool bodiless = out.status == 204 || out.status == 304;
    if (!out.chunked && out.byLength && !bodiless && out.body.size() != out.contentLength)
        __builtin_trap();
    if (bodiless && !out.body.empty())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    fuzzDeviceRoot();
    const std::uint32_t readSize = data[0];
    std::size_t at = 2;
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < data[1] % (kMaxPieces + 1) && at + 2 <= size; ++i, at += 2)
        pieces.push_back({data[at], data[at + 1]});
    const std::string response(reinterpret_cast<const char*>(data + at), size - at);

    const Outcome whole = run(response, {}, readSize);
    checkBody(whole, response);
    const Outcome split = run(response, std::move(pieces), readSize);
    if (split.result != whole.result || split.status != whole.status || split.body != whole.body)
        __builtin_trap();
    return 0;
}
