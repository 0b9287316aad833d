// web_screen_text.cpp -- the page's text of the screen on display: its name and buttons, and
// on the card table the reading's text, for the screen reader's region and the page's Copy
// and Share buttons
//
// It asks the program what is on screen between screen steps and changes nothing: no frame,
// tap or file of the program differs with it. Its words are the words table's, in the
// language the program speaks. The text is made again only when the program's
// answer has changed, and goes to the page only when it differs from the last one sent.

#include "platform/web/web.h"
#include "platform/platform.h"
#include <initializer_list>
#include <string>
#include <utility>

namespace {

struct ScreenText {
    bool known = false;
    uint32_t version = 0;
    std::string summary; // the last text sent
    std::string reading;
};

ScreenText shown;
char reading_buffer[READING_TEXT_SIZE];

// A row of the words table in the program's language ("" for none).
std::string words(const char* key) {
    const char* text = language_word(program_language(), key);
    return text ? text : "";
}

// The words with each "{key}" of the fillings replaced by its value.
std::string filled(std::string text,
                   std::initializer_list<std::pair<const char*, std::string>> fillings) {
    for (const auto& f : fillings) {
        const std::string key = std::string("{") + f.first + "}";
        for (size_t at = text.find(key); at != std::string::npos;
             at = text.find(key, at + f.second.size()))
            text.replace(at, key.size(), f.second);
    }
    return text;
}

// "Buttons: Start, Exit." in the order they stand; a spread's cards and the meaning's arrows
// are named once each.
std::string buttons_text(const ScreenInfo& info) {
    std::string list;
    int items = 0;
    bool cards_named = false, arrows_named = false;
    auto add = [&](const std::string& item) { list += (items++ ? ", " : " ") + item; };
    for (int32_t i = 0; i < info.button_count; ++i) {
        const ScreenButton& b = info.buttons[i];
        if (b.role == BUTTON_CARD) {
            if (!cards_named)
                add(filled(words("web.cards"), {{"count", std::to_string(info.card_count)}}));
            cards_named = true;
        } else if (b.role == BUTTON_SCROLL) {
            if (!arrows_named) add(words("web.arrows"));
            arrows_named = true;
        } else {
            add(b.label ? b.label : "");
        }
    }
    return words(items == 1 ? "web.button" : "web.buttons") + list + ".";
}

// The screen's name and its buttons, in the program's language.
std::string screen_summary(const ScreenInfo& info) {
    const std::string name = info.name ? info.name : "";
    const std::string buttons = buttons_text(info);
    const std::string reading = filled(words("text.reading"), {{"name", name}});
    switch (info.kind) {
    case SCREEN_TITLE:
        return filled(words("web.screen.title"), {{"name", name}}) + " " + buttons;
    case SCREEN_PUBLISHER:
        return filled(words("web.screen.page"), {{"name", name},
                                                 {"page", std::to_string(info.page)},
                                                 {"count", std::to_string(info.page_count)}}) +
               " " + buttons;
    case SCREEN_MENU:
    case SCREEN_ABOUT:
        return name + ". " + buttons;
    case SCREEN_SHUFFLE:
        return filled(words("web.screen.shuffle"), {{"reading", reading}}) +
               words(info.deck_shuffled ? "web.screen.shuffled" : "web.screen.unshuffled") + " " +
               buttons;
    case SCREEN_CARD_TABLE:
        return filled(words("web.screen.table"), {{"reading", reading},
                                                  {"turned", std::to_string(info.turned_count)},
                                                  {"count", std::to_string(info.card_count)}}) +
               " " + buttons;
    case SCREEN_READING:
        return reading + ".";
    default:
        return words("web.screen.starting");
    }
}

} // namespace

void web_watch_screen() {
    const uint32_t version = screen_version();
    if (shown.known && version == shown.version) return;
    ScreenInfo info;
    screen_info(&info);
    std::string summary = screen_summary(info);
    std::string reading;
    if (info.kind == SCREEN_CARD_TABLE) {
        int32_t length = screen_reading_text(reading_buffer, READING_TEXT_SIZE);
        reading.assign(reading_buffer, size_t(length > 0 ? length : 0));
    }
    const bool same = shown.known && summary == shown.summary && reading == shown.reading;
    shown.known = true;
    shown.version = version;
    if (same) return;
    shown.summary = summary;
    shown.reading = reading;
    web_screen_text(summary.c_str(), reading.c_str());
}
