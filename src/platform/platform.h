// platform.h -- every platform service the program uses, one plain function each
//
// The program reaches the machine only through this header. The back ends implement it
// and the build picks one per executable: platform/sdl (a desktop window) and
// platform/headless (virtual clock, scripted taps, in-memory display). Code they all share
// (the main window, the message queue, quit and dispatch, taps and the idle pacing, the
// display's frame buffer, files, registry, random numbers, memory) lives in platform/common.
//
// Wide strings are wchar_t; paths use backslashes and are rooted at the file system's
// root ("\picture\main.nbf"). The file layer maps them onto the host.

#pragma once
#include <cstdint>
#include <cstddef>

// [SECTION] Window system and message queue

typedef intptr_t WindowHandle; // 0 = no window
typedef int32_t (*WindowProcedure)(WindowHandle window, uint32_t message, uintptr_t wparam,
                                   intptr_t lparam);

enum : uint32_t {
    MESSAGE_CREATE = 1,        // sent by create_window before it returns
    MESSAGE_DESTROY = 2,       // sent by destroy_window before it returns
    MESSAGE_QUIT = 0x12,       // posted by post_quit_message; get_message reports it
    MESSAGE_LBUTTONDOWN = 513, // a stylus tap; lparam = x | (y << 16), display pixels
};

struct WindowClass {
    uint32_t style;
    WindowProcedure procedure;
    int32_t icon_resource;    // icon group resource number of the program's module
    int32_t background_brush; // stock object number (4 = black brush)
    const wchar_t* class_name;
};

