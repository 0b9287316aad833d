// main.cpp -- quarnel-deck: the commands import, export, texts import and check

#include "deck.h"
#include "graphics/graphics.h"
#include "platform/common/common.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

// [SECTION] Options

namespace {

const int EXIT_PROBLEMS = 1; // the input or output has faults; nothing was written
const int EXIT_USAGE = 2;    // the command line is wrong

// "00 to 77": the names of the card faces' pictures.
std::string face_names() {
    return frame_file_name(0) + " to " + frame_file_name(CARD_BACK - 1);
}

std::string usage() {
    return "usage: quarnel-deck [--install-dir DIR] COMMAND ...\n"
           "  import [--fit crop|pad] PICTURES_DIR DECK_DIR\n"
           "      make DECK_DIR/card.nbf from " +
           std::to_string(CARD_COUNT) + " pictures named " + face_names() +
           " and a back (without\n"
           "      one, the installed back is kept)\n"
           "      (.png, .jpg, .jpeg or .webp, any size); crop (default) fills the card and\n"
           "      cuts the overhang, pad shows the whole picture between black bars\n"
           "  export INSTALL_OR_DECK_DIR OUT_DIR\n"
           "      write the " +
           std::to_string(CARD_FRAMES) +
           " card pictures as PNG files and contact-sheet.png into OUT_DIR\n"
           "  texts import TEXT_FILE_OR_DIR DECK_DIR\n"
           "      make DECK_DIR/CardDB.dat from card texts (\"== N Name, upright\" headings) in\n"
           "      UTF-8, in any of the program's languages (glossary.txt of a folder is skipped)\n"
           "  check DECK_DIR\n"
           "      check a deck's card.nbf and CardDB.dat by the program's own rules\n"
           "  --install-dir DIR  the program's install folder, for its palette and font "
           "(default:\n"
           "                     QUARNEL_INSTALL_DIR, else the one installed beside this tool)\n"
           "Exit code: 0 done, 1 problems found (each named; nothing written), 2 bad command "
           "line.\n";
}

struct Options {
    std::string install_dir;
    FitMode fit = fit_crop;
    std::vector<std::string> words; // the command and its folders
};

int usage_error(const std::string& what) {
    std::fprintf(stderr, "quarnel-deck: %s\n%s", what.c_str(), usage().c_str());
    return 0;
}

bool is_folder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// The install folder the way the desktop program finds its own.
std::string default_install_dir() {
    const char* variable = std::getenv("QUARNEL_INSTALL_DIR");
    if (variable && is_folder(variable)) return variable;
    const std::string installed = executable_folder() + "/../share/quarnel";
    if (is_folder(installed)) return installed;
#ifdef QUARNEL_DATA_DIR
    if (is_folder(QUARNEL_DATA_DIR)) return QUARNEL_DATA_DIR;
#endif
    return "";
}

int parse_options(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; i++) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            std::fputs(usage().c_str(), stdout);
            std::exit(0);
        } else if (word == "--install-dir" || word == "--fit") {
            if (i + 1 >= argc) return usage_error(word + " needs a value");
            const std::string value = argv[++i];
            if (word == "--install-dir") {
                options->install_dir = value;
            } else if (value == "crop" || value == "pad") {
                options->fit = value == "crop" ? fit_crop : fit_pad;
            } else {
                return usage_error("--fit must be crop or pad");
            }
        } else if (word.compare(0, 2, "--") == 0) {
            return usage_error("unknown option " + word);
        } else {
            options->words.push_back(word);
        }
    }
    if (options->install_dir.empty()) options->install_dir = default_install_dir();
    return 1;
}

// Prints the problems and says nothing was written; returns the exit code for them.
int report(const Problems& problems, const char* what) {
    std::fprintf(stderr, "quarnel-deck: %s: %zu problem%s, nothing written\n", what,
                 problems.size(), problems.size() == 1 ? "" : "s");
    for (const std::string& problem : problems) std::fprintf(stderr, "  %s\n", problem.c_str());
    return EXIT_PROBLEMS;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return s;
}

// A file of the folder named `name` in any case, as the program would open it; "" for none.
std::string find_in_folder(const std::string& folder, const std::string& name) {
    std::error_code error;
    if (fs::is_regular_file(folder + "/" + name, error)) return folder + "/" + name;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (lower(entry.path().filename().string()) == lower(name) && entry.is_regular_file(error))
            return entry.path().string();
    return "";
}

// [SECTION] The program's palette and font, from the install folder

