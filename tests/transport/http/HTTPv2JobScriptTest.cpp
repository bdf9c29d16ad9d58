#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/support/ScriptedNetwork.h"
#include "tests/transport/HttpJobFixture.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

// The HTTP job against a scripted dialer and connection on the driven clock:
// each row says what the job is to write, what it reads and when, and where
// the requester holds back or the exchange is cancelled or stopped; the row
// expects the states the job passes, the results, the body delivered and
// when all has settled.

namespace {

using Net = ScriptedNetwork;
using State = CVXLHsmState (CHTTPv2Job::*)(const CVXLEvent*);

const struct {
    State state;
    const char* name;
} kLeafStates[] = {
    {&CHTTPv2Job::Idle, "Idle"},
    {&CHTTPv2Job::Connecting, "Connecting"},
    {&CHTTPv2Job::SendingHead, "SendingHead"},
    {&CHTTPv2Job::AwaitingBodyPart, "AwaitingBodyPart"},
    {&CHTTPv2Job::SendingBodyPart, "SendingBodyPart"},
    {&CHTTPv2Job::AwaitingChunk, "AwaitingChunk"},
    {&CHTTPv2Job::SendingChunkHead, "SendingChunkHead"},
    {&CHTTPv2Job::SendingChunkData, "SendingChunkData"},
    {&CHTTPv2Job::ReadingHead, "ReadingHead"},
    {&CHTTPv2Job::AwaitingHeadAck, "AwaitingHeadAck"},
    {&CHTTPv2Job::ReadingBody, "ReadingBody"},
    {&CHTTPv2Job::AwaitingBodyAck, "AwaitingBodyAck"},
    {&CHTTPv2Job::AwaitingLastAck, "AwaitingLastAck"},
    {&CHTTPv2Job::KeptAlive, "KeptAlive"},
    {&CHTTPv2Job::ResendingOnKept, "ResendingOnKept"},
    {&CHTTPv2Job::CancellingConnection, "CancellingConnection"},
    {&CHTTPv2Job::CancellingRequester, "CancellingRequester"},
    {&CHTTPv2Job::CancellingDial, "CancellingDial"},
    {&CHTTPv2Job::ClosingAfterDone, "ClosingAfterDone"},
    {&CHTTPv2Job::ClosingAfterError, "ClosingAfterError"},
    {&CHTTPv2Job::ClosingAfterIdle, "ClosingAfterIdle"},
    {&CHTTPv2Job::ClosingForNewHost, "ClosingForNewHost"},
};

std::string stateName(CVXLStateHandler state)
{
    for (const auto& leaf : kLeafStates) {
        if (CVXLHsm::toHandler(leaf.state) == state)
            return leaf.name;
    }
    return "?";
}

constexpr std::uint32_t kKeep = CVXLHttpRequest::kFlagKeepConnection;
constexpr std::int32_t kNoLength = -1;
// What a request's result reads until the requester has its answer.
constexpr std::int32_t kUnanswered = -1;
// A row that has not settled after this many clock moves never will.
constexpr int kMaxRounds = 1000;

struct Request {
    std::int32_t method;
    const char* url;
    std::uint32_t flags = 0;
    std::int32_t contentLength = kNoLength;
    std::vector<std::string> parts = {};
};

const Request kGetA {CVXLHttpRequest::kGet, "http://a.example/x"};
const Request kKeepA {CVXLHttpRequest::kGet, "http://a.example/x", kKeep};
const Request kKeepAAgain {CVXLHttpRequest::kGet, "http://a.example/y", kKeep};
const Request kKeepB {CVXLHttpRequest::kGet, "http://b.example:8080/z", kKeep};
const Request kPostByLength {CVXLHttpRequest::kPost, "http://a.example/x", 0, 10, {"hello", "world"}};
const Request kPostInChunks {CVXLHttpRequest::kPost, "http://a.example/x", 0, kNoLength, {"hello", ""}};

const std::string kGetX = "GET /x HTTP/1.1\r\n";
const std::string kGetY = "GET /y HTTP/1.1\r\n";
const std::string kPostX = "POST /x HTTP/1.1\r\n";
const std::string kHello = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

enum class Interrupt { None, Cancel, Stop };

struct Row {
    std::string what;
    std::vector<Request> requests; // each starts once the one before was answered
    std::vector<Net::Step> script;
    std::int32_t hold = 0; // the requester holds its answer to the first event of this code
    Interrupt interrupt = Interrupt::None;
    State at = nullptr; // ... once the job has settled in this state
    std::string path; // the leaf states entered, in order
    std::vector<std::int32_t> results;
    std::string body; // delivered over all requests
    std::uint32_t settledAt = 0; // driven ms until nothing is left to run
};

struct Outcome {
    std::string path;
    std::vector<std::int32_t> results;
    std::string body;
    std::uint32_t settledAt = 0;
    std::string mismatches;
};

struct ScriptedHttpJob : HttpJobAndRequester {
    ScriptedHttpJob() { attach(network.dialer()); }

