// The table-driven command-line parser: the three kinds of options, the operand, "--", the help
// option, every refusal with its line, and the usage text made from the table.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/command_line.h"

using namespace talvor;

namespace {

struct Command {
    bool loud = false;
    std::string level = "default";
    std::string output;
    std::string file;
    bool showHelp = false;
};

bool Loud(Command& c, std::string_view)
{
    c.loud = true;
    return true;
}

// Takes a level of digits only.
bool Level(Command& c, std::string_view value)
{
    c.level = value;
    return !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
}

bool Output(Command& c, std::string_view value)
{
    c.output = value;
    return value != "ruim";
}

bool Help(Command& c, std::string_view)
{
    c.showHelp = true;
    return true;
}

const CommandLineOption<Command> Options[] = {
    {"--loud", nullptr, "fala alto", Loud},
    {"--level=", "N", "o nível,\nem dígitos", Level},
    {"-o", "SAÍDA", "onde gravar", Output, true},
    {"--help", nullptr, "este texto", Help},
    {"-?", nullptr, nullptr, Help},
};

const CommandLineSyntax<Command> Syntax = {
    .program = "prog",
    .synopsis = "uso: prog [OPÇÕES] ARQUIVO\n",
    .options = Options,
    .epilogue = "fim\n",
    .operand = &Command::file,
    .missingOperand = "falta o arquivo",
    .extraOperand = "só um arquivo por vez",
    .showHelp = &Command::showHelp,
};

// What the parser wrote to its error stream, and its verdict.
struct Outcome {
    bool accepted;
    std::string errors;
};

Outcome Parse(std::vector<std::string> arguments, Command& command,
              const CommandLineSyntax<Command>& syntax = Syntax)
{
    std::vector<char*> argv{const_cast<char*>("prog")};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    char* text = nullptr;
    size_t size = 0;
    std::FILE* errors = open_memstream(&text, &size);
    bool accepted = ParseCommandLine(syntax, int(argv.size()), argv.data(), command, errors);
    std::fclose(errors);
    Outcome outcome{accepted, std::string(text, size)};
    std::free(text);
    return outcome;
}

} // namespace

TEST(CommandLine, OptionsOfEachKindAndTheOperand)
{
    Command c;
    Outcome outcome = Parse({"--level=42", "entrada.txt", "--loud", "-o", "-saida-"}, c);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_TRUE(c.loud);
    EXPECT_EQ(c.level, "42");
    EXPECT_EQ(c.output, "-saida-"); // the next argument, whatever it looks like
    EXPECT_EQ(c.file, "entrada.txt");
    EXPECT_FALSE(c.showHelp);
}

TEST(CommandLine, OperandsThatLookLikeOptions)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string file;
    };
    const Case cases[] = {
        {{"-o", "x", "-"}, "-"},                 // standard input
        {{"-o", "x", "--", "--loud"}, "--loud"}, // after "--"
    };
    for (const Case& k : cases) {
        Command c;
        Outcome outcome = Parse(k.arguments, c);
        EXPECT_TRUE(outcome.accepted) << k.file;
        EXPECT_EQ(c.file, k.file) << k.file;
        EXPECT_FALSE(c.loud) << k.file;
    }
    Command c; // "-o" after "--" is an operand too: one too many
    EXPECT_EQ(Parse({"-o", "y", "--", "-o", "x"}, c).errors, "prog: só um arquivo por vez\n");
}

