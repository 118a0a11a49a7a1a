#pragma once

// The lookup reply read as INI-style text: "[name]" lines open sections, "name=value"
// lines are entries. Names match without regard to letter case. Reading is linear in the
// text's length, and so is reading every section's entry through the index functions: the
// reader keeps one copy of the text (and one in lower case for the names' index) and
// refers into it, so a text of many small sections makes no allocation per section.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quendra {

class IniReader {
public:
    // Lines end at CR LF, CR or LF; U+0000 ends the text. Lines are trimmed; empty lines,
    // lines beginning with ";" and lines before the first section are skipped.
    explicit IniReader(std::u16string_view text);
    IniReader(const IniReader&) = delete;
    IniReader& operator=(const IniReader&) = delete;

    // Section names in text order, once per occurrence (repeated names repeat).
    std::vector<std::u16string> SectionNames() const;

    // The value of the last entry `name` in the last section `section`, or `fallback`.
    std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                              std::u16string_view fallback = {}) const;

    // The sections by their place in the text (0 .. SectionCount() - 1).
    std::size_t SectionCount() const { return sections_.size(); }
    // The place of the last section whose name is that of section `index`: the one every
    // look-up by that name reads.
    std::size_t LastSectionNamedAs(std::size_t index) const;
    // The value of the last entry `name` in section `index`, or `fallback`.
    std::u16string_view EntryOf(std::size_t index, std::u16string_view name,
                                std::u16string_view fallback = {}) const;

private:
    struct Section {
        std::u16string_view name;  // in text_
        std::size_t nameId = 0;
        std::size_t firstEntry = 0;  // in entries_
        std::size_t entryCount = 0;
    };
    struct Entry {
        std::u16string_view name;  // in text_
        std::u16string_view value;
    };
    const std::u16string text_;
    const std::u16string lowerText_;  // the names' index refers into this
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    std::unordered_map<std::u16string_view, std::size_t> nameIds_;  // folded name -> id
    std::vector<std::size_t> lastOfName_;                           // id -> last section
};

}  // namespace quendra
