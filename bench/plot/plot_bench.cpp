// Plot run, full drawing (plain and with numbered divisions), a cursor's snap and repaint of 20
// tables of 50000 rows, side by side with gnuplot drawing the same tables, and with the whole
// talvor-plot program.
// Usage: plot_bench [DIR]   (the tables are written to DIR, default a fresh temporary folder)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/bench_support.h"
#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/graph_cursors.h"
#include "plot/graph_painter.h"
#include "plot/measure_tables.h"
#include "plot/plot_run.h"
#include "plot/view_commands.h"

using namespace talvor;

namespace {

constexpr int Tables = 20;
constexpr int Rows = 50000;

struct Timing {
    double wall, cpu;
};

// Median wall and processor times of runs of body.
template <class Body>
Timing Measure(int runs, Body body)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < runs; ++i) {
        double w = WallMs(), c = CpuMs();
        body();
        walls.push_back(WallMs() - w);
        cpus.push_back(CpuMs() - c);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[runs / 2], cpus[runs / 2]};
}

// Median wall and processor (user + system) times of a child process.
Timing MeasureProgram(int runs, const std::vector<std::string>& arguments)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < runs; ++i) {
        std::fflush(stdout); // the child must not repeat what is still buffered
        double w = WallMs();
        pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (const std::string& a : arguments)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            if (std::freopen("/dev/null", "w", stdout) == nullptr ||
                std::freopen("/dev/null", "w", stderr) == nullptr)
                _exit(127);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        walls.push_back(WallMs() - w);
        cpus.push_back((usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed\n", arguments[0].c_str());
            return {NAN, NAN};
        }
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[runs / 2], cpus[runs / 2]};
}

// Frequency responses of a first- and a second-order low-pass, as the sweep writes them.
void WriteTables(const std::string& dir)
{
    for (int n = 1; n <= Tables; ++n) {
        std::string path = dir + "/tabela" + (n < 10 ? "0" : "") + std::to_string(n) + ".tab";
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (file == nullptr) {
            std::perror(path.c_str());
            std::exit(1);
        }
        double corner = std::pow(10.0, 1 + 4.0 * n / Tables);
        double ratio = std::pow(10.0, 6.0 / (Rows - 1));
        std::fprintf(file, "f 1m 1f 2m 2f \n");
        double f = 1;
        for (int i = 0; i < Rows; ++i, f *= ratio) {
            std::complex<double> s(0, f / corner);
            std::complex<double> h1 = 1.0 / (1.0 + s), h2 = 1.0 / (1.0 + 0.5 * s + s * s);
            std::fprintf(file, "%g %g %g %g %g\n", f, std::abs(h1),
                         std::arg(h1) * 57.29577951308232, std::abs(h2),
                         std::arg(h2) * 57.29577951308232);
        }
        std::fclose(file);
    }
}