struct Message {
    WindowHandle window;
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

// Registers a window class; returns 1, or 0 if the class is malformed.
int register_class(const WindowClass* window_class);
// Creates the one main window of a registered class; sends MESSAGE_CREATE to its procedure
// before returning. Returns 0 when the window cannot be created.
WindowHandle create_window(const wchar_t* class_name, const wchar_t* title);
// Sends MESSAGE_DESTROY to the window's procedure before it returns; the procedure may call
// it again, harmlessly. Returns 0 for a window that is already destroyed (no message then).
int destroy_window(WindowHandle window);
// Moves and sizes the window in display pixels; repaint 1 asks for a repaint. Returns 1/0.
int move_window(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                int repaint);
// The platform's handling of every message the program does not handle itself; returns 0.
int32_t default_window_procedure(WindowHandle window, uint32_t message, uintptr_t wparam,
                                 intptr_t lparam);
// Makes get_message report MESSAGE_QUIT with this code once no other message waits.
void post_quit_message(int32_t exit_code);
// Returns 1 when a message waits (a posted quit included) and leaves it in the queue.
// Pacing: when none waits, it may first wait for input. The desktop waits up to 10 ms while
// the steps keep presenting new frames and up to 100 ms once eight steps in a row have
// presented nothing new; the web page, then, waits until the next tap; the headless back end
// never waits in real time. Input ends any wait at once. So screen steps come at no fixed
// rate: the program times what it shows with sleep_ms and tick_count only.
int peek_message(Message* message);
// Removes the next message, waiting for one if needed; returns 0 for MESSAGE_QUIT (its code
// in wparam), otherwise 1.
int get_message(Message* message);
// Turns key messages into character messages; the program has no keyboard use.
void translate_message(const Message* message);
// Calls the procedure of the message's window and returns its result.
int32_t dispatch_message(const Message* message);
// The shell's full-screen call (flag 2 hides the task bar). Returns 1/0.
int shell_full_screen(WindowHandle window, uint32_t flags);

// [SECTION] GAPI display access (names as the display-access library spells them)

struct GXDisplayProperties { // 24 bytes, six 32-bit fields in this order
    uint32_t cxWidth;        // width in pixels
    uint32_t cyHeight;       // height in pixels
    int32_t cbxPitch;        // signed byte step to the pixel on the right
    int32_t cbyPitch;        // signed byte step to the pixel below
    int32_t cBPP;            // bits per pixel
    uint32_t ffFormat;       // format flags: kfDirect565, kfDirect555, kfDirect444, ...
};
static_assert(sizeof(GXDisplayProperties) == 24, "GXDisplayProperties is 24 bytes");

enum : uint32_t { kfDirect555 = 0x40, kfDirect565 = 0x80, kfDirect444 = 0x200 };
enum : uint32_t { GX_FULLSCREEN = 1 };

// Opens the display for direct access; returns 1, or 0 when it cannot be opened.
int GXOpenDisplay(WindowHandle window, uint32_t flags);
// Closes the display; GXBeginDraw then returns null. Safe to call twice. Returns 1.
int GXCloseDisplay();
// Returns the address of the frame buffer's first (top-left) pixel, or null when the
// display is not open. Pixels are 16-bit, laid out by the pitches of the properties. The
// address is valid until the matching GXEndDraw or GXCloseDisplay, whichever comes first;
// the program keeps no copy of it.
void* GXBeginDraw();
// Ends the access begun by GXBeginDraw; the frame becomes visible. Returns 1. A frame
// identical to the one on screen may be dropped (the desktop and the web page neither upload
// nor present it again); the headless back end records every call, dropped or not.
int GXEndDraw();
// Opens and closes exclusive button input; the program uses neither result.
int GXOpenInput();
int GXCloseInput();
// The display's properties; valid once the display is open.
GXDisplayProperties GXGetDisplayProperties();

// [SECTION] Files (read only; the program never writes to disk)

typedef intptr_t FileHandle;
const FileHandle INVALID_FILE = -1; // never a valid handle; 0 is never one either

// Opens an existing file for reading, others may read too. Backslashes map to '/', and
// each path component is matched case-insensitively. Returns INVALID_FILE when missing.
FileHandle open_file(const wchar_t* path);
// Reads up to count bytes; *bytes_read gets the number read. Returns 0 only when the request
// itself fails (bad handle); at end of file it returns 1 with fewer or zero bytes. Buffered:
// a one-byte read costs a function call, not a system call.
int read_file(FileHandle file, void* destination, uint32_t count, uint32_t* bytes_read);
// Moves the read position to offset bytes from the start; returns 1/0.
int seek_file(FileHandle file, uint32_t offset);
// Releases the handle; returns 1/0.
int close_file(FileHandle file);

// [SECTION] Registry

typedef intptr_t RegistryKey;
// Opens a key under the local-machine root; returns 1 and the key, or 0 when it is missing.
int registry_open_key(const wchar_t* key_path, RegistryKey* key);
// Reads a string value into buffer; size_bytes counts 2 bytes per character and the
// terminator, as on the device. Returns 0 when the value is missing or does not fit.
int registry_read_string(RegistryKey key, const wchar_t* value_name, wchar_t* buffer,
                         uint32_t size_bytes);
void registry_close_key(RegistryKey key);

// [SECTION] Message box

enum : uint32_t { MB_OK = 0 };
// Shows text and caption with one OK button and returns only when the user has closed it.
// Returns 1 (the OK button) on every back end: without a display the desktop prints the
// text on stderr instead; the headless back end records it and returns at once. The
// program never reads the result.
int message_box(WindowHandle owner, const wchar_t* text, const wchar_t* caption, uint32_t flags);

// [SECTION] Play-sound

enum : uint32_t { SND_ASYNC = 1 };
// Starts the WAV file at path and returns at once. One sound at a time: a new call stops
// the sound that is playing, even when the new file is missing. A missing file is silent.
// Returns 1 when the sound started, 0 when the file is missing or unreadable or there is no
// sound device; the program never reads the result.
int play_sound_file(const wchar_t* path, uint32_t flags);

// [SECTION] Time and random numbers

// Pauses the thread for about ms milliseconds; nothing else of the program runs meanwhile.
void sleep_ms(uint32_t ms);
// A 32-bit millisecond counter that wraps.
uint32_t tick_count();
// Seeds the pseudo-random generator; the same seed gives the same sequence.
void seed_random(uint32_t seed);
// The next pseudo-random number, 0 to 32767.
int32_t next_random();

// [SECTION] Registry key

// The program's key under the local-machine root; its string value "InstallDir" names the
// install folder.
constexpr wchar_t PROGRAM_REGISTRY_KEY[] = L"\\SOFTWARE\\Apps\\Vorn Quarnel";

// [SECTION] Memory and strings

// A block of at least size bytes, or null. The headless back end can be told to fail.
void* allocate_memory(size_t size);
// Frees a block from allocate_memory; null is ignored.
void release_memory(void* block);
// Length in bytes of a zero-terminated 8-bit string.
size_t string_length(const char* text);

// [SECTION] Program entry and the run's lifecycle (answered by the program, shell/startup.cpp)
//
// A back end's main() (the tests and the runner likewise, once per run) goes through:
//   1. registry_set_install_dir (platform/common): the install folder, or none, which the
//      program reads from the registry at start-up;
//   2. app_main, which returns the exit code once get_message reports MESSAGE_QUIT;
//   3. release_objects, which frees every object of the program and gives each of its
//      program-wide values back its starting value, as a new process would find them;
//   4. close_all_files (platform/common), which closes any file the program left open.
// Then app_main may run again in the same process.

// The program's graphical entry point.
int app_main(intptr_t instance, intptr_t previous_instance, const wchar_t* command_line,
             int show_flag);
// Frees what app_main left; safe after any run, also one that failed to start.
void release_objects();

// [SECTION] Keys (answered by the program, screens/keys.cpp)
// A key never reaches the window procedure as a key: the back end asks the program which
// tap does what the key does on the current screen, and queues that tap.

enum : int32_t {
    KEY_NONE = 0,
    KEY_ENTER,
    KEY_SPACE,
    KEY_ESCAPE,
    KEY_BACKSPACE,
    KEY_TAB,
    KEY_BACK_TAB, // Shift+Tab
    KEY_UP,
    KEY_DOWN,
    KEY_LEFT,
    KEY_RIGHT,
    KEY_PAGE_UP,
    KEY_PAGE_DOWN,
    KEY_HOME,
    KEY_END,
    KEY_0,
    KEY_9 = KEY_0 + 9, // KEY_0 + n is the digit n
};

// What `key` does on the current screen. Returns 1 with the display point whose tap does the
// same in *x, *y, or 0 when the key taps nothing there. *highlight is the spread position the
// back end outlines on a card table (-1: none); keys that move it change it, and off a card
// table it becomes -1. Reads the program's state and never changes it.
int key_tap_point(int32_t key, int32_t* highlight, int32_t* x, int32_t* y);
// The outline of the highlighted card in display pixels (x, y, width, height). Returns 0, and
// sets *highlight to -1, when no card of the current screen is highlighted.
int key_highlight_rect(int32_t* highlight, int32_t* x, int32_t* y, int32_t* width, int32_t* height);

// [SECTION] What is on screen (answered by the program, screens/screen_info.cpp)
//
// The back ends and the front-end extras (the clipboard, the journal, the page's text for
// screen readers) ask these between screen steps, once the program has taken every tap. The
// answers read the program's state and never change it: no frame, tap or file differs with
// them. Strings handed out are the program's own tables and stay valid for the whole run.

enum ScreenKind : int32_t {
    SCREEN_NONE = 0,   // the program has no state yet, or no more
    SCREEN_TITLE,      // the title screen
    SCREEN_MENU,       // the main menu
    SCREEN_SHUFFLE,    // a reading's shuffle screen
    SCREEN_CARD_TABLE, // a reading's card table, its spread laid out
    SCREEN_READING,    // a reading between its two screens (for one step)
    SCREEN_ABOUT,      // the page about tarot
    SCREEN_PUBLISHER,  // the publisher pages
};

enum ButtonRole : int32_t {
    BUTTON_PLAIN = 0, // a button of the screen's art
    BUTTON_CARD,      // a card of the spread
    BUTTON_SCROLL,    // the meaning's Up and Down arrows
};

struct ScreenButton {
    const char* label;           // the words on the button ("Start", "About Tarot", "Up");
                                 // null for a card, whose position says which
    int32_t role;                // a ButtonRole
    int32_t position;            // a card's spread position, 0 up; -1 for other buttons
    int32_t x, y, width, height; // the tap area in display pixels (a tap strictly inside it
                                 // presses the button)
};

enum : int32_t { SCREEN_BUTTONS_MAX = 16, SCREEN_CARDS_MAX = 10 };

struct ScreenInfo {
    int32_t kind;             // a ScreenKind
    const char* name;         // "Quarnel" (the title), "Menu", "About Tarot", "About Quarnel",
                              // a reading's name ("Love"); "" for SCREEN_NONE
    int32_t page, page_count; // the publisher pages: 1 or 2 of 2; 1 of 1 elsewhere
    int32_t reading;          // a reading's kind, 2 (desire) to 7 (money); 0 off a reading
    int32_t deck_shuffled;    // shuffle screen: 1 once the deck has been shuffled there
    int32_t meaning_shown;    // card table: 1 while a meaning is on view and its arrows react
    int32_t card_count;       // card table: the spread's positions; 0 elsewhere
    int32_t cards[SCREEN_CARDS_MAX];    // card table: each position's card, 0 (The Fool) to 77
    int32_t reversed[SCREEN_CARDS_MAX]; // 1 = the card lies reversed
    int32_t turned[SCREEN_CARDS_MAX];   // 1 = face up
    int32_t turned_count;
    int32_t texts_open;   // 1 while the card text file is open (meanings can be read)
    int32_t button_count; // the buttons of the screen, in the order a person meets them
    ScreenButton buttons[SCREEN_BUTTONS_MAX];
};

// Fills *info with what is on screen now; returns 1.
int screen_info(ScreenInfo* info);
// A number that changes whenever screen_info's answer (and so the reading's text) would;
// the same number means the same answer.
uint32_t screen_version();
// The reading on screen as plain text into out (zero-terminated, cut to capacity): its name,
// then each position with its question, and each turned card's name, orientation and
// meaning. Returns the length; 0 and "" off a reading. READING_TEXT_SIZE holds any reading.
enum : int32_t { READING_TEXT_SIZE = 16384 };
int32_t screen_reading_text(char* out, int32_t capacity);

// [SECTION] Names (answered by the program, core/words.cpp and reading/readings.cpp)
// In the language of the install folder the program runs from (English before a run).

// "The Fool" .. "King of Pentacles" for card 0 .. 77 (the card of dealt value v is v / 2);
// null for any other number.
const char* card_name(int32_t card);
// A reading's name ("Love") by its kind (2 to 7), or null when the kind is no reading.
const char* reading_name(int32_t kind);

// [SECTION] Languages (answered by the program, core/words.cpp)
//
// Each language Quarnel speaks has an install folder of its own, and the program speaks the
// language of the folder it runs from. These answer from the program's words table at any
// time, before, during or after a run. Texts are UTF-8.

// The number of languages; language 0 is English, the default install folder's.
int32_t language_count();
// "en", "es", "pt", "fr", "it", "de" for language 0 .. language_count() - 1: the name of the
// language's install folder; null for any other number.
const char* language_code(int32_t language);
// The language's name in itself ("Español"); null for any other number.
const char* language_name(int32_t language);
// The language of a code ("es"), or -1 when Quarnel has none.
int32_t language_of_code(const char* code);
// The language of the running program's install folder; 0 (English) outside a run.
int32_t program_language();
// A row of the words table by its key ("page.copy", "text.face_down") in a language; null
// for an unknown key or language.
const char* language_word(int32_t language, const char* key);
// A card's name in a language ("El Loco" for card 0 in Spanish); null out of range.
const char* language_card_name(int32_t language, int32_t card);
// Text as names are compared (core/card_names.cpp): lower case, letters without their accents
// ("Épées" is "epees", "ß" is "ss", "œ" is "oe"), letters of other alphabets as they are, and
// each run of spaces, punctuation and signs one space, none at either end ("L'Étoile!" is
// "l etoile"). Written into out (zero-terminated, cut to capacity between characters); never
// longer than text. Returns its length.
int32_t fold_name(const char* text, char* out, int32_t capacity);
// The card (0 to 77) a name stands for as people type it, or -1: a card's name in any
// language, in any case, with accents or without, with or without its articles and "of"
// ("el loco", "three swords"), a number as a word ("3 of cups"), the other names in use
// ("The Popess", "Ace of Coins", "Judgment", "El Ahorcado", "Le Mat"), or the card's number
// alone ("16", "00"). The language of the name matched goes to *language when that is not
// null: -1 for a number.
int32_t card_of_name(const char* name, int32_t* language);
// The cards whose names (in any language, and their other names) lie nearest a text that
// names none, by the fewest letters to insert, delete or change, nearest first and then by
// number, none more than two letters farther than the nearest: at most capacity of them into
// cards, and into languages (when not null) the language of each one's nearest name. Returns
// their count.
int32_t nearest_card_names(const char* text, int32_t* cards, int32_t* languages, int32_t capacity);

// [SECTION] Readings and meanings (answered by the program, reading/readings.cpp and
// reading/reading_text.cpp)
//
// What a host needs to write a reading's text itself, for cards it did not deal (a reading
// drawn from the user's own deck): the readings, their names and positions and questions in
// a language, and each card's meaning from a card text file held in memory. The words of the
// text are the words table's (language_word: "text.reading", "text.card_of", "upright",
// "reversed", "text.face_down"). The answers read the program's tables only; they change
// nothing and need no run.

// The kind of the reading at index (0 up, in menu order), or 0 past the last one.
int32_t reading_kind(int32_t index);
// The positions of a reading's spread (1 to SCREEN_CARDS_MAX), or 0 when the kind is no
// reading.
int32_t reading_card_count(int32_t kind);
// A reading's name in a language ("Amor" for love in Spanish), or null.
const char* reading_name_in(int32_t language, int32_t kind);
// The question of a position in a language as the reading's text gives it, one plain
// sentence ("Are we compatible?"), into out (zero-terminated, cut to capacity). Returns its
// length; 0 and "" when the position has no question.
int32_t reading_question(int32_t language, int32_t kind, int32_t position, char* out,
                         int32_t capacity);
// The meaning of card 0 to 77, upright or reversed, as the reading's text gives it after the
// card's name and orientation: the words of its record in a card text file (CardDB.dat) of a
// language held in memory as `size` bytes, each run of blanks one space, the record's own
// label (in that language) left out, UTF-8. Written into out (zero-terminated, cut to
// capacity). Returns the length; 0 and "" when the record is missing or empty.
int32_t card_meaning(int32_t language, const char* card_texts, int32_t size, int32_t card,
                     int32_t reversed, char* out, int32_t capacity);
