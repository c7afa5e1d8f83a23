// talvor-cli's options, kept in one table that both the parser and the help text read.
#include "app/cli_options.h"

#include <cstring>
#include <string_view>

namespace {

// Splits "MODE,POINTS,FSTART,FEND" into the dialog's frequency fields; the numbers stay texts,
// converted when the driver reads them as the dialog's are.
bool ApplySweep(AnalysisSettings& settings, std::string_view value)
{
    std::string_view fields[4];
    for (int k = 0; k < 4; ++k) {
        size_t comma = value.find(',');
        if ((k < 3) == (comma == std::string_view::npos))
            return false;
        fields[k] = value.substr(0, comma);
        value = k < 3 ? value.substr(comma + 1) : std::string_view();
    }
    if (fields[0] == "lin")
        settings.RGescala = 0;
    else if (fields[0] == "dec")
        settings.RGescala = 1;
    else if (fields[0] == "oct")
        settings.RGescala = 2;
    else
        return false;
    settings.Epontos = fields[1];
    settings.Efinicial = fields[2];
    settings.Effinal = fields[3];
    return true;
}

struct CliOption {
    const char* name; // a name ending in '=' takes a value
    const char* help;
    bool (*apply)(AnalysisSettings& settings, std::string_view value);
};

// The options in the order of the dialog's controls.
const CliOption Options[] = {
    {"--show-stamps", "mostra o sistema após a estampa de cada elemento (Mostrar estampas)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBestampas = true;
         return true;
     }},
    {"--show-results", "mostra as incógnitas após cada solução (Mostrar resultados)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBresultados = true;
         return true;
     }},
    {"--ignore-ac", "usa a varredura de --sweep mesmo com linha .AC (Ignorar linha de comando)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBignorar = true;
         return true;
     }},
    {"--mos-diodes", "monta os diodos MOS no ponto de operação (Montar diodos MOS)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBdiodos = true;
         return true;
     }},
    {"--start-conducting", "inicia com diodos e MOS conduzindo",
     [](AnalysisSettings& s, std::string_view) {
         s.CBconduz = true;
         return true;
     }},
    {"--no-junction-caps", "sem capacitâncias de diodos e de transistores bipolares",
     [](AnalysisSettings& s, std::string_view) {
         s.CBcdiodos = false;
         return true;
     }},
    {"--rad-per-s", "frequências em rad/s (padrão: Hz)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBHz = false;
         return true;
     }},
    {"--db", "módulos em dB (padrão: lineares)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBdB = true;
         return true;
     }},
    {"--radians", "fases em radianos (padrão: graus)",
     [](AnalysisSettings& s, std::string_view) {
         s.CBgraus = false;
         return true;
     }},
    {"--no-mos-caps", "sem as capacitâncias MOS Cgs e Cgd",
     [](AnalysisSettings& s, std::string_view) {
         s.CBcmos = false;
         return true;
     }},
    {"--no-cgb", "sem a capacitância MOS Cgb",
     [](AnalysisSettings& s, std::string_view) {
         s.CBcgb = false;
         return true;
     }},
    {"--vdmax=", "máxima tensão para a função exponencial em diodos (padrão 0.7)",
     [](AnalysisSettings& s, std::string_view v) {
         s.Evdmax = v;
         return true;
     }},
    {"--g0=", "condutância no lugar de capacitâncias no ponto de operação (padrão 1e-9)",
     [](AnalysisSettings& s, std::string_view v) {
         s.Eg0 = v;
         return true;
     }},
    {"--initial=", "aproximação inicial das tensões e correntes (padrão 0)",
     [](AnalysisSettings& s, std::string_view v) {
         s.Einicio = v;
         return true;
     }},
    {"--sweep=",
     "varredura sem linha .AC (padrão lin,1000,1,10000): MODE lin, dec ou oct,\n"
     "      pontos, frequência inicial, frequência final",
     ApplySweep},
};

const CliOption* FindOption(std::string_view argument, std::string_view& value)
{
    for (const CliOption& option : Options) {
        std::string_view name = option.name;
        bool takesValue = name.back() == '=';
        if (takesValue ? argument.starts_with(name) : argument == name) {
            value = argument.substr(takesValue ? name.size() : argument.size());
            return &option;
        }
    }
    return nullptr;
}

} // namespace

bool ParseCommandLine(int argc, char** argv, CliCommand& command, std::FILE* errors)
{
    bool optionsEnded = false;
    int netlists = 0;
    for (int k = 1; k < argc; ++k) {
        std::string_view argument = argv[k];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            command.showHelp = true;
        } else if (!optionsEnded && argument.starts_with("-") && argument.size() > 1) {
            std::string_view value;
            const CliOption* option = FindOption(argument, value);
            if (option == nullptr) {
                std::fprintf(errors, "talvor-cli: opção desconhecida: %s\n", argv[k]);
                return false;
            }
            if (!option->apply(command.settings, value)) {
                std::fprintf(errors, "talvor-cli: valor inválido: %s\n", argv[k]);
                return false;
            }
        } else {
            command.netlistPath = argument;
            ++netlists;
        }
    }
    if (command.showHelp)
        return true;
    if (netlists != 1) {
        std::fprintf(errors, "talvor-cli: %s\n",
                     netlists == 0 ? "falta o netlist" : "só um netlist por vez");
        return false;
    }
    return true;
}

void PrintUsage(std::FILE* out)
{
    std::fputs("uso: talvor-cli [OPÇÕES] NETLIST\n"
               "Analisa o netlist (\".net\" acrescentado a um nome sem \".\"), escreve a tabela\n"
               "\".tab\" e o registro da análise na saída padrão.\n"
               "Saída 0 após \"Análise terminada com sucesso.\", 1 após uma falha, 2 para uma\n"
               "linha de comando errada.\n\nOpções:\n",
               out);
    for (const CliOption& option : Options) {
        std::string_view name = option.name;
        const char* placeholder = name == "--sweep="   ? "MODE,POINTS,FSTART,FEND"
                                  : name.back() == '=' ? "TEXT"
                                                       : "";
        std::fprintf(out, "  %s%s\n      %s\n", option.name, placeholder, option.help);
    }
    std::fputs("  --help\n      este texto\n\n"
               "TALVOR_THREADS=N no ambiente limita a varredura a N linhas de execução\n"
               "(padrão: uma por núcleo); a tabela e o registro não mudam.\n",
               out);
}
