// What the netlist reader says beyond its own lines, each line starting "linha N: ": fields it
// read otherwise than the user meant (after the element's echo), where a reading error was found
// (after the error's line), and a pointer to the converter for a netlist that looks like a SPICE
// deck (after the run). A clean netlist gets none of these lines.
#pragma once

#include <string_view>

#include "netlist/line_scanner.h"

namespace talvor {

struct Circuit;
struct Element;
class MessageLog;

// A number followed without a blank by letters ("1k", "10n", "4.7uF", "1e3x") or by a decimal
// comma ("1,5"): the value read, how to write the one meant, and whether the fields after it
// were left unread.
void NoteGluedNumber(MessageLog& log, int line, const char* element, const GluedNumber& glued);

// A source whose magnitude field is a word other than DC, SIN or PULSE: read as magnitude 0.
void NoteSourceWord(MessageLog& log, int line, const Element& source, const char* word);

// A source in the SPICE form "AC magnitude [phase]" (after "DC value", or alone): its magnitude
// read as 0; the Talvor form of the same source.
void NoteSpiceAcSource(MessageLog& log, int line, const Element& source, const Field nodes[2],
                       double magnitude, double phase, double dc);

// A MOS line whose length or width was not read because the separator before it was neither
// "L="/"W=" nor spaces (a tab, a lower-case "l="): what stopped the scan.
void NoteMosSeparator(MessageLog& log, int line, const Element& mos, const char* rest);

// After "Elemento desconhecido: ...": what the line starts with.
void NoteUnknownLine(MessageLog& log, int line, const char* text);

// After "Transistor inválido ...": the type word found, or that there was none.
void NoteTransistorType(MessageLog& log, int line, const Element& transistor, const char* word);

// Whether a command word is one that only a SPICE deck holds: ".end", ".model", ".subckt",
// ".param", ".include", a lower-case ".ac", ...
bool IsSpiceCommand(std::string_view word);

// The pointer to talvor-spice when the reading met a SPICE-only line; nothing otherwise.
void NoteSpiceDeck(const Circuit& circuit, MessageLog& log);

} // namespace talvor
