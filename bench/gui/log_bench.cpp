// One million log lines into the main window, as a stamp trace writes them: ten lines per
// stamp, the host's event processing after each stamp. Reports the time until the window has
// taken in every line and the longest the event loop went unserved meanwhile.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/log_view.h"
#include "app/talvor_app.h"

using namespace talvor;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    TalvorApp talvor({}, [] {});
    talvor.Show();
    QApplication::processEvents();
    LogView& memo = *talvor.form1.findChild<LogView*>(QStringLiteral("Memo1"));
    const qsizetype linesBefore = memo.LineCount();
    const long Lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    constexpr int LinesPerStamp = 10;

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

    clock.start();
    ticker.start();
    talvor.SetStopEnabled(true);
    for (long line = 0; line < Lines; ++line) {
        // The row as the trace builds it (its cells are formatted by the engine, not timed here).
        talvor.log.AppendLog("%9ld -1.00e-03 ......... +2.50e+00 ......... +1.00e-09 -1.00e+00 "
                             "......... ......... +3.00e+00 +1.00e+06 ",
                             line);
        if (line % LinesPerStamp == LinesPerStamp - 1)
            talvor.ProcessEvents();
    }
    const qint64 produced = clock.elapsed();
    while (memo.ShownLineCount() < memo.LineCount())
        QApplication::processEvents();
    memo.viewport()->repaint();
    const qint64 shown = clock.elapsed();
    ticker.stop();

    std::printf("%ld linhas; produzidas em %lld ms; na janela em %lld ms (%.0f linhas/s)\n",
                long(memo.LineCount() - linesBefore), produced, shown, Lines * 1000.0 / shown);
    std::printf("tempo de processador: %.0f ms\n", std::clock() * 1000.0 / CLOCKS_PER_SEC);
    std::printf("maior intervalo sem atender eventos: %lld ms\n", longestGap);
    std::printf("última linha: %s\n", qPrintable(memo.Line(memo.LineCount() - 1)));
    return shown < 3000 ? 0 : 1;
}
