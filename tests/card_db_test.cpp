// card_db_test.cpp -- the card text file: finding records by their separators, the 23-column
// layout, the failures and the limits that keep the layout inside its buffers

#include "test_support.h"
#include "reading/reading.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

// A card file: "$", then each record followed by CR LF and "$".
std::string card_file(const std::vector<std::string>& records, const std::string& preamble = "") {
    std::string out = preamble + "$";
    for (const std::string& record : records) out += record + "\r\n$";
    return out;
}

// Row r of the laid-out text, all 23 bytes.
std::string row(const AppState& state, int32_t r) {
    return std::string(state.wrapped_text + 23 * r, 23);
}

// Each record's expected result and rows, 23 bytes each ('\0' for an unwritten column).
struct LayoutCase {
    const char* what;
    std::string record;
    int32_t result;
    std::vector<std::string> rows;
};

class CardDb : public ::testing::Test {
  protected:
    // Writes the card file into a fresh folder and opens it into a cleared record.
    void open_cards(const std::string& content) {
        headless_reset();
        std::memset(&state, 0, sizeof state);
        const std::string folder =
            make_test_folder(std::string("card_db_") +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        write_test_file(folder + "/picture/CardDB.dat", content);
        // The program's path names the folders in other cases; components match regardless.
        ASSERT_EQ(open_card_db(&state, 0, wide_path(folder + "/Picture/carddb.DAT").c_str()), 1);
        ASSERT_NE(state.card_db_file, 0);
    }
    // Clears both text buffers as the scroller does, then reads the record.
    int32_t read(int32_t record) {
        std::memset(state.record_text, 0, sizeof state.record_text);
        std::memset(state.wrapped_text, 0, sizeof state.wrapped_text);
        return read_card_text(&state, record);
    }
    // Writes the cases' records into one card file and reads each: its result, its text
    // length, and its rows; then finds and lays it out from the file held in memory, to the
    // same result and rows.
    void expect_layouts(const std::vector<LayoutCase>& cases) {
        std::vector<std::string> records;
        for (const LayoutCase& c : cases) records.push_back(c.record);
        const std::string file = card_file(records);
        open_cards(file);
        for (size_t n = 0; n < cases.size(); ++n) {
            const LayoutCase& c = cases[n];
            SCOPED_TRACE(c.what);
            EXPECT_EQ(read(int32_t(n)), c.result);
            // Without an end the length stays the record's byte count, its CR included.
            EXPECT_EQ(state.text_length, c.result ? c.result : int32_t(c.record.size() + 1));
            for (size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(row(state, int32_t(r)), c.rows[r]);

            const char* text = nullptr;
            int32_t held = 0, length = 0;
            char rows[WRAPPED_TEXT_SIZE] = {};
            ASSERT_EQ(find_card_record(file.data(), file.size(), int32_t(n), &text, &held, &length),
                      1);
            EXPECT_EQ(std::string(text, size_t(held)),
                      std::string(state.record_text, size_t(held)));
            EXPECT_EQ(lay_out_card_text(text, held, length, rows, WRAPPED_TEXT_SIZE), c.result);
            EXPECT_EQ(std::string(rows, sizeof rows),
                      std::string(state.wrapped_text, sizeof state.wrapped_text));
        }
        const char* text = nullptr;
        int32_t held = 0, length = 0;
        EXPECT_EQ(find_card_record(file.data(), file.size(), int32_t(cases.size()), &text, &held,
                                   &length),
                  0)
            << "no record after the last separator";
    }
    void TearDown() override {
        if (state.card_db_file != 0) close_file(state.card_db_file);
    }
    AppState state;
};

} // namespace

// [SECTION] Record lookup

TEST_F(CardDb, record_of_two_letters_and_a_period_is_one_padded_row_of_length_22) {
    open_cards("$ab.\r\n$");
    EXPECT_EQ(read(0), 22);
    EXPECT_EQ(state.text_length, 22);
    EXPECT_EQ(std::string(state.record_text, 5), std::string("ab.\r\0", 5)) << "L = 4, CR kept";
    EXPECT_EQ(row(state, 0), "ab." + std::string(20, ' '));
    EXPECT_EQ(state.wrapped_text[23], 0) << "nothing past the one row";
}

TEST_F(CardDb, preamble_before_the_first_separator_belongs_to_no_record) {
    open_cards(card_file({"First.", "Second.", "Third."}, "a preamble. with periods.\r\n"));
    EXPECT_EQ(read(0), 22);
    EXPECT_EQ(row(state, 0).substr(0, 6), "First.");
    EXPECT_EQ(read(2), 22);
    EXPECT_EQ(row(state, 0).substr(0, 6), "Third.");
    EXPECT_EQ(read(1), 22) << "every lookup scans again from the start";
    EXPECT_EQ(row(state, 0).substr(0, 7), "Second.");
}

TEST_F(CardDb, record_number_is_the_dealt_value_up_to_the_last_of_156) {
    std::vector<std::string> records;
    for (int i = 0; i < 156; ++i) records.push_back("Record " + std::to_string(i) + ".");
    open_cards(card_file(records));
    EXPECT_EQ(read(155), 22);
    EXPECT_EQ(row(state, 0).substr(0, 11), "Record 155.");
    EXPECT_EQ(read(0), 22);
    EXPECT_EQ(row(state, 0).substr(0, 9), "Record 0.");
    EXPECT_TRUE(headless_messages().empty());
}

TEST_F(CardDb, end_of_file_before_the_separator_fails_once_and_closes_the_file) {
    open_cards("$ab.\r\n$");
    EXPECT_EQ(read(1), 0) << "record 1 needs a third separator";
    EXPECT_EQ(state.text_length, 0);
    ASSERT_EQ(headless_messages().size(), 1u);
    EXPECT_EQ(headless_messages()[0], "|File not found1.");
    EXPECT_EQ(state.card_db_file, 0) << "closed, so shut-down does not close it again";
    EXPECT_EQ(read(0), 0) << "the file stays closed";
    EXPECT_EQ(headless_messages().size(), 2u);
    EXPECT_EQ(headless_messages()[1], "|File not found1.");
}

TEST_F(CardDb, missing_file_reports_its_name_and_every_read_then_fails) {
    headless_reset();
    std::memset(&state, 0, sizeof state);
    const std::string folder = make_test_folder("card_db_missing");
    EXPECT_EQ(open_card_db(&state, 0, wide_path(folder + "/picture/CardDB.dat").c_str()), 0);
    EXPECT_EQ(state.card_db_file, 0);
    ASSERT_EQ(headless_messages().size(), 1u);
    EXPECT_EQ(headless_messages()[0], "|File is not exist. File name is 'CardDB.dat");
    EXPECT_EQ(read(0), 0);
    ASSERT_EQ(headless_messages().size(), 2u);
    EXPECT_EQ(headless_messages()[1], "|File not found1.");
}

TEST_F(CardDb, records_without_bytes_return_0_without_reading_or_a_message) {
    open_cards("$$x$\n$ab.\r\n$");
    EXPECT_EQ(read(0), 0) << "adjacent separators";
    EXPECT_EQ(read(1), 0) << "one byte, the line end, and no text";
    EXPECT_EQ(read(2), 0) << "only a line end";
    EXPECT_EQ(state.text_length, 0);
    EXPECT_EQ(read(3), 22) << "the file is still open and usable";
    EXPECT_TRUE(headless_messages().empty());
}

// [SECTION] Layout

TEST_F(CardDb, rows_break_at_periods_whole_words_and_the_last_column) {
    const std::string Z(1, '\0');
    const std::vector<LayoutCase> cases = {
        {"period in column 23: not padded, the next byte skipped",
         "aaaaaaaaaa bbbbbbbbbbb. Next text ends here.",
         45,
         {"aaaaaaaaaa bbbbbbbbbbb.", "Next text ends here.   "}},
        {"letter in column 23 and a space: a full row, the space dropped",
         "aaaaaaaaaa bbbbbbbbbbbb cc.",
         45,
         {"aaaaaaaaaa bbbbbbbbbbbb", "cc." + std::string(20, ' ')}},
        {"word crossing the row end (d = 1): moved whole, last column unwritten",
         "aaaaaaaaaa bbbbbbbbbb cccc.",
         45,
         {"aaaaaaaaaa bbbbbbbbbb " + Z, "cccc." + std::string(18, ' ')}},
        {"word crossing the row end (d = 7)",
         "aaaaaaaaaaaaaaa bbbbbbbbbbbbb.",
         45,
         {"aaaaaaaaaaaaaaa" + std::string(7, ' ') + Z, "bbbbbbbbbbbbb." + std::string(9, ' ')}},
        {"comma in column 23: copied, the next row starts with the space",
         "aaaaaaaaaa bbbbbbbbbbb, cc.",
         45,
         {"aaaaaaaaaa bbbbbbbbbbb,", " cc." + std::string(19, ' ')}},
        {"three spaces after a period end the text before the record does",
         "First one.       Tail that is never shown.",
         22,
         {"First one." + std::string(13, ' '), std::string(23, '\0')}},
        {"no end: laid out all the same, result 0",
         "ab. cdefghijk",
         0,
         {"ab." + std::string(20, ' '), "cdefghijk\r" + std::string(13, '\0')}},
        {"a word longer than a row cuts the text after the rows before it",
         "cc " + std::string(30, 'w') + " dd.",
         0,
         {"cc" + std::string(20, ' ') + Z, std::string(23, '\0')}},
    };
    expect_layouts(cases);
}

TEST_F(CardDb, seven_rows_count_as_eight_with_165_and_six_and_eight_rows_keep_their_length) {
    open_cards(card_file({full_rows(6), full_rows(7), full_rows(8)}));
    EXPECT_EQ(read(0), 137);
    EXPECT_EQ(read(1), 165);
    EXPECT_EQ(state.text_length, 165);
    EXPECT_EQ(row(state, 6), std::string(22, 'g') + ".");
    EXPECT_EQ(read(2), 183);
    EXPECT_EQ(state.text_length, 183);
}

// [SECTION] Limits

TEST_F(CardDb, over_long_record_is_cut_at_the_buffer_and_its_beginning_still_shown) {
    std::string sentences;
    while (sentences.size() < 1000) sentences += "Words run on and on, ";
    std::string ended = "Short.       " + sentences;
    open_cards(card_file({sentences, ended}));
    state.tap_x = 0x41414141;
    EXPECT_EQ(read(0), 0) << "its end lies beyond the part that was read";
    EXPECT_EQ(state.text_length, RECORD_TEXT_SIZE);
    EXPECT_EQ(std::string(state.record_text, 21), "Words run on and on, ");
    EXPECT_EQ(row(state, 0), std::string("Words run on and on,  ") + '\0');
    EXPECT_EQ(state.tap_x, 0x41414141) << "nothing written past the text buffers";
    EXPECT_EQ(read(1), 22) << "an end within the part read is still found";
    EXPECT_EQ(row(state, 0), "Short." + std::string(17, ' '));
}

TEST_F(CardDb, layout_stops_at_52_rows_without_writing_past_the_buffer) {
    // Two 12-letter words never share a row, so 53 words need 53 rows.
    std::string text;
    for (int i = 0; i < 53; ++i) text += (i ? " " : "") + std::string(12, char('a' + i % 26));
    ASSERT_LE(text.size() + 1, size_t(RECORD_TEXT_SIZE));
    open_cards(card_file({text}));
    state.tap_x = 0x41414141;
    EXPECT_EQ(read(0), 0);
    EXPECT_EQ(row(state, 51).substr(0, 13), std::string(12, char('a' + 51 % 26)) + " ");
    EXPECT_EQ(std::string(state.wrapped_text + 52 * 23, 4), std::string(4, '\0'));
    EXPECT_EQ(state.tap_x, 0x41414141);
}

// [SECTION] The shipped card file

TEST(CardDbFile, every_shipped_record_is_found_and_ends_within_its_rows) {
    headless_reset();
    AppState state;
    std::memset(&state, 0, sizeof state);
    ASSERT_EQ(open_card_db(&state, 0, wide_path(data_dir() + "/picture/CardDB.dat").c_str()), 1);
    for (int32_t value = 0; value < 156; ++value) {
        std::memset(state.record_text, 0, sizeof state.record_text);
        std::memset(state.wrapped_text, 0, sizeof state.wrapped_text);
        const int32_t length = read_card_text(&state, value);
        ASSERT_GT(length, 0) << "record " << value;
        EXPECT_EQ(length, state.text_length);
        EXPECT_LE(length / 23 + 1, int32_t(TEXT_ROWS_MAX));
    }
    EXPECT_TRUE(headless_messages().empty());
    close_file(state.card_db_file);
}

// The rules at their exact limits: where a text ends, and the one word that still fits.
TEST_F(CardDb, text_end_and_row_rules_hold_at_their_exact_limits) {
    const std::string Z(1, '\0'), blank(23, '\0');
    const std::vector<LayoutCase> cases = {
        {"a period three bytes before the record's end ends the text",
         "ab. x",
         22,
         {"ab." + std::string(20, ' '), blank}},
        {"a period four bytes before it does not",
         "ab. xy",
         0,
         {"ab." + std::string(20, ' '), "xy\r" + std::string(20, '\0')}},
        {"three spaces 5 to 7 bytes after the period end the text",
         "One. abc   More words.",
         22,
         {"One." + std::string(19, ' '), blank}},
        {"three spaces 4 to 6 bytes after it do not",
         "One. ab   c more.",
         45,
         {"One." + std::string(19, ' '), "ab   c more." + std::string(11, ' ')}},
        {"a row that starts with a space before a word longer than a row is left blank",
         "aaaaaaaaaa bbbbbbbbbbb, " + std::string(24, 'w') + " dd.",
         0,
         {"aaaaaaaaaa bbbbbbbbbbb,", std::string(22, ' ') + Z, blank}},
        {"a capital in column 23 and a space: a full row, the space dropped",
         "aaaaaaaaaa bbbbbbbbbbbB cc.",
         45,
         {"aaaaaaaaaa bbbbbbbbbbbB", "cc." + std::string(20, ' ')}},
        {"a word of capitals crossing the row end moves whole",
         "aaaaaaaaaa BBBBBBBBBB CCCC.",
         45,
         {"aaaaaaaaaa BBBBBBBBBB " + Z, "CCCC." + std::string(18, ' ')}},
        {"a word of exactly 23 letters fills its row",
         "aaaaaaaaaa bbbbbbbbbbb, " + std::string(23, 'w') + " dd.",
         91,
         {"aaaaaaaaaa bbbbbbbbbbb,", std::string(22, ' ') + Z, std::string(23, 'w'),
          "dd." + std::string(20, ' ')}},
    };
    expect_layouts(cases);
}
