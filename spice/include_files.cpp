// Include lines expanded in place: files read once, sections taken once, paths relative to the
// file that names them.
#include "spice/include_files.h"

#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "spice/spice_files.h"
#include "spice/spice_text.h"

namespace talvor {

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Command(const DeckLine& line)
{
    return line.tokens.empty() || line.tokens[0].kind != TokenKind::Word
               ? ""
               : Lower(line.tokens[0].text);
}

// The words after the command; a word in "double" or 'single' quotes may hold blanks.
std::vector<std::string> Arguments(const std::string& text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size() && !IsBlank(text[i]))
        ++i;
    for (;;) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (i >= text.size())
            return words;
        size_t end = i;
        if (text[i] == '"' || text[i] == '\'') {
            end = text.find(text[i], i + 1);
            if (end == std::string::npos)
                end = text.size();
            words.push_back(text.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        words.push_back(text.substr(i, end - i));
        i = end;
    }
}

bool StartsSection(const DeckLine& line)
{
    return Command(line) == ".lib" && Arguments(line.text).size() == 1;
}

struct LoadedFile {
    const IncludedFile* record = nullptr;
    std::vector<DeckLine> lines;
    fs::path folder;
};

class Expander {
public:
    Expander(const std::string& deckFolder, std::deque<IncludedFile>& files, Warnings& warnings)
        : deckFolder_(fs::path(deckFolder.empty() ? "." : deckFolder).lexically_normal()),
          files_(files), warnings_(warnings)
    {}

    std::vector<DeckLine> Expand(const std::vector<DeckLine>& lines)
    {
        std::vector<DeckLine> out;
        ExpandInto(lines, 0, lines.size(), deckFolder_, 0, out);
        return out;
    }

private:
    void ExpandInto(const std::vector<DeckLine>& lines, size_t begin, size_t end,
                    const fs::path& folder, int depth, std::vector<DeckLine>& out)
    {
        for (size_t k = begin; k < end; ++k) {
            const DeckLine& line = lines[k];
            const std::string command = Command(line);
            if (command == ".include" || command == ".inc") {
                std::vector<std::string> arguments = Arguments(line.text);
                if (arguments.size() != 1)
                    Refuse(line.origin,
                           Format("%s deve ser %s ARQUIVO", command.c_str(), command.c_str()));
                Include(line, folder, arguments[0], nullptr, depth, out);
            } else if (command == ".lib") {
                std::vector<std::string> arguments = Arguments(line.text);
                if (arguments.size() == 1) {
                    k = SectionEnd(lines, k, end); // a definition, taken only where named
                } else if (arguments.size() == 2) {
                    Include(line, folder, arguments[0], &arguments[1], depth, out);
                } else {
                    Refuse(line.origin, ".lib deve ser .lib ARQUIVO SEÇÃO, ou .lib SEÇÃO no "
                                        "começo de uma seção que .endl termina");
                }
            } else if (command == ".endl") {
                Refuse(line.origin, ".endl sem a linha .lib SEÇÃO que começa a seção");
            } else {
                out.push_back(line);
            }
        }
    }

    // The index of the .endl that ends the section starting at lines[start].
    static size_t SectionEnd(const std::vector<DeckLine>& lines, size_t start, size_t end)
    {
        for (size_t k = start + 1; k < end; ++k)
            if (Command(lines[k]) == ".endl")
                return k;
        Refuse(lines[start].origin, Format(".lib %s sem .endl que termine a seção",
                                           Shown(Arguments(lines[start].text)[0]).c_str()));
    }