    // Runs the tree until nothing can run now. Then, unless the request has
    // been answered, applies the row's interrupt if the job has settled in
    // its state, or else moves the clock to the next timer. False when there
    // is nothing more to do.
    bool runOn(const Row& row, bool waitingForAnswer, bool& interrupted)
    {
        driver.runUntilIdle();
        if (waitingForAnswer && current.result != kUnanswered)
            return false;
        if (row.interrupt != Interrupt::None && !interrupted && job.isIn(row.at)) {
            interrupted = true;
            if (row.interrupt == Interrupt::Cancel)
                requester.cancelEventsWith(&job);
            else
                job.stop();
            return true;
        }
        return driver.runToNextTimer();
    }

    Outcome run(const Row& row)
    {
        Outcome out;
        holdCode = row.hold;
        network.setScript(row.script);
        job.entered.clear();
        const std::uint32_t start = driver.now();
        bool interrupted = false;
        for (const Request& r : row.requests) {
            setParts(r.parts);
            CVXLHttpRequest& request = this->start(r.method, r.url, "", r.flags);
            if (r.contentLength != kNoLength)
                request.setContentLength(static_cast<std::uint32_t>(r.contentLength));
            for (int round = 0; round < kMaxRounds && runOn(row, true, interrupted); ++round) { }
            out.results.push_back(current.result);
            out.body += current.body;
        }
        for (int round = 0; round < kMaxRounds && runOn(row, false, interrupted); ++round) { }
        out.settledAt = driver.now() - start;
        for (CVXLStateHandler state : job.entered)
            out.path += (out.path.empty() ? "" : " ") + stateName(state);
        out.mismatches = network.mismatches();
        if (!network.allUsed())
            out.mismatches += "script not used up\n";
        if (row.interrupt != Interrupt::None && !interrupted)
            out.mismatches += "never settled in the state to interrupt\n";
        return out;
    }

    ScriptedNetwork network {driver};
};

Outcome runRow(const Row& row)
{
    ScriptedHttpJob f;
    return f.run(row);
}

void expectRow(const Row& row, const Outcome& out)
{
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.path, out.path);
    EXPECT_EQ(row.results, out.results);
    EXPECT_EQ(row.body, out.body);
    EXPECT_EQ(row.settledAt, out.settledAt);
    EXPECT_EQ("", out.mismatches);
}