struct InstallFiles {
    uint8_t palette[256][3] = {};
    std::vector<uint8_t> font; // the glyph strip's indices; empty without a font
    int font_width = 0;
};

// Reads main.plf (and font.nbf when there) of the install folder's picture folder; the font
// through the program's own decoder. 0 with a problem when the palette cannot be had.
int load_install_files(const std::string& install_dir, InstallFiles* files, Problems* problems) {
    std::error_code error;
    const std::string folder =
        install_dir.empty() ? "" : fs::absolute(install_dir, error).lexically_normal().string();
    const std::string plf =
        is_folder(folder + "/picture") ? find_in_folder(folder + "/picture", "main.plf") : "";
    if (install_dir.empty() || plf.empty()) {
        problems->push_back("no palette: the program's install folder" +
                            (install_dir.empty() ? std::string() : " " + install_dir) +
                            " has no picture/main.plf (give it with --install-dir)");
        return 0;
    }
    std::string bytes, why;
    if (!read_whole_file(plf, &bytes, &why)) {
        problems->push_back(plf + " " + why);
        return 0;
    }
    // The palette file is the palette's red, green and blue bytes as they are; the program
    // reads what there is of them.
    std::memcpy(files->palette, bytes.data(), std::min(bytes.size(), sizeof files->palette));

    const std::string font = find_in_folder(folder + "/picture", "font.nbf");
    if (!font.empty() && read_whole_file(font, &bytes, &why)) {
        Picture picture;
        init_picture(&picture, FONT_PICTURE_SIZE.width, FONT_PICTURE_SIZE.height);
        if (decode_picture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                           &picture)) {
            files->font_width = picture.width;
            files->font.assign(picture.pixels,
                               picture.pixels + size_t(picture.width) * size_t(picture.height));
        }
        release_picture(&picture);
    }
    return 1;
}

// Reads a card.nbf and checks it (check_card_sheet).
int check_card_sheet_file(const std::string& path, std::vector<uint8_t>* strip,
                          std::string* summary, Problems* problems) {
    std::string bytes, why;
    if (!read_whole_file(path, &bytes, &why)) {
        problems->push_back(path + " " + why);
        return 0;
    }
    return check_card_sheet(path, bytes, strip, summary, problems);
}

// Refuses a deck folder that is not a folder; a missing one is made whole at the end.
int deck_folder_usable(const std::string& deck, Problems* problems) {
    std::error_code error;
    if (fs::exists(deck, error) && !fs::is_directory(deck, error)) {
        problems->push_back(deck + " is a file, not a folder");
        return 0;
    }
    return 1;
}

// Puts one file of a deck in place: a new deck folder is made whole by a rename, an existing
// one gets the file by a rename of its own.
int write_deck_file(const std::string& deck, const std::string& name,
                    const std::vector<uint8_t>& bytes, std::string* error) {
    if (is_folder(deck)) {
        const std::string existing = find_in_folder(deck, name);
        return write_file_whole(existing.empty() ? deck + "/" + name : existing, bytes, error);
    }
    StagingFolder staging;
    if (!begin_folder(deck, &staging, error)) return 0;
    if (!stage_file(staging, name, bytes, error)) {
        abandon_folder(&staging);
        return 0;
    }
    return finish_folder(&staging, error);
}

// [SECTION] import

const char* const PICTURE_EXTENSIONS[] = {"png", "jpg", "jpeg", "webp"};

// The pictures of a folder by frame; adds a problem for each extra, misnamed, doubled or
// missing one.
std::vector<std::string> list_pictures(const std::string& folder, Problems* problems) {
    std::vector<std::string> by_frame(CARD_FRAMES);
    std::vector<fs::path> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    for (const fs::path& path : entries) {
        const std::string name = path.filename().string();
        if (name.empty() || name[0] == '.') continue; // hidden files: the system's, not the deck's
        if (lower(name) == "contact-sheet.png") continue; // export's, so its folder imports as is
        if (is_folder(path.string())) {
            problems->push_back(path.string() + ": a folder; the pictures folder holds only the " +
                                std::to_string(CARD_FRAMES) + " pictures");
            continue;
        }
        const std::string stem = path.stem().string();
        const std::string extension = lower(path.extension().string());
        bool picture_name = false;
        for (const char* e : PICTURE_EXTENSIONS) picture_name |= extension == std::string(".") + e;
        const int frame = frame_of_name(stem);
        if (!picture_name || frame < 0) {
            std::string hint =
                " (cards are " + face_names() + " and back, as .png, .jpg, .jpeg or .webp)";
            if (picture_name && stem.size() == 1 && stem[0] >= '0' && stem[0] <= '9')
                hint = " (two digits: 0" + stem + extension + ")";
            problems->push_back(path.string() + ": not a card's name" + hint);
            continue;
        }
        if (!by_frame[size_t(frame)].empty()) {
            problems->push_back(path.string() + ": a second picture for " + frame_file_name(frame) +
                                " (the other is " + by_frame[size_t(frame)] + ")");
            continue;
        }
        by_frame[size_t(frame)] = path.string();
    }
    // A back is optional: without one the installed back is kept.
    std::string missing;
    for (int frame = 0; frame < CARD_BACK; frame++)
        if (by_frame[size_t(frame)].empty())
            missing += (missing.empty() ? "" : ", ") + frame_file_name(frame);
    if (!missing.empty())
        problems->push_back(folder + ": missing " + missing +
                            " (each as .png, .jpg, .jpeg or .webp)");
    return by_frame;
}

