// Media transfers of the service protocol job through squid on loopback,
// against curl moving the same bytes through the same proxy to the same
// test server (tests/peers/vrax_server.py, a fresh one per transfer):
//  - a 5 MB upload (the job pulls the item in reads of at most 51,200 bytes;
//    curl posts a request body of the same form from memory),
//  - a batch fetch of nine 200 KB items (the job hands each part to its
//    slot; curl fetches the same reply to /dev/null).
// The job runs in this process; curl's time includes its process start.
// curl is told not to wait for "100 Continue", which the job never asks for.
// The iteration time is the job's; counters: "ours_ms" and "curl_ms" per transfer, "ratio" = ours / curl.
#include "engine/media/VXLMediaItem.h"
#include "engine/service/VRAXFetchBatch.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/SquidProxy.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kUploadBytes = 5 * 1024 * 1024;
constexpr int kFetchItems = 9;
constexpr std::size_t kFetchItemBytes = 200 * 1024;

using Clock = std::chrono::steady_clock;

double since(Clock::time_point begin)
{
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

SquidProxy* squid()
{
    static SquidProxy proxy;
    static const bool started = SquidProxy::available() && proxy.start();
    return started ? &proxy : nullptr;
}

// One job rig whose requests go through the shared squid.
struct ProxiedRig : VraxJobRig {
    ProxiedRig()
    {
        registered();
        environment.items[kCfgProxyUri] = squid()->proxyUri();
    }
};

// The server alone, for curl: its URL, and its log once it has exited.
struct CurlServer {
    explicit CurlServer(const std::string& word)
    {
        logPath = root.hostPath("vrax-server.log");
        std::uint16_t port = 0;
        pid = testStartPythonPeer("vrax_server.py", {word, logPath, "--announce"}, logPath + ".out", &port);
        url = testLoopbackUrl(port, "/vrax");
    }
    ~CurlServer()
    {
        if (pid > 0)
            testStopProcess(pid, 2000);
    }

    // Posts the body file through squid; true when curl succeeded and the
    // server read the request as one of the `element` kind.
    bool post(const std::string& bodyPath, const char* element) const
    {
        const std::string command
            = "/usr/bin/curl -sf -o /dev/null -x http://127.0.0.1:" + std::to_string(squid()->port())
            + " --proxy-user '" + SquidProxy::kUser + ":" + SquidProxy::kPassword
            + "' -H 'Expect:' -H 'Content-Type: multipart/mixed; boundary=Veltmarsh' --data-binary @"
            + bodyPath + " " + url;
        if (testRunCommand(command).status != 0)
            return false;
        std::ifstream in(logPath);
        std::string line;
        std::getline(in, line);
        return line.find(std::string("request=") + element) != std::string::npos;
    }

    TempDeviceRoot root;
    std::string logPath;
    std::string url;
    pid_t pid = -1;
};

// A request body as the job writes it: the document, then the attachment.
std::string requestBody(const std::string& element, const std::string& attachment)
{
    const std::string document
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VRAX seq=\"1\" time_req=\"1800000000\">"
          "<context/>"
        + element + "</VRAX>\n";
    std::string body = "--Veltmarsh\r\nContent-Type: application/X-VRAX\r\nContent-Length: "
        + std::to_string(document.size()) + "\r\n\r\n" + document + "\r\n";
    if (!attachment.empty()) {
        body += "--Veltmarsh\r\nContent-Type: image/jpeg\r\nContent-Length: "
            + std::to_string(attachment.size()) + "\r\n\r\n" + attachment + "\r\n";
    }
    return body + "--Veltmarsh--\r\n";
}

std::string writeBody(const TempDeviceRoot& root, const std::string& body)
{
    const std::string path = root.hostPath("body.bin");
    std::ofstream(path, std::ios::binary).write(body.data(), static_cast<std::streamsize>(body.size()));
    return path;
}

void report(benchmark::State& state, double ours, double curl, std::size_t bytesPerRun)
{
    const double runs = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * ours / runs;
    state.counters["curl_ms"] = 1000 * curl / runs;
    state.counters["ratio"] = ours / curl;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytesPerRun));
}

// The upload's requester and the source of its bytes.
struct Uploader {
    explicit Uploader(VraxJobRig& rig, const std::string& data)
        : rig(rig)
        , data(data)
    {
        job.handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event == &upload)
                answer = event->result();
            if (event->effectiveCode() != kEventOnlineUploadData)
                return self.finishEvent(event);
            auto* ask = static_cast<CVXLUploadDataRequest*>(event);
            const std::size_t n
                = std::min<std::size_t>(static_cast<std::size_t>(ask->size), this->data.size() - given);
            ask->buffer.clear();
            ask->buffer.append(this->data.data() + given, static_cast<std::uint32_t>(n));
            given += n;
            ask->setResult(n == 0 ? kResultDataComplete : kResultSucceeded);
            self.finishEvent(ask);
        };
        rig.driver.attach(&job);
        rig.driver.runUntilIdle();
    }

    std::int32_t run()
    {
        rig.environment.mimeTypes[&item] = "image/jpeg";
        upload.item = &item;
        upload.size = static_cast<std::int32_t>(data.size());
        upload.transferKind = CVXLOnlineUploadRequest::kKindUpload;
        job.post(&rig.job, &upload);
        rig.pump([&] { return answer != VraxJobRig::kNoAnswer; }, 60000);
        return answer;
    }

    VraxJobRig& rig;
    const std::string& data;
    TraceJob job {"uploader"};
    CVXLOnlineUploadRequest upload {43};
    CVXLMediaItem item;
    std::size_t given = 0;
    std::int32_t answer = VraxJobRig::kNoAnswer;
};

