// Reads the version note that the build places into every executable of the project:
// section ".note.quendra.version", owner "Quendra", type 1, four little-endian 16-bit
// values. The parse reads only the headers and the one section it needs, with every
// offset checked against the file size.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "util/ByteOrder.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr std::string_view kSectionName = ".note.quendra.version";
constexpr std::string_view kNoteOwner = "Quendra";
constexpr std::uint32_t kNoteType = 1;
constexpr std::uint64_t kMaxSectionBytes = 1 << 16;

class BoundedFile {
public:
    explicit BoundedFile(const std::filesystem::path& path)
        : stream_(path, std::ios::binary), size_(FileSize(path)) {}

    bool ok() const { return stream_.is_open() && size_ > 0; }

    std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::uint64_t length) {
        if (offset > size_ || length > size_ - offset)
            return std::nullopt;
        std::vector<std::uint8_t> bytes(length);
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(length));
        if (!stream_)
            return std::nullopt;
        return bytes;
    }

private:
    static std::uint64_t FileSize(const std::filesystem::path& path) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        return ec ? 0 : size;
    }

    std::ifstream stream_;
    std::uint64_t size_;
};

struct Section {
    std::uint32_t name = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

std::optional<std::u16string> VersionFromNotes(std::span<const std::uint8_t> notes) {
    std::size_t pos = 0;
    while (pos + 12 <= notes.size()) {
        const std::uint32_t nameSize = ReadLE32(notes, pos);
        const std::uint32_t descSize = ReadLE32(notes, pos + 4);
        const std::uint32_t type = ReadLE32(notes, pos + 8);
        const std::size_t nameAt = pos + 12;
        const std::size_t descAt = nameAt + ((static_cast<std::size_t>(nameSize) + 3) & ~3u);
        const std::size_t next = descAt + ((static_cast<std::size_t>(descSize) + 3) & ~3u);
        if (nameSize > notes.size() || descSize > notes.size() || next > notes.size())
            break;
        const std::string_view name(reinterpret_cast<const char*>(notes.data() + nameAt), nameSize);
        if (type == kNoteType && descSize == 8 && name.size() == kNoteOwner.size() + 1 &&
            name.starts_with(kNoteOwner) && name.back() == '\0') {
            std::u16string text;
            for (int part = 0; part < 4; ++part) {
                if (part > 0)
                    text += u'.';
                text += Decimal(ReadLE16(notes, descAt + 2 * part));
            }
            return text;
        }
        pos = next;
    }
    return std::nullopt;
}

std::optional<std::u16string> ReadVersionNote(BoundedFile& file) {
    const auto ident = file.Read(0, 64);
    if (!ident || (*ident)[0] != 0x7F || (*ident)[1] != 'E' || (*ident)[2] != 'L' ||
        (*ident)[3] != 'F') {
        return std::nullopt;
    }
    const bool is64 = (*ident)[4] == 2;
    if (!is64 && (*ident)[4] != 1)
        return std::nullopt;
    if ((*ident)[5] != 1)
        return std::nullopt;  // little-endian only

    const std::span<const std::uint8_t> h(*ident);
    const std::uint64_t shoff = is64 ? ReadLE64(h, 0x28) : ReadLE32(h, 0x20);
    const std::uint16_t shentsize = ReadLE16(h, is64 ? 0x3A : 0x2E);
    const std::uint16_t shnum = ReadLE16(h, is64 ? 0x3C : 0x30);
    const std::uint16_t shstrndx = ReadLE16(h, is64 ? 0x3E : 0x32);
    if (shoff == 0 || shnum == 0 || shstrndx >= shnum || shentsize < (is64 ? 64 : 40)) {
        return std::nullopt;
    }

    const auto table = file.Read(shoff, std::uint64_t{shentsize} * shnum);
    if (!table)
        return std::nullopt;
    auto sectionAt = [&](std::uint16_t index) {
        const std::span<const std::uint8_t> s(table->data() + std::size_t{index} * shentsize,
                                              shentsize);
        Section section;
        section.name = ReadLE32(s, 0);
        section.offset = is64 ? ReadLE64(s, 0x18) : ReadLE32(s, 0x10);
        section.size = is64 ? ReadLE64(s, 0x20) : ReadLE32(s, 0x14);
        return section;
    };

    const Section strings = sectionAt(shstrndx);
    if (strings.size > (1u << 24))
        return std::nullopt;
    const auto names = file.Read(strings.offset, strings.size);
    if (!names)
        return std::nullopt;

    for (std::uint16_t i = 0; i < shnum; ++i) {
        const Section section = sectionAt(i);
        if (section.name >= names->size())
            continue;
        const char* begin = reinterpret_cast<const char*>(names->data()) + section.name;
        const std::size_t room = names->size() - section.name;
        const std::string_view name(begin, std::find(begin, begin + room, '\0') - begin);
        if (name != kSectionName || section.size > kMaxSectionBytes)
            continue;
        if (const auto notes = file.Read(section.offset, section.size)) {
            if (auto version = VersionFromNotes(*notes))
                return version;
        }
    }
    return std::nullopt;
}

}  // namespace

std::u16string GetModuleVersionString(std::u16string_view path) {
    if (path.empty())
        return {};
    const std::filesystem::path file(Utf16ToUtf8(path));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return {};  // follows links
    BoundedFile reader(file);
    if (!reader.ok())
        return {};
    return ReadVersionNote(reader).value_or(std::u16string{});
}

}  // namespace quendra
