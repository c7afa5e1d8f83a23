// The start-up reference: a minimal Qt program that shows one window with a text area.
#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QPlainTextEdit text;
    text.setPlainText(QStringLiteral("texto"));
    text.resize(1137, 576);
    text.show();
    return QApplication::exec();
}
