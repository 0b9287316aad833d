// web_main.cpp -- the page's program: the packed install folder, the clock, app_main, and
// the page's end screen (and the journal's last reading) when the program ends

#include "platform/common/common.h"
#include "platform/web/web.h"

// Where the build packs the install folder into the page's file system.
static const char INSTALL_FOLDER[] = "/quarnel";

int main() {
    web_start_clock();
    registry_set_install_dir(INSTALL_FOLDER);
    int code = app_main(1, 0, L"", 1);
    web_finish_journal(); // a card table on display at the end counts as left
    release_objects();
    close_all_files();
    web_program_ended(code);
    return code;
}
