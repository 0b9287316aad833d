// damaged_files_test.cpp -- the program with each file it reads missing, empty, cut short or
// with a damaged header: the loaders report what they report, the program never crashes,
// always ends through its shut-down (exit code 0, "quit 0"), and never writes to the folder

#include "test_support.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// [SECTION] Tours: tap sequences that between them make the program read every file

struct Point {
    int32_t x, y;
};

const Point START = {200, 280}, TITLE_EXIT = {200, 300}, MENU_EXIT = {118, 300};
const Point DESIRE = {110, 118}, TODAY = {110, 137}, PAST = {110, 156}, LOVE = {115, 178},
            BUSINESS = {115, 196}, MONEY = {110, 217}, ABOUT = {110, 245}, PUBLISHER = {110, 270};
const Point ABOUT_BACK = {120, 303}, PUBLISHER_NEXT = {190, 305}, SECOND_PAGE_BACK = {50, 305},
            SECOND_PAGE_MENU = {190, 305};
const Point BACK = {10, 300}, NEXT = {230, 300}, DECK = {120, 220};
// Not a tap: one more screen step (Back leaves through the title screen, which takes a step).
const Point STEP = {-1, -1};
const Point TABLE_EXIT = {10, 300}, TABLE_MENU = {230, 300};
const Point ARROW_UP = {230, 57}, ARROW_DOWN = {230, 137};
// Cards: the first position of the full-size and of the thumbnail spreads, and love's second.
const Point BIG_CARD = {120, 230}, PAST_CARD = {55, 230}, THUMB_CARD = {120, 191},
            LOVE_SECOND = {96, 226};

struct Tour {
    const char* name;
    std::vector<Point> taps;
};

// Between them every screen, button and picture of the program, each tour short so that
// the damaged runs stay quick. The first tour that reads a file is the one its damage runs.
const std::vector<Tour>& tours() {
    // clang-format off
    static const std::vector<Tour> all = {
        {"title exit", {TITLE_EXIT}},
        {"menu exit", {START, MENU_EXIT}},
        {"about page", {START, ABOUT, ABOUT_BACK, MENU_EXIT}},
        {"publisher pages", {START, PUBLISHER, PUBLISHER_NEXT, SECOND_PAGE_BACK, PUBLISHER_NEXT,
                             SECOND_PAGE_MENU, MENU_EXIT}},
        {"love reading", {START, LOVE, NEXT, DECK, NEXT, THUMB_CARD, ARROW_DOWN, ARROW_UP,
                          LOVE_SECOND, TABLE_MENU, MENU_EXIT}},
        {"business back", {START, BUSINESS, BACK, STEP, MENU_EXIT}}, // back through the title
        {"money reading", {START, MONEY, DECK, NEXT, THUMB_CARD, TABLE_MENU, MENU_EXIT}},
        {"past reading", {START, PAST, DECK, NEXT, PAST_CARD, ARROW_DOWN, TABLE_MENU, MENU_EXIT}},
        {"today reading", {START, TODAY, DECK, NEXT, BIG_CARD, TABLE_MENU, MENU_EXIT}},
        {"desire reading", {START, DESIRE, DECK, NEXT, BIG_CARD, ARROW_DOWN, TABLE_EXIT}},
    };
    // clang-format on
    return all;
}

const Tour* current_tour = nullptr;
size_t current_taps = 0;

void queue_current_tour() {
    headless_set_idle_steps(1); // one step answers every tap of the tours
    for (size_t i = 0; i < current_taps && i < current_tour->taps.size(); ++i) {
        const Point p = current_tour->taps[i];
        if (p.x < 0)
            headless_queue_steps(1);
        else
            headless_queue_tap(p.x, p.y);
    }
}

// [SECTION] The install folder before and after

struct Stamp {
    uintmax_t size;
    int64_t modified_ns;
    bool operator==(const Stamp& o) const { return size == o.size && modified_ns == o.modified_ns; }
};

