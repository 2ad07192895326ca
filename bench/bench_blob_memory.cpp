// Peak memory of writing one 200 MB blob and reading it back, on SQLite (a temporary file)
// and on PostgreSQL (TARVO_TEST_PG_URL; skipped without it). Each step runs on a fresh
// connection; its peak resident memory above what the process held before the step is
// printed as a multiple of the blob's size. The blob the caller writes, and the value it
// reads back, each count as one copy. The read is measured through read_blob (how the
// screens read a photo) and, for comparison, as one value of a plain cursor.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/db/connection.h"

namespace {

constexpr std::size_t kBlob = 200u * 1024 * 1024;

long status_kb(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(field))
            return std::atol(line.c_str() + std::string_view(field).size());
    return -1;
}

// Starts a new peak at the current resident size.
void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double copies(long before_kb) {
    return (status_kb("VmHWM:") - before_kb) * 1024.0 / kBlob;
}

// Peak memory of `read` on a fresh connection, above what the process held before.
struct Peak {
    double copies;  // of the blob
    double ms;      // how long `read` took
};

template <class Read>
Peak peak_of(const std::string& url, Read read) {
    const long before = status_kb("VmRSS:");
    auto conn = db::connect(url);
    reset_peak();
    const auto start = std::chrono::steady_clock::now();
    read(*conn);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return {copies(before), took.count()};
}

void measure(const char* name, const std::string& url, const char* blob_type) {
    db::connect(url)->execute_script(
        "DROP TABLE IF EXISTS bench_blob; CREATE TABLE bench_blob"
        " (id INTEGER PRIMARY KEY, data " +
        std::string(blob_type) + ")");
    const long empty = status_kb("VmRSS:");
    double write = 0;
    {
        db::Bytes blob(kBlob);
        for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 131);
        db::Params params;  // built in place: a braced list would copy the blob
        params.emplace_back(std::move(blob));
        auto conn = db::connect(url);
        reset_peak();
        conn->execute("INSERT INTO bench_blob (id, data) VALUES (1, ?)", params);
        write = copies(empty);
    }
    // Read back as the screens read a photo (read_blob), and as one value of a plain cursor.
    std::size_t got = 0, got_plain = 0;
    const Peak read = peak_of(url, [&](db::Connection& conn) {
        std::optional<db::Bytes> blob;
        conn.read_blob("SELECT data FROM bench_blob WHERE id = ?", {1}, blob);
        got = blob ? blob->size() : 0;
    });
    const Peak plain = peak_of(url, [&](db::Connection& conn) {
        auto cursor = conn.query("SELECT data FROM bench_blob WHERE id = 1");
        if (cursor->next()) got_plain = cursor->value(0).as_bytes().size();
    });
    db::connect(url)->execute("DROP TABLE bench_blob");
    std::printf(
        "%-10s blob %zu MB: write peak %.2fx the blob, read peak %.2fx (goal 2) in %.0f ms;"
        " one value of a plain cursor %.2fx in %.0f ms%s\n",
        name, kBlob >> 20, write, read.copies, read.ms, plain.copies, plain.ms,
        got == kBlob && got_plain == kBlob ? "" : " (READ BACK WRONG SIZE)");
}

}  // namespace

int main() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tarvo-blob-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    measure("SQLite", "sqlite:" + (dir / "blob.db").string(), "BLOB");
    std::filesystem::remove_all(dir);
    const char* pg = std::getenv("TARVO_TEST_PG_URL");
    if (pg && *pg)
        measure("PostgreSQL", pg, "BYTEA");
    else
        std::printf("PostgreSQL skipped: TARVO_TEST_PG_URL is not set\n");
}
