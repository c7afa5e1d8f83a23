// The files a deck includes: each ".include FILE" and ".lib FILE SECTION" line replaced by the
// lines it names, read relative to the file that names them, as ngspice does.
#pragma once

#include <deque>
#include <string>

#include "spice/deck_lexer.h"

namespace talvor {

class Warnings;

// Bounds on what the includes of one deck may read.
inline constexpr int MaxIncludeDepth = 20;
inline constexpr int MaxIncludedFiles = 100;

// Replaces the deck's include lines by the lines of the files (or of the sections, ".lib NAME"
// up to ".endl") they name; section definitions outside a ".lib FILE SECTION" are left out. A
// file is read once per section: including it again adds nothing. Paths are relative to the
// folder of the file that names them; the deck's own folder is deckFolder. files receives a
// record of every file read, which the lines' origins point to (it must outlive them). Refuses a
// file or section that does not exist, an include nested deeper than MaxIncludeDepth, and more
// than MaxIncludedFiles files or MaxDeckBytes bytes in all.
void ExpandIncludes(DeckText& deck, const std::string& deckFolder, std::deque<IncludedFile>& files,
                    Warnings& warnings);

} // namespace talvor
