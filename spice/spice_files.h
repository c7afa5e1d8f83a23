// The files of talvor-spice: reading a deck, the default netlist name, and writing the netlist
// through a temporary file renamed into place, never over a file the converter did not write.
#pragma once

#include <string>

namespace talvor {

// The deck's bytes ("-": standard input's); false with the reason when it is not a readable
// regular file or is bigger than the converter reads.
bool ReadDeck(const std::string& path, std::string& bytes, std::string& error);

// The deck's path with ".net" for its extension: "amp.cir" → "amp.net", "amp" → "amp.net"
// (dots in folder names do not count).
std::string DefaultNetlistPath(const std::string& deckPath);

// Whether the file starts with a title line followed by the converter's mark.
bool WrittenByConverter(const std::string& path);

// Writes the text to path through a temporary file in the same folder renamed over path at the
// end, so that a failure leaves no partial netlist. Refuses (false with the reason) a path that
// is the deck itself, or that exists and was not written by the converter.
bool WriteNetlistFile(const std::string& path, const std::string& deckPath, const std::string& text,
                      std::string& error);

} // namespace talvor