std::map<std::string, Stamp> listing(const std::string& folder) {
    std::map<std::string, Stamp> out;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat st;
        stat(entry.path().c_str(), &st);
        out[entry.path().string()] = {uintmax_t(st.st_size),
                                      int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    return out;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t folder_hash(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    uint32_t hash = 2166136261u;
    for (const std::string& name : names) {
        hash = fnv1a(name.data(), name.size(), hash);
        if (fs::is_regular_file(name)) {
            std::vector<uint8_t> bytes = read_bytes(name);
            hash = fnv1a(bytes.data(), bytes.size(), hash);
        }
    }
    return hash;
}

// [SECTION] Running a tour

// Every message the program can show; anything else would be a new failure road.
const std::set<std::string> KNOWN_MESSAGES = {
    "|567768354645",    "|566724356", "|906656556",
    "|143468465",       "|3456456",   "|8712134",
    "|8944335",         "|956543456", "|3451232457",
    "|12125643573",     "|321454544", "|File is not exist. File name is 'CardDB.dat",
    "|File not found1."};

struct Outcome {
    int exit_code = -1;
    std::vector<std::string> messages;
    size_t taps_before_first_message = 0; // taps delivered when the first message showed
                                          // (a tour's extra steps are not counted)
    bool ended_cleanly = false;           // "quit 0", nothing presented after it, no step limit
    bool folder_unchanged = false;
};

Outcome run_tour(const std::string& install, const Tour& tour, size_t taps = SIZE_MAX) {
    const auto before = listing(install);
    current_tour = &tour;
    current_taps = taps;
    Outcome out;
    out.exit_code = run_program(install, queue_current_tour);
    out.messages = headless_messages();
    const auto& log = headless_log();
    size_t taps_seen = 0;
    bool first = true, step_limit = false, quit = false, shown_after_quit = false;
    for (const std::string& line : log) {
        if (line.find(" tap ") != std::string::npos) taps_seen++;
        if (first && line.find(" message ") != std::string::npos) {
            out.taps_before_first_message = taps_seen;
            first = false;
        }
        if (line.find("step limit") != std::string::npos) step_limit = true;
        if (quit && line.find(" present ") != std::string::npos) shown_after_quit = true;
        if (line.size() >= 7 && line.compare(line.size() - 7, 7, " quit 0") == 0) quit = true;
    }
    out.ended_cleanly = quit && !step_limit && !shown_after_quit;
    out.folder_unchanged = listing(install) == before;
    return out;
}

void expect_clean_end(const Outcome& o) {
    EXPECT_EQ(o.exit_code, 0);
    EXPECT_TRUE(o.ended_cleanly) << "shut-down posted \"quit 0\" and nothing showed after it";
    EXPECT_TRUE(o.folder_unchanged) << "nothing in the install folder was created or changed";
    for (const std::string& m : o.messages) EXPECT_TRUE(KNOWN_MESSAGES.count(m)) << m;
}

// [SECTION] The damaged folder, shared by every test

// A file of the picture folder: the pixels of the Picture it is loaded into, and the tour
// (and tap of it) after which the program first reads it.
struct DataFile {
    std::string name;
    uint32_t capacity; // pixels of the Picture it is loaded into; 0 for non-pictures
    const Tour* tour = nullptr;
    size_t taps = 0;
};

uint32_t capacity_of(const std::string& name) {
    if (name == "title_frame.nbf") return 240 * 174;
    if (name == "card.nbf") return 4740 * 100;
    if (name == "font.nbf") return 240 * 320;
    return 1500 * 300;
}

class DamagedFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = new std::string(copy_install_folder("damaged_files"));
        files = new std::vector<DataFile>();
        for (const auto& entry : fs::directory_iterator(*folder + "/picture")) {
            std::string name = entry.path().filename().string();
            std::string ext = entry.path().extension().string();
            if (ext == ".nbf")
                files->push_back({name, capacity_of(name)});
            else if (ext == ".plf" || ext == ".dat")
                files->push_back({name, 0});
        }
        std::sort(files->begin(), files->end(),
                  [](const DataFile& a, const DataFile& b) { return a.name < b.name; });
        original_hash = folder_hash(*folder);
    }
    static void TearDownTestSuite() {
        if (!folder) return; // set-up failed and said so
        EXPECT_EQ(folder_hash(*folder), original_hash) << "every file was put back unchanged";
        delete files;
        delete folder;
    }

    static std::string path_of(const DataFile& f) { return *folder + "/picture/" + f.name; }

    // Runs the program with the file replaced by `bytes`, then puts the original back. A file
    // read after start-up gets its tour up to two taps past its first read; one read at
    // start-up is used on every screen, so it gets the whole love and desire readings
    // (thumbnails, questions, meanings, scrolling; full-size cards, turned faces, the end).
    static std::vector<Outcome> run_damaged(const DataFile& f, const std::vector<uint8_t>& bytes) {
        const std::string path = path_of(f);
        std::vector<uint8_t> original = read_bytes(path);
        write_test_file(path, bytes);
        std::vector<Outcome> out;
        if (f.taps == 0) {
            for (const Tour& tour : tours())
                if (tour.name == std::string("love reading") ||
                    tour.name == std::string("desire reading"))
                    out.push_back(run_tour(*folder, tour));
        } else {
            out.push_back(run_tour(*folder, *f.tour, f.taps + 2));
        }
        write_test_file(path, original);
        return out;
    }

    // Finds, once, the tour and the tap after which each file is first read: with the file
    // missing, its loader's message shows there.
    static void find_first_reads() {
        if (first_reads_found) return;
        first_reads_found = true;
        for (DataFile& f : *files) {
            const std::string path = path_of(f);
            std::vector<uint8_t> original = read_bytes(path);
            fs::remove(path);
            for (const Tour& tour : tours()) {
                Outcome o = run_tour(*folder, tour);
                missing_outcomes[f.name].push_back(o);
                if (!o.messages.empty() && o.messages.front() == missing_message(f)) {
                    f.tour = &tour;
                    f.taps = o.taps_before_first_message;
                    break;
                }
            }
            write_test_file(path, original);
        }
    }

    static std::string missing_message(const DataFile& f) {
        if (f.name == "main.plf") return "|8944335";
        if (f.name == "CardDB.dat") return "|File is not exist. File name is 'CardDB.dat";
        return "|567768354645";
    }

    void SetUp() override { find_first_reads(); }

    static std::string* folder;
    static std::vector<DataFile>* files;
    static uint32_t original_hash;
    static bool first_reads_found;
    static std::map<std::string, std::vector<Outcome>> missing_outcomes;
};

