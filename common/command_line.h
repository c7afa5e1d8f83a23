// A command-line parser driven by a table: a program lists its options once, each with its help
// and the function that applies it, and both the parsing and the usage text read that list.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talvor {

// One option. Its kind follows from name and valueName:
//   a switch                      "--db"           valueName null
//   a value attached to the name  "--g0=1e-12"     the name ends in '='
//   a value in the next argument  "-o figura.png"  valueName set, the name without '='
template <typename Command>
struct CommandLineOption {
    const char* name;
    const char* valueName; // how the usage names the value ("TEXT"); null for a switch
    const char* help;      // the usage's lines about the option; null keeps it out of the usage
    // Writes the option into the command; false refuses the value.
    bool (*apply)(Command& command, std::string_view value);
    bool required = false; // a command line without it is wrong
};

// A program's command line: its options and exactly one operand, with the texts around them.
template <typename Command>
struct CommandLineSyntax {
    const char* program;  // starts every error line: "talvor-cli: opção desconhecida: --x"
    const char* synopsis; // the usage above "Opções:"
    std::span<const CommandLineOption<Command>> options;
    const char* epilogue = "";     // the usage below the options
    std::string Command::*operand; // where the operand goes
    const char* missingOperand;    // the error without an operand
    const char* extraOperand;      // the error with more than one
    bool Command::*showHelp;       // set by the help option: the operand may then be missing
};

// What the options' own functions share: a flag of the command set by a switch, a value of
// exactly fields.size() comma-separated fields, and a comma-separated list taken item by item.
template <typename Command, bool Command::*flag>
bool SetFlag(Command& command, std::string_view)
{
    command.*flag = true;
    return true;
}

// "a,b,c,d" into four fields; false for any other number of commas.
bool SplitFields(std::string_view value, std::span<std::string_view> fields);

// Calls take with each item of "a,b,c" in order (an empty item too); false as soon as take
// refuses one.
template <typename Take>
bool ForEachListItem(std::string_view list, Take take)
{
    for (;;) {
        const size_t comma = list.find(',');
        if (!take(list.substr(0, comma)))
            return false;
        if (comma == std::string_view::npos)
            return true;
        list.remove_prefix(comma + 1);
    }
}

namespace command_line {

// Whether argument is the option name; value receives the text after a name ending in '='.
bool Matches(const char* name, std::string_view argument, std::string_view& value);
bool TakesNextArgument(const char* name, const char* valueName);
// "<program>: <reason><argument>" and a line end.
bool Refuse(std::FILE* errors, const char* program, const char* reason, std::string_view argument);
void PrintOption(std::FILE* out, const char* name, const char* valueName, const char* help);

} // namespace command_line

// Fills command from the arguments after the program name (argv[1] on). An argument that starts
// with '-' (but is not "-" alone) is an option until "--", which makes every later argument an
// operand. False, with one line saying why written to errors, for an unknown option, a refused or
// missing value, a missing required option, or a number of operands other than one (no operand
// is needed when the help option was given).
template <typename Command>
bool ParseCommandLine(const CommandLineSyntax<Command>& syntax, int argc, char** argv,
                      Command& command, std::FILE* errors)
{
    using command_line::Refuse;
    std::vector<bool> given(syntax.options.size());
    bool optionsEnded = false;
    int operands = 0;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            command.*syntax.operand = argument;
            ++operands;
            continue;
        }
        size_t index = 0;
        std::string_view value;
        while (index < given.size() &&
               !command_line::Matches(syntax.options[index].name, argument, value))
            ++index;
        if (index == given.size())
            return Refuse(errors, syntax.program, "opção desconhecida: ", argument);
        const CommandLineOption<Command>& option = syntax.options[index];
        std::string shown(argument);
        if (command_line::TakesNextArgument(option.name, option.valueName)) {
            if (k + 1 == argc)
                return Refuse(errors, syntax.program, "falta o valor de ", argument);
            value = argv[++k];
            shown.append(" ").append(value);
        }
        if (!option.apply(command, value))
            return Refuse(errors, syntax.program, "valor inválido: ", shown);
        given[index] = true;
    }
    if (command.*syntax.showHelp)
        return true;
    for (size_t index = 0; index < given.size(); ++index)
        if (syntax.options[index].required && !given[index])
            return Refuse(errors, syntax.program, "falta a opção ", syntax.options[index].name);
    if (operands != 1)
        return Refuse(errors, syntax.program,
                      operands == 0 ? syntax.missingOperand : syntax.extraOperand, "");
    return true;
}

// The synopsis, "Opções:" with every listed option, its value's name and its help, and the
// epilogue.
template <typename Command>
void PrintUsage(const CommandLineSyntax<Command>& syntax, std::FILE* out)
{
    std::fputs(syntax.synopsis, out);
    std::fputs("\nOpções:\n", out);
    for (const CommandLineOption<Command>& option : syntax.options)
        if (option.help != nullptr)
            command_line::PrintOption(out, option.name, option.valueName, option.help);
    std::fputs(syntax.epilogue, out);
}

} // namespace talvor
