#include "drive/linux/AspiLibraryNames.h"

#include "util/TextRules.h"

namespace quendra::linux_impl {

std::vector<std::string> AspiLibraryCandidates(std::string_view name) {
    std::vector<std::string> names{std::string(name)};
    constexpr std::string_view kDll = ".dll";
    if (name.size() <= kDll.size() || !EqualsNoCase(name.substr(name.size() - kDll.size()), kDll)) {
        return names;
    }
    const std::size_t slash = name.find_last_of('/');
    const std::size_t baseStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view folder = name.substr(0, baseStart);
    const std::string_view base = name.substr(baseStart, name.size() - kDll.size() - baseStart);
    if (base.empty())
        return names;
    names.push_back(std::string(folder) + "lib" + AsciiLower(base) + ".so");
    return names;
}

}  // namespace quendra::linux_impl
