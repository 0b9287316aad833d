// card_texts_fuzz.cpp -- fuzzes quarnel-deck's card text file parser: any bytes give records
// and problems, never a crash, and records without problems write a CardDB.dat in which the
// program finds each record as written

#include "deck.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<CardText> records;
    Problems problems;
    parse_card_texts(bytes, "texts.txt", &records, &problems);
    fuzz_require(records.size() == size_t(DEALT_VALUES), "there are always 156 records");
    for (const std::string& problem : problems)
        fuzz_require(problem.compare(0, 10, "texts.txt:") == 0, "every problem names its line");
    for (const CardText& record : records) {
        if (!record.present) continue;
        fuzz_require(record.line >= 1, "a record has its heading's line");
        fuzz_require(record.text_lines.size() == record.line_texts.size(), "lines and texts pair");
        fuzz_require(record.text.find("  ") == std::string::npos, "words are single spaced");
    }
    if (!problems.empty()) return 0;
    Problems missing;
    report_missing_texts(records, &missing);
    if (!missing.empty()) return 0;
    // A file the parser accepts holds no separator in its texts: the records read back as given.
    const std::vector<uint8_t> file = encode_card_db(records);
    const std::vector<RecordLayout> back = lay_out_card_db(std::string(file.begin(), file.end()));
    for (int r = 0; r < DEALT_VALUES; r++)
        fuzz_require(back[size_t(r)].found && back[size_t(r)].text == records[size_t(r)].text,
                     "the program finds each record as written");
    return 0;
}
