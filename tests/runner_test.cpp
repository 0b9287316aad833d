// runner_test.cpp -- the headless runner: its script language, whole demo runs, and the GIF
// recordings decoded back with an independent LZW decoder

#include "test_support.h"
#include "../tools/runner/gif.h"
#include "../tools/runner/script.h"
#include "../tools/runner/session.h"
#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <random>

// [SECTION] Script language

TEST(RunnerScript, accepts_every_command_with_comments_blank_lines_tabs_and_crlf) {
    const std::string text = "# a whole-line comment\n"
                             "\n"
                             "tap 200 280   # Start\r\n"
                             "\ttap\t0  0\n"
                             "tap 65535 65535\n"
                             "   \n"
                             "steps 0\n"
                             "steps 1000000\n"
                             "wait 2147483647\n"
                             "shot 01-title_a.b\n"
                             "quit # the end\n"
                             "# comments may follow quit\n";
    std::vector<ScriptCommand> c;
    std::string error = "stale";
    ASSERT_EQ(parse_script(text, &c, &error), 1) << error;
    EXPECT_EQ(error, "");
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(c[0].kind, script_tap);
    EXPECT_EQ(c[0].a, 200);
    EXPECT_EQ(c[0].b, 280);
    EXPECT_EQ(c[0].line, 3);
    EXPECT_EQ(c[1].a, 0);
    EXPECT_EQ(c[1].line, 4);
    EXPECT_EQ(c[2].a, 65535);
    EXPECT_EQ(c[2].b, 65535);
    EXPECT_EQ(c[3].kind, script_steps);
    EXPECT_EQ(c[3].a, 0);
    EXPECT_EQ(c[3].line, 7);
    EXPECT_EQ(c[4].a, 1000000);
    EXPECT_EQ(c[5].kind, script_wait);
    EXPECT_EQ(c[5].a, 2147483647);
    EXPECT_EQ(c[6].kind, script_shot);
    EXPECT_EQ(c[6].name, "01-title_a.b");
    EXPECT_EQ(c[7].kind, script_quit);
    EXPECT_EQ(c[7].line, 11);

    ASSERT_EQ(parse_script("", &c, &error), 1) << "an empty script is a run of start-up only";
    EXPECT_TRUE(c.empty());
    ASSERT_EQ(parse_script("tap 1 2", &c, &error), 1) << "no newline at the end";
    EXPECT_EQ(c.size(), 1u);
}

TEST(RunnerScript, rejects_each_malformed_line_by_number_and_keeps_no_commands) {
    const std::pair<const char*, const char*> cases[] = {
        {"tap 1", "script:1: tap needs two numbers"},
        {"# c\n\ntap 5 5\ntap 5 x", "script:4: tap needs two numbers"},
        {"tap 1 2 3", "script:1: tap needs two numbers"},
        {"tap -1 5", "script:1: tap needs two numbers"},
        {"tap +1 5", "script:1: tap needs two numbers"},
        {"tap 1.5 5", "script:1: tap needs two numbers"},
        {"tap 65536 0", "script:1: tap position must be 0 to 65535"},
        {"tap 0 99999999999", "script:1: tap position must be 0 to 65535"},
        {"steps", "script:1: steps needs one number"},
        {"steps 3 4", "script:1: steps needs one number"},
        {"steps 1000001", "script:1: steps must be 0 to 1000000"},
        {"wait 5ms", "script:1: wait needs one number of milliseconds"},
        {"wait 0x10", "script:1: wait needs one number of milliseconds"},
        {"wait 2147483648", "script:1: wait must be 0 to 2147483647"},
        {"shot", "script:1: shot needs one name"},
        {"shot a b", "script:1: shot needs one name"},
        {"shot ../up", "script:1: shot name may hold only letters, digits, '-', '_' and '.', "
                       "and not begin with '.'"},
        {"shot .hidden", "script:1: shot name may hold only letters, digits, '-', '_' and '.', "
                         "and not begin with '.'"},
        {"shot a/b", "script:1: shot name may hold only letters, digits, '-', '_' and '.', "
                     "and not begin with '.'"},
        {"quit now", "script:1: quit takes nothing after it"},
        {"TAP 1 2", "script:1: unknown command \"TAP\" (tap, key, steps, wait, shot, text, quit)"},
        {"steps 1\r\njump 3",
         "script:2: unknown command \"jump\" (tap, key, steps, wait, shot, text, quit)"},
        {"quit\n\ntap 1 2", "script:3: nothing may follow quit"},
        {"key f1", "script:1: unknown key \"f1\" (enter, space, escape, backspace, tab, "
                   "shift-tab, up, down, left, right, pageup, pagedown, home, end, 0, 1, 2, 3, 4, "
                   "5, 6, 7, 8, 9)"},
        {"tap 1 2\nwait 1 # fine\nsteps x\ntap 1", "script:3: steps needs one number"},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<ScriptCommand> c = {ScriptCommand{script_quit, 0, 0, "", 1}};
        std::string error;
        EXPECT_EQ(parse_script(text, &c, &error), 0) << text;
        EXPECT_EQ(error, expected) << text;
        EXPECT_TRUE(c.empty()) << text;
    }
}

