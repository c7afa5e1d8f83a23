// The deck's bytes to logical lines and tokens.
#include "spice/deck_lexer.h"

#include <cstring>

#include "spice/spice_text.h"

namespace talvor {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool IsControl(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && !IsBlank(c)) || byte == 0x7f;
}

bool IsPunctuation(char c) { return c != '\0' && std::strchr("={}(),'", c) != nullptr; }

std::string_view TrimLeft(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return text.substr(i);
}

// The text before an inline comment: ";" anywhere, "$" at the start or after a blank.
std::string_view WithoutInlineComment(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == ';' || (text[i] == '$' && (i == 0 || IsBlank(text[i - 1]))))
            return text.substr(0, i);
    return text;
}

std::string FirstWordLower(std::string_view text)
{
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    return Lower(text.substr(0, end));
}

// Splits the bytes into lines, without their "\n" or "\r\n".
std::vector<std::string_view> PhysicalLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Collects the logical lines: a "+" line continues the line before it.
class LineJoiner {
public:
    explicit LineJoiner(std::vector<DeckLine>& lines) : lines_(lines) {}

    void Start(Origin origin, std::string_view text)
    {
        Finish();
        open_ = true;
        current_.origin = origin;
        current_.text.assign(text);
        CheckLength();
    }
    void Continue(Origin origin, std::string_view text)
    {
        if (!open_)
            Refuse(origin, "linha de continuação (+) sem uma linha antes para continuar");
        current_.text += ' ';
        current_.text.append(text);
        CheckLength();
    }
    void Finish()
    {
        if (!open_)
            return;
        current_.tokens = Tokenize(current_.text, current_.origin);
        lines_.push_back(std::move(current_));
        current_ = DeckLine{};
        open_ = false;
    }

private:
    void CheckLength()
    {
        if (current_.text.size() > MaxLineBytes)
            Refuse(current_.origin,
                   Format("linha longa demais (mais de %zu caracteres)", MaxLineBytes));
    }

    std::vector<DeckLine>& lines_;
    DeckLine current_;
    bool open_ = false;
};

} // namespace

std::vector<Token> Tokenize(std::string_view text, Origin line)
{
    for (char c : text)
        if (IsControl(c))
            Refuse(line, Format("caractere de controle (código %d) no texto",
                                static_cast<unsigned char>(c)));
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (IsBlank(c)) {
            ++i;
        } else if (c == '{') {
            // Nesting is counted here and bounded by the expression reader.
            size_t j = i + 1;
            int depth = 1;
            for (; j < text.size() && depth > 0; ++j)
                depth += text[j] == '{' ? 1 : text[j] == '}' ? -1 : 0;
            if (depth > 0)
                Refuse(line, "chave { sem a } que a fecha");
            tokens.push_back({TokenKind::Expression, std::string(text.substr(i + 1, j - i - 2))});
            i = j;
        } else if (c == '}') {
            Refuse(line, "chave } sem a { que a abre");
        } else if (c == '\'') {
            size_t end = text.find('\'', i + 1);
            if (end == std::string_view::npos)
                Refuse(line, "aspas ' sem as aspas que as fecham");
            tokens.push_back({TokenKind::Expression, std::string(text.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else if (IsPunctuation(c)) {
            TokenKind kind = c == '='   ? TokenKind::Equals
                             : c == '(' ? TokenKind::Open
                             : c == ')' ? TokenKind::Close
                                        : TokenKind::Comma;
            tokens.push_back({kind, std::string(1, c)});
            ++i;
        } else {
            size_t j = i;
            while (j < text.size() && !IsBlank(text[j]) && !IsPunctuation(text[j]))
                ++j;
            tokens.push_back({TokenKind::Word, std::string(text.substr(i, j - i))});
            i = j;
        }
    }
    return tokens;
}

namespace {

// The logical lines of physical lines[first...] of a file, up to .end.
std::vector<DeckLine> LogicalLines(const std::vector<std::string_view>& lines, size_t first,
                                   const IncludedFile* file, Warnings& warnings)
{
    std::vector<DeckLine> logical;
    LineJoiner joiner(logical);
    Origin controlStart; // the line of an open .control block
    for (size_t k = first; k < lines.size(); ++k) {
        const Origin origin(file, static_cast<int>(k + 1));
        std::string_view text = TrimLeft(lines[k]);
        if (text.empty() || text[0] == '*')
            continue;
        text = WithoutInlineComment(text);
        const std::string word = FirstWordLower(text);
        if (controlStart.line > 0) {
            if (word == ".endc") {
                warnings.Add(controlStart,
                             Format("bloco .control (até a linha %d) ignorado: o Talvor não "
                                    "executa comandos do ngspice",
                                    origin.line));
                controlStart = Origin();
            }
            continue;
        }
        if (text.empty())
            continue;
        if (text[0] == '+') {
            joiner.Continue(origin, text.substr(1));
            continue;
        }
        joiner.Finish();
        if (word == ".end")
            break;
        if (word == ".control")
            controlStart = origin;
        else
            joiner.Start(origin, text);
    }
    joiner.Finish();
    if (controlStart.line > 0)
        warnings.Add(controlStart, "bloco .control sem .endc ignorado até o fim do deck");
    return logical;
}

std::vector<std::string_view> CheckedLines(std::string_view bytes, Origin origin)
{
    if (bytes.size() > MaxDeckBytes)
        Refuse(origin, Format("deck grande demais (mais de %zu bytes)", MaxDeckBytes));
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3); // a UTF-8 byte-order mark
    return PhysicalLines(bytes);
}

} // namespace

DeckText LexDeck(std::string_view bytes, Warnings& warnings)
{
    std::vector<std::string_view> lines = CheckedLines(bytes, Origin());
    if (lines.empty())
        Refuse(0, "deck vazio");
    DeckText deck;
    deck.title.assign(lines[0]);
    deck.lines = LogicalLines(lines, 1, nullptr, warnings);
    return deck;
}

std::vector<DeckLine> LexIncludedFile(std::string_view bytes, const IncludedFile& file,
                                      Warnings& warnings)
{
    return LogicalLines(CheckedLines(bytes, Origin()), 0, &file, warnings);
}

} // namespace talvor
