// sounds.cpp -- the program's sounds: chimes, a bell, a tap and a card riffle, synthesised
// and written as 16-bit mono PCM WAV files

#include "gen.h"

#include <cmath>
#include <cstdio>

// [SECTION] Sample buffer and WAV file

namespace {

const int sample_rate = 22050;
const double pi = 3.14159265358979323846;
// Every sound is scaled so its loudest sample sits at -12 dBFS.
const double peak_dbfs = -12.0;

struct Sound {
    std::vector<double> samples; // -1 .. 1 before scaling
};

Sound make_sound(double seconds) {
    Sound s;
    s.samples.assign(static_cast<size_t>(std::lround(seconds * sample_rate)), 0.0);
    return s;
}

void put_tag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// Fades the first and last few milliseconds to silence, scales the peak to peak_dbfs and
// writes a canonical 44-byte-header PCM file. Returns 1/0.
int write_wav(const std::string& path, Sound s, double fade_in_ms, double fade_out_ms) {
    size_t n = s.samples.size();
    if (n == 0) return 0;
    size_t fade_in = static_cast<size_t>(fade_in_ms * sample_rate / 1000.0);
    size_t fade_out = static_cast<size_t>(fade_out_ms * sample_rate / 1000.0);
    for (size_t i = 0; i < fade_in && i < n; ++i)
        s.samples[i] *= 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / fade_in);
    for (size_t i = 0; i < fade_out && i < n; ++i)
        s.samples[n - 1 - i] *= 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / fade_out);

    double peak = 0.0;
    for (double v : s.samples) peak = std::fmax(peak, std::fabs(v));
    if (peak <= 0.0) return 0;
    double gain = std::pow(10.0, peak_dbfs / 20.0) * 32767.0 / peak;

    uint32_t data_bytes = static_cast<uint32_t>(n * 2);
    std::vector<uint8_t> out;
    put_tag(out, "RIFF");
    put_u32le(out, 36 + data_bytes);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32le(out, 16);              // format block size
    put_u16le(out, 1);               // PCM
    put_u16le(out, 1);               // mono
    put_u32le(out, sample_rate);     // samples per second
    put_u32le(out, sample_rate * 2); // bytes per second
    put_u16le(out, 2);               // bytes per sample frame
    put_u16le(out, 16);              // bits per sample
    put_tag(out, "data");
    put_u32le(out, data_bytes);
    for (double v : s.samples) {
        long q = std::lround(v * gain);
        if (q > 32767) q = 32767;
        if (q < -32768) q = -32768;
        put_u16le(out, static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(q))));
    }
    return write_bytes(path, out);
}

// [SECTION] Voices

// A struck metal tone from `start` seconds: a few partials, each decaying exponentially
// (time constant in seconds), the higher ones faster; a 3 ms attack keeps the strike soft.
struct Partial {
    double ratio;     // frequency relative to the note
    double amplitude; // relative to the first partial
    double decay;     // time constant relative to the note's
};

void add_struck(Sound& s, double start, double frequency, double amplitude, double decay,
                const std::vector<Partial>& partials) {
    size_t first = static_cast<size_t>(start * sample_rate);
    const double attack = 0.003;
    for (size_t i = first; i < s.samples.size(); ++i) {
        double t = static_cast<double>(i - first) / sample_rate;
        double envelope = t < attack ? t / attack : 1.0;
        double v = 0.0;
        for (const Partial& p : partials)
            v += p.amplitude * std::exp(-t / (decay * p.decay)) *
                 std::sin(2.0 * pi * frequency * p.ratio * t);
        s.samples[i] += amplitude * envelope * v;
    }
}

// A glassy chime: nearly harmonic, with a faint inharmonic shimmer.
const std::vector<Partial> chime = {
    {1.0, 1.0, 1.0}, {2.0, 0.30, 0.55}, {3.01, 0.10, 0.35}, {4.17, 0.05, 0.25}};

// A small hand bell: the hum, prime, minor third, fifth and nominal of a tuned bell.
const std::vector<Partial> bell = {{0.5, 0.35, 1.4},  {1.0, 1.0, 1.0},   {1.19, 0.45, 0.8},
                                   {1.5, 0.30, 0.6},  {2.0, 0.40, 0.55}, {2.52, 0.18, 0.4},
                                   {3.03, 0.10, 0.3}, {4.07, 0.06, 0.22}};

// A small pseudo-random generator (xorshift), so the noise is the same on every run.
struct Noise {
    uint32_t state;
};

