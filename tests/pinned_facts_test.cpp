// pinned_facts_test.cpp -- facts of the program pinned by expectations worked out apart from
// its code: how long each wait lasts in a whole session, the deal for a known tick count, the
// widening of display pixels in the PNG captures

#include "test_support.h"
#include "graphics/graphics.h"
#include "reading/reading.h"
#include "shell/shell.h"
#include <gtest/gtest.h>
#include <zlib.h>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// [SECTION] Session log

// One log line: its time and the rest ("present 1a2b3c4d", "sound \sound\ico.wav", ...).
struct Event {
    uint32_t ms;
    std::string what;
};

std::vector<Event> log_events() {
    std::vector<Event> out;
    for (const std::string& line : headless_log()) {
        const size_t space = line.find(' ');
        out.push_back({uint32_t(std::stoul(line.substr(0, space))), line.substr(space + 1)});
    }
    return out;
}

bool starts_with(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

// What followed the tap numbered `n` (from 0) up to the next tap, times counted from the tap.
std::vector<Event> after_tap(size_t n) {
    std::vector<Event> out;
    size_t taps = 0;
    uint32_t tap_ms = 0;
    for (const Event& e : log_events()) {
        if (starts_with(e.what, "tap ")) {
            taps += 1;
            tap_ms = e.ms;
            if (taps > n + 1) break;
            continue;
        }
        if (taps == n + 1) out.push_back({e.ms - tap_ms, e.what});
    }
    return out;
}

// The times of the presents and the named sounds among events, as "+100 present" or "+0 sound
// ico.wav" (sound paths shown by file name only, frame hashes left out).
std::vector<std::string> timeline(const std::vector<Event>& events) {
    std::vector<std::string> out;
    for (const Event& e : events) {
        std::string what;
        if (starts_with(e.what, "present "))
            what = "present";
        else if (starts_with(e.what, "sound "))
            what = "sound " + e.what.substr(e.what.find_last_of('\\') + 1);
        else if (starts_with(e.what, "quit"))
            what = e.what;
        else
            continue;
        out.push_back("+" + std::to_string(e.ms) + " " + what);
    }
    return out;
}

// The events from the first one that starts with `head`.
std::vector<Event> from_first(const std::vector<Event>& events, const std::string& head) {
    for (size_t i = 0; i < events.size(); ++i)
        if (starts_with(events[i].what, head)) return {events.begin() + long(i), events.end()};
    return {};
}

std::vector<std::string> first(const std::vector<std::string>& lines, size_t count) {
    return {lines.begin(), lines.begin() + long(std::min(count, lines.size()))};
}

} // namespace

// [SECTION] Waits

// The title's Start, a menu item and the about page's Back each show the pressed button for
// 100 ms before the next screen appears; the deck's animation is three passes of six frames
// 30 ms apart, each pass starting with the card sound.
TEST(PinnedTiming, buttons_hold_100_ms_and_the_shuffle_shows_18_frames_30_ms_apart) {
    ASSERT_EQ(run_program(data_dir(),
                          [] {
                              tap(START);
                              tap(MENU_ITEM[6]); // about tarot
                              tap(ABOUT_BACK);
                              tap(MENU_ITEM[3]); // love
                              tap(DECK);
                              tap(NEXT);
                          }),
              0);
    const std::vector<std::string> pressed_then_next = {"+0 present", "+100 present"};
    // Start: the title is presented on every step, so look from the button's sound on.
    std::vector<std::string> start = timeline(from_first(after_tap(0), "sound "));
    ASSERT_GE(start.size(), 3u);
    EXPECT_EQ(start[0], "+0 sound ico.wav");
    EXPECT_EQ(std::vector<std::string>(start.begin() + 1, start.begin() + 3), pressed_then_next);

    std::vector<std::string> about = timeline(after_tap(1));
    ASSERT_GE(about.size(), 3u);
    EXPECT_EQ(about[0], "+0 sound main.wav");
    EXPECT_EQ(std::vector<std::string>(about.begin() + 1, about.begin() + 3), pressed_then_next);

    EXPECT_EQ(first(timeline(from_first(after_tap(2), "sound ")), 4),
              (std::vector<std::string>{"+0 sound ico.wav", "+0 present", "+100 sound start.WAV",
                                        "+100 present"}));

    std::vector<std::string> love = timeline(after_tap(3));
    EXPECT_EQ(first(love, 3),
              (std::vector<std::string>{"+0 sound ico.wav", "+0 present", "+100 present"}));

    std::vector<std::string> expected_shuffle;
    for (int pass = 0; pass < 3; ++pass) {
        expected_shuffle.push_back("+" + std::to_string(180 * pass) + " sound shufflecard.WAV");
        for (int frame = 0; frame < 6; ++frame)
            expected_shuffle.push_back("+" + std::to_string(180 * pass + 30 * frame) + " present");
    }
    EXPECT_EQ(timeline(after_tap(4)), expected_shuffle);
    // The animation's last frame stays 30 ms too: Next arrives 540 ms after the deck.
    const std::vector<Event> events = log_events();
    std::vector<uint32_t> tap_times;
    for (const Event& e : events)
        if (starts_with(e.what, "tap ")) tap_times.push_back(e.ms);
    ASSERT_EQ(tap_times.size(), 6u);
    EXPECT_EQ(tap_times[1] - tap_times[0], 100u);
    EXPECT_EQ(tap_times[5] - tap_times[4], 540u);
}

