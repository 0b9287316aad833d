// services.cpp -- the services every back end shares: registry, GAPI input, random numbers,
// memory, strings

#include "platform/common/common.h"
#include <cstdlib>
#include <cstring>

// [SECTION] Registry: one key, one value

static std::string registry_folder;
static bool registry_has_key = false;

void registry_set_install_dir(const char* host_folder) {
    registry_has_key = host_folder != nullptr;
    registry_folder = host_folder ? host_folder : "";
    while (registry_folder.size() > 1 && registry_folder.back() == '/') registry_folder.pop_back();
}

std::string registry_install_dir() {
    return registry_has_key ? registry_folder : "";
}

int registry_open_key(const wchar_t* key_path, RegistryKey* key) {
    if (!key_path || !key || !registry_has_key || std::wcscmp(key_path, PROGRAM_REGISTRY_KEY) != 0)
        return 0;
    *key = 1;
    return 1;
}

int registry_read_string(RegistryKey key, const wchar_t* value_name, wchar_t* buffer,
                         uint32_t size_bytes) {
    if (key != 1 || !registry_has_key || !value_name || !buffer) return 0;
    if (std::wcscmp(value_name, L"InstallDir") != 0) return 0;
    std::wstring value = program_path(registry_folder);
    // Two bytes per character, terminator included, as the device counts them.
    if ((value.size() + 1) * 2 > size_bytes) return 0;
    std::wmemcpy(buffer, value.c_str(), value.size() + 1);
    return 1;
}

void registry_close_key(RegistryKey) {}

// [SECTION] GAPI input: no back end has hardware buttons to take over

int GXOpenInput() {
    return 1;
}
int GXCloseInput() {
    return 1;
}

// [SECTION] Random numbers: the device's linear congruential generator

static uint32_t random_state = 1;

void seed_random(uint32_t seed) {
    random_state = seed;
}

int32_t next_random() {
    random_state = random_state * 214013u + 2531011u;
    return int32_t((random_state >> 16) & 0x7FFF);
}

// [SECTION] Memory and strings

static int allocations_left = -1;
static uint64_t allocations_made = 0;
static uint64_t releases_made = 0;

void memory_fail_after(int allowed) {
    allocations_left = allowed;
}

uint64_t memory_allocation_count() {
    return allocations_made;
}

uint64_t memory_release_count() {
    return releases_made;
}

void* allocate_memory(size_t size) {
    allocations_made++;
    if (allocations_left == 0) return nullptr;
    if (allocations_left > 0) allocations_left--;
    return std::malloc(size ? size : 1);
}

void release_memory(void* block) {
    if (block) releases_made++;
    std::free(block);
}

size_t string_length(const char* text) {
    return std::strlen(text);
}

std::string narrow(const wchar_t* text) {
    std::string out;
    for (; text && *text; text++) out.push_back(*text < 0x80 ? char(*text) : '?');
    return out;
}
