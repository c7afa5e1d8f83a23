// Reading decks and writing netlists safely.
#include "spice/spice_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "spice/deck_lexer.h"
#include "spice/netlist_writer.h"
#include "spice/spice_text.h"

namespace talvor {

namespace fs = std::filesystem;

bool ReadDeck(const std::string& path, std::string& bytes, std::string& error)
{
    const bool fromInput = path == "-";
    std::error_code code;
    if (!fromInput && !fs::is_regular_file(path, code)) {
        error = fs::exists(path, code) ? "não é um arquivo comum" : "não existe";
        return false;
    }
    std::FILE* file = fromInput ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() <= MaxDeckBytes)
        bytes.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    if (!fromInput)
        std::fclose(file);
    if (failed) {
        error = "erro de leitura";
        return false;
    }
    if (bytes.size() > MaxDeckBytes) {
        error = Format("grande demais (mais de %zu bytes)", MaxDeckBytes);
        return false;
    }
    return true;
}

std::string DefaultNetlistPath(const std::string& deckPath)
{
    fs::path path(deckPath);
    path.replace_extension(".net");
    return path.string();
}

bool WrittenByConverter(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char head[1024];
    size_t count = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    std::string_view text(head, count);
    size_t secondLine = text.find('\n');
    return secondLine != std::string_view::npos &&
           text.substr(secondLine + 1).substr(0, std::strlen(ConverterMark)) == ConverterMark;
}

namespace {

bool WriteAll(int descriptor, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(descriptor, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

// Whether path may be written: it does not exist yet, or holds an earlier conversion.
bool MayReplace(const std::string& path, const std::string& deckPath, std::string& error)
{
    std::error_code code;
    if (!fs::exists(fs::symlink_status(path, code)))
        return true;
    if (fs::equivalent(path, deckPath, code)) {
        error = "é o próprio deck; escolha outro nome com -o";
        return false;
    }
    if (!fs::is_regular_file(path, code)) {
        error = "existe e não é um arquivo comum";
        return false;
    }
    if (!WrittenByConverter(path)) {
        error = "já existe e não foi escrito pelo talvor-spice; não será sobrescrito (escolha "
                "outro nome com -o)";
        return false;
    }
    return true;
}

} // namespace

bool WriteNetlistFile(const std::string& path, const std::string& deckPath, const std::string& text,
                      std::string& error)
{
    if (!MayReplace(path, deckPath, error))
        return false;
    fs::path target(path);
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A hidden name beside the netlist: ".amp.net.XXXXXX".
    std::string hidden = std::string(".").append(target.filename().string()).append(".XXXXXX");
    std::string temporary = (folder / hidden).string();
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        error = Format("não foi possível criar um arquivo em %s: %s", folder.c_str(),
                       std::strerror(errno));
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    bool written = fchmod(descriptor, 0666 & ~mask) == 0 && WriteAll(descriptor, text) &&
                   fsync(descriptor) == 0;
    written = (::close(descriptor) == 0) && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = Format("erro ao escrever: %s", std::strerror(errno));
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace talvor
