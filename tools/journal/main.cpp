// main.cpp -- quarnel-journal: the journal of Quarnel's readings in the terminal

#include "journal_tool.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    const int code = run_journal_tool(words, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? code : 1;
}
