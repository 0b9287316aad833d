// allocation_test.cpp -- after start-up the program takes memory only for the two short
// title-path copies of each reading, and gives each back in the step that took it
//
// Two counts over a whole session through the headless back end (every reading, the about
// page, the publisher pages, exit):
// - allocate_memory, through which all program memory is taken: its calls are counted by
//   the platform layer (memory_allocation_count, memory_release_count).
// - operator new, replaced here by a counting one. The headless back end allocates for its
//   log, script and paths, so each call is put down to the back end or to the program by
//   its call stack: the innermost frame that lies in a platform function belongs to the
//   back end, the innermost that lies in app_main, window_procedure or screen_step (every
//   program frame is beneath one of them) to the program. Function extents come from the
//   test program's own symbol table. Under AddressSanitizer operator new is left to the
//   sanitizer and that part is skipped.

#include "test_support.h"
#include "platform/common/common.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include "shell/shell.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <execinfo.h>
#include <fstream>
#include <iterator>
#include <link.h>
#include <new>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define COUNTS_NEW 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COUNTS_NEW 0
#endif
#endif
#ifndef COUNTS_NEW
#define COUNTS_NEW 1
#endif

namespace {

// [SECTION] Who called operator new

struct Extent {
    uintptr_t begin, end;
};

enum Owner { owner_outside, owner_back_end, owner_program };

// Filled before counting starts; read (never grown) while counting.
std::vector<Extent> back_end_extents;
std::vector<Extent> program_extents;

bool inside(const std::vector<Extent>& extents, uintptr_t address) {
    for (const Extent& e : extents)
        if (e.begin <= address && address < e.end) return true;
    return false;
}

// frames[0] is the innermost return address.
Owner owner_of(void* const* frames, int count) {
    for (int i = 0; i < count; ++i) {
        uintptr_t address = reinterpret_cast<uintptr_t>(frames[i]) - 1; // inside the call
        if (inside(back_end_extents, address)) return owner_back_end;
        if (inside(program_extents, address)) return owner_program;
    }
    return owner_outside;
}

uintptr_t load_bias = 0;
int find_load_bias(dl_phdr_info* info, size_t, void*) {
    load_bias = info->dlpi_addr; // the first object is the program itself
    return 1;
}

struct Symbol {
    uintptr_t value, size;
    std::string name;
};

// The function symbols of this test program, from its own file; empty when it is stripped.
std::vector<Symbol> function_symbols() {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Symbol> out;
    if (file.size() < sizeof(Elf64_Ehdr)) return out;
    Elf64_Ehdr header;
    std::memcpy(&header, file.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        return out;
    auto section = [&](size_t i) {
        Elf64_Shdr s{};
        size_t at = header.e_shoff + i * header.e_shentsize;
        if (at + sizeof s <= file.size()) std::memcpy(&s, file.data() + at, sizeof s);
        return s;
    };
    for (size_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr table = section(i);
        if (table.sh_type != SHT_SYMTAB) continue;
        Elf64_Shdr names = section(table.sh_link);
        for (size_t at = table.sh_offset;
             at + sizeof(Elf64_Sym) <= table.sh_offset + table.sh_size &&
             at + sizeof(Elf64_Sym) <= file.size();
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym sym;
            std::memcpy(&sym, file.data() + at, sizeof sym);
            if (ELF64_ST_TYPE(sym.st_info) != STT_FUNC || sym.st_size == 0 || sym.st_value == 0)
                continue;
            size_t name_at = names.sh_offset + sym.st_name;
            if (name_at >= file.size()) continue;
            out.push_back({sym.st_value, sym.st_size, std::string(file.data() + name_at)});
        }
    }
    return out;
}

// The extents of the given functions, with their split-off cold parts.
std::vector<Extent> extents_of(const std::vector<Symbol>& symbols,
                               const std::vector<uintptr_t>& functions) {
    std::vector<Extent> out;
    for (uintptr_t f : functions) {
        for (const Symbol& s : symbols) {
            if (s.value + load_bias != f) continue;
            out.push_back({f, f + s.size});
            for (const Symbol& cold : symbols)
                if (cold.name == s.name + ".cold")
                    out.push_back({cold.value + load_bias, cold.value + load_bias + cold.size});
            break;
        }
    }
    return out;
}

template <class F> uintptr_t address(F* function) {
    return reinterpret_cast<uintptr_t>(function);
}

// Every platform function the program calls, and the three roots of program code. 0 when
// the symbol table cannot tell their extents.
int learn_extents() {
    if (!back_end_extents.empty()) return 1;
    dl_iterate_phdr(find_load_bias, nullptr);
    std::vector<Symbol> symbols = function_symbols();
    std::vector<uintptr_t> platform = {address(register_class),
                                       address(create_window),
                                       address(destroy_window),
                                       address(move_window),
                                       address(default_window_procedure),
                                       address(post_quit_message),
                                       address(peek_message),
                                       address(get_message),
                                       address(translate_message),
                                       address(shell_full_screen),
                                       address(GXOpenDisplay),
                                       address(GXCloseDisplay),
                                       address(GXBeginDraw),
                                       address(GXEndDraw),
                                       address(GXOpenInput),
                                       address(GXCloseInput),
                                       address(GXGetDisplayProperties),
                                       address(open_file),
                                       address(read_file),
                                       address(seek_file),
                                       address(close_file),
                                       address(registry_open_key),
                                       address(registry_read_string),
                                       address(registry_close_key),
                                       address(message_box),
                                       address(play_sound_file),
                                       address(sleep_ms),
                                       address(tick_count),
                                       address(seed_random),
                                       address(next_random),
                                       address(allocate_memory),
                                       address(release_memory),
                                       address(string_length)};
    std::vector<uintptr_t> roots = {address(app_main), address(window_procedure),
                                    address(screen_step)};
    back_end_extents = extents_of(symbols, platform);
    program_extents = extents_of(symbols, roots);
    if (back_end_extents.size() < platform.size() || program_extents.size() < roots.size()) {
        back_end_extents.clear();
        program_extents.clear();
        return 0;
    }
    return 1;
}

// [SECTION] Counting operator new

struct NewCounts {
    bool counting = false;
    bool busy = false; // inside the counter itself
    uint64_t back_end = 0, program = 0, outside = 0;
    void* first_program_stack[16] = {};
    int first_program_depth = 0;
};
NewCounts news;

[[gnu::noinline, maybe_unused]] void count_new() {
    if (!news.counting || news.busy) return;
    news.busy = true;
    void* frames[64];
    int depth = backtrace(frames, 64); // from count_new and operator new outwards
    Owner owner = owner_of(frames, depth);
    if (owner == owner_back_end) news.back_end++;
    if (owner == owner_outside) news.outside++;
    if (owner == owner_program && news.program++ == 0) {
        news.first_program_depth = depth < 16 ? depth : 16;
        std::memcpy(news.first_program_stack, frames,
                    sizeof(void*) * size_t(news.first_program_depth));
    }
    news.busy = false;
}

} // namespace

#if COUNTS_NEW
[[gnu::noinline]] void* operator new(std::size_t size) {
    count_new();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
#endif

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
        news.back_end = news.program = news.outside = 0; // from here on: after start-up
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

// Runs the session; count_news also counts operator new from app_main's call on.
int run_every_reading(bool count_news = false) {
    session = Session();
    static bool counting;
    counting = count_news && COUNTS_NEW;
    int code = run_program(data_dir(), [] {
        headless_set_step_hook(on_step);
        headless_set_log_hook(on_log);
        every_reading_script();
        news.counting = counting;
    });
    news.counting = false;
    return code;
}

} // namespace

// [SECTION] Tests

TEST(AllocationTest, AfterStartUpOnlyTheTwoTitlePathCopiesOfEachReadingAreTaken) {
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

TEST(AllocationTest, EveryCopyIsGivenBackInTheStepThatTookIt) {
    ASSERT_EQ(run_every_reading(), 0);
    ASSERT_GT(session.steps.size(), 100u);
    for (size_t i = 0; i < session.steps.size(); ++i)
        ASSERT_EQ(session.steps[i].outstanding, 0) << "before step " << i;
}

TEST(AllocationTest, ProgramCodeNeverCallsOperatorNewAfterStartUp) {
    if (!COUNTS_NEW) GTEST_SKIP() << "operator new belongs to the address sanitizer here";
    if (!learn_extents()) GTEST_SKIP() << "no symbol table to tell program from back end";
    void* warm[4];
    backtrace(warm, 4); // loads the unwinder before counting starts
    ASSERT_EQ(run_every_reading(true), 0);
    RecordProperty("operator_new_back_end", std::to_string(news.back_end));
    RecordProperty("operator_new_program", std::to_string(news.program));
    EXPECT_GT(news.back_end, 0u) << "the back end's log lines are seen, so the count works";
    EXPECT_EQ(news.program, 0u) << "first program call stack (offsets for addr2line):" << [] {
        std::string out;
        for (int i = 0; i < news.first_program_depth; ++i) {
            char text[32];
            std::snprintf(
                text, sizeof text, " %p",
                reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(news.first_program_stack[i]) -
                                        load_bias));
            out += text;
        }
        return out;
    }();
}

TEST(AllocationTest, CallStacksArePutDownToTheInnermostPlatformOrProgramFunction) {
    if (!learn_extents()) GTEST_SKIP() << "no symbol table to tell program from back end";
    // Return addresses just inside the functions, innermost first.
    void* present = reinterpret_cast<void*>(address(GXEndDraw) + 2);
    void* step = reinterpret_cast<void*>(address(screen_step) + 2);
    void* procedure = reinterpret_cast<void*>(address(window_procedure) + 2);
    void* destroy = reinterpret_cast<void*>(address(destroy_window) + 2);
    void* main_loop = reinterpret_cast<void*>(address(app_main) + 2);
    void* harness = reinterpret_cast<void*>(address(run_program) + 2);

    void* log_of_a_present[] = {present, step, main_loop, harness};
    EXPECT_EQ(owner_of(log_of_a_present, 4), owner_back_end);
    void* in_a_step[] = {step, main_loop, harness};
    EXPECT_EQ(owner_of(in_a_step, 3), owner_program);
    // The window procedure run by destroy_window is program code again.
    void* in_shut_down[] = {procedure, destroy, step, main_loop};
    EXPECT_EQ(owner_of(in_shut_down, 4), owner_program);
    void* in_the_harness[] = {harness};
    EXPECT_EQ(owner_of(in_the_harness, 1), owner_outside);
}
