// journal_bench.cpp -- the journal at 10,000 entries: reading it and computing every figure of
// its statistics in process, and `quarnel-journal stats` as a whole process (its wall time
// and peak resident memory). `--write-journal FILE [COUNT]` writes the generated journal (of
// COUNT entries), for the web page's benchmark and the README.

#include "journal/journal.h"
#include "platform/platform.h"
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum : int { ENTRIES = 10000 };

// A journal of `count` entries, one every few hours over the years before 2026-12-07: every
// reading in turn, most cards turned, one reading in ten drawn from the user's own deck; each
// meaning from the installed card texts, as the program writes them.
std::string generated_journal(int count) {
    std::ifstream in(QUARNEL_DATA_DIR "/picture/CardDB.dat", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string texts = bytes.str();
    std::mt19937 random(20261207);
    std::string journal;
    int64_t minutes = 0;
    for (int n = 0; n < count; ++n) {
        minutes += 60 + int64_t(random() % 600);
        const int32_t reading = reading_kind(n % 6);
        std::vector<int32_t> deck(78);
        for (int32_t c = 0; c < 78; ++c) deck[size_t(c)] = c;
        std::shuffle(deck.begin(), deck.end(), random);
        std::vector<DrawnCard> cards;
        for (int32_t p = 0; p < reading_card_count(reading); ++p) {
            DrawnCard card{deck[size_t(p)], int32_t(random() % 2)};
            if (p > 0 && random() % 5 == 0) card.card = NO_CARD; // left face down
            cards.push_back(card);
        }
        EntryDraft draft;
        std::string error;
        const JournalDate when = local_date(1796600000 - int64_t(count) * 360 * 60 + minutes * 60);
        drawn_entry(reading, cards, when, "", texts.data(), int32_t(texts.size()), &draft, &error);
        if (n % 10 != 0) {
            draft.source = SOURCE_DEALT;
            for (EntryDraft::Position& p : draft.positions) p.not_drawn = 0;
        }
        if (n % 7 == 0) draft.notes = "Asked about the new work; felt calm afterwards.";
        journal += (n ? "\n" : "") + format_entry(draft);
    }
    return journal;
}

const std::string& journal_text() {
    static const std::string text = generated_journal(ENTRIES);
    return text;
}

std::string journal_file() {
    static std::string path;
    if (path.empty()) {
        char pattern[] = "/tmp/quarnel-journal-bench-XXXXXX";
        const int fd = mkstemp(pattern);
        path = pattern;
        if (fd >= 0) close(fd);
        std::ofstream(path, std::ios::binary) << journal_text();
    }
    return path;
}

void parse_and_stats(benchmark::State& state) {
    const std::string& text = journal_text();
    JournalStats stats;
    for (auto _ : state) {
        Journal journal;
        std::string error;
        parse_journal(text, &journal, &error);
        stats = journal_stats(journal, JournalFilter());
        benchmark::DoNotOptimize(stats.cards);
    }
    state.counters["entries"] = double(stats.readings);
    state.counters["MB"] = double(text.size()) / 1e6;
}
BENCHMARK(parse_and_stats)
    ->Name("journal_parse_and_all_statistics_10000_entries")
    ->Unit(benchmark::kMillisecond);

void parse_only(benchmark::State& state) {
    for (auto _ : state) {
        Journal journal;
        std::string error;
        parse_journal(journal_text(), &journal, &error);
        benchmark::DoNotOptimize(journal.entries.size());
    }
}
BENCHMARK(parse_only)->Name("journal_parse_10000_entries")->Unit(benchmark::kMillisecond);

// Runs quarnel-journal stats on the journal at path, its output to /dev/null; returns its
// peak resident memory in kB (-1 when it failed).
long run_tool(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(QUARNEL_JOURNAL_TOOL, "quarnel-journal", "--journal", path.c_str(), "stats",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    wait4(child, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

// The tool's peak memory, measured by a small process of this program (--peak-of): a process
// started from this one, which holds the journal, would count this one's pages as its own.
double tool_peak_mb(const std::string& path) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipe_ends[1], 1);
        execl("/proc/self/exe", "quarnel_journal_bench", "--peak-of", path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipe_ends[1]);
    char answer[32] = "";
    const ssize_t n = read(pipe_ends[0], answer, sizeof answer - 1);
    close(pipe_ends[0]);
    waitpid(child, nullptr, 0);
    return n > 0 ? std::atof(answer) / 1024 : -1;
}

// The tool as a user runs it: its wall time, and its peak resident memory as a counter.
void tool_stats(benchmark::State& state) {
    const std::string path = journal_file();
    for (auto _ : state)
        if (run_tool(path) < 0) state.SkipWithError("the tool failed");
    state.counters["peak_MB"] = tool_peak_mb(path);
}
BENCHMARK(tool_stats)
    ->Name("quarnel_journal_stats_process_10000_entries")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--peak-of") {
        std::printf("%ld\n", run_tool(argv[2]));
        return 0;
    }
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--write-journal") {
        std::ofstream out(argv[2], std::ios::binary);
        out << (argc == 4 ? generated_journal(std::atoi(argv[3])) : journal_text());
        return out ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(journal_file().c_str());
    return 0;
}
