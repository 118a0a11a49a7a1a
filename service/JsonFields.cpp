#include "service/JsonFields.h"

#include <algorithm>

namespace quendra {

const nlohmann::json& FieldOf(const nlohmann::json& parent, std::string_view name,
                              const std::string& where) {
    if (!parent.is_object())
        throw JsonFieldError(where + ": not an object");
    const auto found = parent.find(name);
    if (found == parent.end())
        throw JsonFieldError(where + ": \"" + std::string(name) + "\" is missing");
    return *found;
}

std::string TextField(const nlohmann::json& parent, std::string_view name,
                      const std::string& where) {
    const auto& value = FieldOf(parent, name, where);
    if (!value.is_string())
        throw JsonFieldError(where + "." + std::string(name) + ": not a text");
    return value.get<std::string>();
}

std::string OptionalTextField(const nlohmann::json& parent, std::string_view name,
                              const std::string& where) {
    if (parent.is_object() && !parent.contains(name))
        return {};
    return TextField(parent, name, where);
}

std::vector<std::string> TextListField(const nlohmann::json& parent, std::string_view name,
                                       const std::string& where) {
    if (parent.is_object() && !parent.contains(name))
        return {};
    const auto& list = FieldOf(parent, name, where);
    const bool texts =
        list.is_array() && std::all_of(list.begin(), list.end(),
                                       [](const nlohmann::json& item) { return item.is_string(); });
    if (!texts)
        throw JsonFieldError(where + "." + std::string(name) + ": not a list of texts");
    return list.get<std::vector<std::string>>();
}

bool HasControlOrEdgeBlank(std::string_view text) {
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    return control || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
}

}  // namespace quendra
