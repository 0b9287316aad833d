// web_main.cpp -- the page's program: the packed install folder of the page's language, the
// clock, app_main (again in another language when the page asks), and the page's end screen
// (and the journal's last reading) when the program ends

#include "platform/common/common.h"
#include "platform/web/web.h"

int main() {
    web_start_clock();
    int code = 0;
    do {
        char language[8];
        web_language(language, sizeof language);
        const int32_t chosen = language_of_code(language);
        registry_set_install_dir(
            language_install_dir(WEB_INSTALL_FOLDER, chosen < 0 ? 0 : chosen).c_str());
        code = app_main(1, 0, L"", 1);
        web_finish_journal(); // a card table on display at the end counts as left
        release_objects();
        close_all_files();
        queue_reset(); // the next run starts with no quit posted
    } while (web_restart_asked());
    web_program_ended(code);
    return code;
}
