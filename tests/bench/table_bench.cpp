// Loading and saving a large daily capture log, next to the plain system calls
// that any implementation needs at least: reading the file, writing it, and
// writing it durably (flushed, then renamed over the old file); and printing
// it as `kelvo table dump` does, next to loading it.

#include "commands/CommandOutput.h"
#include "commands/TableCommand.h"
#include "table/TMlb2.h"

#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

constexpr size_t kTargetLogBytes = 20u << 20;

std::string g_folder;
std::string g_logPath;  // the generated log, read by the loading benchmarks
std::string g_logBytes; // its bytes, written by the plain writing benchmarks
TMlb2* g_loaded = nullptr;

[[noreturn]] void Die(const char* what, const std::string& path) {
    std::fprintf(stderr, "%s %s: %s\n", what, path.c_str(), std::strerror(errno));
    std::exit(1);
}

// A small fixed generator, so that every run measures the same file.
class Random {
public:
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 32);
    }
    uint32_t Below(uint32_t limit) { return Next() % limit; }
    template <size_t N> const char* Pick(const char* const (&choices)[N]) {
        return choices[Below(N)];
    }

private:
    uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

const char* const kIdentifiers[] = {
    "壁紙", "wallpapers", "風景",        "photos",     "猫",    "アニメ", "スクリーンショット",
    "",     "資料",       "travel_2006", "お気に入り", "icons",
};
const char* const kHosts[] = {
    "https://example.com",    "http://www.example.co.jp",  "https://images.example.net",
    "http://blog.example.jp", "https://photo.example.org",
};
const char* const kPagePaths[] = {
    "/gallery/photos/", "/ブログ/写真/",       "/wallpaper/1920x1080/",
    "/日記/2006/12/",   "/users/kumo/albums/", "/画像/壁紙/",
};
const char* const kFolders[] = {
    "/home/user/Pictures/壁紙/",      "/home/user/Pictures/wallpapers/",
    "/home/user/Pictures/風景/2006/", "/home/user/画像/猫/",
    "/mnt/data/保存/アニメ/",         "/home/user/Downloads/",
};
const char* const kNameStems[] = {"写真", "img", "DSC", "スクリーンショット", "壁紙", "photo"};
const char* const kExtensions[] = {"jpg", "png", "gif", "jpeg", "bmp"};

std::string Format(const char* format, auto... args) {
    char buffer[256];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, static_cast<size_t>(length));
}

// Captures of one long day, a few seconds apart, in the log's column order.
void AddCaptureRow(TMlb2& table, Random& random, int index) {
    const int seconds = 8 * 3600 + index / 8;
    const int hour = seconds / 3600 % 24;
    const int minute = seconds / 60 % 60;
    const int second = seconds % 60;
    std::string fileName;
    if (random.Below(2) == 0) {
        fileName = Format("20061204_%02d%02d%02d_%c%c%02u.%s", hour, minute, second,
                          static_cast<int>('a' + random.Below(26)),
                          static_cast<int>('a' + random.Below(26)), random.Below(100),
                          random.Pick(kExtensions));
    } else {
        fileName =
            Format("%s_%04d.%s", random.Pick(kNameStems), index % 10000, random.Pick(kExtensions));
    }
    std::string address;
    switch (random.Below(4)) {
    case 0:
        address = ""; // no browser answered
        break;
    case 1:
        address = Format("%s%s%u?page=%u", random.Pick(kHosts), random.Pick(kPagePaths),
                         10000 + random.Below(90000), 1 + random.Below(20));
        break;
    default:
        address = Format("%s%s%u.html", random.Pick(kHosts), random.Pick(kPagePaths),
                         random.Below(100000));
        break;
    }
    table.AppendRow();
    table.MoveNext();
    table.SetValue("ファイル名", fileName);
    table.SetValue("取得日時", Format("2006/12/04 %02d:%02d:%02d", hour, minute, second));
    table.SetValue("識別名", random.Pick(kIdentifiers));
    table.SetValue("取得元アドレス", address);
    table.SetValue("保存先フォルダ", random.Pick(kFolders));
}

std::string ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Die("cannot open", path);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Die("cannot stat", path);
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            Die("cannot read", path);
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    return bytes;
}

void WriteAll(int fd, const std::string& bytes, const std::string& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            Die("cannot write", path);
        done += static_cast<size_t>(put);
    }
}