std::string* DamagedFiles::folder = nullptr;
std::vector<DataFile>* DamagedFiles::files = nullptr;
uint32_t DamagedFiles::original_hash = 0;
bool DamagedFiles::first_reads_found = false;
std::map<std::string, std::vector<Outcome>> DamagedFiles::missing_outcomes;

// [SECTION] Picture headers

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    if (bytes.size() < at + 4) bytes.resize(at + 4, 0);
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

uint32_t get32(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(bytes[at + i]) << (8 * i);
    return v;
}

struct HeaderDamage {
    const char* name;
    size_t field; // byte offset of the 32-bit field
    uint32_t value;
    size_t second_field; // a second field set to the same value; 0: none
    bool strips_only;    // frame sizes matter only to the strips drawn frame by frame
};

const HeaderDamage HEADER_DAMAGES[] = {
    {"width 0", 4, 0, 0, false},
    {"height 0", 8, 0, 0, false},
    {"width -1", 4, 0xFFFFFFFFu, 0, false},
    {"height -1", 8, 0xFFFFFFFFu, 0, false},
    {"width and height -1", 4, 0xFFFFFFFFu, 8, false},
    {"width 0x7FFFFFFF", 4, 0x7FFFFFFFu, 0, false},
    {"height 0x7FFFFFFF", 8, 0x7FFFFFFFu, 0, false},
    {"65536 x 65536 (the 32-bit product is 0)", 4, 65536, 8, false},
    {"data_size 0xFFFFFFFF", 0, 0xFFFFFFFFu, 0, false},
    {"data_size 0x80000000", 0, 0x80000000u, 0, false},
    {"frame_width 0", 12, 0, 0, true},
    {"frame_width -1", 12, 0xFFFFFFFFu, 0, true},
    {"frame_width 0x7FFFFFFF", 12, 0x7FFFFFFFu, 0, true},
    {"frame_height -1", 16, 0xFFFFFFFFu, 0, true},
    {"frame_height 0x7FFFFFFF", 16, 0x7FFFFFFFu, 0, true},
    {"frame 65536 x 65536", 12, 65536, 16, true},
    {"frame 1 x 1", 12, 1, 16, true},
};