int import_pictures(const Options& options) {
    const std::string& pictures = options.words[1];
    const std::string& deck = options.words[2];
    Problems problems;
    if (!is_folder(pictures)) {
        problems.push_back(pictures + ": no such folder");
        return report(problems, "import");
    }
    deck_folder_usable(deck, &problems);
    InstallFiles install;
    load_install_files(options.install_dir, &install, &problems);
    const std::vector<std::string> files = list_pictures(pictures, &problems);

    // Two workers take the pictures in turn, each decoding, fitting and mapping one at a time,
    // so at most two are ever held whole (the memory budget) and two cores are kept busy.
    std::vector<uint8_t> strip(size_t(CARD_SHEET_WIDTH) * CARD_HEIGHT, 0);
    std::vector<std::string> errors(CARD_FRAMES);
    std::atomic<int> next_frame{0};
    auto work = [&]() {
        for (int frame = next_frame++; frame < CARD_FRAMES; frame = next_frame++) {
            const std::string& path = files[size_t(frame)];
            if (path.empty()) continue;
            Image picture;
            if (!read_image(path, CARD_WIDTH, CARD_HEIGHT, &picture, &errors[size_t(frame)]))
                continue;
            const std::vector<uint8_t> card =
                dither_to_palette(fit_card(picture, options.fit), install.palette);
            for (int y = 0; y < CARD_HEIGHT; y++) // each frame's own columns: no overlap
                std::copy_n(&card[size_t(y) * CARD_WIDTH], size_t(CARD_WIDTH),
                            &strip[size_t(y) * CARD_SHEET_WIDTH + size_t(frame) * CARD_WIDTH]);
        }
    };
    const unsigned workers = std::thread::hardware_concurrency() > 1 ? 2 : 1;
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < workers; i++) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    std::map<std::string, int> formats;
    for (int frame = 0; frame < CARD_FRAMES; frame++) {
        const std::string& path = files[size_t(frame)];
        if (path.empty()) continue;
        if (!errors[size_t(frame)].empty())
            problems.push_back(path + " " + errors[size_t(frame)]);
        else
            formats[lower(fs::path(path).extension().string()).substr(1)]++;
    }
    // No back picture: the back of the installed card sheet, through the program's loader.
    std::string back_note;
    if (files[CARD_BACK].empty() && problems.empty()) {
        std::error_code error;
        const std::string folder = fs::absolute(options.install_dir, error).string() + "/picture";
        const std::string installed = is_folder(folder) ? find_in_folder(folder, "card.nbf") : "";
        std::vector<uint8_t> sheet;
        std::string summary;
        if (installed.empty())
            problems.push_back(pictures + ": no back picture, and no installed card.nbf to take "
                                          "the back from");
        else if (check_card_sheet_file(installed, &sheet, &summary, &problems))
            for (int y = 0; y < CARD_HEIGHT; y++) {
                const size_t at = size_t(y) * CARD_SHEET_WIDTH + size_t(CARD_BACK) * CARD_WIDTH;
                std::copy_n(&sheet[at], size_t(CARD_WIDTH), &strip[at]);
            }
        back_note = ", the installed back";
    }
    if (!problems.empty()) return report(problems, "import");

    // The file is checked by the program's own decoder before it is put in place.
    const std::vector<uint8_t> sheet = encode_card_sheet(strip);
    std::string error, summary;
    std::vector<uint8_t> loaded;
    if (check_card_sheet(deck + "/card.nbf", std::string(sheet.begin(), sheet.end()), &loaded,
                         &summary, &problems) &&
        loaded != strip)
        problems.push_back("the program's decoder reads back other pixels than were written");
    if (problems.empty() && !write_deck_file(deck, "card.nbf", sheet, &error))
        problems.push_back(error);
    if (!problems.empty()) return report(problems, "import");

    std::string counts;
    for (const auto& [format, count] : formats)
        counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " + format;
    std::printf("%s/card.nbf: %d pictures (%s)%s, %s; %s\n", deck.c_str(),
                back_note.empty() ? int(CARD_FRAMES) : int(CARD_COUNT), counts.c_str(),
                back_note.c_str(), options.fit == fit_crop ? "cropped" : "padded", summary.c_str());
    return 0;
}

