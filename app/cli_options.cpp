// talvor-cli's options, kept in one table that both the parser and the help text read.
#include "app/cli_options.h"

#include <string_view>

#include "common/command_line.h"

namespace talvor {

namespace {

using Option = CommandLineOption<CliCommand>;

// A switch that sets a check box of the dialog to on.
template <bool AnalysisSettings::*checkBox, bool on>
bool Set(CliCommand& command, std::string_view)
{
    command.settings.*checkBox = on;
    return true;
}

// An option that fills a text field of the dialog; the text is converted when the analysis
// reads it, as the dialog's is.
template <std::string AnalysisSettings::*field>
bool Fill(CliCommand& command, std::string_view text)
{
    command.settings.*field = text;
    return true;
}

// Splits "MODE,POINTS,FSTART,FEND" into the dialog's frequency fields; the numbers stay texts.
bool ApplySweep(CliCommand& command, std::string_view value)
{
    AnalysisSettings& settings = command.settings;
    std::string_view fields[4];
    if (!SplitFields(value, fields))
        return false;
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

// "NAME[,NAME...]": the unknowns to measure, added to those of earlier --measure options. An
// empty name refuses the value.
bool AddMeasureNames(CliCommand& command, std::string_view names)
{
    return ForEachListItem(names, [&](std::string_view name) {
        if (name.empty())
            return false;
        command.measureNames.emplace_back(name);
        return true;
    });
}

bool AddStep(CliCommand& command, std::string_view value)
{
    ++command.stepOptions;
    return ParseStepOption(value, command.steps);
}

bool SetRuns(CliCommand& command, std::string_view value)
{
    return ParseRunCount(value, command.steps.runs);
}

bool AddTolerances(CliCommand& command, std::string_view value)
{
    command.toleranceGiven = true;
    return ParseTolerances(value, command.steps.tolerances);
}

bool SetDistribution(CliCommand& command, std::string_view value)
{
    command.distributionGiven = true;
    return ParseDistribution(value, command.steps.distribution);
}

bool SetSeed(CliCommand& command, std::string_view value)
{
    command.seedGiven = true;
    return ParseSeed(value, command.steps.seed);
}

constexpr auto CheckOnly = SetFlag<CliCommand, &CliCommand::checkOnly>;
constexpr auto ShowHelp = SetFlag<CliCommand, &CliCommand::showHelp>;

using S = AnalysisSettings;

// The options in the order of the dialog's controls.
const Option Options[] = {
    {"--show-stamps", nullptr,
     "mostra o sistema após a estampa de cada elemento (Mostrar estampas)",
     Set<&S::CBestampas, true>},
    {"--show-results", nullptr, "mostra as incógnitas após cada solução (Mostrar resultados)",
     Set<&S::CBresultados, true>},
    {"--ignore-ac", nullptr,
     "usa a varredura de --sweep mesmo com linha .AC (Ignorar linha de comando)",
     Set<&S::CBignorar, true>},
    {"--mos-diodes", nullptr, "monta os diodos MOS no ponto de operação (Montar diodos MOS)",
     Set<&S::CBdiodos, true>},
    {"--start-conducting", nullptr, "inicia com diodos e MOS conduzindo", Set<&S::CBconduz, true>},
    {"--no-junction-caps", nullptr, "sem capacitâncias de diodos e de transistores bipolares",
     Set<&S::CBcdiodos, false>},
    {"--rad-per-s", nullptr, "frequências em rad/s (padrão: Hz)", Set<&S::CBHz, false>},
    {"--db", nullptr, "módulos em dB (padrão: lineares)", Set<&S::CBdB, true>},
    {"--radians", nullptr, "fases em radianos (padrão: graus)", Set<&S::CBgraus, false>},
    {"--no-mos-caps", nullptr, "sem as capacitâncias MOS Cgs e Cgd", Set<&S::CBcmos, false>},
    {"--no-cgb", nullptr, "sem a capacitância MOS Cgb", Set<&S::CBcgb, false>},
    {"--vdmax=", "TEXT", "máxima tensão para a função exponencial em diodos (padrão 0.7)",
     Fill<&S::Evdmax>},
    {"--g0=", "TEXT", "condutância no lugar de capacitâncias no ponto de operação (padrão 1e-9)",
     Fill<&S::Eg0>},
    {"--initial=", "TEXT", "aproximação inicial das tensões e correntes (padrão 0)",
     Fill<&S::Einicio>},
    {"--sweep=", "MODE,POINTS,FSTART,FEND",
     "varredura sem linha .AC (padrão lin,1000,1,10000): MODE lin, dec ou oct,\n"
     "pontos, frequência inicial, frequência final",
     ApplySweep},
    {"--check", nullptr,
     "só verifica o netlist, sem resolver: procura no sistema DC nós sem caminho\n"
     "para a terra, laços de fontes de tensão e outras causas de sistema singular\n"
     "(saída 0 sem nenhuma, 1 com alguma)",
     CheckOnly},
    {"--measure=", "NAME[,NAME...]",
     "depois da análise, as medidas da resposta de cada variável: ganhos, pico, banda\n"
     "de meia potência, Q, ganho unitário e margens de fase e de ganho",
     AddMeasureNames},
    {"--step=", "ELEMENTO:LISTA",
     "a análise inteira para cada valor de ELEMENTO (R1: o valor principal; Q1.VA:\n"
     "um valor pelo nome); LISTA: 1000,2200,4700, lin:INÍCIO:FIM:N (N valores) ou\n"
     "dec:INÍCIO:FIM:N (N por década, contadas as duas pontas); tabelas NOME_1.tab,\n"
     "NOME_2.tab, ... e a lista NOME_passos.txt",
     AddStep},
    {"--monte-carlo=", "N",
     "N análises com os valores de --tolerance sorteados; tabelas como as de --step\n"
     "e o envelope NOME_envelope.tab (mínimo, mediana e máximo)",
     SetRuns},
    {"--tolerance=", "ALVO:P%[,...]",
     "tolerâncias do Monte Carlo: ALVO é um tipo (R:5%, todos os resistores), um\n"
     "elemento (R1:1%) ou um valor (Q1.VA:10%, Q.VA:10%)",
     AddTolerances},
    {"--distribution=", "uniform|gauss",
     "distribuição dos sorteios (padrão uniform): uniform, uniforme dentro da\n"
     "tolerância; gauss, normal com a tolerância como 3 sigma",
     SetDistribution},
    {"--seed=", "S",
     "semente dos sorteios, para repetir um Monte Carlo (padrão: uma nova a cada\n"
     "vez, dita no registro)",
     SetSeed},
    {"--help", nullptr, "este texto", ShowHelp},
    {"-h", nullptr, nullptr, ShowHelp},
};

const CommandLineSyntax<CliCommand> Syntax = {
    .program = "talvor-cli",
    .synopsis = "uso: talvor-cli [OPÇÕES] NETLIST\n"
                "Analisa o netlist (\".net\" acrescentado a um nome sem \".\"), escreve a tabela\n"
                "\".tab\" e o registro da análise na saída padrão.\n"
                "Saída 0 após \"Análise terminada com sucesso.\", 1 após uma falha, 2 para uma\n"
                "linha de comando errada.\n",
    .options = Options,
    .epilogue = "\nTALVOR_THREADS=N no ambiente limita a varredura a N linhas de execução\n"
                "(padrão: uma por núcleo); a tabela e o registro não mudam. Passos e execuções\n"
                "de Monte Carlo correm lado a lado dentro do mesmo limite.\n",
    .operand = &CliCommand::netlistPath,
    .missingOperand = "falta o netlist",
    .extraOperand = "só um netlist por vez",
    .showHelp = &CliCommand::showHelp,
};

} // namespace

namespace {

// The options of steps and Monte Carlo that only make sense together. False, after a line
// saying why, for a combination that does not.
bool CheckStepOptions(const CliCommand& command, std::FILE* errors)
{
    const bool monteCarlo = command.steps.IsMonteCarlo();
    const char* reason = nullptr;
    if (command.stepOptions > 1)
        reason = "só um --step por vez";
    else if (command.stepOptions > 0 && monteCarlo)
        reason = "--step e --monte-carlo não se combinam";
    else if (monteCarlo && !command.toleranceGiven)
        reason = "--monte-carlo precisa de --tolerance";
    else if (!monteCarlo &&
             (command.toleranceGiven || command.distributionGiven || command.seedGiven))
        reason = "--tolerance, --distribution e --seed só valem com --monte-carlo";
    else if (command.checkOnly && command.IsStepped())
        reason = "--check não se combina com --step nem com --monte-carlo";
    return reason == nullptr || command_line::Refuse(errors, Syntax.program, reason, "");
}

} // namespace

bool ParseCliCommandLine(int argc, char** argv, CliCommand& command, std::FILE* errors)
{
    return ParseCommandLine(Syntax, argc, argv, command, errors) &&
           (command.showHelp || CheckStepOptions(command, errors));
}

void PrintCliUsage(std::FILE* out) { PrintUsage(Syntax, out); }

} // namespace talvor
