// Pictures of the desktop program for the documentation: the main window after a run of the
// example, "Parâmetros", a zoomed graph of the active filter, the filter's Bode plot with
// numbered divisions and cursors, the filter stepped over a capacitor with its dialog, and the
// colour chooser.
// screenshots EXAMPLES_DIR OUTPUT_DIR (run on the offscreen platform; EXAMPLES_DIR holds
// exemplo.net and filtro_ativo.net, and receives their tables)
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>

#include "app/log_view.h"
#include "app/step_dialog.h"
#include "app/talvor_app.h"

using namespace talvor;

namespace {

void Click(QWidget& window, const char* button)
{
    QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// The graph window's pixel of a value pair, as the last drawing placed it (logarithmic axes).
QPoint PixelOf(const CurveStore& store, double x, double y)
{
    const Curve& c = store.curves[1];
    return QPoint(static_cast<int>(std::log(x) * c.scaleX + c.offsetX),
                  static_cast<int>(std::log(y) * c.scaleY + c.offsetY));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: %s PASTA_DOS_EXEMPLOS PASTA\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    // Runs in the examples' folder, so the log names the files as a user would type them.
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    bool saved = true;
    auto save = [&](QWidget& window, const char* name) {
        saved = window.grab().save(output + QLatin1Char('/') + QLatin1String(name)) && saved;
    };

    TalvorApp talvor({"exemplo.net"}, [] {});
    talvor.Show();
    QApplication::processEvents(); // the command line runs here
    QTest::qWait(4 * LogView::RefreshIntervalMs);
    save(talvor.form1, "main-window.png");
    talvor.ShowSettings();
    QTest::qWait(4 * LogView::RefreshIntervalMs);
    save(talvor.form2, "parametros.png");

    // The active filter's output, its two inner nodes and the output's phase, zoomed into the
    // band where they fall: the curves stop at the plot's edges.
    talvor.form1.SetOpenDialogFileName(QStringLiteral("filtro_ativo.net"));
    talvor.RunAnalysisFromOpenDialog();
    talvor.ShowCurveList();
    talvor.form4.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
        ->setPlainText(QStringLiteral("filtro_ativo.tab f saidam\nfiltro_ativo.tab f n1m\n"
                                      "filtro_ativo.tab f n2m\nfiltro_ativo.tab f saidaf"));
    Click(talvor.form4, "Button3"); // "Plotar"
    QWidget& paintBox = *talvor.form5.findChild<QWidget*>(QStringLiteral("PaintBox1"));
    (void)QTest::qWaitForWindowExposed(&talvor.form5);
    paintBox.repaint();
    QTest::mousePress(&paintBox, Qt::LeftButton, {}, PixelOf(talvor.curveStore, 300, 1.2));
    QTest::mouseMove(&paintBox, PixelOf(talvor.curveStore, 50000, 0.012));
    QTest::mouseRelease(&paintBox, Qt::LeftButton);
    QApplication::processEvents();
    paintBox.repaint();
    // Moves as the platform delivers them (the offscreen platform has no pointer to move).
    auto moveTo = [&paintBox](QPointF at) {
        QMouseEvent move(QEvent::MouseMove, at, paintBox.mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&paintBox, &move);
    };
    moveTo(QPointF(450, 250)); // the readout in the status line
    save(talvor.form5, "graph-zoom.png");

    // The active filter's output in magnitude and phase with numbered divisions, and two cursors
    // on the magnitude: in the pass band and a decade above the corner.
    talvor.form4.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
        ->setPlainText(QStringLiteral("filtro_ativo.tab f saidam\nfiltro_ativo.tab f saidaf"));
    Click(talvor.form4, "Button3"); // "Plotar"
    QTest::keyClick(&talvor.form5, 'n');
    paintBox.repaint();
    moveTo(PixelOf(talvor.curveStore, 100, 1));
    QTest::keyClick(&talvor.form5, '1');
    moveTo(PixelOf(talvor.curveStore, 10000, 0.01));
    QTest::keyClick(&talvor.form5, '2');
    QApplication::processEvents();
    save(talvor.form5, "graph-cursors.png");
    QTest::keyClick(&talvor.form5, 'n');

    // "Variar parâmetro...": the active filter's feedback capacitor from Q = 0.5 to Q = 1.41
    // (C1 = 4 Q^2 C2), and the output's curves overlaid with numbered divisions.
    talvor.ShowStepDialog();
    StepDialog& steps = *talvor.StepDialogWindow();
    steps.findChild<QComboBox*>(QStringLiteral("CBelemento"))->setCurrentText(QStringLiteral("C1"));
    steps.findChild<QLineEdit*>(QStringLiteral("Evalores"))
        ->setText(QStringLiteral("1.1254e-8,2.2508e-8,4.5016e-8,9.0032e-8"));
    steps.findChild<QComboBox*>(QStringLiteral("CBno"))->setCurrentText(QStringLiteral("saida"));
    QApplication::processEvents();
    save(steps, "variar-parametro.png");
    Click(steps, "Button1"); // "Executar"
    steps.hide();
    QTest::keyClick(&talvor.form5, 'n');
    paintBox.repaint();
    QApplication::processEvents();
    save(talvor.form5, "passos.png");
    QTest::keyClick(&talvor.form5, 'n');

    // The colour chooser of curve 1, as a click on its legend opens it, in Portuguese.
    QTimer::singleShot(200, [&] {
        if (QWidget* chooser = QApplication::activeModalWidget()) {
            save(*chooser, "seletor-de-cor.png");
            chooser->close();
        }
    });
    QTest::mouseClick(&paintBox, Qt::LeftButton, {}, QPoint(10, 25));
    return saved ? 0 : 1;
}
