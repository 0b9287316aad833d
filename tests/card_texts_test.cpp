// card_texts_test.cpp -- the 156 shipped meanings, read and laid out by the program itself:
// every record ends, every word stays whole on its row, each names its own card and
// orientation, and no text is missing or given twice

#include "test_support.h"
#include "reading/reading.h"
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <sstream>

namespace {

std::vector<std::string> words_of(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

struct Record {
    std::string raw;               // the record's bytes, as the program keeps them
    std::vector<std::string> rows; // its layout, row by row, zeros shown as spaces
    int32_t result;
};

class CardTexts : public ::testing::Test {
  protected:
    static std::vector<Record> records;

    // Every record found and laid out by the program's own lookup and layout.
    static void SetUpTestSuite() {
        const std::string file = read_test_file(data_dir() + "/picture/CardDB.dat");
        for (int32_t value = 0; value < 156; ++value) {
            const char* text = nullptr;
            int32_t held = 0, length = 0;
            ASSERT_EQ(find_card_record(file.data(), file.size(), value, &text, &held, &length), 1);
            char rows[WRAPPED_TEXT_SIZE] = {};
            Record r;
            r.result = lay_out_card_text(text, held, length, rows, WRAPPED_TEXT_SIZE);
            r.raw = std::string(text, size_t(held));
            int count = r.result > 0 ? r.result / 23 + (r.result % 23 != 0) : 0;
            for (int i = 0; i < count; ++i) {
                std::string row(rows + 23 * i, 23);
                for (char& c : row)
                    if (c == 0) c = ' ';
                r.rows.push_back(row);
            }
            records.push_back(r);
        }
    }
};

std::vector<Record> CardTexts::records;

} // namespace

TEST_F(CardTexts, every_record_ends_and_keeps_every_word_whole_in_order) {
    ASSERT_EQ(records.size(), 156u);
    for (int value = 0; value < 156; ++value) {
        const Record& r = records[size_t(value)];
        SCOPED_TRACE(std::string(card_name(value / 2)) + (value % 2 ? ", reversed" : ", upright"));
        ASSERT_GT(r.result, 0) << "the end of the text is found";
        std::vector<std::string> expected = words_of(r.raw);
        // Words on the rows, a word that ends a row with a hyphen joined to the next row's.
        std::vector<std::string> shown;
        bool joining = false;
        for (const std::string& row : r.rows) {
            std::vector<std::string> row_words = words_of(row);
            for (size_t i = 0; i < row_words.size(); ++i) {
                if (i == 0 && joining && row[0] != ' ')
                    shown.back() += row_words[i];
                else
                    shown.push_back(row_words[i]);
            }
            joining = !row_words.empty() && row.find_last_not_of(' ') == 22 &&
                      row_words.back().back() == '-';
        }
        EXPECT_EQ(shown, expected);
        size_t words = expected.size();
        EXPECT_GE(words, 60u);
        EXPECT_LE(words, 110u);
        EXPECT_LE(r.raw.size(), 700u);
    }
}

TEST_F(CardTexts, each_record_first_names_its_own_card_and_orientation) {
    for (int value = 0; value < 156; ++value) {
        std::string first =
            std::string(card_name(value / 2)) + (value % 2 ? ", reversed." : ", upright.");
        EXPECT_EQ(records[size_t(value)].raw.compare(0, first.size(), first), 0)
            << "record " << value << " begins \"" << records[size_t(value)].raw.substr(0, 40)
            << "\"";
    }
}

TEST_F(CardTexts, no_two_records_are_the_same_and_upright_and_reversed_differ) {
    std::set<std::string> bodies;
    for (int value = 0; value < 156; ++value) {
        const std::string& raw = records[size_t(value)].raw;
        std::string body = raw.substr(raw.find('.') + 1); // after the naming sentence
        EXPECT_TRUE(bodies.insert(body).second) << "record " << value << " repeats another";
    }
    // Upright and reversed of one card share few of their sentences' words in order.
    for (int card = 0; card < 78; ++card) {
        std::vector<std::string> up = words_of(records[size_t(2 * card)].raw);
        std::vector<std::string> down = words_of(records[size_t(2 * card + 1)].raw);
        size_t same = 0;
        for (size_t i = 2; i < std::min(up.size(), down.size()); ++i) same += up[i] == down[i];
        EXPECT_LT(same, up.size() / 4) << card_name(card);
    }
}
