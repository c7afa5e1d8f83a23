// talvor-spice: converts a SPICE deck into a Talvor netlist (no Qt). Prints the warnings and the
// outcome; exit status 0 converted, 1 not converted, 2 wrong command line.
#include <cstdio>
#include <string>
#include <string_view>

#include "common/command_line.h"

#include "common/message_log.h"
#include "spice/converter.h"
#include "spice/spice_files.h"

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
    {"-o", "NETLIST", "o netlist a escrever (padrão: o nome do deck com a extensão .net)",
     ApplyOutput},
    {"-h", nullptr, nullptr, ShowHelp},
    {"--help", nullptr, "este texto", ShowHelp},
};

const CommandLineSyntax<SpiceCommand> Syntax = {
    .program = "talvor-spice",
    .synopsis = "uso: talvor-spice DECK [-o NETLIST]\n"
                "Converte um deck SPICE (como o ngspice o lê) em um netlist do Talvor.\n",
    .options = Options,
    .operand = &SpiceCommand::deckPath,
    .missingOperand = "falta o deck",
    .extraOperand = "só um deck por vez",
    .showHelp = &SpiceCommand::showHelp,
};

int Run(const SpiceCommand& command, MessageLog& log)
{
    std::string deck, error;
    if (!ReadDeck(command.deckPath, deck, error)) {
        log.AppendLog("Deck %s: %s.", command.deckPath.c_str(), error.c_str());
        return NotConverted;
    }
    const std::string netlistPath =
        command.netlistPath.empty() ? DefaultNetlistPath(command.deckPath) : command.netlistPath;
    const std::string deckName = command.deckPath.substr(command.deckPath.rfind('/') + 1);
    Conversion conversion = ConvertDeck(deck, deckName);
    for (const std::string& warning : conversion.warnings)
        log.AppendLog("%s", warning.c_str());
    if (!conversion.converted) {
        log.AppendLog("%s", conversion.refusal.c_str());
        log.AppendLog("O deck não foi convertido; nenhum netlist foi escrito.");
        return NotConverted;
    }
    if (!WriteNetlistFile(netlistPath, command.deckPath, conversion.netlist, error)) {
        log.AppendLog("%s %s.", netlistPath.c_str(), error.c_str());
        log.AppendLog("O deck não foi convertido; nenhum netlist foi escrito.");
        return NotConverted;
    }
    log.AppendLog("Netlist %s escrito: %d elementos, %d nós, %d variáveis.", netlistPath.c_str(),
                  conversion.elementCount, conversion.nodeCount, conversion.variableCount);
    return Converted;
}

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
    StdoutSink sink(stdout);
    MessageLog log(sink);
    int status = Run(command, log);
    return std::fflush(stdout) == 0 ? status : NotConverted;
}