std::vector<Row> exchanges()
{
    const std::string toBody
        = "Connecting SendingHead ReadingHead AwaitingHeadAck ReadingBody AwaitingBodyAck";
    return {
        {"by length, the body in two reads at 40 and 90 ms", {kGetA},
            {Net::dial("a.example:80"), Net::write(kGetX),
                Net::read("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", 40), Net::read("lo", 90),
                Net::close()},
            0, Interrupt::None, nullptr, toBody + " ReadingBody AwaitingBodyAck ClosingAfterDone Idle", {0},
            "hello", 90},
        {"in chunks with a trailer, the last read at 50 ms", {kGetA},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read(kChunkedHead),
                Net::read("5\r\nhello\r\n3\r\n"), Net::read("abc"), Net::read("\r\n0\r\nX: y\r\n\r\n", 50),
                Net::close()},
            0, Interrupt::None, nullptr,
            toBody + " ReadingBody AwaitingBodyAck ReadingBody AwaitingLastAck ClosingAfterDone Idle", {0},
            "helloabc", 50},
        {"up to the peer's close", {kGetA},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read("HTTP/1.0 200 OK\r\n\r\nhello"),
                Net::peerClose(), Net::close()},
            0, Interrupt::None, nullptr, toBody + " ReadingBody ClosingAfterDone Idle", {0}, "hello", 0},
        {"HEAD: no body is read", {{CVXLHttpRequest::kHead, "http://a.example/x"}},
            {Net::dial("a.example:80"), Net::write("HEAD /x HTTP/1.1\r\n"),
                Net::read("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"), Net::close()},
            0, Interrupt::None, nullptr,
            "Connecting SendingHead ReadingHead AwaitingHeadAck ClosingAfterDone Idle", {0}, "", 0},
        {"POST by length, part by part", {kPostByLength},
            {Net::dial("a.example:80"), Net::write(kPostX), Net::write("hello"), Net::write("world"),
                Net::read("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"), Net::close()},
            0, Interrupt::None, nullptr,
            "Connecting SendingHead AwaitingBodyPart SendingBodyPart AwaitingBodyPart SendingBodyPart "
            "ReadingHead "
            "AwaitingHeadAck ClosingAfterDone Idle",
            {0}, "", 0},
        {"POST in chunks", {kPostInChunks},
            {Net::dial("a.example:80"), Net::write(kPostX), Net::write("5\r\n"), Net::write("hello\r\n"),
                Net::write("0\r\n\r\n"), Net::read("HTTP/1.1 204 No Content\r\n\r\n"), Net::close()},
            0, Interrupt::None, nullptr,
            "Connecting SendingHead AwaitingChunk SendingChunkHead SendingChunkData AwaitingChunk "
            "SendingChunkHead "
            "ReadingHead AwaitingHeadAck ClosingAfterDone Idle",
            {0}, "", 0},
        {"the dial fails", {kGetA}, {Net::fail(kResultConnectFailed)}, 0, Interrupt::None, nullptr,
            "Connecting Idle", {kResultConnectFailed}, "", 0},
        {"a malformed head", {kGetA},
            {Net::dial("a.example:80"), Net::write(kGetX),
                Net::read("HTTP/1.1 200 OK\r\nnot a header\r\n\r\n"), Net::close()},
            0, Interrupt::None, nullptr, "Connecting SendingHead ReadingHead ClosingAfterError Idle",
            {kResultMalformed}, "", 0},
        {"a malformed chunk after some body", {kGetA},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read(kChunkedHead + "3\r\nabcX"),
                Net::close()},
            0, Interrupt::None, nullptr, toBody + " ReadingBody ClosingAfterError Idle", {kResultMalformed},
            "abc", 0},
        {"a kept connection is reused, then closed after 13 s unused", {kKeepA, kKeepAAgain},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read(kHello), Net::write(kGetY),
                Net::read(kHello), Net::close()},
            0, Interrupt::None, nullptr,
            toBody
                + " KeptAlive ResendingOnKept SendingHead ReadingHead AwaitingHeadAck ReadingBody "
                  "AwaitingBodyAck "
                  "KeptAlive ClosingAfterIdle Idle",
            {0, 0}, "hellohello", CHTTPv2Job::kKeepAliveMs},
        {"a kept connection is closed for a new host", {kKeepA, kKeepB},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read(kHello), Net::close(),
                Net::dial("b.example:8080"), Net::write("GET /z HTTP/1.1\r\n"), Net::read(kHello),
                Net::close()},
            0, Interrupt::None, nullptr,
            toBody + " KeptAlive ClosingForNewHost Idle " + toBody + " KeptAlive ClosingAfterIdle Idle",
            {0, 0}, "hellohello", CHTTPv2Job::kKeepAliveMs},
        {"a kept connection that fails the send: dialled again, sent once more", {kKeepA, kKeepAAgain},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read(kHello), Net::fail(kResultTimedOut),
                Net::close(), Net::dial("a.example:80"), Net::write(kGetY), Net::read(kHello), Net::close()},
            0, Interrupt::None, nullptr,
            toBody + " KeptAlive ResendingOnKept ClosingForNewHost Idle " + toBody
                + " KeptAlive ClosingAfterIdle Idle",
            {0, 0}, "hellohello", CHTTPv2Job::kKeepAliveMs},
        {"a kept connection the server closed meanwhile: sent once more", {kKeepA, kKeepAAgain},
            {Net::dial("a.example:80"), Net::write(kGetX), Net::read(kHello), Net::write(kGetY),
                Net::peerClose(), Net::close(), Net::dial("a.example:80"), Net::write(kGetY),
                Net::read(kHello), Net::close()},
            0, Interrupt::None, nullptr,
            toBody + " KeptAlive ResendingOnKept SendingHead ReadingHead ClosingForNewHost Idle " + toBody
                + " KeptAlive ClosingAfterIdle Idle",
            {0, 0}, "hellohello", CHTTPv2Job::kKeepAliveMs},
    };
}