// The table's Menu holds its pressed button 100 ms; Exit holds it 100 ms, then shows each
// publisher page for 5000 ms before the closing sound.
TEST(PinnedTiming, table_menu_and_exit_hold_100_ms_and_the_publisher_pages_5000_each) {
    ASSERT_EQ(run_program(data_dir(),
                          [] {
                              tap(START);
                              tap(MENU_ITEM[0]); // desire
                              tap(DECK);
                              tap(NEXT);
                              tap(TABLE_MENU);
                              tap(MENU_ITEM[1]); // today
                              tap(DECK);
                              tap(NEXT);
                              tap(TABLE_EXIT);
                          }),
              0);
    EXPECT_EQ(first(timeline(from_first(after_tap(4), "sound ")), 4),
              (std::vector<std::string>{"+0 sound ico.wav", "+0 present", "+100 sound start.WAV",
                                        "+100 present"}));
    EXPECT_EQ(timeline(from_first(after_tap(8), "sound ")),
              (std::vector<std::string>{"+0 sound ico.wav", "+0 present", "+100 sound start.wav",
                                        "+100 present", "+5100 present", "+10100 sound end.wav",
                                        "+10100 quit 0"}));
}

// The publisher pages' Next and Menu buttons hold 100 ms too, like every other button.
TEST(PinnedTiming, publisher_pages_next_and_menu_hold_100_ms) {
    ASSERT_EQ(run_program(data_dir(),
                          [] {
                              tap(START);
                              tap(MENU_ITEM[7]); // publisher pages
                              tap(PUBLISHER_NEXT);
                              tap(PUBLISHER_MENU);
                          }),
              0);
    EXPECT_EQ(first(timeline(from_first(after_tap(2), "sound ")), 3),
              (std::vector<std::string>{"+0 sound ico.wav", "+0 present", "+100 present"}));
    EXPECT_EQ(first(timeline(from_first(after_tap(3), "sound ")), 4),
              (std::vector<std::string>{"+0 sound ico.wav", "+0 sound start.WAV", "+0 present",
                                        "+100 present"}));
}

// [SECTION] Deal

namespace {

// The ten dealt values with the clock at `ms`, on a cleared record.
std::array<int32_t, 10> deal_at(uint32_t ms, AppState* state) {
    std::memset(state, 0, sizeof *state);
    headless_set_clock(ms);
    shuffle_deck(state);
    std::array<int32_t, 10> dealt;
    std::memcpy(dealt.data(), state->drawn_cards, sizeof dealt);
    return dealt;
}

} // namespace

// Worked out by hand from the generator x' = 214013 x + 2531011 (mod 2^32), each draw being
// bits 16 to 30 of x', seeded with the tick count: value = 155 x draw mod 156, a draw whose
// card (value / 2) is out already is passed over. Tick 0: the first draw is 38, and 38 x 155
// = 5890 = 37 x 156 + 118, card 59 reversed.
TEST(PinnedDeal, known_tick_counts_deal_the_values_worked_out_from_the_generator) {
    headless_reset();
    AppState state;
    EXPECT_EQ(deal_at(0, &state),
              (std::array<int32_t, 10>{118, 81, 134, 59, 37, 7, 2, 120, 75, 136}));
    EXPECT_EQ(deal_at(1, &state),
              (std::array<int32_t, 10>{115, 97, 62, 20, 19, 32, 66, 126, 26, 28}));
    EXPECT_EQ(deal_at(1000, &state),
              (std::array<int32_t, 10>{128, 47, 139, 2, 51, 29, 100, 10, 52, 136}));
    EXPECT_EQ(deal_at(123456, &state),
              (std::array<int32_t, 10>{7, 114, 146, 51, 94, 68, 136, 127, 108, 22}));
    const auto last = deal_at(4294967295u, &state);
    EXPECT_EQ(last, (std::array<int32_t, 10>{121, 57, 58, 91, 48, 86, 51, 126, 64, 83}));
    int32_t marked = 0;
    for (int32_t card = 0; card < 78; ++card) marked += state.deck_used[card];
    EXPECT_EQ(marked, 10);
    for (int32_t value : last) EXPECT_EQ(state.deck_used[value / 2], 1) << value;
}

// [SECTION] Captures

