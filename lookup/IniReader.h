#pragma once

// The lookup reply read as INI-style text: "[name]" lines open sections, "name=value"
// lines are entries. Names match without regard to letter case.

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quendra {

class IniReader {
public:
    // Lines end at CR LF, CR or LF; U+0000 ends the text. Lines are trimmed; empty lines,
    // lines beginning with ";" and lines before the first section are skipped.
    explicit IniReader(std::u16string_view text);

    // Section names in text order, once per occurrence (repeated names repeat).
    std::vector<std::u16string> SectionNames() const;

    // The value of the last entry `name` in the last section `section`, or `fallback`. The
    // section is found through an index; its entries are searched from the last.
    std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                              std::u16string_view fallback = {}) const;

private:
    struct Section {
        std::u16string name;
        std::vector<std::pair<std::u16string, std::u16string>> entries;
    };
    std::vector<Section> sections_;
    // Letter-case-folded name -> index of the last section of that name.
    std::unordered_map<std::u16string, std::size_t> lastSection_;
};

}  // namespace quendra
