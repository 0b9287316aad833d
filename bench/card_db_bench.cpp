// card_db_bench.cpp -- the cost of looking up and laying out the last card's text (read from
// the start of the file in pieces) next to a plain memchr scan of the same bytes

#include "platform/headless/headless.h"
#include "platform/common/common.h"
#include "reading/reading.h"
#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A card file of about 60 KB: 156 records of sentences, each ending in CR LF before its "$".
std::string make_card_file() {
    std::string file = "$";
    for (int record = 0; record < 156; ++record) {
        std::string text =
            "Card " + std::to_string(record / 2) + (record % 2 ? ", reversed." : ", upright.");
        while (text.size() < 370)
            text += " A quiet change comes slowly, and patience shows the way forward.";
        file += text + "\r\n$";
    }
    return file;
}

// The card file, written to a temporary folder once; removed at exit.
struct BenchFile {
    std::string bytes;
    std::string folder;
    AppState state;

    BenchFile() {
        bytes = make_card_file();
        folder = std::filesystem::temp_directory_path().string() + "/quarnel_card_db_bench_" +
                 std::to_string(getpid());
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/CardDB.dat", std::ios::binary) << bytes;
        std::memset(&state, 0, sizeof state);
    }
    ~BenchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// The card file opened afresh for one benchmark (other benchmarks reset the back end, which
// closes every file).
BenchFile& open_bench_file() {
    static BenchFile file;
    headless_reset();
    std::memset(&file.state, 0, sizeof file.state);
    open_card_db(&file.state, 0, program_path(file.folder + "/CardDB.dat").c_str());
    return file;
}

void read_last_record(benchmark::State& run) {
    BenchFile& f = open_bench_file();
    if (f.state.card_db_file == 0) {
        run.SkipWithError("the card file did not open");
        return;
    }
    for (auto _ : run) {
        std::memset(f.state.record_text, 0, sizeof f.state.record_text);
        std::memset(f.state.wrapped_text, 0, sizeof f.state.wrapped_text);
        benchmark::DoNotOptimize(read_card_text(&f.state, 155));
    }
    run.SetBytesProcessed(int64_t(run.iterations()) * int64_t(f.bytes.size()));
    run.counters["file_bytes"] = double(f.bytes.size());
    run.counters["text_length"] = f.state.text_length;
    close_file(f.state.card_db_file);
}

void memchr_last_record(benchmark::State& run) {
    BenchFile& f = open_bench_file();
    const char* begin = f.bytes.data();
    const char* end = begin + f.bytes.size();
    for (auto _ : run) {
        const char* at = begin;
        const char* start = nullptr;
        int separators = 0;
        while (at < end) {
            const char* hit = static_cast<const char*>(std::memchr(at, '$', size_t(end - at)));
            if (!hit) break;
            separators += 1;
            at = hit + 1;
            if (separators == 156) start = at;
            if (separators == 157) break;
        }
        benchmark::DoNotOptimize(start);
        benchmark::DoNotOptimize(at);
    }
    run.SetBytesProcessed(int64_t(run.iterations()) * int64_t(f.bytes.size()));
}

// For comparison only: the separator scan alone through the file layer in 4 KB requests.
void block_read_last_record(benchmark::State& run) {
    BenchFile& f = open_bench_file();
    const FileHandle file = f.state.card_db_file;
    char block[4096];
    for (auto _ : run) {
        seek_file(file, 0);
        int separators = 0;
        uint32_t offset = 0, start = 0, end = 0;
        uint32_t got = 0;
        while (end == 0 && read_file(file, block, sizeof block, &got) && got > 0) {
            const char* at = block;
            const char* stop = block + got;
            while (const char* hit =
                       static_cast<const char*>(std::memchr(at, '$', size_t(stop - at)))) {
                separators += 1;
                at = hit + 1;
                if (separators == 156) start = offset + uint32_t(at - block);
                if (separators == 157) {
                    end = offset + uint32_t(at - block);
                    break;
                }
            }
            offset += got;
        }
        benchmark::DoNotOptimize(start);
        benchmark::DoNotOptimize(end);
    }
    run.SetBytesProcessed(int64_t(run.iterations()) * int64_t(f.bytes.size()));
    close_file(file);
}

BENCHMARK(read_last_record)->Unit(benchmark::kMicrosecond);
BENCHMARK(memchr_last_record)->Unit(benchmark::kMicrosecond);
BENCHMARK(block_read_last_record)->Unit(benchmark::kMicrosecond);

} // namespace

// main() comes from the benchmark executable's other file (BENCHMARK_MAIN, one per program).
