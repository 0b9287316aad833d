// journal_file.h -- the journal on the desktop: where it is kept, reading it whole, and
// appending whole entries to it (never rewriting it)

#pragma once
#include <string>
#include <vector>

// $XDG_DATA_HOME/quarnel/journal.md, else ~/.local/share/quarnel/journal.md (a relative
// XDG_DATA_HOME is passed over, as the XDG base directories ask); "" without a home.
std::string default_journal_path();
// Makes the folders of a journal's path that are missing (mode 0700); 1, or 0 with why.
int make_journal_folders(const std::string& path, std::string* error);
// The whole file into *bytes; 1, or 0 with the reason.
int read_journal_file(const std::string& path, std::string* bytes, std::string* error);
// "" when the file can be appended to (or made), else why not. Honours a file made
// read-only even for a user whom the system would let write.
std::string unwritable_reason(const std::string& path);
// Appends the entries, one blank line apart and after one from what the file holds, in one
// write to the file opened for appending (made when missing). Returns 1; or 0 with the
// reason, the file then holding what it held before. *made is set when the file was made.
int append_entries(const std::string& path, const std::vector<std::string>& entries, bool* made,
                   std::string* error);