bool is_strip(const std::string& name) {
    return name == "card.nbf" || name == "shuffle.nbf";
}

// What the loader says about a header: nothing when it fits its picture, "906656556" when
// not (negative sizes, more pixels than the buffer, or raw bytes that would pass its end).
std::string header_verdict(const std::vector<uint8_t>& bytes, uint32_t capacity) {
    const int64_t width = int32_t(get32(bytes, 4)), height = int32_t(get32(bytes, 8));
    const bool raw = bytes[24] != 1;
    const bool fits = width >= 0 && height >= 0 && width * height <= capacity &&
                      (!raw || int64_t(get32(bytes, 0)) <= int64_t(capacity));
    return fits ? "" : "|906656556";
}

} // namespace

// [SECTION] Tests

TEST_F(DamagedFiles, intact_folder_runs_every_tour_without_a_message) {
    for (const Tour& tour : tours()) {
        SCOPED_TRACE(tour.name);
        Outcome o = run_tour(*folder, tour);
        expect_clean_end(o);
        EXPECT_TRUE(o.messages.empty()) << o.messages.front();
        EXPECT_TRUE(log_has("sound \\sound\\end.wav")) << "the tour ends through an exit";
    }
}

TEST_F(DamagedFiles, every_missing_file_is_reported_by_its_loader_and_the_program_ends_cleanly) {
    ASSERT_GE(files->size(), 49u) << "47 pictures, the palette and the card texts";
    for (const DataFile& f : *files) {
        SCOPED_TRACE(f.name);
        EXPECT_NE(f.tour, nullptr) << "no tour reads this file";
        for (const Outcome& o : missing_outcomes[f.name]) expect_clean_end(o);
    }
}

TEST_F(DamagedFiles, empty_and_cut_files_never_crash_and_the_program_ends_cleanly) {
    for (const DataFile& f : *files) {
        if (!f.tour) continue;
        SCOPED_TRACE(f.name);
        const std::vector<uint8_t> original = read_bytes(path_of(f));
        for (size_t length : {size_t(0), size_t(10), size_t(27), size_t(28), size_t(29),
                              original.size() / 2, original.size() - 1}) {
            SCOPED_TRACE(length);
            if (length > original.size()) continue;
            for (const Outcome& o :
                 run_damaged(f, {original.begin(), original.begin() + long(length)}))
                expect_clean_end(o);
        }
    }
}

TEST_F(DamagedFiles, damaged_picture_headers_are_refused_with_906656556_or_load_and_run_on) {
    for (const DataFile& f : *files) {
        if (!f.tour || !f.capacity) continue;
        SCOPED_TRACE(f.name);
        const std::vector<uint8_t> original = read_bytes(path_of(f));
        ASSERT_GE(original.size(), 28u);
        for (const HeaderDamage& d : HEADER_DAMAGES) {
            if (d.strips_only && !is_strip(f.name)) continue;
            SCOPED_TRACE(d.name);
            std::vector<uint8_t> bytes = original;
            put32(bytes, d.field, d.value);
            if (d.second_field) put32(bytes, d.second_field, d.value);
            const std::string verdict = header_verdict(bytes, f.capacity);
            for (const Outcome& o : run_damaged(f, bytes)) {
                expect_clean_end(o);
                if (verdict.empty()) {
                    EXPECT_TRUE(o.messages.empty()) << o.messages.front();
                } else {
                    ASSERT_FALSE(o.messages.empty());
                    EXPECT_EQ(o.messages.front(), verdict);
                }
            }
        }
        // The other kind of pixels: run-length read raw and raw read as run-length (the
        // shipped pictures are all run-length, so this is what reaches the raw loader).
        std::vector<uint8_t> flipped = original;
        flipped[24] = flipped[24] == 1 ? 0 : 1;
        const std::string verdict = header_verdict(flipped, f.capacity);
        for (const Outcome& o : run_damaged(f, flipped)) {
            expect_clean_end(o);
            if (!verdict.empty()) {
                ASSERT_FALSE(o.messages.empty());
                EXPECT_EQ(o.messages.front(), verdict);
            }
        }
    }
}