// [SECTION] export

int export_pictures(const Options& options) {
    const std::string& source = options.words[1];
    const std::string& out = options.words[2];
    Problems problems;
    // An install folder keeps its card sheet and palette in picture/, a deck folder holds
    // card.nbf itself and plays with the installed palette.
    const bool install_folder = is_folder(source + "/picture");
    const std::string sheet_folder = install_folder ? source + "/picture" : source;
    const std::string sheet =
        is_folder(sheet_folder) ? find_in_folder(sheet_folder, "card.nbf") : "";
    if (sheet.empty()) problems.push_back(source + ": no card.nbf (nor picture/card.nbf)");
    std::error_code error;
    if (fs::exists(out, error) && (!fs::is_directory(out, error) || !fs::is_empty(out, error)))
        problems.push_back(out + ": already there and not an empty folder; export writes a new "
                                 "folder, so no picture of yours is ever overwritten");
    InstallFiles install;
    load_install_files(install_folder ? source : options.install_dir, &install, &problems);
    std::vector<uint8_t> strip;
    std::string summary;
    if (!sheet.empty()) check_card_sheet_file(sheet, &strip, &summary, &problems);
    if (!problems.empty()) return report(problems, "export");

    StagingFolder staging;
    std::string why;
    int written = begin_folder(out, &staging, &why);
    for (int frame = 0; frame < CARD_FRAMES && written; frame++)
        written = stage_file(staging, frame_file_name(frame) + ".png",
                             encode_png(frame_image(strip, frame, install.palette)), &why);
    if (written)
        written =
            stage_file(staging, "contact-sheet.png",
                       encode_png(contact_sheet(strip, install.palette,
                                                install.font.empty() ? nullptr : &install.font,
                                                install.font_width)),
                       &why);
    if (!written) abandon_folder(&staging);
    if (!written || !finish_folder(&staging, &why)) {
        problems.push_back(why);
        return report(problems, "export");
    }
    std::printf("%s: %d card pictures (%s.png to %s.png, back.png) and contact-sheet.png from %s\n",
                out.c_str(), int(CARD_FRAMES), frame_file_name(0).c_str(),
                frame_file_name(CARD_BACK - 1).c_str(), sheet.c_str());
    return 0;
}

// [SECTION] texts import

// The line to blame for a record's fault: the line holding the word at fault, else its heading.
int fault_line(const CardText& entry, const std::string& word) {
    if (!word.empty())
        for (size_t i = 0; i < entry.line_texts.size(); i++)
            if (entry.line_texts[i].find(word) != std::string::npos) return entry.text_lines[i];
    return entry.line;
}

