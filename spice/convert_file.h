// A deck file converted into a netlist file, with its report in the log: what talvor-spice does,
// and the desktop program when it opens a deck.
#pragma once

#include <string>

namespace talvor {

class MessageLog;

// Whether the path names a SPICE deck by its extension (.cir, .sp, .spice, .ckt, any case).
bool IsDeckPath(const std::string& path);

// "-" names standard input as a deck and standard output as a netlist.
inline constexpr const char* StandardStream = "-";

// Reads the deck at deckPath, converts it and writes the netlist to netlistPath (empty: the
// deck's name with ".net", or standard output for a deck read from standard input), under the
// converter's rules (never over a file it did not write). Logs every warning, then either the
// netlist written ("Netlist %s escrito: ...") or the reason and "O deck não foi convertido;
// nenhum netlist foi escrito.". Returns the netlist's path, or "" when none was written.
std::string ConvertDeckFile(const std::string& deckPath, const std::string& netlistPath,
                            MessageLog& log);

} // namespace talvor
