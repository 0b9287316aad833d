// common.h -- what the back ends share of the platform layer: the host file system, the
// registry's one value, allocation failures for tests

#pragma once
#include "platform/platform.h"
#include <string>

// The host path of a program path ("\picture\Main.NBF" -> "/inst/picture/main.nbf"): each
// backslash-separated component matched exactly, else case-insensitively. Returns "" when
// some component does not exist.
std::string host_path(const wchar_t* path);
// A program path (backslashes) for a host path.
std::wstring program_path(const std::string& host);
// Closes every open file (a new run of the program starts with none).
void close_all_files();
// The InstallDir value of the program's registry key, a host folder; null: no key.
void registry_set_install_dir(const char* host_folder);
// Every allocation after the next `allowed` ones fails; negative: none fails.
void memory_fail_after(int allowed);
// Calls of allocate_memory (failed ones included) and of release_memory with a block, since
// the process started; the tests compare them before and after a stretch of the program.
uint64_t memory_allocation_count();
uint64_t memory_release_count();
