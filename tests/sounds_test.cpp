// sounds_test.cpp -- the shipped WAV files: well-formed PCM, sensible lengths and levels, and
// found by the running program under every name it plays

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// A WAV file read by walking its chunks; `problem` names the first thing found wrong.
struct Wav {
    std::string problem;
    uint16_t format = 0, channels = 0, block_align = 0, bits = 0;
    uint32_t rate = 0, byte_rate = 0;
    std::vector<int16_t> samples;
};

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

Wav read_wav(const std::string& path) {
    Wav w;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
        w.problem = "no RIFF/WAVE header";
        return w;
    }
    if (le(b, 4, 4) != b.size() - 8) w.problem = "RIFF size is not the file size - 8";
    bool have_fmt = false, have_data = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        std::string tag(b.begin() + at, b.begin() + at + 4);
        uint32_t size = le(b, at + 4, 4);
        if (at + 8 + size > b.size()) {
            w.problem = "chunk " + tag + " runs past the end";
            return w;
        }
        if (tag == "fmt " && size >= 16) {
            have_fmt = true;
            w.format = uint16_t(le(b, at + 8, 2));
            w.channels = uint16_t(le(b, at + 10, 2));
            w.rate = le(b, at + 12, 4);
            w.byte_rate = le(b, at + 16, 4);
            w.block_align = uint16_t(le(b, at + 20, 2));
            w.bits = uint16_t(le(b, at + 22, 2));
        } else if (tag == "data") {
            if (!have_fmt) w.problem = "data before fmt";
            have_data = true;
            for (size_t i = 0; i + 1 < size; i += 2)
                w.samples.push_back(int16_t(le(b, at + 8 + i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    if (!have_fmt || !have_data) w.problem = "fmt or data chunk missing";
    return w;
}

struct Expected {
    const char* name;
    double shortest, longest; // seconds
};

// The shipped sounds and how long each may last for its use.
const Expected sounds[] = {{"start.wav", 0.5, 1.2},
                           {"ico.wav", 0.03, 0.15},
                           {"end.wav", 0.6, 1.5},
                           {"main.wav", 0.6, 1.5},
                           {"shufflecard.wav", 0.25, 0.6}};

std::string sound_file(const char* name) {
    return data_dir() + "/sound/" + name;
}

double dbfs(int peak) {
    return 20.0 * std::log10(peak / 32768.0);
}

} // namespace

// [SECTION] The files

TEST(Sounds, every_file_is_well_formed_16_bit_mono_pcm) {
    for (const Expected& e : sounds) {
        SCOPED_TRACE(e.name);
        Wav w = read_wav(sound_file(e.name));
        ASSERT_EQ(w.problem, "");
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_EQ(w.block_align, 2);
        EXPECT_TRUE(w.rate == 11025 || w.rate == 22050 || w.rate == 44100) << w.rate;
        EXPECT_EQ(w.byte_rate, w.rate * 2);
        EXPECT_FALSE(w.samples.empty());
    }
}

TEST(Sounds, each_lasts_as_long_as_its_use_and_peaks_well_below_full_scale) {
    for (const Expected& e : sounds) {
        SCOPED_TRACE(e.name);
        Wav w = read_wav(sound_file(e.name));
        ASSERT_EQ(w.problem, "");
        ASSERT_GT(w.rate, 0u);
        double seconds = double(w.samples.size()) / w.rate;
        EXPECT_GE(seconds, e.shortest);
        EXPECT_LE(seconds, e.longest);
        int peak = 0;
        for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
        // Quiet enough not to startle, loud enough to be heard.
        EXPECT_LE(dbfs(peak), -9.0);
        EXPECT_GE(dbfs(peak), -18.0);
    }
}

// A sound that starts or stops away from zero clicks.
TEST(Sounds, each_fades_in_from_silence_and_out_to_silence) {
    for (const Expected& e : sounds) {
        SCOPED_TRACE(e.name);
        Wav w = read_wav(sound_file(e.name));
        ASSERT_EQ(w.problem, "");
        ASSERT_GT(w.samples.size(), 100u);
        EXPECT_LE(std::abs(int(w.samples.front())), 64);
        EXPECT_LE(std::abs(int(w.samples.back())), 64);
        size_t ms = w.rate / 1000;
        int edge = 0;
        for (size_t i = 0; i < ms; ++i)
            edge = std::max(edge, std::abs(int(w.samples[w.samples.size() - 1 - i])));
        EXPECT_LE(edge, 400) << "the last millisecond is not faded";
    }
}

// The program asks for "start.WAV" and "shufflecard.WAV" too; its file layer matches names
// without regard to case, so one file serves both spellings.
TEST(Sounds, folder_holds_each_sound_once) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(data_dir() + "/sound"))
        names.insert(entry.path().filename().string());
    std::set<std::string> expected;
    for (const Expected& e : sounds) expected.insert(e.name);
    EXPECT_EQ(names, expected);
}

// [SECTION] Sounds played by the program

// One session that hears every sound the program plays: start-up, the title's Start, the
// about page and its Back, a reading's deck and Back, and the menu's Exit.
TEST(Sounds, program_finds_every_sound_it_plays_under_each_spelling) {
    run_program(data_dir(), [] {
        headless_queue_tap(200, 280); // Start: ico.wav
        headless_queue_tap(110, 245); // about tarot: main.wav
        headless_queue_tap(100, 300); // Back: ico.wav, start.WAV
        headless_queue_tap(115, 178); // love: ico.wav
        headless_queue_tap(120, 220); // the deck: shufflecard.WAV
        headless_queue_tap(10, 300);  // Back: ico.wav, start.WAV
        headless_queue_tap(118, 300); // Exit: end.wav
    });
    EXPECT_EQ(log_lines_with("sound-missing").size(), 0u);
    for (const char* heard :
         {"start.wav", "start.WAV", "ico.wav", "main.wav", "end.wav", "shufflecard.WAV"})
        EXPECT_TRUE(log_has(std::string("sound \\sound\\") + heard)) << heard;
}
