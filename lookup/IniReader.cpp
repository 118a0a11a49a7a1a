#include "lookup/IniReader.h"

#include <algorithm>

#include "util/TextRules.h"

namespace quendra {

namespace {

std::u16string_view TrimView(std::u16string_view text) {
    while (!text.empty() && text.front() <= u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() <= u' ')
        text.remove_suffix(1);
    return text;
}

// Calls `visit` with each line (CR LF, CR or LF end one; U+0000 ends the text).
template <class Visit>
void ForEachLine(std::u16string_view text, Visit&& visit) {
    text = text.substr(0, text.find(u'\0'));
    while (!text.empty()) {
        const auto end = std::min(text.find_first_of(u"\r\n"), text.size());
        visit(text.substr(0, end));
        std::size_t next = end;
        if (next < text.size() && text[next] == u'\r')
            ++next;
        if (next < text.size() && text[next] == u'\n')
            ++next;
        text.remove_prefix(next);
    }
}

}  // namespace

IniReader::IniReader(std::u16string_view text) : text_(text), lowerText_(AsciiLower(text)) {
    const std::u16string_view all(text_);
    // The same place in the lower-case copy.
    const auto lower = [&](std::u16string_view part) {
        return std::u16string_view(lowerText_).substr(part.data() - all.data(), part.size());
    };
    ForEachLine(all, [&](std::u16string_view rawLine) {
        const auto line = TrimView(rawLine);
        if (line.empty() || line.front() == u';')
            return;
        if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
            Section section{TrimView(line.substr(1, line.size() - 2)), 0, entries_.size(), 0};
            const auto [id, added] = nameIds_.try_emplace(lower(section.name), lastOfName_.size());
            if (added)
                lastOfName_.push_back(0);
            section.nameId = id->second;
            lastOfName_[section.nameId] = sections_.size();
            sections_.push_back(section);
            return;
        }
        if (sections_.empty())
            return;
        const auto eq = line.find(u'=');
        if (eq == std::u16string_view::npos)
            return;  // part of the section, but never an entry
        entries_.push_back({TrimView(line.substr(0, eq)), TrimView(line.substr(eq + 1))});
        ++sections_.back().entryCount;
    });
}

std::vector<std::u16string> IniReader::SectionNames() const {
    std::vector<std::u16string> names;
    names.reserve(sections_.size());
    for (const auto& section : sections_)
        names.emplace_back(section.name);
    return names;
}

std::size_t IniReader::LastSectionNamedAs(std::size_t index) const {
    return lastOfName_[sections_[index].nameId];
}

std::u16string_view IniReader::EntryOf(std::size_t index, std::u16string_view name,
                                       std::u16string_view fallback) const {
    const Section& section = sections_[index];
    for (std::size_t i = section.firstEntry + section.entryCount; i > section.firstEntry; --i) {
        if (EqualsNoCase(entries_[i - 1].name, name))
            return entries_[i - 1].value;
    }
    return fallback;
}

std::u16string IniReader::ReadString(std::u16string_view section, std::u16string_view name,
                                     std::u16string_view fallback) const {
    const std::u16string folded = AsciiLower(section);
    const auto found = nameIds_.find(folded);
    if (found == nameIds_.end())
        return std::u16string(fallback);
    return std::u16string(EntryOf(lastOfName_[found->second], name, fallback));
}

}  // namespace quendra
