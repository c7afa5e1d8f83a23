// The curve list window.
#include "plot/curve_list_window.h"

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Lista de curvas"));
    resize(849, 479);
}
