// user_deck_test.cpp -- a user's own deck: quarnel-deck run as a user runs it (import, export,
// texts import, check) and decks played by the headless runner with --deck

#include "test_support.h"
#include "deck.h"
#include "support/picture_files.h"
#include "graphics/graphics.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

// [SECTION] Running the tools

namespace {

struct ToolRun {
    int code = -1; // exit code, or 128 + the signal that ended it
    std::string out, err;
};

// Runs a program with its output caught in files; file_limit > 0 caps the size of any file it
// writes (a full disk), and kill_at_limit lets the system end it there (a crash mid-write).
ToolRun run_tool(const std::string& program, const std::vector<std::string>& args,
                 long file_limit = 0, bool kill_at_limit = false) {
    static int runs = 0;
    const std::string base = make_test_folder("runs") + "/" + std::to_string(runs++);
    const std::string out_path = base + ".out", err_path = base + ".err";
    const pid_t child = fork();
    if (child == 0) {
        std::freopen(out_path.c_str(), "w", stdout);
        std::freopen(err_path.c_str(), "w", stderr);
        if (file_limit > 0) {
            rlimit limit = {rlim_t(file_limit), rlim_t(file_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, kill_at_limit ? SIG_DFL : SIG_IGN);
        }
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = read_test_file(out_path);
    run.err = read_test_file(err_path);
    return run;
}

ToolRun deck_tool(const std::vector<std::string>& args, long file_limit = 0,
                  bool kill_at_limit = false) {
    std::vector<std::string> all = {"--install-dir", data_dir()};
    all.insert(all.end(), args.begin(), args.end());
    return run_tool(QUARNEL_DECK_TOOL, all, file_limit, kill_at_limit);
}

std::vector<uint8_t> file_bytes(const std::string& path) {
    std::string s = read_test_file(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Everything in a folder, hidden files too: nothing may be left behind by a refused import.
std::vector<std::string> folder_listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    return names;
}

// [SECTION] Pictures no one drew for the program

void write_jpeg(const std::string& path, const Image& image, int quality) {
    write_test_file(path, encode_jpeg(image, quality));
}

void write_webp(const std::string& path, const Image& image) {
    write_test_file(path, encode_webp(image));
}

// The colour of a test picture at (u, v), fractions of its width and height: a smooth field
// of two hues per card, like light across a photograph.
void test_colour(int card, double u, double v, uint8_t* rgb) {
    const double phase = card * 0.7;
    rgb[0] = uint8_t(127.5 + 120 * std::sin(phase + 3 * u));
    rgb[1] = uint8_t(127.5 + 120 * std::sin(phase * 1.3 + 2 + 2.5 * v));
    rgb[2] = uint8_t(127.5 + 120 * std::cos(phase * 0.6 + 2 * (u + v)));
}

// A picture of card `card`: the smooth field, with grain on every third card.
Image test_picture(int card, int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(size_t(width) * size_t(height) * 4);
    std::mt19937 random{uint32_t(card)};
    std::uniform_int_distribution<int> grain(-40, 40);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint8_t* p = &image.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
            test_colour(card, (x + 0.5) / width, (y + 0.5) / height, p);
            if (card % 3 == 0)
                for (int c = 0; c < 3; c++)
                    p[c] = uint8_t(std::clamp(p[c] + grain(random), 0, 255));
            p[3] = 255;
        }
    return image;
}

// Sizes from large scans to thumbnails, tall, square and wide; every format gets each size.
const int TEST_SIZES[][2] = {{800, 1342}, {120, 200}, {30, 50},   {640, 640},
                             {900, 400},  {60, 100},  {333, 517}, {12, 20}};

const int* test_size(int frame) {
    return TEST_SIZES[(frame / 3) % (sizeof TEST_SIZES / sizeof TEST_SIZES[0])];
}

// Writes the 79 pictures of a test deck, PNG, JPEG and WebP in turn, in the sizes above.
void write_test_deck(const std::string& folder) {
    for (int frame = 0; frame < CARD_FRAMES; frame++) {
        const int* size = test_size(frame);
        const Image image = test_picture(frame, size[0], size[1]);
        const std::string name = folder + "/" + frame_file_name(frame);
        if (frame % 3 == 0)
            write_test_file(name + ".png", encode_png(image));
        else if (frame % 3 == 1)
            write_jpeg(name + ".jpg", image, 90);
        else
            write_webp(name + ".webp", image);
    }
}

// The deck's frames by the program's picture decoder, and the palette.
struct LoadedDeck {
    std::vector<uint8_t> strip;
    uint8_t palette[256][3];
};

LoadedDeck load_deck(const std::string& card_nbf) {
    LoadedDeck deck;
    Problems problems;
    std::string summary;
    EXPECT_TRUE(
        check_card_sheet(card_nbf, read_test_file(card_nbf), &deck.strip, &summary, &problems))
        << (problems.empty() ? "" : problems[0]);
    headless_reset();
    Palette palette;
    EXPECT_TRUE(load_palette(wide_path(data_dir() + "/picture/main.plf").c_str(), &palette));
    std::memcpy(deck.palette, palette.rgb, sizeof deck.palette);
    return deck;
}

// The mean colour of a block of a frame, through the palette.
void block_mean(const LoadedDeck& deck, int frame, int x0, int y0, int size, double* mean) {
    mean[0] = mean[1] = mean[2] = 0;
    for (int y = y0; y < y0 + size; y++)
        for (int x = x0; x < x0 + size; x++) {
            const uint8_t v =
                deck.strip[size_t(y) * CARD_SHEET_WIDTH + size_t(frame) * CARD_WIDTH + size_t(x)];
            for (int c = 0; c < 3; c++) mean[c] += deck.palette[v][c];
        }
    for (int c = 0; c < 3; c++) mean[c] /= size * size;
}

const std::string& built_in_sheet() {
    static const std::string path = data_dir() + "/picture/card.nbf";
    return path;
}

} // namespace

// [SECTION] Pictures

TEST(DeckPictures, exported_built_in_deck_imports_to_the_same_frames) {
    const std::string folder = make_test_folder("round_trip");
    ToolRun exported = deck_tool({"export", data_dir(), folder + "/pictures"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_TRUE(fs::exists(folder + "/pictures/contact-sheet.png"));
    EXPECT_TRUE(fs::exists(folder + "/pictures/back.png"));
    for (const char* fit : {"crop", "pad"}) {
        const std::string deck = folder + "/deck-" + fit;
        ToolRun imported = deck_tool({"import", "--fit", fit, folder + "/pictures", deck});
        ASSERT_EQ(imported.code, 0) << imported.err;
        EXPECT_EQ(load_deck(deck + "/card.nbf").strip, load_deck(built_in_sheet()).strip) << fit;
    }
    // Without a back picture the installed back is kept.
    fs::rename(folder + "/pictures/back.png", folder + "/back.png");
    ToolRun no_back = deck_tool({"import", folder + "/pictures", folder + "/deck-no-back"});
    ASSERT_EQ(no_back.code, 0) << no_back.err;
    EXPECT_NE(no_back.out.find("78 pictures (78 png), the installed back"), std::string::npos)
        << no_back.out;
    EXPECT_EQ(load_deck(folder + "/deck-no-back/card.nbf").strip,
              load_deck(built_in_sheet()).strip);
    fs::rename(folder + "/back.png", folder + "/pictures/back.png");
    // Exporting the deck folder gives the same pictures again.
    ToolRun again = deck_tool({"export", folder + "/deck-crop", folder + "/again"});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(file_bytes(folder + "/again/33.png"), file_bytes(folder + "/pictures/33.png"));
}

TEST(DeckPictures, photographs_of_any_size_in_three_formats_keep_their_colours_where_they_were) {
    const std::string folder = make_test_folder("foreign");
    write_test_deck(folder + "/pictures");
    ToolRun imported = deck_tool({"import", folder + "/pictures", folder + "/deck"});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_NE(imported.out.find("79 pictures (26 jpg, 27 png, 26 webp), cropped"),
              std::string::npos)
        << imported.out;
    ToolRun checked = deck_tool({"check", folder + "/deck"});
    EXPECT_EQ(checked.code, 0) << checked.err;

    // Each 10 x 10 block keeps the mean colour of the part of the picture it shows. Crop
    // shows the middle of the picture at the card's shape; dithering averages out, and the
    // grain is sampled from the picture as it was made.
    const LoadedDeck deck = load_deck(folder + "/deck/card.nbf");
    double worst = 0;
    int worst_frame = 0;
    for (int frame = 0; frame < CARD_FRAMES; frame++) {
        const int* size = test_size(frame);
        const double scale = std::max(double(CARD_WIDTH) / size[0], double(CARD_HEIGHT) / size[1]);
        const double keep_u = CARD_WIDTH / scale / size[0], keep_v = CARD_HEIGHT / scale / size[1];
        const Image source = test_picture(frame, size[0], size[1]);
        for (int by = 0; by < CARD_HEIGHT; by += 10)
            for (int bx = 0; bx < CARD_WIDTH; bx += 10) {
                double mean[3], expected[3] = {0, 0, 0};
                block_mean(deck, frame, bx, by, 10, mean);
                for (int y = by; y < by + 10; y++)
                    for (int x = bx; x < bx + 10; x++) {
                        const int sx = std::min(
                            size[0] - 1,
                            int(((1 - keep_u) / 2 + keep_u * (x + 0.5) / CARD_WIDTH) * size[0]));
                        const int sy = std::min(
                            size[1] - 1,
                            int(((1 - keep_v) / 2 + keep_v * (y + 0.5) / CARD_HEIGHT) * size[1]));
                        const uint8_t* rgb =
                            &source.pixels[(size_t(sy) * size_t(size[0]) + size_t(sx)) * 4];
                        for (int c = 0; c < 3; c++) expected[c] += rgb[c] / 100.0;
                    }
                for (int c = 0; c < 3; c++)
                    if (std::fabs(mean[c] - expected[c]) > worst) {
                        worst = std::fabs(mean[c] - expected[c]);
                        worst_frame = frame;
                    }
            }
    }
    EXPECT_LT(worst, 24.0) << "frame " << worst_frame;

    // The contact sheet, for a person to look at.
    ToolRun exported = deck_tool({"export", folder + "/deck", folder + "/exported"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_TRUE(fs::exists(folder + "/exported/contact-sheet.png"));
}

TEST(DeckPictures, pad_shows_the_whole_picture_between_black_bars_and_crop_fills_the_card) {
    const std::string folder = make_test_folder("fit");
    ToolRun exported = deck_tool({"export", data_dir(), folder + "/pictures"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    // Card 5 becomes a wide white picture with a red left half: 300 x 100.
    Image wide;
    wide.width = 300;
    wide.height = 100;
    wide.pixels.assign(300 * 100 * 4, 255);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 150; x++)
            wide.pixels[(size_t(y) * 300 + size_t(x)) * 4 + 1] =
                wide.pixels[(size_t(y) * 300 + size_t(x)) * 4 + 2] = 0;
    write_test_file(folder + "/pictures/05.png", encode_png(wide));
    // Card 6 becomes a see-through picture: a card face is opaque, laid over black.
    Image clear = test_picture(6, 120, 200);
    for (size_t i = 3; i < clear.pixels.size(); i += 4) clear.pixels[i] = 0;
    write_test_file(folder + "/pictures/06.png", encode_png(clear));
    for (const char* fit : {"pad", "crop"})
        ASSERT_EQ(
            deck_tool({"import", "--fit", fit, folder + "/pictures", folder + "/" + fit}).code, 0);

    const LoadedDeck pad = load_deck(folder + "/pad/card.nbf");
    double mean[3];
    block_mean(pad, 5, 0, 0, 20, mean); // top bar: 100 x 60 / 300 = 20 rows high, black
    EXPECT_LT(mean[0] + mean[1] + mean[2], 3.0);
    block_mean(pad, 5, 0, 80, 20, mean); // bottom bar
    EXPECT_LT(mean[0] + mean[1] + mean[2], 3.0);
    block_mean(pad, 5, 2, 45, 10, mean); // the red half, left
    EXPECT_GT(mean[0], 200);
    EXPECT_LT(mean[1], 40);
    block_mean(pad, 5, 48, 45, 10, mean); // the white half, right
    EXPECT_GT(mean[1], 200);

    block_mean(pad, 6, 0, 0, 60, mean);
    EXPECT_EQ(mean[0] + mean[1] + mean[2], 0.0);

    const LoadedDeck crop = load_deck(folder + "/crop/card.nbf");
    block_mean(crop, 5, 10, 0, 20, mean); // the middle fifth of the picture: red, then white
    EXPECT_GT(mean[0], 200);
    EXPECT_LT(mean[1], 40);
    block_mean(crop, 5, 31, 80, 20, mean);
    EXPECT_GT(mean[1] + mean[2], 400);
}

TEST(DeckPictures, error_diffusion_keeps_every_8_by_8_block_of_a_gradient_at_its_mean_colour) {
    // A card of smooth gradients across hues, whose colours mostly fall between the palette's:
    // the nearest colour alone is off by up to half a palette step, and diffusing the error
    // to the neighbours brings each small block back to the colour it shows.
    Image card;
    card.width = CARD_WIDTH;
    card.height = CARD_HEIGHT;
    card.pixels.resize(size_t(CARD_WIDTH) * CARD_HEIGHT * 4);
    for (int y = 0; y < CARD_HEIGHT; y++)
        for (int x = 0; x < CARD_WIDTH; x++) {
            uint8_t* p = &card.pixels[(size_t(y) * CARD_WIDTH + size_t(x)) * 4];
            p[0] = uint8_t(30 + 190 * x / (CARD_WIDTH - 1));
            p[1] = uint8_t(50 + 140 * y / (CARD_HEIGHT - 1));
            p[2] = uint8_t(210 - 160 * (x + y) / (CARD_WIDTH + CARD_HEIGHT - 2));
            p[3] = 255;
        }
    const LoadedDeck palette = load_deck(built_in_sheet());
    const std::vector<uint8_t> mapped = dither_to_palette(card, palette.palette);
    double worst = 0;
    for (int by = 0; by + 8 <= CARD_HEIGHT; by += 8)
        for (int bx = 0; bx + 8 <= CARD_WIDTH; bx += 8)
            for (int c = 0; c < 3; c++) {
                double source = 0, shown = 0;
                for (int y = by; y < by + 8; y++)
                    for (int x = bx; x < bx + 8; x++) {
                        const size_t at = size_t(y) * CARD_WIDTH + size_t(x);
                        source += card.pixels[at * 4 + size_t(c)];
                        shown += palette.palette[mapped[at]][c];
                    }
                worst = std::max(worst, std::fabs(source - shown) / 64);
            }
    EXPECT_LT(worst, 4.0) << "levels between a block's mean colour and the source's";
}

// [SECTION] Refusals: named, all at once, nothing written

TEST(DeckRefusals, every_fault_of_a_pictures_folder_is_named_at_once_and_nothing_is_written) {
    const std::string folder = make_test_folder("faults");
    const std::string pictures = folder + "/pictures";
    ASSERT_EQ(deck_tool({"export", data_dir(), pictures}).code, 0);
    fs::remove(pictures + "/17.png");                             // missing
    fs::copy_file(pictures + "/00.png", pictures + "/78.png");    // extra
    fs::copy_file(pictures + "/00.png", pictures + "/3.png");     // misnamed
    fs::copy_file(pictures + "/00.png", pictures + "/notes.txt"); // not a picture name
    std::vector<uint8_t> png = file_bytes(pictures + "/05.png");
    png.resize(png.size() / 2);
    write_test_file(pictures + "/05.png", png);                            // corrupt PNG
    write_test_file(pictures + "/06.png", std::vector<uint8_t>());         // zero bytes
    write_test_file(pictures + "/07.png", std::string("not a picture\n")); // not a picture
    Image empty_jpeg = test_picture(8, 8, 8);
    write_jpeg(pictures + "/08.jpg", empty_jpeg, 50);
    fs::remove(pictures + "/08.png"); // fine on its own: a JPEG in place of a PNG
    fs::copy_file(pictures + "/09.png", pictures + "/09.webp"); // a PNG named .webp is fine,
    fs::remove(pictures + "/09.png");                           // told by its bytes
    fs::copy_file(pictures + "/10.png", pictures + "/10.jpg");  // two pictures for 10
    const std::vector<std::string> before = folder_listing(folder);

    ToolRun run = deck_tool({"import", pictures, folder + "/deck"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    for (const std::string& expected : std::vector<std::string>{
             pictures + ": missing 17 ", pictures + "/78.png: not a card's name",
             pictures + "/3.png: not a card's name (two digits: 03.png)",
             pictures + "/notes.txt: not a card's name", pictures + "/05.png is a damaged PNG",
             pictures + "/06.png is empty (0 bytes)",
             pictures + "/07.png is not a PNG, JPEG or WebP picture", "a second picture for 10",
             "nothing written"})
        EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
    EXPECT_EQ(run.err.find("08.jpg"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("09.webp"), std::string::npos) << run.err;
    EXPECT_EQ(folder_listing(folder), before) << "no deck, no temporary files";
}

TEST(DeckRefusals, an_unwritable_or_interrupted_output_leaves_no_deck_and_keeps_the_old_one) {
    const std::string folder = make_test_folder("writes");
    const std::string pictures = folder + "/pictures";
    ASSERT_EQ(deck_tool({"export", data_dir(), pictures}).code, 0);
    write_test_file(folder + "/file", std::string("a file where a folder should be\n"));

    // Under a file, and a file in the deck's place.
    ToolRun under = deck_tool({"import", pictures, folder + "/file/deck"});
    EXPECT_EQ(under.code, 1);
    EXPECT_NE(under.err.find("cannot write in " + folder + "/file"), std::string::npos)
        << under.err;
    ToolRun on_file = deck_tool({"import", pictures, folder + "/file"});
    EXPECT_EQ(on_file.code, 1);
    EXPECT_NE(on_file.err.find(folder + "/file is a file, not a folder"), std::string::npos);

    // A folder the user may not write in (root may write anywhere).
    if (geteuid() != 0) {
        fs::create_directories(folder + "/locked");
        fs::permissions(folder + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
        ToolRun locked = deck_tool({"import", pictures, folder + "/locked/deck"});
        EXPECT_EQ(locked.code, 1);
        EXPECT_NE(locked.err.find("Permission denied"), std::string::npos) << locked.err;
        fs::permissions(folder + "/locked", fs::perms::owner_all);
    }

    // The disk fills up 100,000 bytes into the card sheet (about 200,000 bytes): the tool says
    // so and removes its temporary folder; killed there, it leaves no deck folder.
    const std::vector<std::string> before = folder_listing(folder);
    ToolRun full = deck_tool({"import", pictures, folder + "/deck"}, 100000);
    EXPECT_EQ(full.code, 1);
    EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
    EXPECT_EQ(folder_listing(folder), before);
    ToolRun killed = deck_tool({"import", pictures, folder + "/deck"}, 100000, true);
    EXPECT_EQ(killed.code, 128 + SIGXFSZ);
    EXPECT_FALSE(fs::exists(folder + "/deck"));

    // An existing deck keeps its old card.nbf whole when a new one cannot be written.
    fs::create_directories(folder + "/kept");
    fs::copy_file(built_in_sheet(), folder + "/kept/card.nbf");
    write_test_file(pictures + "/00.png", encode_png(test_picture(0, 60, 100)));
    ToolRun replaced = deck_tool({"import", pictures, folder + "/kept"}, 100000);
    EXPECT_EQ(replaced.code, 1);
    EXPECT_EQ(file_bytes(folder + "/kept/card.nbf"), file_bytes(built_in_sheet()));
    EXPECT_EQ(folder_listing(folder + "/kept"),
              std::vector<std::string>{folder + "/kept/card.nbf"});
    // Without the limit it is replaced.
    ASSERT_EQ(deck_tool({"import", pictures, folder + "/kept"}).code, 0);
    EXPECT_NE(file_bytes(folder + "/kept/card.nbf"), file_bytes(built_in_sheet()));
}

TEST(DeckRefusals, check_names_a_damaged_sheet_and_a_sheet_of_the_wrong_shape) {
    const std::string folder = make_test_folder("check");
    std::vector<uint8_t> sheet = file_bytes(built_in_sheet());
    sheet.resize(sheet.size() - 1000);
    write_test_file(folder + "/cut/card.nbf", sheet);
    ToolRun cut = deck_tool({"check", folder + "/cut"});
    EXPECT_EQ(cut.code, 1);
    EXPECT_NE(cut.err.find("card.nbf ends after"), std::string::npos) << cut.err;

    write_test_file(folder + "/shape/card.nbf", file_bytes(data_dir() + "/picture/font.nbf"));
    ToolRun shape = deck_tool({"check", folder + "/shape"});
    EXPECT_EQ(shape.code, 1);
    EXPECT_NE(shape.err.find("a deck is 79 frames of 60 x 100"), std::string::npos) << shape.err;

    fs::create_directories(folder + "/empty");
    ToolRun empty = deck_tool({"check", folder + "/empty"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("neither card.nbf nor CardDB.dat"), std::string::npos);
    EXPECT_EQ(deck_tool({"check", data_dir() + "/picture"}).code, 0);
    EXPECT_EQ(deck_tool({"import", folder}).code, 2) << "a missing folder argument";
}

// [SECTION] Card texts

namespace {

// The built-in card texts as one file, with `edit` applied.
std::string card_texts(const std::string& folder) {
    std::string all;
    for (const char* name : {"major", "wands", "cups", "swords", "pentacles"})
        all +=
            read_test_file(std::string(QUARNEL_SOURCE_DIR) + "/tools/card_texts/" + name + ".txt");
    write_test_file(folder + "/texts.txt", all);
    return all;
}

int line_of(const std::string& text, const std::string& what) {
    const size_t at = text.find(what);
    return at == std::string::npos
               ? -1
               : int(std::count(text.begin(), text.begin() + long(at), '\n')) + 1;
}

void replace_once(std::string* text, const std::string& from, const std::string& to) {
    const size_t at = text->find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text->replace(at, from.size(), to);
}

} // namespace

TEST(DeckTexts, built_in_texts_import_to_the_installed_file_and_the_folder_form_too) {
    const std::string folder = make_test_folder("texts");
    card_texts(folder);
    ToolRun one_file = deck_tool({"texts", "import", folder + "/texts.txt", folder + "/deck"});
    ASSERT_EQ(one_file.code, 0) << one_file.err;
    EXPECT_EQ(file_bytes(folder + "/deck/CardDB.dat"),
              file_bytes(data_dir() + "/picture/CardDB.dat"));
    ToolRun from_folder = deck_tool(
        {"texts", "import", std::string(QUARNEL_SOURCE_DIR) + "/tools/card_texts", folder + "/d2"});
    ASSERT_EQ(from_folder.code, 0) << from_folder.err;
    EXPECT_EQ(file_bytes(folder + "/d2/CardDB.dat"),
              file_bytes(data_dir() + "/picture/CardDB.dat"));
}

TEST(DeckTexts, each_fault_is_named_by_file_line_and_card_and_nothing_is_written) {
    const std::string folder = make_test_folder("text_faults");
    std::string text = card_texts(folder);
    // A word too long: in the Magician's upright text.
    replace_once(&text, "skill, will, tools", "skill, will, extraordinarilyresourceful tools");
    // A record too long: the Empress, upright, three times over.
    const size_t empress = text.find("The Empress, upright. ");
    const size_t empress_end = text.find('\n', empress);
    const std::string empress_text = text.substr(empress, empress_end - empress);
    text.insert(empress_end, "\n" + empress_text + "\n" + empress_text);
    // A missing reversed text: the Hierophant's.
    const size_t hierophant = text.find("== 5 The Hierophant, reversed");
    text.erase(hierophant, text.find("== 6 ", hierophant) - hierophant);
    // A card given twice: the Lovers, upright, again at the end.
    text += "\n== 6 The Lovers, upright\nThe Lovers again.\n";
    // A letter Windows-1252 lacks (a curly quote it has).
    replace_once(&text, "Everything you need", "Everything you\xE2\x80\x99ll need \xC5\x91");
    write_test_file(folder + "/texts.txt", text);
    const std::string file = folder + "/texts.txt";

    ToolRun run = deck_tool({"texts", "import", file, folder + "/deck"});
    EXPECT_EQ(run.code, 1);
    const int lovers_again = line_of(text, "The Lovers again.") - 1;
    const std::string first =
        file + ":" + std::to_string(line_of(text, "== 6 The Lovers, upright"));
    for (const std::string& expected : std::vector<std::string>{
             file + ":" + std::to_string(line_of(text, "\xC5\x91")) +
                 ": card 1 upright: character \"\xC5\x91\" (U+0151) is not in Windows-1252",
             file + ":" + std::to_string(lovers_again) +
                 ": card 6 upright is given twice (first at " + first.substr(0) + ")",
             file + ":" + std::to_string(line_of(text, "== 5 The Hierophant, upright")) +
                 ": card 5 reversed: no text (card 5 upright is here)"})
        EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
    EXPECT_FALSE(fs::exists(folder + "/deck"));

    // With the file's own faults mended, the layout's faults show: by card and line.
    replace_once(&text, "Everything you\xE2\x80\x99ll need \xC5\x91", "Everything you need");
    text.erase(text.rfind("\n== 6 The Lovers, upright"));
    text += "\n== 5 The Hierophant, reversed\nDoubt.\n";
    write_test_file(file, text);
    run = deck_tool({"texts", "import", file, folder + "/deck"});
    EXPECT_EQ(run.code, 1);
    for (const std::string& expected : std::vector<std::string>{
             file + ":" + std::to_string(line_of(text, "extraordinarilyresourceful")) +
                 ": card 1 upright (The Magician): the word \"extraordinarilyresourceful\" is "
                 "longer than a row",
             file + ":" + std::to_string(line_of(text, "== 3 The Empress, upright")) +
                 ": card 3 upright (The Empress): is "})
        EXPECT_NE(run.err.find(expected), std::string::npos) << expected << "\n" << run.err;
    EXPECT_NE(run.err.find("a card's text holds at most 699"), std::string::npos);
    EXPECT_EQ(run.err.find("card 5 reversed"), std::string::npos) << "its text is there now";
    EXPECT_FALSE(fs::exists(folder + "/deck"));
}

TEST(DeckTexts, a_text_without_its_final_period_is_refused_because_the_program_would_cut_it) {
    const std::string folder = make_test_folder("period");
    std::string text = card_texts(folder);
    replace_once(&text, "Take the first honest step, and keep your eyes open as you walk.",
                 "Take the first honest step, and keep your eyes open as you walk");
    write_test_file(folder + "/texts.txt", text);
    ToolRun run = deck_tool({"texts", "import", folder + "/texts.txt", folder + "/deck"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("card 0 upright (The Fool): must end with a period"), std::string::npos)
        << run.err;
}

// [SECTION] Playing a deck

namespace {

// A deck whose every card is one flat colour of the palette, a different one each.
std::vector<int> write_flat_deck(const std::string& pictures, const LoadedDeck& palette_source) {
    std::vector<int> indices;
    for (int frame = 0; frame < CARD_FRAMES; frame++) {
        const int index = 1 + frame * 3; // distinct colours of the cube and the greys
        indices.push_back(index);
        Image image;
        image.width = 90;
        image.height = 150;
        image.pixels.resize(size_t(90) * 150 * 4);
        for (size_t i = 0; i < image.pixels.size(); i += 4) {
            std::memcpy(&image.pixels[i], palette_source.palette[index], 3);
            image.pixels[i + 3] = 255;
        }
        write_test_file(pictures + "/" + frame_file_name(frame) + ".png", encode_png(image));
    }
    return indices;
}

// Pixels of the shot of each frame's flat colour (as the 5-6-5 display shows it).
std::vector<int> colour_counts(const std::string& shot, const LoadedDeck& deck,
                               const std::vector<int>& indices) {
    Image image;
    std::string error;
    EXPECT_TRUE(read_image(shot, 1, 1, &image, &error)) << shot << " " << error;
    std::vector<int> counts(indices.size(), 0);
    for (size_t f = 0; f < indices.size(); f++) {
        const uint8_t* c = deck.palette[indices[f]];
        const uint8_t r = c[0] & 0xF8, g = c[1] & 0xFC, b = c[2] & 0xF8;
        const uint8_t want[3] = {uint8_t(r | r >> 5), uint8_t(g | g >> 6), uint8_t(b | b >> 5)};
        for (size_t i = 0; i < image.pixels.size(); i += size_t(image.channels))
            counts[f] += std::memcmp(&image.pixels[i], want, 3) == 0;
    }
    return counts;
}

std::vector<std::string> log_events(const std::string& log, const std::string& kind) {
    std::vector<std::string> out;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string event = line.substr(line.find(' ') + 1);
        if (event.compare(0, kind.size(), kind) == 0) out.push_back(event);
    }
    return out;
}

} // namespace

TEST(DeckPlaying, runner_with_deck_shows_the_imported_faces_and_the_installed_rest) {
    const std::string folder = make_test_folder("play");
    const LoadedDeck palette_source = load_deck(built_in_sheet());
    const std::vector<int> indices = write_flat_deck(folder + "/pictures", palette_source);
    ASSERT_EQ(deck_tool({"import", folder + "/pictures", folder + "/deck"}).code, 0);

    ToolRun installed = run_tool(QUARNEL_HEADLESS_TOOL, {"--install-dir", data_dir(), "--demo",
                                                         "--shots", folder + "/installed"});
    ToolRun with_deck =
        run_tool(QUARNEL_HEADLESS_TOOL, {"--install-dir", data_dir(), "--deck", folder + "/deck",
                                         "--demo", "--shots", folder + "/with-deck"});
    ASSERT_EQ(installed.code, 0) << installed.err;
    ASSERT_EQ(with_deck.code, 0) << with_deck.err;
    EXPECT_TRUE(log_events(with_deck.out, "message").empty()) << with_deck.out;
    EXPECT_EQ(log_events(with_deck.out, "screen"), log_events(installed.out, "screen"));
    EXPECT_EQ(log_events(with_deck.out, "sound"), log_events(installed.out, "sound"));

    // Before any card is turned the screens are the installed ones; the first turned card
    // fills its enlarged place with its flat colour, 60 x 100 of one deck colour.
    EXPECT_EQ(file_bytes(folder + "/with-deck/04-shuffled.png"),
              file_bytes(folder + "/installed/04-shuffled.png"));
    const std::vector<int> counts =
        colour_counts(folder + "/with-deck/06-first-card.png", palette_source, indices);
    const std::vector<int> baseline =
        colour_counts(folder + "/installed/06-first-card.png", palette_source, indices);
    int faces_shown = 0;
    for (size_t f = 0; f < counts.size(); f++)
        if (counts[f] - baseline[f] >= CARD_WIDTH * CARD_HEIGHT) faces_shown++;
    EXPECT_EQ(faces_shown, 1) << "the enlarged first card, in its deck colour";
}

TEST(DeckPlaying, a_texts_only_deck_and_a_damaged_deck_file_behave_like_the_installed_files) {
    const std::string folder = make_test_folder("play_texts");
    std::string text = card_texts(folder);
    // Every text now reads the same short sentence.
    std::string changed;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        changed += (line.compare(0, 3, "== ") == 0 || line.empty() || line[0] == '#')
                       ? line + "\n"
                       : "A reading from a deck of your own.\n";
    write_test_file(folder + "/texts.txt", changed);
    ASSERT_EQ(deck_tool({"texts", "import", folder + "/texts.txt", folder + "/texts"}).code, 0);
    ToolRun installed = run_tool(QUARNEL_HEADLESS_TOOL,
                                 {"--install-dir", data_dir(), "--demo", "--shots", folder + "/a"});
    ToolRun texts =
        run_tool(QUARNEL_HEADLESS_TOOL, {"--install-dir", data_dir(), "--deck", folder + "/texts",
                                         "--demo", "--shots", folder + "/b"});
    ASSERT_EQ(texts.code, 0) << texts.err;
    EXPECT_EQ(file_bytes(folder + "/a/05-table.png"), file_bytes(folder + "/b/05-table.png"));
    EXPECT_NE(file_bytes(folder + "/a/06-first-card.png"),
              file_bytes(folder + "/b/06-first-card.png"))
        << "the meaning's rows differ";

    // A damaged card.nbf in the deck: the same messages and end as the same damage installed.
    const std::string damaged = copy_install_folder("damaged");
    std::vector<uint8_t> sheet = file_bytes(built_in_sheet());
    sheet[4] = 0xFF; // a width far beyond the card sheet's capacity
    write_test_file(damaged + "/picture/card.nbf", sheet);
    write_test_file(folder + "/bad/card.nbf", sheet);
    ToolRun from_install = run_tool(QUARNEL_HEADLESS_TOOL,
                                    {"--install-dir", damaged, "--demo", "--shots", folder + "/c"});
    ToolRun from_deck =
        run_tool(QUARNEL_HEADLESS_TOOL, {"--install-dir", data_dir(), "--deck", folder + "/bad",
                                         "--demo", "--shots", folder + "/d"});
    EXPECT_FALSE(log_events(from_deck.out, "message").empty());
    EXPECT_EQ(log_events(from_deck.out, "message"), log_events(from_install.out, "message"));
    EXPECT_EQ(from_deck.code, from_install.code);

    // A folder with neither file is refused before anything runs.
    fs::create_directories(folder + "/nothing");
    ToolRun nothing = run_tool(QUARNEL_HEADLESS_TOOL, {"--install-dir", data_dir(), "--deck",
                                                       folder + "/nothing", "--demo"});
    EXPECT_EQ(nothing.code, 2);
    EXPECT_NE(nothing.err.find("no folder with card.nbf or CardDB.dat"), std::string::npos);
    EXPECT_EQ(nothing.out, "");
}

namespace {

// The shots of a love reading and a one-card reading, each at its first turned card, played
// with the install folder's texts or with those of a deck folder.
std::vector<Image> first_meanings(const std::string& folder, const std::string& deck) {
    write_test_file(folder + "/meanings.script", std::string("key enter\nkey 4\nkey space\n"
                                                             "key enter\nkey 1\nshot love\n"
                                                             "key escape\nkey 1\nkey space\n"
                                                             "key enter\nkey 1\nshot one\n"));
    std::vector<std::string> args = {
        "--install-dir", data_dir(), "--script", folder + "/meanings.script", "--shots", folder};
    if (!deck.empty()) args.insert(args.end(), {"--deck", deck});
    EXPECT_EQ(run_tool(QUARNEL_HEADLESS_TOOL, args).code, 0);
    std::vector<Image> shots(2);
    std::string error;
    for (int i = 0; i < 2; i++)
        EXPECT_TRUE(
            read_image(folder + (i ? "/one.png" : "/love.png"), 1, 1, &shots[size_t(i)], &error))
            << error;
    return shots;
}

// The pixels of a shot right of the meaning window, along the scroll ball's track (inside: 1)
// or everywhere else (inside: 0).
std::vector<uint8_t> track(const Image& shot, bool inside) {
    std::vector<uint8_t> out;
    for (int y = 0; y < shot.height; y++)
        for (int x = 0; x < shot.width; x++)
            if ((x >= BALL_X && y >= BALL_TOP && y < BALL_TOP + BALL_TRAVEL) == inside)
                for (int c = 0; c < shot.channels; c++)
                    out.push_back(shot.pixels[(size_t(y) * size_t(shot.width) + size_t(x)) *
                                                  size_t(shot.channels) +
                                              size_t(c)]);
    return out;
}

} // namespace

TEST(DeckPlaying,
     a_meaning_of_eight_rows_fits_its_window_without_a_scroll_ball_and_nine_rows_get_one) {
    // Decks whose every text is eight rows (SHORT_TEXT_MAX laid out bytes: the window's
    // eight rows) or nine; the installed texts are all longer.
    const std::string folder = make_test_folder("scroll_ball");
    std::vector<std::vector<Image>> runs;
    for (int rows : {8, 9}) {
        std::vector<CardText> records(DEALT_VALUES);
        for (CardText& record : records) record.text = full_rows(rows);
        const std::string deck = folder + "/rows" + std::to_string(rows);
        write_test_file(deck + "/CardDB.dat", encode_card_db(records));
        runs.push_back(first_meanings(folder + "/shots" + std::to_string(rows), deck));
    }
    const std::vector<Image> installed = first_meanings(folder + "/installed", "");
    for (int reading = 0; reading < 2; reading++) {
        SCOPED_TRACE(reading ? "one-card reading" : "love reading");
        const Image &eight = runs[0][size_t(reading)], &nine = runs[1][size_t(reading)];
        EXPECT_EQ(track(nine, true), track(installed[size_t(reading)], true))
            << "nine rows: the ball at the top of its track";
        EXPECT_NE(track(eight, true), track(nine, true)) << "eight rows: no ball";
        EXPECT_EQ(track(eight, false), track(nine, false)) << "the same rows on view";
    }
}
