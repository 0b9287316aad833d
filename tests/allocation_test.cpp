// allocation_test.cpp -- after start-up the program takes memory only for the two short
// title-path copies of each reading, and gives each back in the step that took it
//
// All program memory is taken through allocate_memory, whose calls the platform layer counts
// (memory_allocation_count, memory_release_count); here they are counted step by step over a
// whole session through the headless back end (every reading, the about page, the publisher
// pages, exit). That the program takes memory in no other way (no malloc, no operator new, no
// std::string or container that grows) is checked on its library by
// tests/checks/no_allocation.sh, the test
// program_library_takes_memory_only_through_allocate_memory.

#include "test_support.h"
#include "platform/common/common.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include "shell/shell.h"
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// [SECTION] A session of every reading

// The middle of each card of a kind's spread.
std::vector<TapPoint> card_centres(int32_t kind) {
    std::vector<TapPoint> out;
    for (int32_t p = 0; p < spread_size(kind); ++p) out.push_back(card_centre(kind, p));
    return out;
}

// Every reading from the menu (Next before the deck, the deck, Next, every card, the
// arrows, Menu), the about page, both publisher pages, and exit from the menu.
void every_reading_script() {
    tap(START);
    for (int32_t kind = kind_desire; kind <= kind_money; ++kind) {
        tap(MENU_ITEM[kind - kind_desire]);
        tap(NEXT); // before the deck: the pop-up
        tap(DECK);
        tap(NEXT);
        for (TapPoint card : card_centres(kind)) tap(card);
        tap(ARROW_DOWN);
        tap(ARROW_DOWN);
        tap(ARROW_UP);
        tap(TABLE_MENU);
    }
    tap(MENU_ITEM[6]);
    tap(ABOUT_BACK);
    tap(MENU_ITEM[7]);
    tap(PUBLISHER_NEXT);
    tap(PUBLISHER_MENU);
    tap(MENU_EXIT);
}

// What each screen step did to the program's memory.
struct StepMemory {
    int32_t screen;       // before the step
    int32_t shuffling;    // before the step
    uint64_t allocations; // during the step
    int64_t outstanding;  // blocks taken since start-up and not yet given back, before it
};

struct Session {
    bool started = false;
    uint64_t allocations_at_start = 0, releases_at_start = 0;
    uint64_t last_allocations = 0;
    std::vector<StepMemory> steps;
    bool reached_exit = false;
};
Session session;

void on_step() {
    uint64_t allocations = memory_allocation_count(), releases = memory_release_count();
    if (!session.started) {
        session.started = true;
        session.allocations_at_start = allocations;
        session.releases_at_start = releases;
    } else {
        session.steps.back().allocations = allocations - session.last_allocations;
    }
    session.last_allocations = allocations;
    int64_t outstanding = int64_t(allocations - session.allocations_at_start) -
                          int64_t(releases - session.releases_at_start);
    session.steps.push_back({app_state->screen, app_state->shuffling, 0, outstanding});
}

void on_log(const std::string& line) {
    if (line.find(" quit ") != std::string::npos && !session.steps.empty()) {
        session.steps.back().allocations = memory_allocation_count() - session.last_allocations;
        session.reached_exit = true;
    }
}

int run_every_reading() {
    session = Session();
    return run_program(data_dir(), [] {
        headless_set_step_hook(on_step);
        headless_set_log_hook(on_log);
        every_reading_script();
    });
}

} // namespace

// [SECTION] Tests

TEST(Allocation, after_start_up_only_the_two_title_path_copies_of_each_reading_are_taken) {
    ASSERT_EQ(run_every_reading(), 0);
    ASSERT_TRUE(session.started);
    ASSERT_TRUE(session.reached_exit) << "the session ends with exit from the menu";

    uint64_t total = 0;
    int entering = 0, dealing = 0;
    for (const StepMemory& step : session.steps) {
        total += step.allocations;
        if (step.allocations == 0) continue;
        EXPECT_EQ(step.allocations, 1u) << "one copy a step, screen " << step.screen;
        if (step.screen == screen_menu) entering++;
        if (step.screen >= kind_desire && step.screen <= kind_money && step.shuffling == 1)
            dealing++;
    }
    EXPECT_EQ(entering, 6) << "entering each reading copies its title path";
    EXPECT_EQ(dealing, 6) << "Next after the deck copies it again; Next before the deck does not";
    EXPECT_EQ(total, 12u);
}

TEST(Allocation, every_copy_is_given_back_in_the_step_that_took_it) {
    ASSERT_EQ(run_every_reading(), 0);
    ASSERT_GT(session.steps.size(), 100u);
    for (size_t i = 0; i < session.steps.size(); ++i)
        ASSERT_EQ(session.steps[i].outstanding, 0) << "before step " << i;
}
