// The graph window.
#include "plot/graph_window.h"

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Gráficos"));
    resize(777, 528);
}