// The log is built and saved through the table store once per run.
void Prepare() {
    char folder[] = "/tmp/kelvo_bench.XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        Die("cannot create", folder);
    g_folder = folder;
    g_logPath = g_folder + "/20061204.txt";

    TMlb2 table;
    table.Clear();
    for (const char* column :
         {"ファイル名", "取得日時", "識別名", "取得元アドレス", "保存先フォルダ"})
        table.AddColumn(column);
    Random random;
    // About 190 bytes a row; rows are added in batches until the file is big
    // enough, measured on the first batch.
    constexpr int kBatch = 1000;
    for (int index = 0; index < kBatch; ++index)
        AddCaptureRow(table, random, index);
    if (!table.Save(g_logPath))
        Die("cannot save", g_logPath);
    const auto batchBytes = std::filesystem::file_size(g_logPath);
    const int rows = static_cast<int>(kTargetLogBytes / batchBytes * kBatch);
    for (int index = kBatch; index < rows; ++index)
        AddCaptureRow(table, random, index);
    if (!table.Save(g_logPath))
        Die("cannot save", g_logPath);
    g_logBytes = ReadWhole(g_logPath);

    g_loaded = new TMlb2;
    g_loaded->Clear();
    if (!g_loaded->Load(g_logPath) || g_loaded->RowCount() != rows)
        Die("cannot load back", g_logPath);
    // Save must write what it was loaded from, or the byte counts below lie.
    const std::string savedPath = g_folder + "/check.txt";
    if (!g_loaded->Save(savedPath) || ReadWhole(savedPath) != g_logBytes)
        Die("saved log differs from", g_logPath);
    std::fprintf(stderr, "capture log: %d rows, %zu bytes, in %s\n", rows, g_logBytes.size(),
                 g_folder.c_str());
}

void CleanUp() {
    delete g_loaded;
    g_loaded = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

int64_t LogBytes() {
    return static_cast<int64_t>(g_logBytes.size());
}

void BM_PlainRead(benchmark::State& state) {
    for (auto _ : state) {
        std::string bytes = ReadWhole(g_logPath);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * LogBytes());
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a caller does to read a log: create, Clear, Load, destroy.
void BM_Load(benchmark::State& state) {
    for (auto _ : state) {
        TMlb2 table;
        table.Clear();
        if (!table.Load(g_logPath))
            state.SkipWithError("Load failed");
        benchmark::DoNotOptimize(table.RowCount());
    }
    state.SetBytesProcessed(state.iterations() * LogBytes());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

// `kelvo table dump` of the log as main runs it (load, decode, escape,
// print), into /dev/null.
void BM_Dump(benchmark::State& state) {
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull < 0)
        Die("cannot open", "/dev/null");
    const QStringList args = {QStringLiteral("dump"), QString::fromStdString(g_logPath)};
    QString errors;
    QTextStream err(&errors);
    for (auto _ : state) {
        CommandOutput out(devNull);
        if (RunTableCommand(args, out, err) != 0 || !out.Finish())
            state.SkipWithError("dump failed");
    }
    ::close(devNull);
    state.SetBytesProcessed(state.iterations() * LogBytes());
}
BENCHMARK(BM_Dump)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWrite(benchmark::State& state) {
    const std::string path = g_folder + "/plain.txt";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            Die("cannot create", path);
        WriteAll(fd, g_logBytes, path);
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * LogBytes());
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// The least a durable replacement costs: write a temporary file, flush its
// data, rename it over the target.
void BM_PlainWriteSynced(benchmark::State& state) {
    const std::string path = g_folder + "/synced.txt";
    const std::string temporary = g_folder + "/.synced.txt.tmp";
    for (auto _ : state) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            Die("cannot create", temporary);
        WriteAll(fd, g_logBytes, temporary);
        if (::fdatasync(fd) != 0)
            Die("cannot flush", temporary);
        ::close(fd);
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            Die("cannot rename to", path);
    }
    state.SetBytesProcessed(state.iterations() * LogBytes());
}
BENCHMARK(BM_PlainWriteSynced)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Save(benchmark::State& state) {
    const std::string path = g_folder + "/saved.txt";
    for (auto _ : state) {
        if (!g_loaded->Save(path))
            state.SkipWithError("Save failed");
    }
    state.SetBytesProcessed(state.iterations() * LogBytes());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kelvo

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    kelvo::Prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kelvo::CleanUp();
    return 0;
}
