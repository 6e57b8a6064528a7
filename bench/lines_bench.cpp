// Loading and saving a large list file, and reading a large pane line by line
// the way a Solve does.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/safe_file.h"
#include "lines/line_list.h"
#include "lines/list_file.h"

namespace {

constexpr std::size_t kFileBytes = 50u << 20;

// About 50 MB of x values, 21 bytes a line with its break.
std::string listText(const char* lineBreak) {
    std::string text;
    text.reserve(kFileBytes + 64);
    char line[64];
    for (unsigned i = 0; text.size() < kFileBytes; ++i) {
        int n = std::snprintf(line, sizeof line, "-%.12e%s", i * 1.0000001, lineBreak);
        text.append(line, static_cast<std::size_t>(n));
    }
    return text;
}

// One list file per kind of break, written once and removed at exit.
struct ListFile {
    explicit ListFile(const char* lineBreak, const char* name) : path(std::string("/tmp/quill-bench-") + name) {
        quill::saveFileSafely(path, listText(lineBreak));
    }
    ~ListFile() { ::unlink(path.c_str()); }
    std::string path;
};

const std::string& crLfFile() {
    static ListFile file("\r\n", "crlf.txt");
    return file.path;
}
const std::string& lfFile() {
    static ListFile file("\n", "lf.txt");
    return file.path;
}

void load(benchmark::State& state, const std::string& path) {
    quill::ByteLineList pane;
    for (auto _ : state) {
        quill::loadFromFile(pane, path);
        benchmark::DoNotOptimize(pane.text().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
    state.counters["lines"] = pane.count();
}

void BM_LoadCrLfFile(benchmark::State& state) { load(state, crLfFile()); }
BENCHMARK(BM_LoadCrLfFile)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_LoadLfFile(benchmark::State& state) { load(state, lfFile()); }
BENCHMARK(BM_LoadLfFile)->Unit(benchmark::kMillisecond)->MinTime(2);

// Write, flush to the disk, rename over the old file.
void BM_SaveFile(benchmark::State& state) {
    quill::ByteLineList pane;
    quill::loadFromFile(pane, crLfFile());
    const std::string path = "/tmp/quill-bench-saved.txt";
    for (auto _ : state) quill::writeListFile(pane.rows(), pane.fileEncoding(), path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pane.text().size()));
    ::unlink(path.c_str());
}
BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond)->MinTime(2);

// The whole pane text is replaced by a loaded one: the line index is built here.
void BM_LoadText(benchmark::State& state) {
    std::string text;
    quill::readWholeFile(crLfFile(), text);
    quill::ByteLineList pane;
    for (auto _ : state) pane.load({text});
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond)->MinTime(2);

// count() and line(i) for every line, as a Solve reads its panes.
void BM_ReadEveryLine(benchmark::State& state) {
    quill::ByteLineList pane;
    quill::loadFromFile(pane, crLfFile());
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (int32_t i = 0, n = pane.count(); i < n; ++i) bytes += pane.line(i).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * pane.count());
    state.counters["lines"] = pane.count();
}
BENCHMARK(BM_ReadEveryLine)->Unit(benchmark::kMillisecond)->MinTime(2);

// A report written a line at a time, and the same lines in one batch.
void BM_AddEachLine(benchmark::State& state) {
    const std::string value = "F(-1.234567890123e+05)=9.876543210987e+20";
    for (auto _ : state) {
        quill::ByteLineList pane;
        for (int i = 0; i < 1000000; ++i) pane.add(value);
        benchmark::DoNotOptimize(pane.text().data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
}
BENCHMARK(BM_AddEachLine)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_AddLinesInABatch(benchmark::State& state) {
    const std::string value = "F(-1.234567890123e+05)=9.876543210987e+20";
    quill::LineBatch batch;
    for (int i = 0; i < 1000000; ++i) batch.add(value);
    for (auto _ : state) {
        quill::ByteLineList pane;
        pane.addLines(batch);
        benchmark::DoNotOptimize(pane.text().data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
}
BENCHMARK(BM_AddLinesInABatch)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