TEST_F(DamagedFiles, longer_palette_is_read_as_far_as_768_bytes_and_the_program_runs_on) {
    for (const DataFile& f : *files) {
        if (f.name != "main.plf") continue;
        std::vector<uint8_t> longer = read_bytes(path_of(f));
        longer.resize(4096, 0xEE);
        for (const Outcome& o : run_damaged(f, longer)) {
            expect_clean_end(o);
            EXPECT_TRUE(o.messages.empty());
        }
    }
}

// Card texts that break every rule of the file: the program reports a failed read at most,
// shows whatever it could lay out, and goes on.
TEST_F(DamagedFiles, card_texts_that_break_the_file_rules_never_crash) {
    auto records = [](const std::string& record, int count) {
        std::string text = "$";
        for (int i = 0; i < count; ++i) text += record + "\r\n$";
        return std::vector<uint8_t>(text.begin(), text.end());
    };
    std::string many_rows;
    for (int i = 0; i < 120; ++i) many_rows += "Go. ";
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"no separators", std::vector<uint8_t>(5000, 'a')},
        {"only separators", std::vector<uint8_t>(400, '$')},
        {"records of 2000 bytes", records(std::string(1999, 'w') + ".", 160)},
        {"records without a period", records(std::string(600, 'x'), 160)},
        {"a word of 40 letters", records("A " + std::string(40, 'q') + " word.", 160)},
        {"more than 52 rows", records(many_rows, 160)},
        {"one short record", records("Short.   ", 1)},
        {"zero bytes", records(std::string(300, '\0'), 160)},
        {"high bytes", records(std::string(300, '\xFF') + ".", 160)},
    };
    const DataFile* card_texts = nullptr;
    for (const DataFile& f : *files)
        if (f.name == "CardDB.dat") card_texts = &f;
    ASSERT_NE(card_texts, nullptr);
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        std::vector<Outcome> outcomes = run_damaged(*card_texts, bytes);
        ASSERT_EQ(outcomes.size(), 2u) << "read at start-up, used by both readings";
        for (const Outcome& o : outcomes) {
            expect_clean_end(o);
            for (const std::string& m : o.messages) EXPECT_EQ(m, "|File not found1.");
        }
        if (name == std::string("no separators")) {
            EXPECT_FALSE(outcomes[0].messages.empty()) << "the readings looked cards up";
        }
    }
}

TEST_F(DamagedFiles, missing_sounds_are_silent_and_change_nothing_else) {
    std::vector<std::string> sounds;
    for (const auto& entry : fs::directory_iterator(*folder + "/sound"))
        sounds.push_back(entry.path().string());
    ASSERT_FALSE(sounds.empty());
    std::map<std::string, std::vector<uint8_t>> originals;
    for (const std::string& s : sounds) originals[s] = read_bytes(s), fs::remove(s);
    Outcome o = run_tour(*folder, tours().back());
    for (const auto& [path, bytes] : originals) write_test_file(path, bytes);
    expect_clean_end(o);
    EXPECT_TRUE(o.messages.empty());
    EXPECT_TRUE(log_has("sound-missing"));
    EXPECT_TRUE(log_has("sound-missing \\sound\\end.wav")) << "the tour still reaches its end";
}
