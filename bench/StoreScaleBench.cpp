// The message store and the thread database at 1,000, 5,000 and 20,000
// messages (50,000 for the database load), with SQLite (WAL, synchronous=FULL)
// doing the same work on the same bytes in the same run as the bound:
// start-up (every message listed and its thread found; SQLite reads every
// row's id, box, time, size and addresses), storing one message durably, and
// a window of 50 summaries. The store's system calls are counted per stored
// message (stat family, fsync and fdatasync, rename, directory listings).
// At the end a table gives each size's times, the ratio to SQLite and the
// slope (log time / log size) from one size to the next.
#include "bench/AlternatingRatio.h"
#include "bench/StoreBenchRig.h"
#include "bench/SyscallCounts.h"
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLHeaderBlock.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "platform/kernel/DeviceRoot.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct CallSnapshot {
    long stats = 0, syncs = 0, renames = 0, listings = 0;
    static CallSnapshot now() { return {gCalls.stats, gCalls.syncs, gCalls.renames, gCalls.listings}; }
};

void reportCalls(benchmark::State& state, const CallSnapshot& before, std::int64_t messages)
{
    const CallSnapshot after = CallSnapshot::now();
    const double n = static_cast<double>(messages);
    state.counters["stat"] = static_cast<double>(after.stats - before.stats) / n;
    state.counters["fsync"] = static_cast<double>(after.syncs - before.syncs) / n;
    state.counters["rename"] = static_cast<double>(after.renames - before.renames) / n;
    state.counters["listing"] = static_cast<double>(after.listings - before.listings) / n;
}

// ---------------------------------------------------------------- the stores

constexpr int kMessagesPerThread = 10;
constexpr int kWindow = 50;
constexpr std::uint32_t kFirstTime = 1699000000u;
// The template's sender and time, patched per message in place (same lengths).
constexpr const char* kTemplateSender = "+15559999999";
constexpr const char* kTemplateTime = "1698999999";

std::string senderOf(int thread)
{
    return "+1555" + std::to_string(1000000 + thread);
}

// A store manager over the current device root's message store, started.
struct Store : StoreBenchRig {
    explicit Store(bool reconcile = false, bool saved = false)
        : StoreBenchRig(reconcile, saved, 1000000, 1800000000u)
    {
    }
};

CVXLEntityRef part(const char* type, std::size_t size)
{
    return storeBenchPart(type, size);
}

void fillPreview(CVXLMessage& message, const std::string& sender, const std::string& time)
{
    message.addHeader("X-QV-From-Address", sender.c_str());
    message.addHeader("X-QV-To-Address-List", "5551111;ann@example.com");
    message.addHeader("X-QV-Message-Sent-Time", time.c_str());
    message.addHeader("X-QV-Image-Count", "1");
    message.addHeader("X-QV-MessageText-Summary", "A short text of the message");
    message.setBody(part("text/plain", 120));
}

// Stores a preview and then the whole message over it; the new id.
CVXLString storeOne(Store& store, const std::string& sender, const std::string& time, bool whole)
{
    CVXLMessage message;
    fillPreview(message, sender, time);
    CStoreMessageRequest first(90);
    first.message = &message;
    store.send(first);
    if (!whole)
        return first.messageId;
    auto* body = new CVXLMultipartBody;
    body->appendPart(part("application/smil", 300));
    body->appendPart(part("image/jpeg", 1200));
    CVXLMessage rest;
    rest.setBody(CVXLEntityRef(body));
    CStoreMessageRequest append(91);
    append.messageId = first.messageId;
    append.fullMessage = 1;
    append.message = &rest;
    store.send(append);
    return first.messageId;
}

std::string baseFolder()
{
    static const std::string base = [] {
        useBenchDeviceRoot();
        return benchFolder();
    }();
    return base;
}

std::string readHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeHostFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void replaceAll(std::string& bytes, const std::string& from, const std::string& to)
{
    for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
        bytes.replace(at, from.size(), to);
}

std::string hostStoreFolder()
{
    std::string host;
    tessel::kernel::mapPhonePath(CVXLPlatformMessageStore().folder().c_str(), &host);
    return host;
}

// The bytes of one stored message (summary, body, totals, headers, two
// parts), made by the store itself under the template's sender and time.
const std::string& templateFile()
{
    static const std::string bytes = [] {
        tessel::kernel::setDeviceRoot(baseFolder() + "/template");
        Store store;
        const CVXLString id = storeOne(store, kTemplateSender, kTemplateTime, true);
        return readHostFile(hostStoreFolder() + "/" + id.c_str());
    }();
    return bytes;
}

struct Row {
    std::string id;
    std::string sender;
    std::uint32_t time;
    std::string bytes;
};

