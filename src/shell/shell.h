// shell.h -- the application shell: start-up, the window procedure, the main loop, and the
// lifetime of the program's objects

#pragma once
#include "core/core.h"

// [SECTION] Operations
// app_main and release_objects, which the back ends call, are declared in platform.h.

int start_up(intptr_t instance);
void register_window_class(intptr_t instance, const wchar_t* class_name);
int32_t window_procedure(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);
void read_install_dir();
// Reads "\picture\language.txt" of the install folder into current_language: the code of its
// language ("es"), alone or followed by a line end. A folder without it is English (the
// default folder has none); a code the words table does not know shows a message and leaves
// English.
void read_language();
// Allocates the back buffer, the palette, the pictures and the state record; destroys the
// main window when one cannot be allocated.
void create_objects();
