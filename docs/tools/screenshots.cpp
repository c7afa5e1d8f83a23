// Pictures of the desktop program for the documentation: the main window after a run of the
// example, and "Parâmetros". screenshots EXAMPLE.net OUTPUT_DIR (run on the offscreen platform)
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <cstdio>

#include "app/log_view.h"
#include "app/talvor_app.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: %s EXEMPLO.net PASTA\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    // Runs in the netlist's folder, so the log names the file as a user would type it.
    const QFileInfo netlist(QString::fromLocal8Bit(argv[1]));
    QDir::setCurrent(netlist.absolutePath());

    TalvorApp talvor({netlist.fileName().toStdString()}, [] {});
    talvor.Show();
    QApplication::processEvents(); // the command line runs here
    QTest::qWait(4 * LogView::RefreshIntervalMs);
    const bool mainSaved = talvor.form1.grab().save(output + QStringLiteral("/main-window.png"));

    talvor.ShowSettings();
    QTest::qWait(4 * LogView::RefreshIntervalMs);
    const bool settingsSaved = talvor.form2.grab().save(output + QStringLiteral("/parametros.png"));
    return mainSaved && settingsSaved ? 0 : 1;
}
