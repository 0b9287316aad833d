// journal_tool.h -- quarnel-journal's commands, apart from its main() so that the tests run
// them in process

#pragma once
#include <iosfwd>
#include <string>
#include <vector>

enum : int {
    JOURNAL_TOOL_DONE = 0,
    JOURNAL_TOOL_FAILED = 1, // the journal cannot be read or written, or nothing was found
    JOURNAL_TOOL_USAGE = 2,  // a wrong word on the command line
};

// Runs quarnel-journal with the words after its name. Reads the answers of `log` from in,
// writes results to out and messages to err. Returns the exit code.
int run_journal_tool(const std::vector<std::string>& words, std::istream& in, std::ostream& out,
                     std::ostream& err);