    // The lines of the file, or of its section, expanded into out unless they were already.
    void Include(const DeckLine& line, const fs::path& folder, const std::string& path,
                 const std::string* section, int depth, std::vector<DeckLine>& out)
    {
        if (depth >= MaxIncludeDepth)
            Refuse(line.origin, Format("arquivos incluídos uns nos outros em mais de %d níveis",
                                       MaxIncludeDepth));
        const LoadedFile& file = Load(line, folder, path);
        const std::string sectionKey = section != nullptr ? Lower(*section) : "";
        if (!expanded_.insert({file.record, sectionKey}).second)
            return; // read once per section
        size_t begin = 0, end = file.lines.size();
        if (section != nullptr) {
            begin = end;
            for (size_t k = 0; k < file.lines.size() && begin == end; ++k)
                if (StartsSection(file.lines[k]) &&
                    Lower(Arguments(file.lines[k].text)[0]) == sectionKey)
                    begin = k + 1;
            if (begin == end)
                Refuse(line.origin,
                       Format(".lib %s %s: %s não tem a seção %s%s", Shown(path).c_str(),
                              Shown(*section).c_str(), Shown(file.record->shown).c_str(),
                              Shown(*section).c_str(), IncludedBy(line).c_str()));
            end = SectionEnd(file.lines, begin - 1, file.lines.size());
        }
        ExpandInto(file.lines, begin, end, file.folder, depth + 1, out);
    }

    // " (a.lib foi incluído pela linha 4)" for a line of an included file, else "".
    static std::string IncludedBy(const DeckLine& line)
    {
        const IncludedFile* file = line.origin.file;
        if (file == nullptr)
            return "";
        return Format(" (%s foi incluído pela %s)", Shown(file->shown).c_str(),
                      file->includedAt.c_str());
    }

    const LoadedFile& Load(const DeckLine& line, const fs::path& folder, const std::string& path)
    {
        const fs::path resolved =
            (fs::path(path).is_absolute() ? fs::path(path) : folder / path).lexically_normal();
        std::error_code code;
        fs::path identity = fs::weakly_canonical(resolved, code);
        if (code)
            identity = resolved;
        auto found = loaded_.find(identity.string());
        if (found != loaded_.end())
            return found->second;

        const std::string shown = DisplayPath(resolved);
        std::string bytes, error;
        if (!ReadDeck(resolved.string(), bytes, error))
            Refuse(line.origin,
                   Format("%s %s: o arquivo %s %s%s", Command(line).c_str(), Shown(path).c_str(),
                          Shown(shown).c_str(), error.c_str(), IncludedBy(line).c_str()));
        totalBytes_ += bytes.size();
        if (files_.size() >= static_cast<size_t>(MaxIncludedFiles) || totalBytes_ > MaxDeckBytes)
            Refuse(line.origin, Format("o deck inclui mais de %d arquivos ou de %zu bytes",
                                       MaxIncludedFiles, MaxDeckBytes));
        files_.push_back({shown, static_cast<int>(files_.size()) + 1, LineName(line.origin)});
        LoadedFile& file = loaded_[identity.string()];
        file.record = &files_.back();
        file.folder = resolved.parent_path();
        file.lines = LexIncludedFile(bytes, files_.back(), warnings_);
        return file;
    }

    // The path as the messages show it: from the deck's folder when it lies below it.
    std::string DisplayPath(const fs::path& resolved) const
    {
        if (deckFolder_ == ".")
            return resolved.string();
        fs::path relative = resolved.lexically_relative(deckFolder_);
        return relative.empty() || *relative.begin() == ".." ? resolved.string()
                                                             : relative.string();
    }

    fs::path deckFolder_;
    std::deque<IncludedFile>& files_;
    Warnings& warnings_;
    std::map<std::string, LoadedFile> loaded_;                       // by the file's canonical path
    std::set<std::pair<const IncludedFile*, std::string>> expanded_; // file, lower-case section
    size_t totalBytes_ = 0;
};

} // namespace

void ExpandIncludes(DeckText& deck, const std::string& deckFolder, std::deque<IncludedFile>& files,
                    Warnings& warnings)
{
    deck.lines = Expander(deckFolder, files, warnings).Expand(deck.lines);
}

} // namespace talvor
