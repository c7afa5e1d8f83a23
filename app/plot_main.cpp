// talvor-plot: draws the curves of a curve list into a PNG file, without a display.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/graph_painter.h"
#include "plot/plot_run.h"

namespace {

const char Usage[] =
    "uso: talvor-plot [opções] CURVAS -o ARQUIVO.png\n"
    "  CURVAS: arquivo com as linhas de curvas (\"-\" para a entrada padrão), uma por linha:\n"
    "          <arquivo> <coluna x> <coluna y> [+|-|x]\n"
    "  --scale=lin-lin|log-log|lin-log|log-lin   escalas dos eixos (padrão log-log)\n"
    "  --columns-by-number                       colunas dadas por número, não por nome\n"
    "  --no-phase                                não tratar colunas terminadas em f como fases\n"
    "  --limits=XMIN,XMAX,YMIN,YMAX              usar estas escalas\n"
    "  --each-own-scale                          escalar cada curva separadamente\n"
    "  --mark-points                             marcar pontos\n"
    "  --size=LxA                                tamanho da figura (padrão 761x471)\n";

struct Command {
    PlotOptions options;
    std::string curvesPath;
    std::string outputPath;
    int width = 761;
    int height = 471;
    bool help = false;
};

bool IsNumber(const std::string& text)
{
    double value;
    char rest;
    return std::sscanf(text.c_str(), "%lg %c", &value, &rest) == 1;
}

bool ParseLimits(const char* text, PlotOptions& options)
{
    std::string* fields[] = {&options.Exmin, &options.Exmax, &options.Eymin, &options.Eymax};
    for (int i = 0; i < 4; ++i) {
        const char* comma = std::strchr(text, ',');
        if ((i < 3) != (comma != nullptr))
            return false;
        *fields[i] = i < 3 ? std::string(text, comma) : std::string(text);
        if (!IsNumber(*fields[i]))
            return false;
        text = comma + 1;
    }
    options.CBescalas = true;
    return true;
}

bool ParseSize(const char* text, int& width, int& height)
{
    char rest;
    return std::sscanf(text, "%dx%d%c", &width, &height, &rest) == 2 && width >= 16 &&
           width <= 8000 && height >= 16 && height <= 8000;
}

bool ParseCommand(int argc, char** argv, Command& command)
{
    static const char* const scales[] = {"lin-lin", "log-log", "lin-log", "log-lin"};
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            command.help = true;
        } else if (std::strcmp(arg, "-o") == 0 && i + 1 < argc) {
            command.outputPath = argv[++i];
        } else if (std::strncmp(arg, "--scale=", 8) == 0) {
            int found = -1;
            for (int s = 0; s < 4; ++s)
                if (std::strcmp(arg + 8, scales[s]) == 0)
                    found = s;
            if (found < 0)
                return false;
            command.options.RGescala = found;
        } else if (std::strcmp(arg, "--columns-by-number") == 0) {
            command.options.CBnomes = false;
        } else if (std::strcmp(arg, "--no-phase") == 0) {
            command.options.CBfase = false;
        } else if (std::strncmp(arg, "--limits=", 9) == 0) {
            if (!ParseLimits(arg + 9, command.options))
                return false;
        } else if (std::strcmp(arg, "--each-own-scale") == 0) {
            command.options.CBauto = true;
        } else if (std::strcmp(arg, "--mark-points") == 0) {
            command.options.CBmarcar = true;
        } else if (std::strncmp(arg, "--size=", 7) == 0) {
            if (!ParseSize(arg + 7, command.width, command.height))
                return false;
        } else if ((arg[0] != '-' || std::strcmp(arg, "-") == 0) && command.curvesPath.empty()) {
            command.curvesPath = arg;
        } else {
            return false;
        }
    }
    return command.help || (!command.curvesPath.empty() && !command.outputPath.empty());
}

// The curve lines of a file (or standard input), without their line ends.
bool ReadCurveLines(const std::string& path, std::vector<std::string>& lines)
{
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    if (file != stdin)
        std::fclose(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Command command;
    if (!ParseCommand(argc, argv, command)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (command.help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    // Text needs an application object; without a display, the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // tables and labels use the C number format

    StdoutSink sink;
    MessageLog log(sink);
    std::vector<std::string> lines;
    if (!ReadCurveLines(command.curvesPath, lines)) {
        log.AppendLog("Arquivo de curvas não encontrado: %s", command.curvesPath.c_str());
        return 1;
    }
    static CurveStore store; // about 32 MB of point slots: not on the stack
    if (!RunPlot(store, lines, command.options, log))
        return 1;

    QImage image(command.width, command.height, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        DrawGraph(painter, store, command.options, image.size());
    }
    if (!image.save(QString::fromLocal8Bit(command.outputPath.c_str()), "PNG")) {
        log.AppendLog("Não foi possível gravar a figura no arquivo %s.",
                      command.outputPath.c_str());
        return 1;
    }
    log.AppendLog("Figura gravada no arquivo %s.", command.outputPath.c_str());
    return 0;
}
