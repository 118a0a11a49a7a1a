#pragma once

// The command lines of the project's programs: a table of options, the parse of the
// arguments against it, and the usage, version and usage-error texts made from it.

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace quendra {

struct CommandOption {
    std::string_view name;      // "--json"
    std::string_view alias;     // "-h", or "" for none
    std::string_view argument;  // the value's name ("N") when the option takes one, else ""
    std::string_view help;      // one line
};

struct CommandLine {
    // The options given, in order, by their table name; flags carry "".
    std::vector<std::pair<std::string_view, std::string>> options;
    // The arguments that do not begin with "-", and every argument after "--".
    std::vector<std::string> operands;

    bool Has(std::string_view name) const;
    // The value of the last occurrence; nullptr when the option was not given.
    const std::string* Value(std::string_view name) const;
};

// Parses `args` (the program name left out). An option is written "--name", "--name VALUE"
// or "--name=VALUE". Failure: the one-line reason, naming the argument at fault.
std::variant<CommandLine, std::string> ParseCommandLine(std::span<const char* const> args,
                                                        std::span<const CommandOption> table);

// "usage: PROGRAM SYNOPSIS", the description, then one aligned line per option.
std::string UsageText(std::string_view program, std::string_view synopsis,
                      std::string_view description, std::span<const CommandOption> table);

// "PROGRAM: REASON" and "Try 'PROGRAM --help'.", each with a line break.
std::string UsageErrorText(std::string_view program, std::string_view reason);

// "PROGRAM VERSION", the version from the running executable's version note (the one the
// report and the update check use), or "PROGRAM (version unknown)" without a note.
std::string VersionText(std::string_view program);

}  // namespace quendra
