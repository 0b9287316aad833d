// deck_import_bench.cpp -- quarnel-deck importing 79 pictures of 800 x 1342, one format at a
// time: the whole run of the tool (wall time) and its peak resident memory

#include "deck.h"
#include "support/picture_files.h"
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A photograph-like picture: smooth light across the frame, with grain.
Image photo(int card) {
    Image image;
    image.width = 800;
    image.height = 1342;
    image.pixels.resize(size_t(image.width) * size_t(image.height) * 4);
    std::mt19937 random{uint32_t(card)};
    std::uniform_int_distribution<int> grain(-6, 6);
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++) {
            uint8_t* p = &image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
            const double u = x / 800.0, v = y / 1342.0, phase = card * 0.7;
            const double base[3] = {127.5 + 110 * std::sin(phase + 3 * u + 4 * u * v),
                                    127.5 + 110 * std::sin(phase * 1.3 + 2 + 2.5 * v),
                                    127.5 + 110 * std::cos(phase * 0.6 + 2 * (u + v))};
            for (int c = 0; c < 3; c++)
                p[c] = uint8_t(std::clamp(int(base[c]) + grain(random), 0, 255));
            p[3] = 255;
        }
    return image;
}

void write_bytes(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), long(size));
}

// The three folders of 79 pictures, written once; removed at exit.
struct Pictures {
    std::string root;
    Pictures() {
        char pattern[] = "/tmp/quarnel-deck-bench-XXXXXX";
        root = mkdtemp(pattern);
        for (const char* format : {"png", "jpg", "webp"})
            fs::create_directories(root + "/" + format);
        for (int frame = 0; frame < CARD_FRAMES; frame++) {
            const Image image = photo(frame);
            const std::string name = "/" + frame_file_name(frame);
            const std::vector<uint8_t> png = encode_png(image);
            write_bytes(root + "/png" + name + ".png", png.data(), png.size());
            const std::vector<uint8_t> jpeg = encode_jpeg(image, 90);
            write_bytes(root + "/jpg" + name + ".jpg", jpeg.data(), jpeg.size());
            const std::vector<uint8_t> webp = encode_webp(image);
            write_bytes(root + "/webp" + name + ".webp", webp.data(), webp.size());
        }
    }
    ~Pictures() { fs::remove_all(root); }
};

const Pictures& pictures() {
    static Pictures made;
    return made;
}

// The processor time counter (cpu_s) is the tool's own, both workers together: on a machine
// shared with others it is the steadier figure; the wall time is what the user waits.

// One whole run of the tool; returns its peak resident memory in bytes, 0 when it failed, and
// adds the processor time it took (user and system, all its threads) to *cpu_seconds.
long import_once(const std::string& folder, const std::string& deck, double* cpu_seconds) {
    fs::remove_all(deck);
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(QUARNEL_DECK_TOOL, QUARNEL_DECK_TOOL, "--install-dir", QUARNEL_DATA_DIR, "import",
              folder.c_str(), deck.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage;
    wait4(child, &status, 0, &usage);
    *cpu_seconds += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss * 1024L : 0;
}

void BM_DeckImport79Pictures800x1342(benchmark::State& state, const char* format) {
    const std::string folder = pictures().root + "/" + format;
    long peak = 0;
    double cpu_seconds = 0;
    for (auto _ : state) {
        const long used = import_once(folder, pictures().root + "/deck", &cpu_seconds);
        if (!used) state.SkipWithError("quarnel-deck import failed");
        peak = std::max(peak, used);
    }
    uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder)) bytes += entry.file_size();
    state.counters["cpu_s"] = cpu_seconds / double(state.iterations());
    state.counters["peak_MB"] = double(peak) / (1024.0 * 1024.0);
    state.counters["input_MB"] = double(bytes) / (1024.0 * 1024.0);
}

} // namespace

BENCHMARK_CAPTURE(BM_DeckImport79Pictures800x1342, png, "png")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_DeckImport79Pictures800x1342, jpeg, "jpg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_DeckImport79Pictures800x1342, webp, "webp")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK_MAIN();
