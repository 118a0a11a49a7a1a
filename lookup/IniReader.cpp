#include "lookup/IniReader.h"

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

IniReader::IniReader(std::u16string_view text) {
    ForEachLine(text, [&](std::u16string_view rawLine) {
        const auto line = TrimView(rawLine);
        if (line.empty() || line.front() == u';')
            return;
        if (line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
            Section section{std::u16string(TrimView(line.substr(1, line.size() - 2))), 0, {}};
            const auto [id, added] =
                nameIds_.try_emplace(AsciiLower(section.name), lastOfName_.size());
            if (added)
                lastOfName_.push_back(0);
            section.nameId = id->second;
            lastOfName_[section.nameId] = sections_.size();
            sections_.push_back(std::move(section));
            return;
        }
        if (sections_.empty())
            return;
        const auto eq = line.find(u'=');
        if (eq == std::u16string_view::npos)
            return;  // part of the section, but never an entry
        sections_.back().entries.emplace_back(TrimView(line.substr(0, eq)),
                                              TrimView(line.substr(eq + 1)));
    });
}

std::vector<std::u16string> IniReader::SectionNames() const {
    std::vector<std::u16string> names;
    names.reserve(sections_.size());
    for (const auto& section : sections_)
        names.push_back(section.name);
    return names;
}

std::size_t IniReader::LastSectionNamedAs(std::size_t index) const {
    return lastOfName_[sections_[index].nameId];
}

std::u16string_view IniReader::EntryOf(std::size_t index, std::u16string_view name,
                                       std::u16string_view fallback) const {
    const auto& entries = sections_[index].entries;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        if (EqualsNoCase(e->first, name))
            return e->second;
    }
    return fallback;
}

std::u16string IniReader::ReadString(std::u16string_view section, std::u16string_view name,
                                     std::u16string_view fallback) const {
    const auto found = nameIds_.find(AsciiLower(section));
    if (found == nameIds_.end())
        return std::u16string(fallback);
    return std::u16string(EntryOf(lastOfName_[found->second], name, fallback));
}

}  // namespace quendra
