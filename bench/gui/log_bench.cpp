// Log lines into the main window, as a stamp trace writes them: ten lines per stamp, the host's
// event processing after each stamp. Reports the time until the window has taken in every line,
// the longest the event loop went unserved meanwhile, the memory the lines take, and the time to
// save them all ("Salvar relatório...") and to clear them ("Limpar relatório").
// Arguments: [LINES [CELLS]], by default a million lines of 10 cells (a trace of a circuit of 9
// unknowns); 51 cells is the widest trace, of 50 unknowns.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/log_view.h"
#include "app/talvor_app.h"

using namespace talvor;

namespace {

// The resident memory of the process, in bytes.
double ResidentBytes()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * 4096;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    TalvorApp talvor({}, [] {});
    talvor.Show();
    QApplication::processEvents();
    LogView& memo = *talvor.form1.findChild<LogView*>(QStringLiteral("Memo1"));
    const long Lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int Cells = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    constexpr int LinesPerStamp = 10;

    // A row as the trace builds it: "%+9.2e " or "......... " per cell, one in three nonzero
    // (its cells are formatted by the engine, not timed here).
    std::string row;
    for (int cell = 0; cell < Cells; ++cell)
        row += cell % 3 == 0 ? "-1.00e-03 " : "......... ";

    // A ticking timer: the gap between two ticks is how long user input would have waited.
    QElapsedTimer clock;
    qint64 lastTick = 0, longestGap = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });

    const double memoryBefore = ResidentBytes();
    clock.start();
    ticker.start();
    talvor.SetStopEnabled(true);
    for (long line = 0; line < Lines; ++line) {
        talvor.log.AppendLog("%s", row.c_str());
        if (line % LinesPerStamp == LinesPerStamp - 1)
            talvor.ProcessEvents();
    }
    const qint64 produced = clock.elapsed();
    while (memo.ShownLineCount() < memo.LineCount())
        QApplication::processEvents();
    memo.viewport()->repaint();
    const qint64 shown = clock.elapsed();
    ticker.stop();
    const double memoryAfter = ResidentBytes();

    const QString report = QDir::temp().filePath(QStringLiteral("talvor-log-bench.txt"));
    QString error;
    QElapsedTimer saving;
    saving.start();
    const bool saved = memo.SaveTo(report, error);
    const qint64 savedMs = saving.elapsed();
    const qint64 savedBytes = QFileInfo(report).size();
    QFile::remove(report);
    saving.restart();
    memo.Clear();
    const qint64 clearedMs = saving.elapsed();
    const double memoryCleared = ResidentBytes();

    std::printf("%ld linhas de %zu bytes; produzidas em %lld ms; na janela em %lld ms "
                "(%.0f linhas/s)\n",
                long(Lines), row.size(), produced, shown, Lines * 1000.0 / shown);
    std::printf("tempo de processador: %.0f ms\n", std::clock() * 1000.0 / CLOCKS_PER_SEC);
    std::printf("maior intervalo sem atender eventos: %lld ms\n", longestGap);
    std::printf("memória: %.1f MB por milhão de linhas (%.1f bytes por linha além do texto)\n",
                (memoryAfter - memoryBefore) / Lines,
                (memoryAfter - memoryBefore) / Lines - double(row.size()));
    std::printf("salvo: %s, %lld bytes em %lld ms; limpo em %lld ms, memória devolvida: %.0f MB\n",
                saved ? "sim" : qPrintable(error), savedBytes, savedMs, clearedMs,
                (memoryAfter - memoryCleared) / 1e6);
    return shown < 3000 && saved ? 0 : 1;
}