// [SECTION] GIF decoding (independent of the encoder)

namespace {
// A plain LZW decoder as a GIF viewer has it. Fails on any code the table cannot explain,
// on missing data, and on a pixel count other than `expected`.
bool lzw_decode(const std::vector<uint8_t>& data, size_t expected, std::vector<uint8_t>* out,
                int* clears = nullptr) {
    const int clear = 256, end = 257;
    std::vector<std::vector<uint8_t>> table;
    int size = 9, avail = 258, previous = -1;
    auto reset = [&] {
        table.assign(258, {});
        for (int i = 0; i < 256; i++) table[size_t(i)] = {uint8_t(i)};
        size = 9, avail = 258, previous = -1;
    };
    reset();
    out->clear();
    size_t bit = 0;
    int clear_count = 0;
    for (;;) {
        if (bit + size_t(size) > data.size() * 8) return false;
        int code = 0;
        for (int i = 0; i < size; i++, bit++) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            clear_count++;
            continue;
        }
        if (code == end) break;
        std::vector<uint8_t> entry;
        if (previous < 0) {
            if (code >= clear) return false;
            entry = table[size_t(code)];
        } else {
            if (code < avail && code != clear && code != end)
                entry = table[size_t(code)];
            else if (code == avail && avail < 4096)
                entry = table[size_t(previous)], entry.push_back(table[size_t(previous)][0]);
            else
                return false;
            if (avail < 4096) {
                std::vector<uint8_t> added = table[size_t(previous)];
                added.push_back(entry[0]);
                table.push_back(added);
                avail++;
                if (avail == (1 << size) && size < 12) size++;
            }
        }
        out->insert(out->end(), entry.begin(), entry.end());
        previous = code;
        if (out->size() > expected) return false;
    }
    if (clears) *clears = clear_count;
    return out->size() == expected;
}

struct DecodedFrame {
    std::vector<uint8_t> pixels; // the whole picture after this frame
    GifPalette palette;
    int delay_cs = -1;
    bool local_table = false;
    int left = 0, top = 0, width = 0, height = 0;
};

struct DecodedGif {
    int width = 0, height = 0;
    bool loops_forever = false;
    std::vector<DecodedFrame> frames;
};

// Parses a whole GIF89a file; every frame is drawn over the last (disposal 1). Returns
// false on any structural fault.
bool decode_gif(const std::vector<uint8_t>& f, DecodedGif* gif) {
    size_t at = 0;
    auto need = [&](size_t n) { return at + n <= f.size(); };
    auto u16 = [&](size_t p) { return int(f[p] | f[p + 1] << 8); };
    auto sub_blocks = [&](std::vector<uint8_t>* data) {
        for (;;) {
            if (!need(1)) return false;
            size_t n = f[at++];
            if (n == 0) return true;
            if (!need(n)) return false;
            if (data) data->insert(data->end(), f.begin() + long(at), f.begin() + long(at + n));
            at += n;
        }
    };
    if (!need(13) || std::string(f.begin(), f.begin() + 6) != "GIF89a") return false;
    gif->width = u16(6), gif->height = u16(8);
    if (f[10] != 0xF7) return false; // a global table of 256 entries
    at = 13;
    if (!need(768)) return false;
    GifPalette global;
    std::copy(f.begin() + 13, f.begin() + 13 + 768, global.begin());
    at += 768;
    std::vector<uint8_t> canvas(size_t(gif->width) * gif->height, 0);
    int delay = -1;
    for (;;) {
        if (!need(1)) return false;
        uint8_t block = f[at++];
        if (block == 0x3B) return at == f.size();
        if (block == 0x21) {
            if (!need(1)) return false;
            uint8_t label = f[at++];
            if (label == 0xF9) {
                if (!need(6) || f[at] != 4 || f[at + 1] != 0x04 || f[at + 5] != 0) return false;
                delay = u16(at + 2);
                at += 6;
            } else if (label == 0xFF) {
                if (!need(12) || f[at] != 11) return false;
                std::string name(f.begin() + long(at + 1), f.begin() + long(at + 12));
                at += 12;
                std::vector<uint8_t> data;
                if (!sub_blocks(&data)) return false;
                gif->loops_forever = name == "NETSCAPE2.0" && data.size() == 3 && data[0] == 1 &&
                                     data[1] == 0 && data[2] == 0;
            } else if (!sub_blocks(nullptr)) {
                return false;
            }
        } else if (block == 0x2C) {
            if (!need(9)) return false;
            DecodedFrame frame;
            frame.left = u16(at), frame.top = u16(at + 2);
            frame.width = u16(at + 4), frame.height = u16(at + 6);
            uint8_t flags = f[at + 8];
            at += 9;
            if (frame.left + frame.width > gif->width || frame.top + frame.height > gif->height)
                return false;
            frame.palette = global;
            if (flags & 0x80) {
                if ((flags & 7) != 7 || !need(768)) return false;
                std::copy(f.begin() + long(at), f.begin() + long(at + 768), frame.palette.begin());
                frame.local_table = true;
                at += 768;
            }
            if (!need(1) || f[at++] != 8) return false;
            std::vector<uint8_t> codes, part;
            if (!sub_blocks(&codes)) return false;
            if (!lzw_decode(codes, size_t(frame.width) * frame.height, &part)) return false;
            for (int y = 0; y < frame.height; y++)
                std::copy(part.begin() + long(y) * frame.width,
                          part.begin() + long(y + 1) * frame.width,
                          canvas.begin() + long(frame.top + y) * gif->width + frame.left);
            frame.pixels = canvas;
            frame.delay_cs = delay;
            delay = -1;
            gif->frames.push_back(frame);
        } else {
            return false;
        }
    }
}

