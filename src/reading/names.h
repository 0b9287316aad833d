// names.h -- the names of the cards and of the readings; the generator reads them too

#pragma once
#include <cstdint>

enum : int32_t { CARD_COUNT = 78 };
// "The Fool" .. "King of Pentacles", by card number (dealt value / 2).
extern const char* const card_names[CARD_COUNT];
// The reading's name as its title shows it ("Love"), or null outside 2..7.
const char* reading_name(int32_t kind);
