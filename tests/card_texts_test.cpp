// card_texts_test.cpp -- the 156 shipped meanings of every language, read and laid out by the
// program itself: every record ends, every word stays whole on its row, each names its own
// card and orientation in its language, and no text is missing or given twice

#include "test_support.h"
#include "reading/reading.h"
#include "core/encoding.h"
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

// The Windows-1252 bytes of a UTF-8 text of the words table.
std::string cp1252(const std::string& text) {
    std::string out;
    size_t at = 0;
    for (uint32_t c; (c = next_utf8(text.c_str(), &at)) != 0;) out += char(unicode_to_cp1252(c));
    return out;
}

// "The Fool, upright." as the language's texts open, in Windows-1252.
std::string opening(int32_t language, int32_t value) {
    return cp1252(std::string(language_card_name(language, value / 2)) + ", " +
                  language_word(language, value % 2 ? "reversed" : "upright") + ".");
}

// Each test runs for every language, with that language's card text file: every record found
// and laid out by the program's own lookup and layout.
class CardTexts : public ::testing::TestWithParam<int32_t> {
  protected:
    std::vector<Record> records;

    void SetUp() override {
        const std::string file = read_test_file(language_dir(GetParam()) + "/picture/CardDB.dat");
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

} // namespace

INSTANTIATE_TEST_SUITE_P(Languages, CardTexts, ::testing::Range(0, int32_t(LANGUAGE_COUNT)),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                             return std::string(language_code(info.param));
                         });

TEST_P(CardTexts, every_record_ends_and_keeps_every_word_whole_in_order) {
    ASSERT_EQ(records.size(), 156u);
    for (int value = 0; value < 156; ++value) {
        const Record& r = records[size_t(value)];
        SCOPED_TRACE(opening(GetParam(), value));
        ASSERT_GT(r.result, 0) << "the end of the text is found";
        std::vector<std::string> expected = words_of(r.raw);
        // Words on the rows, a word that ends a row with a hyphen or an apostrophe ("l'" in
        // French and Italian) joined to the next row's.
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
                      (row_words.back().back() == '-' || row_words.back().back() == '\'');
        }
        EXPECT_EQ(shown, expected);
        size_t words = expected.size();
        EXPECT_GE(words, 60u);
        EXPECT_LE(words, 110u);
        EXPECT_LE(r.raw.size(), 700u);
    }
}

TEST_P(CardTexts, each_record_first_names_its_own_card_and_orientation) {
    for (int value = 0; value < 156; ++value) {
        std::string first = opening(GetParam(), value);
        EXPECT_EQ(records[size_t(value)].raw.compare(0, first.size(), first), 0)
            << "record " << value << " begins \"" << records[size_t(value)].raw.substr(0, 40)
            << "\"";
    }
}

TEST_P(CardTexts, no_two_records_are_the_same_and_upright_and_reversed_differ) {
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
        EXPECT_LT(same, up.size() / 4) << opening(GetParam(), 2 * card);
    }
}
