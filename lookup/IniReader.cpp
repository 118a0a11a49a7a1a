#include "lookup/IniReader.h"

#include "util/TextRules.h"

namespace quendra {

IniReader::IniReader(std::u16string_view text) {
    for (const auto& rawLine : SplitLines(text)) {
        const std::u16string line = Trim(rawLine);
        if (line.empty() || line.front() == u';')
            continue;
        if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
            sections_.push_back({Trim(std::u16string_view(line).substr(1, line.size() - 2)), {}});
            lastSection_[AsciiLower(sections_.back().name)] = sections_.size() - 1;
            continue;
        }
        if (sections_.empty())
            continue;
        const auto eq = line.find(u'=');
        if (eq == std::u16string::npos)
            continue;  // part of the section, but never an entry
        sections_.back().entries.emplace_back(Trim(std::u16string_view(line).substr(0, eq)),
                                              Trim(std::u16string_view(line).substr(eq + 1)));
    }
}

std::vector<std::u16string> IniReader::SectionNames() const {
    std::vector<std::u16string> names;
    names.reserve(sections_.size());
    for (const auto& section : sections_)
        names.push_back(section.name);
    return names;
}

std::u16string IniReader::ReadString(std::u16string_view section, std::u16string_view name,
                                     std::u16string_view fallback) const {
    const auto found = lastSection_.find(AsciiLower(section));
    if (found == lastSection_.end())
        return std::u16string(fallback);
    const auto& entries = sections_[found->second].entries;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        if (EqualsNoCase(e->first, name))
            return e->second;
    }
    return std::u16string(fallback);
}

}  // namespace quendra