double next_noise(Noise& n) {
    n.state ^= n.state << 13;
    n.state ^= n.state >> 17;
    n.state ^= n.state << 5;
    return static_cast<double>(n.state) / 2147483648.0 - 1.0;
}

// One short snap of band-limited noise from `start`: a sharp rise, then an exponential
// decay with the given time constant; `brightness` (0..1) sets the low-pass.
void add_snap(Sound& s, Noise& noise, double start, double amplitude, double decay,
              double brightness) {
    size_t first = static_cast<size_t>(start * sample_rate);
    size_t length = static_cast<size_t>(decay * 6.0 * sample_rate);
    double low = 0.0;  // one-pole low-pass state
    double high = 0.0; // previous low-passed sample, for the high-pass
    for (size_t k = 0; k < length && first + k < s.samples.size(); ++k) {
        double t = static_cast<double>(k) / sample_rate;
        double envelope = (t < 0.0008 ? t / 0.0008 : 1.0) * std::exp(-t / decay);
        double x = next_noise(noise);
        low += brightness * (x - low);
        double band = low - high; // removes the rumble below a few hundred hertz
        high += 0.08 * (low - high);
        s.samples[first + k] += amplitude * envelope * band;
    }
}

// [SECTION] The sounds

// Opening chime: a rising C major arpeggio that rings into one chord (0.8 s).
Sound start_sound() {
    Sound s = make_sound(0.8);
    const double notes[4] = {523.25, 659.26, 783.99, 1046.50};
    for (int i = 0; i < 4; ++i) add_struck(s, 0.09 * i, notes[i], 1.0 - 0.12 * i, 0.22, chime);
    return s;
}

// A soft tap: a muted wooden knock, low and very short (60 ms).
Sound ico_sound() {
    Sound s = make_sound(0.06);
    add_struck(s, 0.0, 1250.0, 1.0, 0.012, {{1.0, 1.0, 1.0}, {2.3, 0.3, 0.5}});
    Noise noise = {0x1234567u};
    add_snap(s, noise, 0.0, 0.35, 0.004, 0.5);
    return s;
}

// Closing chime: a falling arpeggio that settles on a low octave (1 s).
Sound end_sound() {
    Sound s = make_sound(1.0);
    const double notes[4] = {1046.50, 783.99, 659.26, 523.25};
    for (int i = 0; i < 4; ++i) add_struck(s, 0.1 * i, notes[i], 0.7 + 0.1 * i, 0.3, chime);
    add_struck(s, 0.3, 261.63, 0.6, 0.4, chime);
    return s;
}

// A small bell struck once (1 s).
Sound main_sound() {
    Sound s = make_sound(1.0);
    add_struck(s, 0.0, 880.0, 1.0, 0.35, bell);
    return s;
}

// A card riffle: a quick run of paper snaps that speeds up and fades (0.4 s).
Sound shufflecard_sound() {
    Sound s = make_sound(0.4);
    Noise noise = {0x9E3779B9u};
    double t = 0.004;
    while (t < 0.36) {
        double progress = t / 0.36;
        double swell = std::sin(pi * std::fmin(1.0, 0.15 + progress)); // rises, then falls
        double jitter = 0.5 + 0.5 * (next_noise(noise) + 1.0) / 2.0;
        add_snap(s, noise, t, (0.5 + 0.5 * swell) * jitter, 0.0035, 0.55 + 0.2 * jitter);
        t += 0.028 - 0.014 * progress + 0.004 * next_noise(noise);
    }
    add_snap(s, noise, 0.365, 0.8, 0.006, 0.4); // the deck settles
    return s;
}

} // namespace

// [SECTION] Writing

int write_sounds(const std::string& sound_dir) {
    struct Named {
        const char* name;
        Sound sound;
        double fade_out_ms;
    };
    const Named sounds[] = {
        {"start.wav", start_sound(), 150.0},
        {"ico.wav", ico_sound(), 8.0},
        {"end.wav", end_sound(), 250.0},
        {"main.wav", main_sound(), 150.0},
        {"shufflecard.wav", shufflecard_sound(), 20.0},
    };
    for (const Named& n : sounds) {
        if (!write_wav(sound_dir + "/" + n.name, n.sound, 2.0, n.fade_out_ms)) {
            std::fprintf(stderr, "quarnel-gen: cannot write sound %s\n", n.name);
            return 0;
        }
    }
    return 1;
}