int import_texts(const Options& options) {
    const std::string& source = options.words[2];
    const std::string& deck = options.words[3];
    Problems problems;
    std::vector<std::string> files;
    std::error_code error;
    if (is_folder(source)) {
        for (const auto& entry : fs::directory_iterator(source, error))
            if (lower(entry.path().extension().string()) == ".txt" &&
                lower(entry.path().filename().string()) != "glossary.txt") // names, no texts
                files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        if (files.empty()) problems.push_back(source + ": no .txt files");
    } else {
        files.push_back(source);
    }
    deck_folder_usable(deck, &problems);
    std::vector<CardText> records(DEALT_VALUES);
    bool all_read = !files.empty();
    for (const std::string& file : files) {
        std::string bytes, why;
        if (!read_whole_file(file, &bytes, &why)) {
            problems.push_back(file + " " + why);
            all_read = false;
        } else {
            parse_card_texts(bytes, file, &records, &problems);
        }
    }
    if (all_read) report_missing_texts(records, &problems);
    if (!problems.empty()) return report(problems, "texts import");

    // Every record is laid out by the program's own code from the file as it will be written.
    const std::vector<uint8_t> bytes = encode_card_db(records);
    const std::vector<RecordLayout> layouts =
        lay_out_card_db(std::string(bytes.begin(), bytes.end()));
    std::string why;
    int longest = 0;
    for (int record = 0; record < DEALT_VALUES; record++) {
        const RecordLayout& layout = layouts[size_t(record)];
        const CardText& entry = records[size_t(record)];
        if (layout.rows > layouts[size_t(longest)].rows) longest = record;
        if (layout.laid_out && layout.complete) continue;
        std::string word;
        const std::string fault = layout_fault(entry.text, layout, &word);
        problems.push_back(entry.file + ":" + std::to_string(fault_line(entry, word)) + ": " +
                           record_name(record) +
                           (entry.name.empty() ? "" : " (" + entry.name + ")") + ": " + fault);
    }
    if (problems.empty() && !write_deck_file(deck, "CardDB.dat", bytes, &why))
        problems.push_back(why);
    if (!problems.empty()) return report(problems, "texts import");
    std::printf("%s/CardDB.dat: %d card texts, all laid out by the program; the longest is %s "
                "with %d rows\n",
                deck.c_str(), int(DEALT_VALUES), record_name(longest).c_str(),
                layouts[size_t(longest)].rows);
    return 0;
}

// [SECTION] check

int check_deck(const Options& options) {
    const std::string& deck = options.words[1];
    Problems problems;
    if (!is_folder(deck)) {
        problems.push_back(deck + ": no such folder");
        return report(problems, "check");
    }
    const std::string sheet = find_in_folder(deck, "card.nbf");
    const std::string texts = find_in_folder(deck, "CardDB.dat");
    if (sheet.empty() && texts.empty())
        problems.push_back(deck + ": neither card.nbf nor CardDB.dat; a deck holds one or both");
    std::vector<std::string> lines;
    if (!sheet.empty()) {
        std::vector<uint8_t> strip;
        std::string summary;
        if (check_card_sheet_file(sheet, &strip, &summary, &problems)) lines.push_back(summary);
    }
    if (!texts.empty()) {
        std::string bytes, why;
        const size_t before = problems.size();
        if (!read_whole_file(texts, &bytes, &why)) problems.push_back(texts + " " + why);
        const std::vector<RecordLayout> layouts = lay_out_card_db(bytes);
        int found = 0, longest = 0;
        for (int record = 0; record < DEALT_VALUES && layouts[size_t(record)].found; record++) {
            const RecordLayout& layout = layouts[size_t(record)];
            found++;
            if (layout.rows > layouts[size_t(longest)].rows) longest = record;
            if (layout.laid_out && layout.complete) continue;
            std::string word;
            problems.push_back(texts + ": " + record_name(record) + ": " +
                               layout_fault(layout.text, layout, &word));
        }
        if (found < DEALT_VALUES)
            problems.push_back(texts + " holds " + std::to_string(found) +
                               " records; a deck needs " + std::to_string(DEALT_VALUES));
        if (problems.size() == before)
            lines.push_back("CardDB.dat: " + std::to_string(DEALT_VALUES) +
                            " records, each laid out completely by the program; the longest is " +
                            record_name(longest) + " with " +
                            std::to_string(layouts[size_t(longest)].rows) + " rows");
    }
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    if (!problems.empty()) {
        std::fprintf(stderr, "quarnel-deck: check: %zu problem%s\n", problems.size(),
                     problems.size() == 1 ? "" : "s");
        for (const std::string& problem : problems) std::fprintf(stderr, "  %s\n", problem.c_str());
        return EXIT_PROBLEMS;
    }
    std::printf("%s: the program plays this deck\n", deck.c_str());
    return 0;
}

} // namespace

// [SECTION] Main

int main(int argc, char** argv) {
    // Every picture needs blocks of megabytes; kept in the heap once freed, the next picture
    // reuses them instead of asking the system for fresh zeroed pages each time.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    Options options;
    if (!parse_options(argc, argv, &options)) return EXIT_USAGE;
    const std::vector<std::string>& w = options.words;
    const std::string command = w.empty() ? "" : w[0];
    if (command == "import" && w.size() == 3) return import_pictures(options);
    if (command == "export" && w.size() == 3) return export_pictures(options);
    if (command == "texts" && w.size() == 4 && w[1] == "import") return import_texts(options);
    if (command == "check" && w.size() == 2) return check_deck(options);
    usage_error(command.empty() ? "no command" : "wrong use of " + command);
    return EXIT_USAGE;
}
