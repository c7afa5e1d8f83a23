// talvor-plot: draws the curves of a curve list into a PNG or SVG file, without a display.
#include <QGuiApplication>
#include <QImage>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/plot_options.h"
#include "app/qt_portuguese.h"
#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/graph_export.h"
#include "plot/measure_tables.h"
#include "plot/plot_run.h"

using namespace talvor;

namespace {

enum ExitStatus { PictureWritten = 0, NotDrawn = 1, WrongCommandLine = 2 };

// Pixels on a side of the picture: 16000 x 16000 take 1 GB already.
constexpr int MaxPictureSide = 16000;

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
    PlotCommand command;
    if (!ParsePlotCommandLine(argc, argv, command, stderr)) {
        PrintPlotUsage(stderr);
        return WrongCommandLine;
    }
    if (command.showHelp) {
        PrintPlotUsage(stdout);
        return PictureWritten;
    }
    // Text needs an application object; without a display, the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // tables and labels use the C number format
    UsePortugueseQtTexts();

    StdoutSink sink;
    MessageLog log(sink);
    std::vector<std::string> lines;
    if (!ReadCurveLines(command.curvesPath, lines)) {
        log.AppendLog("Arquivo de curvas não encontrado: %s", command.curvesPath.c_str());
        return NotDrawn;
    }
    // The units stated for the measurements name the axes too.
    command.options.tableUnits = command.measureUnits;
    static CurveStore store; // about 32 MB of point slots: not on the stack
    if (!RunPlot(store, lines, command.options, log))
        return NotDrawn;
    if (command.measure)
        MeasureCurves(store, command.measureUnits, *std::make_unique<MeasureScratch>(), log);

    const QString output = QString::fromLocal8Bit(command.outputPath.c_str());
    const QSize size(command.width, command.height);
    bool written;
    if (IsSvgName(output)) {
        written = WriteWholeFile(output, GraphSvg(store, command.options, size, nullptr));
    } else {
        // Drawn as the graph window draws on a screen of pixelRatio pixels per unit.
        const QImage image =
            GraphImage(store, command.options, size, command.pixelRatio, nullptr, MaxPictureSide);
        if (image.isNull()) {
            log.AppendLog("Não foi possível criar uma figura de %d x %d pixels.",
                          static_cast<int>(std::ceil(command.width * command.pixelRatio)),
                          static_cast<int>(std::ceil(command.height * command.pixelRatio)));
            return NotDrawn;
        }
        written = SavePng(output, image);
    }
    if (!written) {
        log.AppendLog("Não foi possível gravar a figura no arquivo %s.",
                      command.outputPath.c_str());
        return NotDrawn;
    }
    log.AppendLog("Figura gravada no arquivo %s.", command.outputPath.c_str());
    return PictureWritten;
}
