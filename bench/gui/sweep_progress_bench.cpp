// A long sweep through the desktop program, which shows its progress (status bar, events served
// a few times a second), against the same sweep through a host that shows nothing: side by side,
// alternating. Prints both medians and their ratio.
// sweep_progress_bench [ROUNDS [POINTS]]   (offscreen or under an X server)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/analysis_settings.h"
#include "analysis/run_analysis.h"
#include "app/talvor_app.h"
#include "bench/bench_support.h"
#include "common/message_log.h"

using namespace talvor;

namespace {} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const long points = argc > 2 ? std::atol(argv[2]) : 1000000;
    QTemporaryDir dir;
    const std::string netlist = QDir(dir.path()).filePath("longo.net").toStdString();
    std::ofstream(netlist) << "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC LIN " << points
                           << " 1 1e6\n";

    TalvorApp talvor({}, [] {});
    talvor.Show();
    QApplication::processEvents();
    HeadlessHost plainHost;
    NullSink sink;
    MessageLog plainLog(sink);
    auto plain = std::make_unique<Analysis>(plainLog, plainHost);

    std::vector<double> shownMs, plainMs;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        talvor.form1.SetOpenDialogFileName(QString::fromStdString(netlist));
        talvor.RunAnalysisFromOpenDialog();
        shownMs.push_back(clock.nsecsElapsed() / 1e6);
        clock.start();
        RunAnalysis(*plain, netlist);
        plainMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double shown = Median(shownMs), without = Median(plainMs);
    std::printf("%ld pontos, %d rodadas\n", points, rounds);
    std::printf("com progresso: %.0f ms; sem: %.0f ms; razão %.3f\n", shown, without,
                shown / without);
    return 0;
}