void BM_Upload5MBThroughProxy(benchmark::State& state)
{
    if (!squid()) {
        state.SkipWithError("squid did not start");
        return;
    }
    const std::string data = VraxJobRig::uploadBytes(kUploadBytes);
    double ours = 0;
    double curl = 0;
    for (auto _ : state) {
        double took = 0;
        {
            ProxiedRig rig;
            rig.environment.store.set("vrax.max_image_upload_size", std::to_string(kUploadBytes).c_str());
            if (!rig.serve("upload-ack")) {
                state.SkipWithError("the test server did not start");
                return;
            }
            Uploader uploader(rig, data);
            const auto begin = Clock::now();
            const std::int32_t result = uploader.run();
            took = since(begin);
            ours += took;
            const auto lines = rig.log();
            if (result != kResultSucceeded || lines.size() != 1
                || lines[0].find(" attachment=" + std::to_string(kUploadBytes) + " ") == std::string::npos) {
                state.SkipWithError("our upload failed");
                return;
            }
        }
        CurlServer server("upload-ack");
        const std::string body = writeBody(server.root, requestBody("<media-xfer/>", data));
        const auto begin = Clock::now();
        const bool posted = server.post(body, "media-xfer");
        curl += since(begin);
        if (!posted) {
            state.SkipWithError("curl's upload failed");
            return;
        }
        state.SetIterationTime(took);
    }
    report(state, ours, curl, kUploadBytes);
}
BENCHMARK(BM_Upload5MBThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A batch of nine slots whose jobs count the bytes pushed to them.
struct BatchRig : ProxiedRig {
    BatchRig()
    {
        batch.count = kFetchItems;
        for (int i = 0; i < kFetchItems; ++i) {
            const std::string id = "F" + std::to_string(i + 1);
            batch.slots[i].itemId = id.c_str();
            batch.slots[i].contentId = id.c_str();
            batch.slots[i].mimeType = "image/jpeg";
            batch.slots[i].target = &sinks[i];
            batch.slots[i].opened = true;
            sinks[i].handler = [this, i](TraceJob& self, CVXLEvent* event) {
                if (event->effectiveCode() == kEventPushWrite) {
                    CVXLByteBuffer* buffer = static_cast<CVXLPushWriteRequest*>(event)->buffer;
                    received[i] += buffer->length();
                    buffer->clear();
                } else if (event->effectiveCode() == CVRAXJob::kFetchOverCode) {
                    ++told;
                }
                self.finishEvent(event);
            };
            driver.attach(&sinks[i]);
        }
        driver.runUntilIdle();
        fetch.batch = &batch;
    }

    bool runFetch()
    {
        const std::int32_t result = run(fetch, 60000);
        pump([&] { return told == kFetchItems; }, 5000);
        for (std::size_t n : received) {
            if (n != kFetchItemBytes)
                return false;
        }
        return result == kResultSucceeded && told == kFetchItems;
    }

    CVRAXFetchBatch batch;
    CVRAXJobRequest fetch {kEventVraxFetchMedia, 44};
    TraceJob sinks[kFetchItems] {TraceJob("F1"), TraceJob("F2"), TraceJob("F3"), TraceJob("F4"),
        TraceJob("F5"), TraceJob("F6"), TraceJob("F7"), TraceJob("F8"), TraceJob("F9")};
    std::size_t received[kFetchItems] = {};
    int told = 0;
};

void BM_Fetch9x200KBThroughProxy(benchmark::State& state)
{
    if (!squid()) {
        state.SkipWithError("squid did not start");
        return;
    }
    std::string elems;
    for (int i = 1; i <= kFetchItems; ++i)
        elems += "<elem id=\"F" + std::to_string(i) + "\"/>";
    const std::string mediaReq = "<media-req><numelem val=\"9\"/>" + elems + "</media-req>";
    double ours = 0;
    double curl = 0;
    for (auto _ : state) {
        double took = 0;
        {
            BatchRig rig;
            if (!rig.serve("fetch9x200k")) {
                state.SkipWithError("the test server did not start");
                return;
            }
            const auto begin = Clock::now();
            const bool fetched = rig.runFetch();
            took = since(begin);
            ours += took;
            if (!fetched) {
                state.SkipWithError("our fetch failed");
                return;
            }
        }
        CurlServer server("fetch9x200k");
        const std::string body = writeBody(server.root, requestBody(mediaReq, ""));
        const auto begin = Clock::now();
        const bool fetched = server.post(body, "media-req");
        curl += since(begin);
        if (!fetched) {
            state.SkipWithError("curl's fetch failed");
            return;
        }
        state.SetIterationTime(took);
    }
    report(state, ours, curl, kFetchItems * kFetchItemBytes);
}
BENCHMARK(BM_Fetch9x200KBThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
