// talvor-plot's options, kept in one table that both the parser and the help text read.
#include "app/plot_options.h"

#include <cstdio>
#include <string_view>

#include "common/command_line.h"

namespace talvor {

namespace {

using Option = CommandLineOption<PlotCommand>;

// A switch that sets a check box of the curve list.
template <bool PlotOptions::*checkBox, bool on>
bool Set(PlotCommand& command, std::string_view)
{
    command.options.*checkBox = on;
    return true;
}

bool ApplyScale(PlotCommand& command, std::string_view value)
{
    // The items of the curve list's "Escala", in its order.
    static const char* const scales[] = {"lin-lin", "log-log", "lin-log", "log-lin"};
    for (int item = 0; item < 4; ++item) {
        if (value == scales[item]) {
            command.options.RGescala = item;
            return true;
        }
    }
    return false;
}

bool IsNumber(const std::string& text)
{
    double value;
    char rest;
    return std::sscanf(text.c_str(), "%lg %c", &value, &rest) == 1;
}

// "XMIN,XMAX,YMIN,YMAX" into the four limit fields, with "Usar estas escalas" on.
bool ApplyLimits(PlotCommand& command, std::string_view value)
{
    PlotOptions& options = command.options;
    std::string_view fields[4];
    if (!SplitFields(value, fields))
        return false;
    std::string* limits[] = {&options.Exmin, &options.Exmax, &options.Eymin, &options.Eymax};
    for (int k = 0; k < 4; ++k) {
        *limits[k] = fields[k];
        if (!IsNumber(*limits[k]))
            return false;
    }
    options.CBescalas = true;
    return true;
}

// "WxH", each side from 16 to 8000 pixels.
bool ApplySize(PlotCommand& command, std::string_view value)
{
    const std::string text(value);
    int width, height;
    char rest;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &rest) != 2 || width < 16 ||
        width > 8000 || height < 16 || height > 8000)
        return false;
    command.width = width;
    command.height = height;
    return true;
}

// A number from 1 to 4: pixels per unit of the picture.
bool ApplyPixelRatio(PlotCommand& command, std::string_view value)
{
    const std::string text(value);
    double ratio;
    char rest;
    if (std::sscanf(text.c_str(), "%lf%c", &ratio, &rest) != 1 || !(ratio >= 1 && ratio <= 4))
        return false;
    command.pixelRatio = ratio;
    return true;
}

bool ApplyOutput(PlotCommand& command, std::string_view path)
{
    command.outputPath = path;
    return !path.empty();
}

// "ITEM[,ITEM...]": each item states the unit of one quantity of the tables to measure.
bool ApplyMeasureUnits(PlotCommand& command, std::string_view items)
{
    ResponseUnits& units = command.measureUnits;
    return ForEachListItem(items, [&](std::string_view item) {
        if (item == "lin")
            units.magnitude = MagnitudeUnit::Linear;
        else if (item == "db")
            units.magnitude = MagnitudeUnit::Decibel;
        else if (item == "deg")
            units.phase = PhaseUnit::Degrees;
        else if (item == "rad")
            units.phase = PhaseUnit::Radians;
        else if (item == "hz")
            units.frequency = FrequencyUnit::Hertz;
        else if (item == "rad/s")
            units.frequency = FrequencyUnit::RadiansPerSecond;
        else
            return false;
        return true;
    });
}

constexpr auto Measure = SetFlag<PlotCommand, &PlotCommand::measure>;
constexpr auto ShowHelp = SetFlag<PlotCommand, &PlotCommand::showHelp>;

using P = PlotOptions;

// The options in the order of the curve list's controls.
const Option Options[] = {
    {"-o", "ARQUIVO.png|ARQUIVO.svg",
     "a figura a gravar: SVG (vetorial) se o nome termina em .svg,\n"
     "senão PNG",
     ApplyOutput, true},
    {"--scale=", "lin-lin|log-log|lin-log|log-lin", "escalas dos eixos (padrão log-log)",
     ApplyScale},
    {"--columns-by-number", nullptr, "colunas dadas por número, não por nome",
     Set<&P::CBnomes, false>},
    {"--no-phase", nullptr, "não tratar colunas terminadas em f como fases",
     Set<&P::CBfase, false>},
    {"--limits=", "XMIN,XMAX,YMIN,YMAX", "usar estas escalas", ApplyLimits},
    {"--each-own-scale", nullptr, "escalar cada curva separadamente", Set<&P::CBauto, true>},
    {"--mark-points", nullptr, "marcar pontos", Set<&P::CBmarcar, true>},
    {"--ticks", nullptr,
     "divisões numeradas: valores redondos nos eixos, títulos dos eixos, escala de\n"
     "fase à direita, legendas num quadro",
     Set<&P::CBdivisoes, true>},
    {"--size=", "LxA", "tamanho da figura (padrão 761x471)", ApplySize},
    {"--measure", nullptr,
     "mede cada curva: ganhos, pico, banda de meia potência, Q, ganho unitário e\n"
     "margens de fase e de ganho (a fase de uma coluna 2m vem da coluna 2f)",
     Measure},
    {"--measure-units=", "lin|db,deg|rad,hz|rad/s",
     "unidades das tabelas (medidas e títulos dos eixos); nas medidas, as não\n"
     "dadas são deduzidas dos valores: módulo em dB se algum é negativo, fase\n"
     "em radianos se todas estão entre -pi e pi, frequência em Hz",
     ApplyMeasureUnits},
    {"--pixel-ratio=", "FATOR", "FATOR vezes os pixels do PNG, para impressão (de 1 a 4; padrão 1)",
     ApplyPixelRatio},
    {"--help", nullptr, "este texto", ShowHelp},
};

const CommandLineSyntax<PlotCommand> Syntax = {
    .program = "talvor-plot",
    .synopsis =
        "uso: talvor-plot [opções] CURVAS -o ARQUIVO.png|ARQUIVO.svg\n"
        "  CURVAS: arquivo com as linhas de curvas (\"-\" para a entrada padrão), uma por linha:\n"
        "          <arquivo> <coluna x> <coluna y> [+|-|x]\n",
    .options = Options,
    .operand = &PlotCommand::curvesPath,
    .missingOperand = "falta o arquivo de curvas",
    .extraOperand = "só um arquivo de curvas por vez",
    .showHelp = &PlotCommand::showHelp,
};

} // namespace

bool ParsePlotCommandLine(int argc, char** argv, PlotCommand& command, std::FILE* errors)
{
    return ParseCommandLine(Syntax, argc, argv, command, errors);
}

void PrintPlotUsage(std::FILE* out) { PrintUsage(Syntax, out); }

} // namespace talvor