Row rowOf(int n, int messages)
{
    Row row;
    row.time = kFirstTime + static_cast<std::uint32_t>(n);
    row.id = "i" + std::to_string(row.time) + "_0";
    row.sender = senderOf(n % (messages / kMessagesPerThread));
    row.bytes = templateFile();
    replaceAll(row.bytes, kTemplateSender, row.sender);
    replaceAll(row.bytes, kTemplateTime, std::to_string(row.time));
    return row;
}

// The device root of a Tessel store of n messages; made on first use by
// writing the store's own bytes, patched per message, under fresh ids.
void useTesselStore(int messages)
{
    static std::set<int> made;
    const std::string root = baseFolder() + "/tessel-" + std::to_string(messages);
    const std::string& bytes = templateFile();
    (void)bytes;
    tessel::kernel::setDeviceRoot(root);
    if (!made.insert(messages).second)
        return;
    const std::string folder = hostStoreFolder();
    tessel::kernel::makeHostFolders(folder);
    for (int n = 0; n < messages; ++n) {
        const Row row = rowOf(n, messages);
        writeHostFile(folder + "/" + row.id, row.bytes);
    }
    // The indexes written and the thread database saved.
    Store settle(true, true);
}

struct Sqlite {
    sqlite3* db = nullptr;

    explicit Sqlite(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
            std::abort();
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
    }
    ~Sqlite() { sqlite3_close(db); }
    void exec(const char* sql)
    {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            std::abort();
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            std::abort();
        return statement;
    }
    // The summary is the file's first segment; the row keeps the whole file
    // beside it.
    bool insert(sqlite3_stmt* statement, const Row& row)
    {
        const std::uint32_t summaryLength = 8 + vxlBytesBE(row.bytes, 0) + vxlBytesBE(row.bytes, 4);
        sqlite3_reset(statement);
        sqlite3_bind_text(statement, 1, row.id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(statement, 2, 0);
        sqlite3_bind_int64(statement, 3, row.time);
        sqlite3_bind_int64(statement, 4, static_cast<sqlite3_int64>(row.bytes.size()));
        sqlite3_bind_text(statement, 5, row.sender.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 6, "5551111;ann@example.com", -1, SQLITE_STATIC);
        sqlite3_bind_blob(statement, 7, row.bytes.data(), static_cast<int>(summaryLength), SQLITE_TRANSIENT);
        sqlite3_bind_blob(
            statement, 8, row.bytes.data(), static_cast<int>(row.bytes.size()), SQLITE_TRANSIENT);
        return sqlite3_step(statement) == SQLITE_DONE;
    }
    static std::uint32_t vxlBytesBE(const std::string& bytes, std::size_t at)
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
        return value;
    }
};

constexpr const char* kInsert = "INSERT INTO messages VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";

std::string sqlitePath(int messages)
{
    static std::set<int> made;
    const std::string path = baseFolder() + "/sqlite-" + std::to_string(messages) + ".db";
    if (!made.insert(messages).second)
        return path;
    Sqlite fill(path);
    fill.exec("CREATE TABLE messages (id TEXT PRIMARY KEY, box INTEGER, time INTEGER, size INTEGER,"
              " sender TEXT, recipients TEXT, summary BLOB, data BLOB)");
    fill.exec("CREATE INDEX by_box_time ON messages (box, time)");
    fill.exec("BEGIN");
    sqlite3_stmt* insert = fill.prepare(kInsert);
    for (int n = 0; n < messages; ++n) {
        if (!fill.insert(insert, rowOf(n, messages)))
            std::abort();
    }
    sqlite3_finalize(insert);
    fill.exec("COMMIT");
    return path;
}

// ---------------------------------------------------------------- start-up

// Start-up with the thread database's file (arg 1) or without it.
void BM_TesselStartUp(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    const bool saved = state.range(1) != 0;
    useTesselStore(messages);
    for (auto _ : state) {
        auto started = std::make_unique<Store>(true, saved);
        const CMessageStoreManager& manager = started->manager;
        if (!manager.loaded() || manager.boxCount(0) != static_cast<std::uint32_t>(messages)
            || started->threads.messageCount() != static_cast<std::uint32_t>(messages)
            || started->threads.shownCount() != static_cast<std::uint32_t>(messages / kMessagesPerThread)) {
            state.SkipWithError("the store did not load whole");
            return;
        }
        // The stop saves the database: not part of the start.
        state.PauseTiming();
        started.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * messages);
}