TEST(HttpJobScript, ExchangesRunAsScripted)
{
    for (const Row& row : exchanges())
        expectRow(row, runRow(row));
}

// A state in which the job waits: how it is reached, and how a cancel or a
// stop there ends.
struct Waiting {
    State state;
    std::vector<Request> requests;
    std::vector<Net::Step> script;
    std::int32_t hold;
    std::string pathTo;
    std::string pathOut;
    // The last request's result; a request its sender cancelled comes back
    // with 24 whatever the job set.
    std::int32_t onCancel;
    std::int32_t onStop;
    std::string body;
    std::uint32_t settledAt;
    std::vector<Interrupt> interrupts = {Interrupt::Cancel, Interrupt::Stop};
};

std::vector<Row> interruptions()
{
    const std::string out = "CancellingConnection ClosingAfterDone Idle";
    const std::string outRequester = "CancellingRequester ClosingAfterDone Idle";
    const std::string toHead = "Connecting SendingHead ReadingHead AwaitingHeadAck";
    const std::string toBody = toHead + " ReadingBody AwaitingBodyAck";
    const Net::Step dialA = Net::dial("a.example:80");
    const std::int32_t cancelled = kResultCancelled;
    const Waiting waiting[] = {
        {&CHTTPv2Job::Connecting, {kGetA}, {Net::stall()}, 0, "Connecting", "CancellingDial Idle", cancelled,
            cancelled, "", 0},
        {&CHTTPv2Job::SendingHead, {kGetA}, {dialA, Net::stall(), Net::close()}, 0, "Connecting SendingHead",
            out, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::ReadingHead, {kGetA}, {dialA, Net::write(kGetX), Net::stall(), Net::close()}, 0,
            "Connecting SendingHead ReadingHead", out, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::AwaitingHeadAck, {kGetA}, {dialA, Net::write(kGetX), Net::read(kHello), Net::close()},
            CVXLHttpResponse::kRequestCode, toHead, outRequester, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::ReadingBody, {kGetA},
            {dialA, Net::write(kGetX), Net::read("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n"),
                Net::stall(), Net::close()},
            0, toHead + " ReadingBody", out, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::AwaitingBodyAck, {kGetA}, {dialA, Net::write(kGetX), Net::read(kHello), Net::close()},
            CVXLHttpBodyData::kCode, toBody, outRequester, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::AwaitingLastAck, {kGetA},
            {dialA, Net::write(kGetX), Net::read(kChunkedHead + "0\r\n\r\n"), Net::close()},
            CVXLHttpBodyData::kCode, toHead + " ReadingBody AwaitingLastAck", outRequester, cancelled,
            cancelled, "", 0},
        {&CHTTPv2Job::AwaitingBodyPart, {kPostByLength}, {dialA, Net::write(kPostX), Net::close()},
            CVXLHttpBodyRequest::kCode, "Connecting SendingHead AwaitingBodyPart", outRequester, cancelled,
            cancelled, "", 0},
        {&CHTTPv2Job::SendingBodyPart, {kPostByLength},
            {dialA, Net::write(kPostX), Net::stall(), Net::close()}, 0,
            "Connecting SendingHead AwaitingBodyPart SendingBodyPart", out, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::AwaitingChunk, {kPostInChunks}, {dialA, Net::write(kPostX), Net::close()},
            CVXLHttpBodyRequest::kCode, "Connecting SendingHead AwaitingChunk", outRequester, cancelled,
            cancelled, "", 0},
        {&CHTTPv2Job::SendingChunkHead, {kPostInChunks},
            {dialA, Net::write(kPostX), Net::stall(), Net::close()}, 0,
            "Connecting SendingHead AwaitingChunk SendingChunkHead", out, cancelled, cancelled, "", 0},
        {&CHTTPv2Job::SendingChunkData, {kPostInChunks},
            {dialA, Net::write(kPostX), Net::write("5\r\n"), Net::stall(), Net::close()}, 0,
            "Connecting SendingHead AwaitingChunk SendingChunkHead SendingChunkData", out, cancelled,
            cancelled, "", 0},
        {&CHTTPv2Job::ResendingOnKept, {kKeepA, kKeepAAgain},
            {dialA, Net::write(kGetX), Net::read(kHello), Net::stall(), Net::close()}, 0,
            toBody + " KeptAlive ResendingOnKept", out, cancelled, cancelled, "hello", 0},
        // Waiting for the dialer to close: the close is answered at 100 ms.
        {&CHTTPv2Job::ClosingAfterDone, {kGetA},
            {dialA, Net::write(kGetX), Net::read(kHello), Net::close(100)}, 0, toBody + " ClosingAfterDone",
            "Idle", cancelled, kResultSucceeded, "hello", 100},
        {&CHTTPv2Job::ClosingAfterError, {kGetA},
            {dialA, Net::write(kGetX), Net::read("HTTP/1.1 200 OK\r\nnot a header\r\n\r\n"), Net::close(100)},
            0, "Connecting SendingHead ReadingHead ClosingAfterError", "Idle", cancelled, kResultMalformed,
            "", 100},
        // The request waiting for the new host is answered, not sent.
        {&CHTTPv2Job::ClosingForNewHost, {kKeepA, kKeepB},
            {dialA, Net::write(kGetX), Net::read(kHello), Net::close(100)}, 0,
            toBody + " KeptAlive ClosingForNewHost", "Idle", cancelled, cancelled, "hello", 100},
        // No request is held: a stop closes the connection at once.
        {&CHTTPv2Job::KeptAlive, {kKeepA}, {dialA, Net::write(kGetX), Net::read(kHello), Net::close()}, 0,
            toBody + " KeptAlive", "ClosingAfterIdle Idle", kResultSucceeded, kResultSucceeded, "hello", 0,
            {Interrupt::Stop}},
        {&CHTTPv2Job::ClosingAfterIdle, {kKeepA},
            {dialA, Net::write(kGetX), Net::read(kHello), Net::close(CHTTPv2Job::kKeepAliveMs + 100)}, 0,
            toBody + " KeptAlive ClosingAfterIdle", "Idle", kResultSucceeded, kResultSucceeded, "hello",
            CHTTPv2Job::kKeepAliveMs + 100},
    };
    std::vector<Row> rows;
    for (const Waiting& w : waiting) {
        for (Interrupt interrupt : w.interrupts) {
            const bool cancel = interrupt == Interrupt::Cancel;
            std::vector<std::int32_t> results(w.requests.size(), kResultSucceeded);
            results.back() = cancel ? w.onCancel : w.onStop;
            rows.push_back(
                {std::string(cancel ? "cancel in " : "stop in ") + stateName(CVXLHsm::toHandler(w.state)),
                    w.requests, w.script, w.hold, interrupt, w.state, w.pathTo + " " + w.pathOut, results,
                    w.body, w.settledAt});
        }
    }
    return rows;
}

TEST(HttpJobScript, CancelAndStopInEachWaitingState)
{
    for (const Row& row : interruptions())
        expectRow(row, runRow(row));
}

TEST(HttpJobScript, EveryStateIsReachedByARow)
{
    std::set<std::string> reached;
    for (const auto& rows : {exchanges(), interruptions()}) {
        for (const Row& row : rows) {
            std::istringstream path(row.path);
            for (std::string state; path >> state;)
                reached.insert(state);
        }
    }
    for (const auto& leaf : kLeafStates)
        EXPECT_EQ(1u, reached.count(leaf.name)) << leaf.name;
}

} // namespace
