#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "tests/support/JobTreeDriver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Stands in for the network dialer and the connections it lends (connect
// and close requests to the dialer, send and receive requests to a
// connection), for a job that talks over them. The test writes down, in
// order, each request the job is to make and how it is answered: the bytes a
// write must begin with, the bytes a read delivers (a read larger than the
// receive asks for is handed out over several receives), a failure, or no
// answer at all. A step may wait for a driven time before it is answered; a
// stalled request waits until its sender cancels it and is then answered
// with 24, as a connection does. A request the next step does not expect is
// answered with kMismatch and noted.
class ScriptedNetwork {
public:
    enum class Kind { Dial, Close, Write, Read, Fail, Stall };
    struct Step {
        Kind kind;
        // Dial: "host:port"; Write: what the bytes written begin with; Read:
        // the bytes read.
        std::string bytes;
        std::int32_t result = 0; // Fail: the answer's result
        std::uint32_t at = 0; // driven ms after setScript before which it is not answered
        std::uint64_t repeat = 0; // Read: that many copies of bytes[0] instead of the bytes
    };
    static constexpr std::int32_t kMismatch = 999;

    static Step dial(std::string hostPort) { return {Kind::Dial, std::move(hostPort)}; }
    static Step close(std::uint32_t at = 0) { return {Kind::Close, "", 0, at}; }
    static Step write(std::string start, std::uint32_t at = 0)
    {
        return {Kind::Write, std::move(start), 0, at};
    }
    static Step read(std::string bytes, std::uint32_t at = 0)
    {
        return {Kind::Read, std::move(bytes), 0, at};
    }
    // A long read made up as it is handed out, so that a script of a large
    // body holds no copy of it.
    static Step readRepeated(char byte, std::uint64_t count)
    {
        return {Kind::Read, std::string(1, byte), 0, 0, count};
    }
    static Step fail(std::int32_t result, std::uint32_t at = 0) { return {Kind::Fail, "", result, at}; }
    // A receive that ends because the peer closed the connection.
    static Step peerClose(std::uint32_t at = 0);
    static Step stall() { return {Kind::Stall, ""}; }

    // Its times are the driver's; the test attaches dialer() to the tree.
    explicit ScriptedNetwork(JobTreeDriver& driver);
    ~ScriptedNetwork();
    ScriptedNetwork(const ScriptedNetwork&) = delete;
    ScriptedNetwork& operator=(const ScriptedNetwork&) = delete;

    CVXLEventHandler* dialer();
    // Step times count from now.
    void setScript(std::vector<Step> steps);

    bool allUsed() const { return next_ == steps_.size(); }
    // One line per request that did not match its step.
    const std::string& mismatches() const { return mismatches_; }
    // Everything written, in order.
    const std::string& written() const { return written_; }
    int dials() const { return static_cast<int>(connections_.size()); }
    int cancelled() const { return cancelled_; }
    // Connections handed out and not closed since.
    int openConnections() const;
    // Requests held unanswered (until their time, or stalled).
    int heldRequests() const;

private:
    class Face;
    friend class Face;

    void onRequest(Face& face, CVXLEvent* event);
    void answer(Face& face, CVXLEvent* event, const Step& step);
    void dialed(Face& face, CVXLEvent* event);

    JobTreeDriver& driver_;
    std::unique_ptr<Face> dialer_;
    std::vector<std::unique_ptr<Face>> connections_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::uint32_t start_ = 0;
    std::string mismatches_;
    std::string written_;
    int cancelled_ = 0;
};
