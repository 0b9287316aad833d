// web_screen_text.cpp -- the page's text of the screen on display: its name and buttons, and
// on the card table the reading's text, for the screen reader's region and the page's Copy
// and Share buttons
//
// It reads the program's state between screen steps and never changes it: no frame, tap or
// file of the program differs with it. The text is made again only when what it depends on
// has changed, and goes to the page only when it differs from the last one sent.

#include "platform/web/web.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include <cstring>
#include <string>

namespace {

struct ScreenText {
    bool known = false;
    uint32_t signature = 0;
    std::string summary; // the last text sent
    std::string reading;
};

ScreenText shown;
char reading_buffer[READING_TEXT_SIZE];

// Which screen, page, deal and turned cards: changes whenever the text would.
uint32_t screen_signature(const AppState* s) {
    uint32_t hash = 2166136261u;
    auto mix = [&hash](int32_t v) { hash = (hash ^ uint32_t(v)) * 16777619u; };
    if (!s) return hash;
    mix(s->screen);
    mix(s->shuffling);
    mix(s->reading_shown);
    mix(s->deck_shuffled);
    mix(s->scroller_active);
    mix(publisher_page);
    mix(s->card_db_file ? 1 : 0);
    const int32_t size = spread_size(s->screen);
    for (int32_t p = 0; p < size; ++p) {
        mix(s->drawn_cards[p]);
        mix(turned_positions[p]);
    }
    return hash;
}

// The screen's name and its buttons, in the order they stand.
std::string screen_summary(const AppState* s) {
    if (!s) return "Quarnel is starting.";
    const int32_t screen = s->screen;
    if (screen == screen_title) return "Quarnel, title screen. Buttons: Start, Exit.";
    if (screen == screen_menu) {
        std::string text = "Menu. Buttons:";
        for (int32_t kind = kind_desire; kind <= kind_money; ++kind)
            text += std::string(" ") + reading_name(kind) + ",";
        return text + " About Tarot, About Quarnel, Exit.";
    }
    if (screen == screen_about) return "About Tarot. Button: Back.";
    if (screen == screen_publisher)
        return publisher_page == 0 ? "About Quarnel, page 1 of 2. Buttons: Back, Next."
                                   : "About Quarnel, page 2 of 2. Buttons: Back, Menu.";
    const char* name = reading_name(screen);
    if (!name) return "";
    std::string reading = std::string(name) + " reading";
    if (s->shuffling == 1)
        return reading + ", shuffle screen" +
               (s->deck_shuffled == 1 ? ": the deck is shuffled."
                                      : ": tap the deck to shuffle it.") +
               " Buttons: Deck, Next, Back.";
    if (s->reading_shown == 1) {
        const int32_t size = spread_size(screen);
        int32_t turned = 0;
        for (int32_t p = 0; p < size; ++p) turned += turned_positions[p] == 1;
        return reading + ", card table: " + std::to_string(turned) + " of " + std::to_string(size) +
               " cards turned. Buttons: the " + std::to_string(size) + " cards," +
               (s->scroller_active == 1 ? " the meaning's Up and Down," : "") + " Exit, Menu.";
    }
    return reading + ".";
}

} // namespace

void web_watch_screen() {
    const AppState* s = app_state;
    const uint32_t signature = screen_signature(s);
    if (shown.known && signature == shown.signature) return;
    std::string summary = screen_summary(s);
    std::string reading;
    if (s && s->reading_shown == 1) {
        int32_t length = reading_text(s, reading_buffer, READING_TEXT_SIZE);
        reading.assign(reading_buffer, size_t(length > 0 ? length : 0));
    }
    const bool same = shown.known && summary == shown.summary && reading == shown.reading;
    shown.known = true;
    shown.signature = signature;
    if (same) return;
    shown.summary = summary;
    shown.reading = reading;
    web_screen_text(summary.c_str(), reading.c_str());
}
