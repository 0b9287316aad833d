// names.h -- the names of the cards; the generator reads them too

#pragma once
#include "core/core.h"

// "The Fool" .. "King of Pentacles", by card number (dealt value / 2); card_name (platform.h)
// answers from it.
extern const char* const card_names[CARD_COUNT];