TEST(CommandLine, EachRefusalSaysWhyInOneLine)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* line;
    };
    const Case cases[] = {
        {{"-o", "x", "--bogus", "a"}, "prog: opção desconhecida: --bogus\n"},
        {{"-o", "x", "--loud=1", "a"}, "prog: opção desconhecida: --loud=1\n"}, // a switch
        {{"-o", "x", "--level", "a"}, "prog: opção desconhecida: --level\n"},   // needs "="
        {{"-o", "x", "--level=4a", "a"}, "prog: valor inválido: --level=4a\n"},
        {{"-o", "x", "--level=", "a"}, "prog: valor inválido: --level=\n"},
        {{"a", "-o", "ruim"}, "prog: valor inválido: -o ruim\n"},
        {{"a", "-o"}, "prog: falta o valor de -o\n"},
        {{"a", "--loud"}, "prog: falta a opção -o\n"},
        {{"-o", "x"}, "prog: falta o arquivo\n"},
        {{"-o", "x", "a", "b"}, "prog: só um arquivo por vez\n"},
        {{"--help", "--bogus"}, "prog: opção desconhecida: --bogus\n"}, // help excuses no error
    };
    for (const Case& k : cases) {
        Command c;
        Outcome outcome = Parse(k.arguments, c);
        EXPECT_FALSE(outcome.accepted) << k.line;
        EXPECT_EQ(outcome.errors, k.line);
    }
}

TEST(CommandLine, RequiredOptionFirstInTheTable)
{
    const CommandLineOption<Command> options[] = {
        {"-o", "SAÍDA", "onde gravar", Output, true},
        {"--help", nullptr, "este texto", Help},
    };
    CommandLineSyntax<Command> syntax = Syntax;
    syntax.options = options;
    Command c;
    EXPECT_EQ(Parse({"a"}, c, syntax).errors, "prog: falta a opção -o\n");
}

TEST(CommandLine, HelpNeedsNeitherOperandNorRequiredOption)
{
    for (const char* help : {"--help", "-?"}) {
        Command c;
        Outcome outcome = Parse({help}, c);
        EXPECT_TRUE(outcome.accepted) << help;
        EXPECT_TRUE(c.showHelp) << help;
        EXPECT_EQ(outcome.errors, "") << help;
    }
}

TEST(CommandLine, UsageListsTheTableInItsOrder)
{
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    PrintUsage(Syntax, out);
    std::fclose(out);
    const std::string usage(text, size);
    std::free(text);
    EXPECT_EQ(usage, "uso: prog [OPÇÕES] ARQUIVO\n"
                     "\n"
                     "Opções:\n"
                     "  --loud\n"
                     "      fala alto\n"
                     "  --level=N\n"
                     "      o nível,\n"
                     "      em dígitos\n"
                     "  -o SAÍDA\n"
                     "      onde gravar\n"
                     "  --help\n"
                     "      este texto\n"
                     "fim\n");
}

// The values of the options that split at commas: exactly so many fields, or a list whose items
// a function takes one by one until it refuses one (here an empty item, as --measure= does).
TEST(CommandLine, CommaSeparatedValues)
{
    struct Case {
        const char* value;
        const char* fields; // the three fields joined by '|'; null when it does not split so
        const char* items;  // the items taken, joined by '|'; null when one is refused
    };
    const Case cases[] = {
        {"a,b,c", "a|b|c", "a|b|c"}, {"a,,c", "a||c", nullptr},       {",b,", "|b|", nullptr},
        {"a,b", nullptr, "a|b"},     {"a,b,c,d", nullptr, "a|b|c|d"}, {"", nullptr, nullptr},
        {"abc", nullptr, "abc"},     {"a,b,c,", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::string_view fields[3];
        const bool split = SplitFields(c.value, fields);
        EXPECT_EQ(split, c.fields != nullptr) << c.value;
        if (split) {
            EXPECT_EQ(std::string(fields[0]) + "|" + std::string(fields[1]) + "|" +
                          std::string(fields[2]),
                      c.fields);
        }
        std::string taken;
        const bool accepted = ForEachListItem(c.value, [&](std::string_view item) {
            if (item.empty())
                return false;
            taken += (taken.empty() ? "" : "|") + std::string(item);
            return true;
        });
        EXPECT_EQ(accepted, c.items != nullptr) << c.value;
        if (accepted) {
            EXPECT_EQ(taken, c.items);
        }
    }
}
