// fuzz_support.h -- what the fuzz harnesses share: a scratch file for each input, checks that
// stop the fuzzer with a message, little-endian fields

#pragma once
#include "platform/headless/headless.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the input to a file named `name` in this process's scratch folder (on tmpfs when
// there is one) and returns its program path, ready for open_file.
std::wstring fuzz_file(const char* name, const uint8_t* data, size_t size);

// Stops the run with `what` when a property does not hold; libFuzzer keeps the input.
void fuzz_require(bool holds, const char* what);

// The text of every message box since the last headless_reset, "|<digits>" style.
size_t fuzz_message_count();
bool fuzz_last_message_is(const char* text);

// A field read from the input; bytes past its end read as 0.
uint32_t fuzz_u32(const uint8_t* data, size_t size, size_t at);
uint8_t fuzz_u8(const uint8_t* data, size_t size, size_t at);
