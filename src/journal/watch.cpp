// watch.cpp -- the rule every edition keeps readings by: each card table left with at least
// one card turned is a reading to keep, taken from the program's answers between its steps

#include "journal/journal.h"
#include "platform/platform.h"

std::string reading_on_screen() {
    std::string text(READING_TEXT_SIZE, '\0');
    text.resize(size_t(screen_reading_text(&text[0], READING_TEXT_SIZE)));
    return text;
}

int watch_reading(ReadingWatch* watch, LeftReading* left) {
    ScreenInfo info;
    screen_info(&info);
    if (info.kind == SCREEN_CARD_TABLE && info.turned_count > 0) {
        const uint32_t version = screen_version();
        if (!watch->table_seen || version != watch->version) {
            watch->reading.text = reading_on_screen();
            watch->reading.language = program_language();
            watch->version = version;
        }
        watch->table_seen = true;
        return 0;
    }
    return finish_watching(watch, left);
}

int finish_watching(ReadingWatch* watch, LeftReading* left) {
    if (!watch->table_seen) return 0;
    watch->table_seen = false;
    *left = std::move(watch->reading);
    watch->reading = LeftReading();
    return 1;
}
