// talvor-spice: converts a SPICE deck into a Talvor netlist (no Qt). Prints the warnings and the
// outcome; exit status 0 converted, 1 not converted, 2 wrong command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/message_log.h"
#include "spice/converter.h"
#include "spice/spice_files.h"

namespace {

enum ExitStatus { Converted = 0, NotConverted = 1, WrongCommandLine = 2 };

struct SpiceCommand {
    std::string deckPath;
    std::string netlistPath; // empty: the deck's name with ".net"
    bool showHelp = false;
};

const char* const Usage = "uso: talvor-spice DECK [-o NETLIST]\n"
                          "Converte um deck SPICE (como o ngspice o lê) em um netlist do Talvor.\n"
                          "NETLIST: por padrão, o nome do deck com a extensão .net.\n";

// False (with the reason on errors) for a missing or extra deck, or an unknown option.
bool ParseCommandLine(int argc, char** argv, SpiceCommand& command, std::FILE* errors)
{
    for (int k = 1; k < argc; ++k) {
        const char* argument = argv[k];
        if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0) {
            command.showHelp = true;
        } else if (std::strcmp(argument, "-o") == 0) {
            if (k + 1 >= argc || !command.netlistPath.empty()) {
                std::fprintf(errors, "talvor-spice: -o pede um nome de arquivo (uma vez)\n");
                return false;
            }
            command.netlistPath = argv[++k];
        } else if (argument[0] == '-' && argument[1] != '\0') {
            std::fprintf(errors, "talvor-spice: opção desconhecida %s\n", argument);
            return false;
        } else if (command.deckPath.empty()) {
            command.deckPath = argument;
        } else {
            std::fprintf(errors, "talvor-spice: só um deck por vez\n");
            return false;
        }
    }
    if (command.deckPath.empty() && !command.showHelp) {
        std::fprintf(errors, "talvor-spice: falta o deck\n");
        return false;
    }
    return true;
}

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
    if (!ParseCommandLine(argc, argv, command, stderr)) {
        std::fputs(Usage, stderr);
        return WrongCommandLine;
    }
    if (command.showHelp) {
        std::fputs(Usage, stdout);
        return Converted;
    }
    StdoutSink sink(stdout);
    MessageLog log(sink);
    int status = Run(command, log);
    return std::fflush(stdout) == 0 ? status : NotConverted;
}
