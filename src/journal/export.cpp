// export.cpp -- the journal for other tools: Markdown in its own format, JSON, and CSV with
// one row per card drawn

#include "journal/journal.h"
#include "platform/platform.h"

// [SECTION] JSON strings

namespace {

// The length of the UTF-8 sequence at text[at], or 0 when it is not one.
size_t utf8_length(const std::string& text, size_t at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) >> 6) != 2) return 0;
    if (length == 2 && c < 0xC2) return 0; // overlong
    return length;
}

} // namespace

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const size_t length = utf8_length(text, at);
        if (length == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that is not UTF-8
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out.append(text, at, length);
        }
        at += length;
    }
    return out + "\"";
}

// [SECTION] Exports

namespace {

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

const char* source_name(int32_t source) {
    return source == SOURCE_OWN_DECK ? "own deck" : "dealt";
}

} // namespace

std::string export_markdown(const Journal& journal, const JournalFilter& filter) {
    std::string out;
    for (const JournalEntry& entry : journal.entries) {
        if (!entry_matches(journal, entry, filter)) continue;
        if (!out.empty()) out += "\n";
        out += entry_text(journal, entry);
        if (out.back() != '\n') out += "\n";
    }
    return out;
}

std::string export_csv(const Journal& journal, const JournalFilter& filter) {
    std::string out = "entry,date,time,language,reading,source,deck,position,question,card,name,"
                      "orientation,meaning\r\n";
    for (size_t n = 0; n < journal.entries.size(); ++n) {
        const JournalEntry& entry = journal.entries[n];
        if (!entry.readable || !entry_matches(journal, entry, filter)) continue;
        const JournalWords& words = journal_words(entry.language);
        const std::string date = format_entry_date(entry.reading, entry.date);
        const std::string head =
            std::to_string(n + 1) + "," + date.substr(0, 10) + "," +
            (date.size() > 11 ? date.substr(11) : "") + "," + language_code(entry.language) + "," +
            csv_field(kind_name_in(entry.language, entry.reading)) + "," +
            source_name(entry.source) + "," + csv_field(span_text(journal, entry.deck));
        const JournalPosition* positions = entry_positions(journal, entry);
        for (uint32_t p = 0; p < entry.position_count; ++p) {
            if (positions[p].card == NO_CARD) continue;
            out += head + "," + std::to_string(p + 1) + "," +
                   csv_field(span_text(journal, positions[p].question)) + "," +
                   std::to_string(positions[p].card) + "," +
                   csv_field(language_card_name(entry.language, positions[p].card)) + "," +
                   csv_field(positions[p].reversed ? words.reversed : words.upright) + "," +
                   csv_field(span_text(journal, positions[p].meaning)) + "\r\n";
        }
    }
    return out;
}

std::string export_json(const Journal& journal, const JournalFilter& filter) {
    std::string out = "[";
    bool first = true;
    for (size_t n = 0; n < journal.entries.size(); ++n) {
        const JournalEntry& entry = journal.entries[n];
        if (!entry_matches(journal, entry, filter)) continue;
        out += std::string(first ? "\n" : ",\n") + "{\"entry\":" + std::to_string(n + 1) +
               ",\"lines\":[" + std::to_string(entry.first_line) + "," +
               std::to_string(entry.last_line) + "]";
        first = false;
        if (!entry.readable) {
            out += ",\"readable\":false,\"problem\":" + json_string(entry.problem) +
                   ",\"text\":" + json_string(entry_text(journal, entry)) + "}";
            continue;
        }
        // Names and words as the entry writes them, in its language.
        const JournalWords& words = journal_words(entry.language);
        EntryDraft draft = entry_draft(journal, entry);
        out += ",\"readable\":true,\"date\":" +
               json_string(format_entry_date(entry.reading, entry.date)) +
               ",\"language\":" + json_string(language_code(entry.language)) +
               ",\"kind\":" + std::to_string(entry.reading) +
               ",\"reading\":" + json_string(kind_name_in(entry.language, entry.reading)) +
               ",\"heading\":" + json_string(entry_heading(draft)) +
               ",\"source\":" + json_string(source_name(entry.source)) +
               ",\"deck\":" + json_string(draft.deck) +
               ",\"key\":" + json_string(entry_key(journal, entry)) + ",\"positions\":[";
        for (size_t p = 0; p < draft.positions.size(); ++p) {
            const EntryDraft::Position& position = draft.positions[p];
            const std::string count = std::to_string(draft.positions.size());
            out += std::string(p ? "," : "") + "{\"question\":" + json_string(position.question) +
                   ",\"position\":" +
                   json_string(draft.positions.size() > 1
                                   ? words.card + std::to_string(p + 1) + words.of + count
                                   : "");
            if (position.card == NO_CARD)
                out += ",\"card\":null,\"state\":" +
                       json_string(position.not_drawn ? "not drawn" : "face down") + ",\"words\":" +
                       json_string(position.not_drawn ? words.not_drawn : words.face_down);
            else
                out += ",\"card\":" + std::to_string(position.card) + ",\"name\":" +
                       json_string(language_card_name(entry.language, position.card)) +
                       ",\"reversed\":" + (position.reversed ? "true" : "false") + ",\"words\":" +
                       json_string(position.reversed ? words.reversed : words.upright) +
                       ",\"meaning\":" + json_string(position.meaning);
            out += "}";
        }
        out += "],\"notes\":" + json_string(draft.notes) + "}";
    }
    return out + (first ? "]\n" : "\n]\n");
}
