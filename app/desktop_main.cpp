// talvor: the desktop program. talvor [arquivo [t]]
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <exception>
#include <memory>

#include "app/talvor_app.h"

using namespace talvor;

int main(int argc, char** argv)
{
    try {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Talvor"));
        // The installed desktop entry and icon (none when run from the build tree).
        QApplication::setDesktopFileName(QStringLiteral("talvor"));
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("talvor")));
        // QApplication has taken its own options out of argv; the rest is ours.
        std::vector<std::string> arguments(argv + 1, argv + argc);
        auto talvor = std::make_unique<TalvorApp>(std::move(arguments));
        talvor->Show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "talvor: %s\n", error.what());
        return 1;
    }
}
