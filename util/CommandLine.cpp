#include "util/CommandLine.h"

#include <algorithm>

#include "util/ProgramFiles.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

const CommandOption* FindOption(std::span<const CommandOption> table, std::string_view name) {
    const auto found = std::find_if(table.begin(), table.end(), [&](const CommandOption& option) {
        return option.name == name || (!option.alias.empty() && option.alias == name);
    });
    return found == table.end() ? nullptr : &*found;
}

// Built by appending: GCC 12 at -O3 misreports concatenations with a leading literal.
std::string Quoted(std::string_view text) {
    std::string quoted(1, '\'');
    quoted.append(text);
    quoted += '\'';
    return quoted;
}

std::string OptionColumn(const CommandOption& option) {
    std::string column;
    if (!option.alias.empty())
        column.append(option.alias).append(", ");
    column.append(option.name);
    if (!option.argument.empty())
        column.append(" ").append(option.argument);
    return column;
}

}  // namespace

bool CommandLine::Has(std::string_view name) const {
    return Value(name) != nullptr;
}

const std::string* CommandLine::Value(std::string_view name) const {
    const std::string* value = nullptr;
    for (const auto& [option, given] : options) {
        if (option == name)
            value = &given;
    }
    return value;
}

std::variant<CommandLine, std::string> ParseCommandLine(std::span<const char* const> args,
                                                        std::span<const CommandOption> table) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--") {
            line.operands.insert(line.operands.end(), args.begin() + static_cast<long>(i) + 1,
                                 args.end());
            break;
        }
        if (!arg.starts_with('-')) {
            line.operands.emplace_back(arg);
            continue;
        }
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        const CommandOption* option = FindOption(table, name);
        if (option == nullptr)
            return "unknown option " + Quoted(name);
        if (option->argument.empty()) {
            if (equals != std::string_view::npos)
                return "option " + Quoted(option->name) + " takes no value";
            line.options.emplace_back(option->name, std::string());
        } else if (equals != std::string_view::npos) {
            line.options.emplace_back(option->name, std::string(arg.substr(equals + 1)));
        } else if (i + 1 < args.size()) {
            line.options.emplace_back(option->name, std::string(args[++i]));
        } else {
            return "option " + Quoted(option->name) + " needs a value (" +
                   std::string(option->argument) + ")";
        }
    }
    return line;
}

std::string UsageText(std::string_view program, std::string_view synopsis,
                      std::string_view description, std::span<const CommandOption> table) {
    std::size_t width = 0;
    for (const CommandOption& option : table)
        width = std::max(width, OptionColumn(option).size());
    std::string text = "usage: " + std::string(program) + " " + std::string(synopsis) + "\n";
    text += std::string(description) + "\n\n";
    for (const CommandOption& option : table) {
        std::string column = OptionColumn(option);
        column.resize(width + 2, ' ');
        text += "  " + column + std::string(option.help) + "\n";
    }
    return text;
}

std::string UsageErrorText(std::string_view program, std::string_view reason) {
    return std::string(program) + ": " + std::string(reason) + "\nTry " +
           Quoted(std::string(program) + " --help") + ".\n";
}

std::string VersionText(std::string_view program) {
    const std::string version = Utf16ToUtf8(GetModuleVersionString(ProgramFilePath()));
    if (version.empty())
        return std::string(program) + " (version unknown)\n";
    return std::string(program) + " " + version + "\n";
}

}  // namespace quendra
