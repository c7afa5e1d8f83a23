// The reader's notes: misread fields, where an error was found, a SPICE deck recognised.
#include "netlist/reader_notes.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/circuit.h"
#include "netlist/element_types.h"

namespace talvor {

namespace {

using Shown = DisplayText;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

std::string_view Word(const char* text)
{
    size_t length = 0;
    while (!IsBlank(text[length]))
        ++length;
    return {text, length};
}

// The value meant by a number with a SPICE scale, written plainly: "1000 ou 1e3" for 1k,
// "10e-9" for 10n, "4.7e-6" for 4.7uF; the plain form only when it needs no exponent.
std::string MeantValue(std::string_view number, int scale, double read)
{
    const size_t e = number.find_first_of("eE");
    const std::string mantissa(number.substr(0, e));
    const int exponent =
        (e == std::string_view::npos ? 0 : std::atoi(std::string(number.substr(e + 1)).c_str())) +
        scale;
    const std::string withExponent = mantissa + "e" + std::to_string(exponent);
    char plain[64];
    std::snprintf(plain, sizeof plain, "%.15g", read * std::pow(10.0, scale));
    if (std::strchr(plain, 'e') != nullptr || std::strchr(plain, 'n') != nullptr)
        return withExponent;
    return std::string(plain) + " ou " + withExponent;
}

} // namespace

void NoteGluedNumber(MessageLog& log, int line, const char* element, const GluedNumber& glued)
{
    const std::string_view field = glued.field;
    const std::string_view rest = field.substr(glued.numberLength);
    const std::string number(field.substr(0, glued.numberLength));
    const Shown name(element), written(field);
    std::string advice;
    const int scale = SpiceScaleExponent(rest);
    if (rest[0] == ',') {
        // The field's bytes after the comma are shown as any file text is: they may not be UTF-8.
        advice = "o Talvor usa ponto decimal: escreva " + number + "." +
                 Shown(rest.substr(1)).c_str();
    } else if (scale != 0) {
        advice = "o Talvor não lê sufixos: escreva " + MeantValue(number, scale, glued.value);
        if (rest[0] == 'M' && (rest.size() < 3 || (rest[1] | 0x20) != 'e'))
            advice += " (M é mili, como no SPICE; mega é meg)";
    } else {
        advice = "o resto do campo (\"" + std::string(Shown(rest).c_str()) + "\") não foi lido";
    }
    log.AppendLog("linha %d: %s: \"%s\" foi lido como %g; %s.%s", line, name.c_str(),
                  written.c_str(), glued.value, advice.c_str(),
                  glued.laterFieldsUnread ? " Os campos seguintes da linha não foram lidos." : "");
}

void NoteSourceWord(MessageLog& log, int line, const Element& source, const char* word)
{
    log.AppendLog("linha %d: %s: a palavra \"%s\" foi lida como módulo 0; o Talvor aceita módulo "
                  "[fase [valor DC]], DC valor, SIN(...) e PULSE(...).",
                  line, Shown(source.name).c_str(), Shown(word).c_str());
}

void NoteSpiceAcSource(MessageLog& log, int line, const Element& source, const Field nodes[2],
                       double magnitude, double phase, double dc)
{
    const Shown name(source.name);
    char form[MessageLog::LineBufferSize];
    int length = std::snprintf(form, sizeof form, "%s %s %s %g %g", name.c_str(),
                               Shown(nodes[0]).c_str(), Shown(nodes[1]).c_str(), magnitude, phase);
    if (dc != 0 && length > 0 && static_cast<size_t>(length) < sizeof form)
        std::snprintf(form + length, sizeof form - length, " %g", dc);
    log.AppendLog("linha %d: %s: na forma do SPICE (\"AC\") a fonte ficou com módulo 0; no Talvor "
                  "escreva %s (módulo, fase em graus%s).",
                  line, name.c_str(), form, dc != 0 ? ", valor DC" : "");
}

void NoteMosSeparator(MessageLog& log, int line, const Element& mos, const char* rest)
{
    const char* what = *rest == '\t' ? "um tab" : nullptr;
    std::string found;
    if (what == nullptr) {
        found = "\"" + std::string(Shown(Word(rest)).c_str()) + "\"";
        what = found.c_str();
    }
    log.AppendLog("linha %d: %s: a leitura parou em %s, antes do comprimento ou da largura; L, W "
                  "e os valores seguintes ficaram com o padrão. Escreva L=... W=... (maiúsculas) "
                  "separados por espaços.",
                  line, Shown(mos.name).c_str(), what);
}

void NoteUnknownLine(MessageLog& log, int line, const char* text)
{
    const unsigned char first = static_cast<unsigned char>(text[0]);
    if (first == '\n' || first == '\r') {
        log.AppendLog("linha %d: linha em branco; apague-a (o netlist não pode ter linhas "
                      "vazias).",
                      line);
    } else if (first == ' ' || first == '\t') {
        log.AppendLog("linha %d: a linha começa com %s; o primeiro caractere deve ser a letra "
                      "do elemento, \"*\" ou \".\".",
                      line, first == ' ' ? "um espaço" : "um tab");
    } else if (first == '+') {
        log.AppendLog("linha %d: \"+\" continua a linha anterior num deck SPICE; o Talvor não "
                      "aceita continuações.",
                      line);
    } else {
        std::string letters;
        for (const ElementType& type : ElementTypes())
            letters +=
                letters.empty() ? std::string(1, type.letter) : std::string(" ") + type.letter;
        const std::string shown =
            std::isprint(first) ? "\"" + std::string(1, text[0]) + "\"" : "o primeiro caractere";
        log.AppendLog("linha %d: %s não é letra de elemento (%s), \"*\" nem \".\".", line,
                      shown.c_str(), letters.c_str());
    }
}

void NoteTransistorType(MessageLog& log, int line, const Element& transistor, const char* word)
{
    const Shown name(transistor.name);
    if (word[0] == '\0')
        log.AppendLog("linha %d: falta o tipo de %s (N ou P) depois dos nós.", line, name.c_str());
    else
        log.AppendLog("linha %d: o tipo de %s é \"%s\"; deve começar por N ou P.", line,
                      name.c_str(), Shown(word).c_str());
}

bool IsSpiceCommand(std::string_view word)
{
    static const char* const commands[] = {
        ".end",  ".ends", ".model", ".subckt",  ".param",  ".include", ".lib",   ".ac",
        ".tran", ".op",   ".dc",    ".options", ".option", ".control", ".global"};
    if (word == ".AC")
        return false;
    for (const char* command : commands) {
        const std::string_view c(command);
        bool same = word.size() == c.size();
        for (size_t k = 0; k < c.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(word[k])) == c[k];
        if (same)
            return true;
    }
    return false;
}

void NoteSpiceDeck(const Circuit& circuit, MessageLog& log)
{
    if (circuit.spiceDeckLine == 0)
        return;
    log.AppendLog("Este netlist parece um deck SPICE (\"%s\" na linha %d): converta-o com "
                  "talvor-spice, ou abra-o no talvor com a extensão .cir.",
                  Shown(circuit.spiceDeckWord).c_str(), circuit.spiceDeckLine);
}

} // namespace talvor
