// The deck's text as the converter reads it: the title, then logical lines (continuation lines
// joined, comments removed, .control blocks skipped, nothing after .end) split into tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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
    int number = 0;   // the deck line where it starts; the title is line 1
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

// The tokens of one logical line (exposed for the tests).
std::vector<Token> Tokenize(std::string_view text, int line);

} // namespace talvor