std::vector<uint8_t> noise(size_t count, uint32_t seed, int colours = 256) {
    std::mt19937 random(seed);
    std::vector<uint8_t> out(count);
    for (uint8_t& v : out) v = uint8_t(random() % uint32_t(colours));
    return out;
}
} // namespace

// [SECTION] LZW

TEST(RunnerGif, lzw_codes_decode_to_the_same_indices_for_runs_gradients_and_noise) {
    std::vector<std::vector<uint8_t>> images = {
        {},
        {7},
        {255, 255},
        std::vector<uint8_t>(76800, 0), // one long run: codes grow to 12 bits, then reset
        noise(5000, 1, 2),              // two colours: long strings in a full table
    };
    std::vector<uint8_t> gradient(76800);
    for (size_t i = 0; i < gradient.size(); i++) gradient[i] = uint8_t(i % 240 + i / 240 % 16);
    images.push_back(gradient);
    for (size_t n = 0; n < images.size(); n++) {
        std::vector<uint8_t> codes = gif_lzw_encode(images[n].data(), images[n].size());
        std::vector<uint8_t> back;
        ASSERT_TRUE(lzw_decode(codes, images[n].size(), &back)) << "image " << n;
        EXPECT_EQ(back, images[n]) << "image " << n;
    }
}

TEST(RunnerGif, table_resets_keep_the_decoder_in_step_at_every_length_around_them) {
    // Noise fills the 4,096-entry table every few thousand pixels. Every length across the
    // first reset ends the stream at a different point of the table's growth, which is
    // where the width of the last codes goes wrong if the encoder and decoder disagree.
    std::vector<uint8_t> image = noise(76800, 42);
    int clears = 0;
    std::vector<uint8_t> back;
    std::vector<uint8_t> codes = gif_lzw_encode(image.data(), image.size());
    ASSERT_TRUE(lzw_decode(codes, image.size(), &back, &clears));
    EXPECT_EQ(back, image);
    EXPECT_GT(clears, 10) << "the table filled and was reset many times";
    for (size_t length = 3300; length <= 4400; length++) {
        codes = gif_lzw_encode(image.data(), length);
        ASSERT_TRUE(lzw_decode(codes, length, &back)) << "length " << length;
        ASSERT_TRUE(std::equal(back.begin(), back.end(), image.begin())) << "length " << length;
    }
    // Around the points where codes widen to 10, 11 and 12 bits.
    for (size_t length : {254,  255,  256,  257,  510,  511,  512,  513,  1278, 1279,
                          1280, 1281, 1800, 1801, 1802, 1803, 3837, 3838, 3839, 3840}) {
        std::vector<uint8_t> run(length, 9);
        std::vector<uint8_t> mixed = noise(length, uint32_t(length), 256);
        for (const std::vector<uint8_t>* i : {&run, &mixed}) {
            codes = gif_lzw_encode(i->data(), i->size());
            ASSERT_TRUE(lzw_decode(codes, i->size(), &back)) << "length " << length;
            EXPECT_EQ(back, *i) << "length " << length;
        }
    }
}

