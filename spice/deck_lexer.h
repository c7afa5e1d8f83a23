// The deck's text as the converter reads it: the title, then logical lines (continuation lines
// joined, comments removed, .control blocks skipped, nothing after .end) split into tokens; and
// the same of the files it includes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "spice/spice_text.h"

namespace talvor {

class Warnings;

// Decks and their lines are bounded so that no input can exhaust memory or time.
inline constexpr size_t MaxDeckBytes = 16u << 20;
inline constexpr size_t MaxLineBytes = 1u << 20;

enum class TokenKind {
    Word,       // a name, node, number or keyword
    Expression, // the text inside {braces} or 'quotes'
    Equals,
    Open,  // (
    Close, // )
    Comma,
};

struct Token {
    TokenKind kind = TokenKind::Word;
    std::string text;
};

struct DeckLine {
    Origin origin;    // the line where it starts: the deck's title is line 1
    std::string text; // joined, without comments
    std::vector<Token> tokens;
};

struct DeckText {
    std::string title;
    std::vector<DeckLine> lines;
};

// Refuses (see Refuse) unbalanced braces or quotes, control characters, a continuation line
// with nothing to continue, and lines or decks beyond the limits above.
DeckText LexDeck(std::string_view bytes, Warnings& warnings);

// The logical lines of a file that the deck includes: it has no title, its first line is one
// like any other.
std::vector<DeckLine> LexIncludedFile(std::string_view bytes, const IncludedFile& file,
                                      Warnings& warnings);

// The tokens of one logical line (exposed for the tests).
std::vector<Token> Tokenize(std::string_view text, Origin origin);

} // namespace talvor