namespace {

int32_t quiet_procedure(WindowHandle, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

uint32_t big_endian(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
           uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// The RGB pixels of an 8-bit truecolour PNG without interlacing whose rows all use filter 0,
// as the captures are written; checks every chunk's CRC. Empty when anything differs.
std::vector<uint8_t> read_plain_png(const std::string& path, uint32_t* width, uint32_t* height) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) return {};
    std::vector<uint8_t> packed;
    *width = *height = 0;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = big_endian(bytes, at);
        if (at + 12 + length > bytes.size()) return {};
        const std::string type(bytes.begin() + long(at + 4), bytes.begin() + long(at + 8));
        const uint8_t* data = bytes.data() + at + 8;
        const uint32_t crc = uint32_t(crc32(0, bytes.data() + at + 4, uInt(length + 4)));
        if (crc != big_endian(bytes, at + 8 + length)) {
            ADD_FAILURE() << type << " chunk CRC";
            return {};
        }
        if (type == "IHDR") {
            std::vector<uint8_t> header(data, data + length);
            *width = big_endian(header, 0), *height = big_endian(header, 4);
            EXPECT_EQ(std::vector<uint8_t>(header.begin() + 8, header.end()),
                      (std::vector<uint8_t>{8, 2, 0, 0, 0}));
        } else if (type == "IDAT") {
            packed.insert(packed.end(), data, data + length);
        } else if (type == "IEND") {
            break;
        }
        at += 12 + length;
    }
    const size_t row = size_t(*width) * 3 + 1;
    std::vector<uint8_t> raw(row * *height);
    uLongf raw_size = uLongf(raw.size());
    if (raw.empty() ||
        uncompress(raw.data(), &raw_size, packed.data(), uLong(packed.size())) != Z_OK ||
        raw_size != raw.size())
        return {};
    std::vector<uint8_t> rgb;
    for (uint32_t y = 0; y < *height; ++y) {
        EXPECT_EQ(raw[y * row], 0) << "row " << y << " filter";
        rgb.insert(rgb.end(), raw.begin() + long(y * row + 1), raw.begin() + long((y + 1) * row));
    }
    return rgb;
}

// A channel of `bits` bits widened to 8 by repeating its top bits below it, as 0x1F -> 0xFF
// and 0x10 -> 0x84.
uint8_t widen(uint32_t channel, int bits) {
    uint32_t value = channel << (8 - bits);
    for (int shift = bits; shift < 8; shift += bits) value |= (channel << (8 - bits)) >> shift;
    return uint8_t(value);
}

} // namespace

// Every palette colour presented on a 5-6-5, 5-5-5 and 4-4-4 display comes back from the
// capture with the display's bits of each channel, widened by bit repetition: white stays
// white and black black, whatever the format.
TEST(PinnedCapture, png_capture_widens_each_display_format_by_repeating_the_top_bits) {
    struct Format {
        uint32_t flag;
        int red, green, blue; // bits kept per channel
    };
    const Format formats[] = {
        {kfDirect565, 5, 6, 5}, {kfDirect555, 5, 5, 5}, {kfDirect444, 4, 4, 4}};
    const std::string folder = make_test_folder("pinned_capture");
    for (const Format& f : formats) {
        headless_reset();
        HeadlessDisplay display;
        display.format = f.flag;
        headless_set_display(display);
        WindowClass window_class = {0, quiet_procedure, 0, 4, L"PinnedCapture"};
        register_class(&window_class);
        WindowHandle window = create_window(L"PinnedCapture", L"PinnedCapture");
        ASSERT_EQ(GXOpenDisplay(window, GX_FULLSCREEN), 1);
        GXDisplayProperties properties = GXGetDisplayProperties();

        Palette colours{};
        for (int i = 0; i < 256; ++i) {
            colours.rgb[i][0] = uint8_t(i);
            colours.rgb[i][1] = uint8_t(255 - i);
            colours.rgb[i][2] = uint8_t(i * 37);
        }
        prepare_palette(&colours, &properties);
        std::vector<uint8_t> pixels(SURFACE_SIZE);
        for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = uint8_t(k % 256);
        Surface back{pixels.data(), pixels.data()};
        ASSERT_EQ(present_surface(&back, &colours, &properties), 1);

        const std::string path = folder + "/" + std::to_string(f.flag) + ".png";
        ASSERT_EQ(headless_write_png(path), 1);
        uint32_t width = 0, height = 0;
        const std::vector<uint8_t> png = read_plain_png(path, &width, &height);
        ASSERT_EQ(width, 240u);
        ASSERT_EQ(height, 320u);
        ASSERT_EQ(png.size(), 240u * 320u * 3u);
        EXPECT_EQ(png, headless_display_rgb()) << "the file holds what the display shows";
        for (size_t k = 0; k < pixels.size(); ++k) {
            const uint8_t* c = colours.rgb[pixels[k]];
            const uint8_t expected[3] = {widen(c[0] >> (8 - f.red), f.red),
                                         widen(c[1] >> (8 - f.green), f.green),
                                         widen(c[2] >> (8 - f.blue), f.blue)};
            ASSERT_EQ(std::memcmp(&png[k * 3], expected, 3), 0)
                << "format " << f.flag << " pixel " << k << " index " << int(pixels[k]) << ": "
                << int(png[k * 3]) << "," << int(png[k * 3 + 1]) << "," << int(png[k * 3 + 2]);
        }
    }
}