// [SECTION] GIF files

TEST(RunnerGif, file_holds_changed_rectangles_their_delays_and_a_local_table_for_a_new_palette) {
    const int w = 240, h = 320;
    GifPalette grey, red;
    for (int i = 0; i < 256; i++) {
        grey[size_t(3 * i)] = grey[size_t(3 * i + 1)] = grey[size_t(3 * i + 2)] = uint8_t(i);
        red[size_t(3 * i)] = uint8_t(i), red[size_t(3 * i + 1)] = red[size_t(3 * i + 2)] = 0;
    }
    std::vector<uint8_t> a = noise(size_t(w) * h, 3, 16);
    std::vector<uint8_t> b = a;
    for (int y = 100; y < 130; y++)
        for (int x = 30; x < 90; x++) b[size_t(y) * w + size_t(x)] = uint8_t(x + y);
    std::vector<uint8_t> c = noise(size_t(w) * h, 4);

    GifRecording rec;
    gif_start(&rec, w, h);
    EXPECT_EQ(gif_add_frame(&rec, a.data(), grey.data(), 1000), 1);
    EXPECT_EQ(gif_add_frame(&rec, b.data(), grey.data(), 1005), 1);
    EXPECT_EQ(gif_add_frame(&rec, b.data(), grey.data(), 1500), 0) << "a repeat adds nothing";
    EXPECT_EQ(gif_add_frame(&rec, a.data(), grey.data(), 2000), 1) << "back as it was";
    EXPECT_EQ(gif_add_frame(&rec, a.data(), red.data(), 2004), 1) << "same indices, new colours";
    EXPECT_EQ(gif_add_frame(&rec, c.data(), red.data(), 2004), 1);

    DecodedGif gif;
    ASSERT_TRUE(decode_gif(gif_file(rec, 2600), &gif));
    EXPECT_EQ(gif.width, w);
    EXPECT_EQ(gif.height, h);
    EXPECT_TRUE(gif.loops_forever);
    ASSERT_EQ(gif.frames.size(), 5u);
    const std::vector<uint8_t>* pictures[] = {&a, &b, &a, &a, &c};
    for (size_t i = 0; i < 5; i++) EXPECT_TRUE(gif.frames[i].pixels == *pictures[i]) << i;
    // Only the changed rectangle is stored.
    EXPECT_EQ(gif.frames[1].left, 30);
    EXPECT_EQ(gif.frames[1].top, 100);
    EXPECT_EQ(gif.frames[1].width, 60);
    EXPECT_EQ(gif.frames[1].height, 30);
    EXPECT_EQ(gif.frames[3].width, w) << "a new palette makes the frame whole";
    EXPECT_EQ(gif.frames[3].height, h);
    // Grey is used by three frames and is the global table; red frames carry their own.
    EXPECT_FALSE(gif.frames[0].local_table);
    EXPECT_FALSE(gif.frames[2].local_table);
    EXPECT_TRUE(gif.frames[3].local_table);
    EXPECT_TRUE(gif.frames[3].palette == red);
    EXPECT_TRUE(gif.frames[0].palette == grey);
    // Delays follow the virtual clock: 5 ms rounds up to the 2 cs minimum, the next frame
    // gives back the difference, and the last lasts until the end of the run.
    const int delays[] = {2, 98, 2, 2, 56};
    for (size_t i = 0; i < 5; i++) EXPECT_EQ(gif.frames[i].delay_cs, delays[i]) << i;
}

TEST(RunnerGif, recording_without_frames_is_one_black_frame) {
    GifRecording rec;
    gif_start(&rec, 4, 3);
    DecodedGif gif;
    ASSERT_TRUE(decode_gif(gif_file(rec, 0), &gif));
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_EQ(gif.frames[0].pixels, std::vector<uint8_t>(12, 0));
    EXPECT_EQ(gif.frames[0].palette[0] + gif.frames[0].palette[1] + gif.frames[0].palette[2], 0);
}

// [SECTION] Whole runs

namespace {
std::vector<ScriptCommand> demo_commands() {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_EQ(parse_script(DEMO_SCRIPT, &commands, &error), 1) << error;
    return commands;
}

// The log without its times: "present <hash>", "screen 5", ...
std::vector<std::string> events(const std::vector<std::string>& log, const std::string& kind) {
    std::vector<std::string> out;
    for (const std::string& line : log) {
        std::string event = line.substr(line.find(' ') + 1);
        if (kind.empty() || event.compare(0, kind.size(), kind) == 0) out.push_back(event);
    }
    return out;
}
} // namespace

