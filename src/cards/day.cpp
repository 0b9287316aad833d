// day.cpp -- the card of the day: one card, upright or reversed, from the date alone, the
// same on every device on that date

#include "cards/cards.h"

namespace {

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

bool is_date(int32_t year, int32_t month, int32_t day) {
    static const int32_t DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= DAYS[month - 1] + (month == 2 && leap);
}

// A well-mixed 32-bit number from another.
uint32_t mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// The order of the 78 cards in run `run` of 78 days: a shuffle drawn from the run's number.
// Its first card is never the last of the run before, so no card comes two days running.
void run_order(int64_t run, int32_t order[CARD_COUNT], bool check_previous = true) {
    for (int32_t i = 0; i < CARD_COUNT; i++) order[i] = i;
    const uint32_t seed = mix(uint32_t(run) ^ mix(uint32_t(uint64_t(run) >> 32) + 0x9e3779b9u));
    for (int32_t i = CARD_COUNT - 1; i > 0; i--) {
        const int32_t j = int32_t(mix(seed + uint32_t(i)) % uint32_t(i + 1));
        const int32_t held = order[i];
        order[i] = order[j];
        order[j] = held;
    }
    if (!check_previous) return;
    int32_t previous[CARD_COUNT];
    run_order(run - 1, previous, false);
    if (order[0] == previous[CARD_COUNT - 1]) {
        order[0] = order[1];
        order[1] = previous[CARD_COUNT - 1];
    }
}

} // namespace

int32_t card_of_the_day(int32_t year, int32_t month, int32_t day) {
    if (!is_date(year, month, day)) return -1;
    const int64_t days = days_from_civil(year, month, day);
    const int64_t run = days >= 0 ? days / CARD_COUNT : (days - CARD_COUNT + 1) / CARD_COUNT;
    int32_t order[CARD_COUNT];
    run_order(run, order);
    const int32_t card = order[days - run * CARD_COUNT];
    const int32_t reversed = int32_t(mix(uint32_t(days) * 2654435761u + 0x51ed27u) >> 31);
    return 2 * card + reversed;
}
