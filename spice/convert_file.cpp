// A deck file to a netlist file, reported in the log.
#include "spice/convert_file.h"

#include <cstdio>
#include <filesystem>

#include "common/message_log.h"
#include "spice/converter.h"
#include "spice/spice_files.h"
#include "spice/spice_text.h"

namespace talvor {

namespace fs = std::filesystem;

bool IsDeckPath(const std::string& path)
{
    const std::string extension = Lower(fs::path(path).extension().string());
    for (const char* deck : {".cir", ".sp", ".spice", ".ckt"})
        if (extension == deck)
            return true;
    return false;
}

namespace {

bool WriteStandardOutput(const std::string& text, std::string& error)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        error = "erro ao escrever na saída padrão";
        return false;
    }
    return true;
}

} // namespace

std::string ConvertDeckFile(const std::string& deckPath, const std::string& netlistPath,
                            MessageLog& log)
{
    const bool fromInput = deckPath == StandardStream;
    std::string deck, error;
    if (!ReadDeck(deckPath, deck, error)) {
        log.AppendLog("Deck %s: %s.", fromInput ? "(entrada padrão)" : deckPath.c_str(),
                      error.c_str());
        return "";
    }
    std::string target = netlistPath;
    if (target.empty())
        target = fromInput ? StandardStream : DefaultNetlistPath(deckPath);
    const fs::path path(deckPath);
    const std::string deckName = fromInput ? "(entrada padrão)" : path.filename().string();
    Conversion conversion =
        ConvertDeck(deck, deckName, fromInput ? "" : path.parent_path().string());
    for (const std::string& warning : conversion.warnings)
        log.AppendLog("%s", warning.c_str());
    if (!conversion.converted) {
        log.AppendLog("%s", conversion.refusal.c_str());
        log.AppendLog("O deck não foi convertido; nenhum netlist foi escrito.");
        return "";
    }
    const bool written = target == StandardStream
                             ? WriteStandardOutput(conversion.netlist, error)
                             : WriteNetlistFile(target, deckPath, conversion.netlist, error);
    if (!written) {
        log.AppendLog("%s %s.", target.c_str(), error.c_str());
        log.AppendLog("O deck não foi convertido; nenhum netlist foi escrito.");
        return "";
    }
    log.AppendLog("Netlist %s escrito: %d elementos, %d nós, %d variáveis.",
                  target == StandardStream ? "(saída padrão)" : target.c_str(),
                  conversion.elementCount, conversion.nodeCount, conversion.variableCount);
    return target;
}

} // namespace talvor
