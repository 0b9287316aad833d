// reading_text_bench.cpp -- the cost of the reading as text (Ctrl+C, the journal's copy when
// a card is turned): ten cards turned, their records the last of the shipped card file

#include "platform/headless/headless.h"
#include "platform/common/common.h"
#include "reading/reading.h"
#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

namespace {

void reading_text_of_ten_turned_cards(benchmark::State& run) {
    headless_reset();
    AppState state;
    std::memset(&state, 0, sizeof state);
    std::string path = std::string(QUARNEL_DATA_DIR) + "/picture/CardDB.dat";
    if (!open_card_db(&state, 0, program_path(path).c_str())) {
        run.SkipWithError("no card file");
        return;
    }
    state.screen = 5; // love: ten cards, each with its question
    state.reading_shown = 1;
    for (int32_t p = 0; p < 10; ++p) {
        state.drawn_cards[p] = 155 - p; // the records farthest into the file
        app_state->table.turned_positions[p] = 1;
    }
    static char text[READING_TEXT_SIZE];
    int32_t length = 0;
    for (auto _ : run) {
        length = reading_text(&state, text, READING_TEXT_SIZE);
        benchmark::DoNotOptimize(text);
    }
    run.counters["bytes"] = double(length);
    close_file(state.card_db_file);
    std::memset(app_state->table.turned_positions, 0, sizeof app_state->table.turned_positions);
}
BENCHMARK(reading_text_of_ten_turned_cards)->Unit(benchmark::kMicrosecond);

} // namespace