void BM_SqliteStartUp(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    const std::string path = sqlitePath(messages);
    for (auto _ : state) {
        Sqlite db(path);
        sqlite3_stmt* rows = db.prepare("SELECT id, box, time, size, sender, recipients FROM messages");
        std::map<std::string, std::vector<std::string>> threads;
        int count = 0;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            const auto* id = reinterpret_cast<const char*>(sqlite3_column_text(rows, 0));
            benchmark::DoNotOptimize(
                sqlite3_column_int(rows, 1) + sqlite3_column_int64(rows, 2) + sqlite3_column_int64(rows, 3));
            threads[reinterpret_cast<const char*>(sqlite3_column_text(rows, 4))].emplace_back(id);
            benchmark::DoNotOptimize(sqlite3_column_text(rows, 5));
            ++count;
        }
        sqlite3_finalize(rows);
        if (count != messages || threads.size() != static_cast<std::size_t>(messages / kMessagesPerThread)) {
            state.SkipWithError("the table did not read whole");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * messages);
}

// ---------------------------------------------------------------- storing one

constexpr int kStores = 40;

void BM_TesselStoreOne(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    useTesselStore(messages);
    Store store;
    int n = 0;
    const CallSnapshot before = CallSnapshot::now();
    for (auto _ : state) {
        const CVXLString id
            = storeOne(store, senderOf(n % 50), std::to_string(kFirstTime + messages + n), false);
        ++n;
        if (!id.length()) {
            state.SkipWithError("not stored");
            return;
        }
    }
    reportCalls(state, before, state.iterations());
    state.SetItemsProcessed(state.iterations());
}

// The bytes the store writes for one preview.
std::string previewBytes(int messages)
{
    useTesselStore(messages);
    Store store;
    const CVXLString id = storeOne(store, senderOf(1), std::to_string(kFirstTime), false);
    const std::string preview = readHostFile(hostStoreFolder() + "/" + id.c_str());
    CStoreDeleteRequest drop(92);
    drop.messageId = id;
    store.send(drop);
    return preview;
}

// The bytes the store wrote for one preview, inserted as one durable row.
void BM_SqliteStoreOne(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    const std::string path = sqlitePath(messages);
    const std::string preview = previewBytes(messages);
    Sqlite db(path);
    sqlite3_stmt* insert = db.prepare(kInsert);
    int n = 0;
    const CallSnapshot before = CallSnapshot::now();
    for (auto _ : state) {
        Row row {"i" + std::to_string(1800000000 + messages * 10 + n++) + "_0", senderOf(n % 50),
            kFirstTime + static_cast<std::uint32_t>(n), preview};
        if (!db.insert(insert, row)) {
            state.SkipWithError("not inserted");
            return;
        }
    }
    reportCalls(state, before, state.iterations());
    sqlite3_finalize(insert);
    state.SetItemsProcessed(state.iterations());
}

// A message stored and its bytes inserted as one durable row in turn in
// every iteration, so the disk's load, which swings widely on a shared
// machine, weighs on both alike: how many times longer the store took.
void BM_StoreOneToSqlite(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    const std::string preview = previewBytes(messages);
    Sqlite db(sqlitePath(messages));
    sqlite3_stmt* insert = db.prepare(kInsert);
    useTesselStore(messages);
    Store store;
    int n = 0;
    bool stored = true;
    state.counters["tessel_per_sqlite"] = alternatingRatio(
        state,
        [&] {
            const CVXLString id
                = storeOne(store, senderOf(n % 50), std::to_string(kFirstTime + messages + n), false);
            stored = stored && id.length() > 0;
            return id.length();
        },
        [&] {
            Row row {"i" + std::to_string(1900000000 + messages * 10 + n) + "_0", senderOf(n % 50),
                kFirstTime + static_cast<std::uint32_t>(n), preview};
            ++n;
            stored = db.insert(insert, row) && stored;
            return n;
        });
    sqlite3_finalize(insert);
    if (!stored)
        state.SkipWithError("not stored");
}

// ---------------------------------------------------------------- window

void BM_TesselWindow(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    useTesselStore(messages);
    Store started;
    for (auto _ : state) {
        if (!started.readSummaryWindow(kWindow)) {
            state.SkipWithError("the window is short");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kWindow);
}

// The same rows' summaries, newest first from the 100th, their header blocks
// read by the store's own reader.
void BM_SqliteWindow(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    Sqlite db(sqlitePath(messages));
    sqlite3_stmt* window
        = db.prepare("SELECT id, summary FROM messages WHERE box = 0 ORDER BY time DESC LIMIT ?1 OFFSET 100");
    for (auto _ : state) {
        sqlite3_reset(window);
        sqlite3_bind_int(window, 1, kWindow);
        int count = 0;
        while (sqlite3_step(window) == SQLITE_ROW) {
            const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(window, 1));
            const int length = sqlite3_column_bytes(window, 1);
            CVXLByteBuffer summary;
            summary.append(bytes, static_cast<std::uint32_t>(length));
            CVXLHeaderMap headers;
            CVXLHeaderBlock::read(summary, 8, Sqlite::vxlBytesBE(std::string(bytes, bytes + 4), 0), headers);
            benchmark::DoNotOptimize(headers.value("X-QV-From-Address").length());
            ++count;
        }
        if (count != kWindow) {
            state.SkipWithError("the window is short");
            return;
        }
    }
    sqlite3_finalize(window);
    state.SetItemsProcessed(state.iterations() * kWindow);
}