TEST(RunnerSession, demo_runs_the_love_reading_the_same_way_twice) {
    RunnerOptions options;
    options.install_dir = data_dir();
    options.shots_dir = make_test_folder("runner_demo");
    GifRecording first_gif, second_gif;
    ASSERT_EQ(run_session(options, demo_commands(), nullptr, &first_gif), 0);
    std::vector<std::string> first = headless_log();
    ASSERT_EQ(run_session(options, demo_commands(), nullptr, &second_gif), 0);
    EXPECT_EQ(headless_log(), first) << "same clock, same script: same log and frame hashes";
    EXPECT_TRUE(gif_file(first_gif, 0) == gif_file(second_gif, 0));

    // Title, menu, the love reading, and back to the menu by its Menu button.
    EXPECT_EQ(events(first, "screen"),
              (std::vector<std::string>{"screen 1", "screen 100", "screen 5", "screen 100"}));
    EXPECT_EQ(first.back(), std::to_string(headless_clock()) + " exit 0");
    EXPECT_TRUE(events(first, "message").empty()) << "every file of the install folder loads";
    EXPECT_EQ(events(first, "sound \\sound\\shufflecard.WAV").size(), 3u + 3u)
        << "three animation passes, three cards turned";
    EXPECT_GE(events(first, "sound \\sound\\ico.wav").size(), 3u + 3u)
        << "Start, Love, Next and the three presses of the down arrow at least";
    for (const char* shot : {"01-title", "02-menu", "03-shuffle", "04-shuffled", "05-table",
                             "06-first-card", "07-third-card", "08-scrolled", "09-menu"})
        EXPECT_TRUE(std::filesystem::exists(options.shots_dir + "/" + shot + ".png")) << shot;
}

TEST(RunnerSession, clock_decides_the_deal_and_display_layout_changes_only_the_display) {
    std::vector<ScriptCommand> commands = demo_commands();
    RunnerOptions options;
    options.install_dir = data_dir();
    options.shots_dir = make_test_folder("runner_layout");
    GifRecording plain, turned;
    ASSERT_EQ(run_session(options, commands, nullptr, &plain), 0);
    std::vector<std::string> plain_log = headless_log();
    std::vector<uint8_t> plain_display = headless_display_rgb();

    // The frame buffer laid out by columns from the right, 5-5-5 pixels: other frame hashes,
    // but the program runs the same and the recording, made from its back buffer, is equal.
    options.display.x_pitch = -640;
    options.display.y_pitch = 2;
    options.display.format = kfDirect555;
    ASSERT_EQ(run_session(options, commands, nullptr, &turned), 0);
    EXPECT_EQ(events(headless_log(), "present").size(), events(plain_log, "present").size());
    EXPECT_NE(events(headless_log(), "present"), events(plain_log, "present"));
    EXPECT_EQ(events(headless_log(), "screen"), events(plain_log, "screen"));
    EXPECT_TRUE(gif_file(plain, 0) == gif_file(turned, 0));

    // The recording's last frame is what the display showed last, colour for colour.
    DecodedGif gif;
    ASSERT_TRUE(decode_gif(gif_file(plain, 0), &gif));
    ASSERT_FALSE(gif.frames.empty());
    const DecodedFrame& last = gif.frames.back();
    ASSERT_EQ(plain_display.size(), last.pixels.size() * 3);
    size_t differing = 0;
    for (size_t i = 0; i < last.pixels.size(); i++) {
        const uint8_t* c = &last.palette[size_t(last.pixels[i]) * 3];
        uint8_t r = c[0] & 0xF8, g = c[1] & 0xFC, b = c[2] & 0xF8; // through 5-6-5
        uint8_t expected[3] = {uint8_t(r | r >> 5), uint8_t(g | g >> 6), uint8_t(b | b >> 5)};
        differing += std::memcmp(expected, &plain_display[i * 3], 3) != 0;
    }
    EXPECT_EQ(differing, 0u);

    // Another start clock deals other cards: the spread's faces differ, the flow does not.
    options.display = HeadlessDisplay();
    options.clock = 987654;
    ASSERT_EQ(run_session(options, commands, nullptr, nullptr), 0);
    EXPECT_EQ(events(headless_log(), "screen"), events(plain_log, "screen"));
    EXPECT_NE(events(headless_log(), "present"), events(plain_log, "present"));
    EXPECT_EQ(headless_log().front().substr(0, 7), "987654 ") << "the clock starts there";
}
