#pragma once

// Reading the service's JSON files field by field, with errors that name the field at
// fault ("drives[2].pages[0].url: ...").

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quendra {

struct JsonFieldError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The member `name` of the object `parent` (called `where` in errors); throws when
// `parent` is no object or has no such member.
const nlohmann::json& FieldOf(const nlohmann::json& parent, std::string_view name,
                              const std::string& where);
// A text member; throws when it is missing or not a text.
std::string TextField(const nlohmann::json& parent, std::string_view name,
                      const std::string& where);
// A text member that may be missing (then empty).
std::string OptionalTextField(const nlohmann::json& parent, std::string_view name,
                              const std::string& where);
// A list of texts that may be missing (then empty).
std::vector<std::string> TextListField(const nlohmann::json& parent, std::string_view name,
                                       const std::string& where);

// True when the text holds a character below U+0020 or DEL, or begins or ends with a
// blank: texts the program would cut or trim.
bool HasControlOrEdgeBlank(std::string_view text);

}  // namespace quendra
