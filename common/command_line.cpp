// The parts of the command-line parser that do not depend on the program's command type.
#include "common/command_line.h"

namespace talvor {

bool SplitFields(std::string_view value, std::span<std::string_view> fields)
{
    for (size_t k = 0; k < fields.size(); ++k) {
        const bool last = k + 1 == fields.size();
        const size_t comma = value.find(',');
        if (last != (comma == std::string_view::npos))
            return false;
        fields[k] = value.substr(0, comma);
        value = last ? std::string_view() : value.substr(comma + 1);
    }
    return true;
}

namespace command_line {

bool Matches(const char* name, std::string_view argument, std::string_view& value)
{
    const std::string_view option = name;
    if (option.ends_with('=')) {
        if (!argument.starts_with(option))
            return false;
        value = argument.substr(option.size());
        return true;
    }
    value = {};
    return argument == option;
}

bool TakesNextArgument(const char* name, const char* valueName)
{
    return valueName != nullptr && !std::string_view(name).ends_with('=');
}

bool Refuse(std::FILE* errors, const char* program, const char* reason, std::string_view argument)
{
    std::fprintf(errors, "%s: %s%.*s\n", program, reason, static_cast<int>(argument.size()),
                 argument.data());
    return false;
}

// "  --name=VALUE" (or "  -o VALUE"), then each line of the help indented below it.
void PrintOption(std::FILE* out, const char* name, const char* valueName, const char* help)
{
    std::fprintf(out, "  %s%s%s\n", name, TakesNextArgument(name, valueName) ? " " : "",
                 valueName != nullptr ? valueName : "");
    std::string_view lines = help;
    while (!lines.empty()) {
        const size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        std::fprintf(out, "      %.*s\n", static_cast<int>(line.size()), line.data());
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
    }
}

} // namespace command_line

} // namespace talvor