// ---------------------------------------------------------------- thread database

// A database image in the stored format: each message in its sender's thread
// and the next one's.
CVXLByteBuffer databaseImage(int messages)
{
    const int threads = messages / kMessagesPerThread;
    CVXLByteStream s;
    s.writeUInt32(CVXLThreadDB::kVersion);
    s.writeUInt32(0);
    s.writeUInt32(static_cast<std::uint32_t>(threads));
    for (int t = 0; t < threads; ++t) {
        s.writeString(senderOf(t).c_str());
        s.writeString(("Contact " + std::to_string(t)).c_str());
        s.writeBool(false);
        s.writeUInt32(0);
    }
    s.writeUInt32(static_cast<std::uint32_t>(messages));
    for (int m = 0; m < messages; ++m) {
        const int thread = m % threads;
        s.writeString(("i" + std::to_string(kFirstTime + m) + "_0").c_str());
        s.writeBool(false);
        s.writeBool(false);
        // Arrival order is not time order: the newest come first.
        s.writeUInt32(kFirstTime + static_cast<std::uint32_t>(messages - m));
        s.writeString(senderOf(thread).c_str());
        s.writeUInt32(2);
        s.writeString(senderOf(thread).c_str());
        s.writeString(senderOf((thread + 1) % threads).c_str());
        s.writeBool(true);
        s.writeBool(true);
    }
    return CVXLByteBuffer(s);
}

void BM_ThreadDatabaseLoad(benchmark::State& state)
{
    const int messages = static_cast<int>(state.range(0));
    const CVXLByteBuffer image = databaseImage(messages);
    for (auto _ : state) {
        CVXLThreadDB db;
        if (!db.parse(image) || db.messageCount() != static_cast<std::uint32_t>(messages)) {
            state.SkipWithError("the image did not load");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * messages);
}

BENCHMARK(BM_TesselStartUp)
    ->ArgsProduct({{1000, 5000, 20000}, {1, 0}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteStartUp)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TesselStoreOne)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Iterations(kStores)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteStoreOne)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Iterations(kStores)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreOneToSqlite)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(100);
BENCHMARK(BM_TesselWindow)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteWindow)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreadDatabaseLoad)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(50000)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- the table

// Keeps every run's time per iteration, by name and size, for the table.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            // "SIZE" or "SIZE/SAVED": the second number names a variant.
            std::string name = run.run_name.function_name;
            const std::string& args = run.run_name.args;
            const std::size_t slash = args.find('/');
            if (slash != std::string::npos)
                name += args.substr(slash + 1) == "1" ? "" : "Rebuild";
            ms[name][std::stoi(args)] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, std::map<int, double>> ms;
};

void printTable(TableReporter& reporter)
{
    std::printf(
        "\n%-18s %7s %12s %12s %7s %7s\n", "work", "size", "tessel ms", "sqlite ms", "ratio", "slope");
    const std::pair<const char*, const char*> works[] = {{"StartUp", "StartUp"},
        {"StartUpRebuild", "StartUp"}, {"StoreOne", "StoreOne"}, {"Window", "Window"}};
    for (const auto& [work, bound] : works) {
        const auto& tessel = reporter.ms[std::string("BM_Tessel") + work];
        const auto& sqlite = reporter.ms[std::string("BM_Sqlite") + bound];
        const std::pair<int, double>* previous = nullptr;
        std::pair<int, double> last;
        for (const auto& entry : tessel) {
            const auto bound = sqlite.find(entry.first);
            const double other = bound == sqlite.end() ? NAN : bound->second;
            const double slope = previous
                ? std::log(entry.second / previous->second) / std::log(double(entry.first) / previous->first)
                : NAN;
            std::printf("%-18s %7d %12.3f %12.3f %7.2f %7.2f\n", work, entry.first, entry.second, other,
                entry.second / other, slope);
            last = entry;
            previous = &last;
        }
    }
    const std::pair<int, double>* previous = nullptr;
    std::pair<int, double> last;
    for (const auto& entry : reporter.ms["BM_ThreadDatabaseLoad"]) {
        const double slope = previous
            ? std::log(entry.second / previous->second) / std::log(double(entry.first) / previous->first)
            : NAN;
        std::printf(
            "%-18s %7d %12.3f %12s %7s %7.2f\n", "ThreadDbLoad", entry.first, entry.second, "-", "-", slope);
        last = entry;
        previous = &last;
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printTable(reporter);
    benchmark::Shutdown();
    return 0;
}