void Report(const char* what, Timing t)
{
    std::printf("%-52s %9.2f ms %9.2f ms\n", what, t.wall, t.cpu);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    std::string dir;
    if (argc > 1) {
        dir = argv[1];
    } else {
        char pattern[] = "/tmp/talvor-plot-bench-XXXXXX";
        dir = mkdtemp(pattern);
    }
    WriteTables(dir);
    std::string curvesPath = dir + "/curvas.txt";
    std::vector<std::string> curveLines;
    {
        std::FILE* curves = std::fopen(curvesPath.c_str(), "w");
        for (int n = 1; n <= Tables; ++n) {
            curveLines.push_back(dir + "/tabela" + (n < 10 ? "0" : "") + std::to_string(n) +
                                 ".tab f 2m");
            std::fprintf(curves, "%s\n", curveLines.back().c_str());
        }
        std::fclose(curves);
    }

    static CurveStore store;
    NullSink sink;
    MessageLog log(sink);
    PlotOptions options;
    QImage image(761, 471, QImage::Format_RGB32);
    auto plotRun = [&] {
        if (!RunPlot(store, curveLines, options, log))
            std::exit(1);
    };
    auto draw = [&] {
        QPainter painter(&image);
        DrawGraph(painter, store, options, image.size());
    };

    std::printf("%d tables of %d rows in %s; medians, wall and processor time\n\n", Tables, Rows,
                dir.c_str());
    std::printf("%-52s %12s %12s\n", "", "wall", "processor");
    Timing plotOnly = Measure(5, plotRun);
    Report("Plot run (reading + computeRanges)", plotOnly);
    // The graph window's "m": each curve's phase column and the table-wide units read again.
    auto scratch = std::make_unique<MeasureScratch>();
    Timing measures = Measure(5, [&] { MeasureCurves(store, ResponseUnits{}, *scratch, log); });
    Report("measurements of every curve (key m)", measures);
    Timing first = Measure(5, [&] {
        plotRun();
        draw();
    });
    Report("Plot run + first full drawing (log-log)", first);
    // Side by side, alternating, so that both see the same machine: the plain picture and the
    // numbered divisions (tick search, labels, titles, legend box, wraps broken).
    std::vector<double> plainRuns, numberedRuns;
    for (int i = 0; i < 21; ++i) {
        for (bool numbered : {false, true}) {
            options.CBdivisoes = numbered;
            const double start = WallMs();
            draw();
            (numbered ? numberedRuns : plainRuns).push_back(WallMs() - start);
        }
    }
    options.CBdivisoes = false;
    std::sort(plainRuns.begin(), plainRuns.end());
    std::sort(numberedRuns.begin(), numberedRuns.end());
    const double plainDrawing = plainRuns[10], numberedDrawing = numberedRuns[10];
    Report("full drawing, 20 x 50000 points, 761 x 471", Measure(21, draw));
    Report("  the same, alternating with numbered divisions", {plainDrawing, NAN});
    Report("  with numbered divisions", {numberedDrawing, NAN});
    // A cursor placed with "1": the nearest point of every drawn line to the mouse.
    CursorPlace place;
    Report("placing a cursor (nearest of 20 x 50000 points)",
           Measure(21, [&] { SnapToCurve(store, false, 400, 200, place); }));
    options.RGescala = static_cast<int>(ScaleMode::LinearLinear);
    plotRun();
    Report("full drawing, linear axes", Measure(21, draw));
    options.RGescala = static_cast<int>(ScaleMode::LogLog);
    plotRun();
    draw();
    // The interaction's redraws: most points fall outside a zoomed view and are clamped.
    ChannelGenerator channels;
    ZoomToBox(store, 300, 150, 400, 250);
    Report("full drawing, mouse zoom to a 100 x 100 box", Measure(21, draw));
    bool panRight = true;
    Report("full drawing, pan key (alternating > and <)", Measure(21, [&] {
               ApplyViewCommand(store, panRight ? ViewCommand::MoveRight : ViewCommand::MoveLeft,
                                options, channels);
               panRight = !panRight;
               draw();
           }));
    ReadLimitFields(store, options);
    QImage large(1600, 1000, QImage::Format_RGB32);
    Report("full drawing, window resized to 1600 x 1000", Measure(21, [&] {
               QPainter painter(&large);
               DrawGraph(painter, store, options, large.size());
           }));
    draw();
    QPixmap savedPicture = QPixmap::fromImage(image);
    QImage screen(image.size(), QImage::Format_RGB32);
    Report("repaint from the saved picture", Measure(101, [&] {
               QPainter painter(&screen);
               painter.drawPixmap(0, 0, savedPicture);
           }));

    std::printf("\nwhole programs, each writing a 761 x 471 PNG:\n");
    Timing ours = MeasureProgram(5, {TALVOR_PLOT_PROGRAM, curvesPath, "-o", dir + "/talvor.png"});
    Report("talvor-plot", ours);
    Timing best{INFINITY, INFINITY};
    for (const char* terminal : {"png", "pngcairo"}) {
        std::string settings = "dir='" + dir + "'; out='" + dir + "/gnuplot-" + terminal +
                               ".png'; term='" + terminal + "'";
        Timing t = MeasureProgram(3, {"gnuplot", "-e", settings, GNUPLOT_SCRIPT});
        Report((std::string("gnuplot, terminal ") + terminal).c_str(), t);
        if (t.wall < best.wall)
            best = t;
    }
    std::printf("\nnumbered divisions / plain drawing:                         %.2fx wall\n",
                numberedDrawing / plainDrawing);
    std::printf("measurements / Plot run:                                  %.1fx wall, "
                "%.1fx processor\n",
                measures.wall / plotOnly.wall, measures.cpu / plotOnly.cpu);
    std::printf(
        "gnuplot (faster terminal) / (Plot run + first drawing): %.1fx wall, %.1fx processor\n",
        best.wall / first.wall, best.cpu / first.cpu);
    std::printf(
        "gnuplot (faster terminal) / talvor-plot program:         %.1fx wall, %.1fx processor\n",
        best.wall / ours.wall, best.cpu / ours.cpu);
    return 0;
}
