// talvor-spice: converts a SPICE deck into a Talvor netlist (no Qt). Prints the warnings and the
// outcome; exit status 0 converted, 1 not converted, 2 wrong command line.
#include <cstdio>
#include <string>
#include <string_view>

#include "common/command_line.h"

#include "common/message_log.h"
#include "spice/convert_file.h"

using namespace talvor;

namespace {

enum ExitStatus { Converted = 0, NotConverted = 1, WrongCommandLine = 2 };

struct SpiceCommand {
    std::string deckPath;
    std::string netlistPath; // empty: the deck's name with ".net"
    bool showHelp = false;
};

// A second -o would silently win over the first: refused.
bool ApplyOutput(SpiceCommand& command, std::string_view path)
{
    if (path.empty() || !command.netlistPath.empty())
        return false;
    command.netlistPath = path;
    return true;
}

bool ShowHelp(SpiceCommand& command, std::string_view)
{
    command.showHelp = true;
    return true;
}

const CommandLineOption<SpiceCommand> Options[] = {
    {"-o", "NETLIST",
     "o netlist a escrever (padrão: o nome do deck com a extensão .net); - é a saída padrão",
     ApplyOutput},
    {"-h", nullptr, nullptr, ShowHelp},
    {"--help", nullptr, "este texto", ShowHelp},
};

const CommandLineSyntax<SpiceCommand> Syntax = {
    .program = "talvor-spice",
    .synopsis = "uso: talvor-spice DECK [-o NETLIST]\n"
                "Converte um deck SPICE (como o ngspice o lê) em um netlist do Talvor.\n"
                "DECK - lê a entrada padrão e escreve o netlist na saída padrão.\n",
    .options = Options,
    .operand = &SpiceCommand::deckPath,
    .missingOperand = "falta o deck",
    .extraOperand = "só um deck por vez",
    .showHelp = &SpiceCommand::showHelp,
};

} // namespace

int main(int argc, char** argv)
{
    SpiceCommand command;
    if (!ParseCommandLine(Syntax, argc, argv, command, stderr)) {
        PrintUsage(Syntax, stderr);
        return WrongCommandLine;
    }
    if (command.showHelp) {
        PrintUsage(Syntax, stdout);
        return Converted;
    }
    // A netlist on standard output leaves the report to standard error.
    const bool netlistOnOutput =
        command.netlistPath == StandardStream ||
        (command.netlistPath.empty() && command.deckPath == StandardStream);
    StdoutSink sink(netlistOnOutput ? stderr : stdout);
    MessageLog log(sink);
    const bool converted = !ConvertDeckFile(command.deckPath, command.netlistPath, log).empty();
    return std::fflush(stdout) == 0 && converted ? Converted : NotConverted;
}
